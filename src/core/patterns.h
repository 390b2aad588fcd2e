#pragma once
// What a job leaves out: file names ("*.TMP", "~$*"), folder names ("NODE_MODULES\")
// and paths under the job's source ("\PROJECTS\BIG\OUT\"). A pattern that ends in "\"
// names folders, any other files; "*" and "?" match within one name. A pattern with a
// "\" before its end is a path from the source and matched as a whole.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

bool is_folder_pattern(std::wstring_view pattern);
bool is_path_pattern(std::wstring_view pattern);

// Why the pattern cannot be used, as the end of a sentence that names it; nothing
// when it can.
std::optional<std::wstring> pattern_fault(std::wstring_view pattern);

// The "Leave out" box: patterns between ";", blanks around each dropped, empty ones
// skipped, "/" read as "\".
std::vector<std::wstring> split_patterns(std::wstring_view text);
// The box's text for a job's patterns: "*.TMP; ~$*; NODE_MODULES\".
std::wstring join_patterns(const std::vector<std::wstring>& patterns);

// The end of a job's row: two blanks, EXCEPT, and each pattern quoted after two
// blanks; empty when there are none, so such a row reads as it always did.
std::wstring except_text(const std::vector<std::wstring>& patterns);

// The patterns of a row's text after its fourth double quote. Text that does not
// begin with the word EXCEPT holds none (readers of old ignore what follows the fourth
// quote); text that does must hold one or more quoted, valid patterns, else nothing.
std::optional<std::vector<std::wstring>> parse_except(std::wstring_view tail);

// robocopy's " /XF "name"... /XD "name"..." for a job copying `source` (as the
// script names it: "C:\." for a drive root); empty without patterns. A path pattern
// becomes a full path under the source, and no quoted text ends in "\". `folders`,
// full paths, join the /XD list as they are.
std::wstring exclude_arguments(std::wstring_view source, const std::vector<std::wstring>& patterns,
                               const std::vector<std::wstring>& folders = {});

// What /XF and /XD get from a job's patterns, as separate lists of names and full paths.
struct Exclusions {
    std::vector<std::wstring> files, folders;
};
Exclusions exclusions(std::wstring_view source, const std::vector<std::wstring>& patterns);

// "*" any run of characters, "?" any one, letter case ignored as to_upper (core/text.h)
// ignores it; "*.*" matches a name without a dot too, as in the system's own patterns.
bool wildcard_match(std::wstring_view pattern, std::wstring_view text);

// A pattern with a backslash is a full path and is matched against `path`; any
// other matches the name alone, wherever it stands in the tree.
bool excluded(const std::vector<std::wstring>& patterns, std::wstring_view name, std::wstring_view path);

}  // namespace core

#pragma once
// Small text helpers shared by the file formats. Letter case follows the
// platform's rules once the program has installed them (see set_case_rules).
#include <string>
#include <string_view>
#include <vector>

namespace core {

inline constexpr wchar_t kCr = L'\r';
inline constexpr wchar_t kLf = L'\n';
inline constexpr std::wstring_view kCrLf = L"\r\n";
inline constexpr wchar_t kQuote = L'"';
inline const std::wstring kTwoCr = L"\r\r";  // between a message's statement and its question

using CaseMapper = std::wstring (*)(std::wstring_view);
// The Windows build maps case with the system's tables; natively towupper/towlower serve.
void set_case_rules(CaseMapper upper, CaseMapper lower);
std::wstring to_upper(std::wstring_view text);
std::wstring to_lower(std::wstring_view text);

// Lines end at CR LF, at a lone CR or at a lone LF; the ends are not part of the lines.
// A final line end does not start another (empty) line.
std::vector<std::wstring> split_lines(std::wstring_view text);

// Each line followed by CR LF.
std::wstring join_lines(const std::vector<std::wstring>& lines);

std::wstring quoted(std::wstring_view text);  // "text"
// A folder and a name with one backslash between them; an empty folder gives the name.
std::wstring join_path(const std::wstring& folder, const std::wstring& name);

}  // namespace core

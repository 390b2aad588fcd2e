#include "core/patterns.h"

#include "core/text.h"

namespace core {
namespace {

constexpr wchar_t kSlash = L'\\';
constexpr std::wstring_view kBlanks = L" \t";
constexpr std::wstring_view kExcept = L"EXCEPT";

std::wstring_view trimmed(std::wstring_view t) {
    const auto first = t.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    return t.substr(first, t.find_last_not_of(kBlanks) - first + 1);
}

// The pattern without the "\" that marks a folder, nor the one a path may begin with.
std::wstring_view bare(std::wstring_view p) {
    if (is_folder_pattern(p)) p.remove_suffix(1);
    if (!p.empty() && p.front() == kSlash) p.remove_prefix(1);
    return p;
}

// Names of dots and blanks only ("", ".", "..") are no names: the file system drops them.
bool names_something(std::wstring_view name) { return name.find_first_not_of(L". ") != std::wstring_view::npos; }

}  // namespace

bool is_folder_pattern(std::wstring_view pattern) { return !pattern.empty() && pattern.back() == kSlash; }

bool is_path_pattern(std::wstring_view pattern) {
    const auto at = pattern.find(kSlash);
    return at != std::wstring_view::npos && at + 1 < pattern.size();
}

std::optional<std::wstring> pattern_fault(std::wstring_view pattern) {
    for (wchar_t c : pattern)
        if (c < L' ' || std::wstring_view(L"\"|<>:/").find(c) != std::wstring_view::npos)
            return L"holds a character that no file or folder name can hold";
    const std::wstring_view names = bare(pattern);
    std::size_t from = 0;
    for (;;) {
        const auto end = names.find(kSlash, from);
        const std::wstring_view name = names.substr(from, end == std::wstring_view::npos ? end : end - from);
        if (!names_something(name)) return std::wstring(L"names no file or folder");
        // robocopy matches a path as it stands; "*" there would mean nothing to it.
        if (is_path_pattern(pattern) && name.find_first_of(L"*?") != std::wstring_view::npos)
            return L"is a path with * or ?, which match only in a single name";
        if (end == std::wstring_view::npos) return std::nullopt;
        from = end + 1;
    }
}

std::vector<std::wstring> split_patterns(std::wstring_view text) {
    std::vector<std::wstring> patterns;
    std::size_t from = 0;
    for (;;) {
        const auto end = text.find(L';', from);
        std::wstring p(trimmed(text.substr(from, end == std::wstring_view::npos ? end : end - from)));
        for (auto& c : p)
            if (c == L'/') c = kSlash;
        if (!p.empty()) patterns.push_back(std::move(p));
        if (end == std::wstring_view::npos) return patterns;
        from = end + 1;
    }
}

std::wstring join_patterns(const std::vector<std::wstring>& patterns) {
    std::wstring text;
    for (const auto& p : patterns) text += (text.empty() ? L"" : L"; ") + p;
    return text;
}

std::wstring except_text(const std::vector<std::wstring>& patterns) {
    if (patterns.empty()) return {};
    std::wstring text = L"  EXCEPT";
    for (const auto& p : patterns) text += L"  " + quoted(p);
    return to_upper(text);
}

std::optional<std::vector<std::wstring>> parse_except(std::wstring_view tail) {
    std::vector<std::wstring> patterns;
    tail = trimmed(tail);
    // The word EXCEPT ends at a blank or a quote; any other text here is what old readers ignore.
    if (tail.size() < kExcept.size() || to_upper(tail.substr(0, kExcept.size())) != kExcept) return patterns;
    tail.remove_prefix(kExcept.size());
    if (tail.empty()) return std::nullopt;  // EXCEPT and no pattern
    if (tail.front() != kQuote && kBlanks.find(tail.front()) == std::wstring_view::npos) return patterns;
    for (;;) {
        const auto open = tail.find_first_not_of(kBlanks);
        if (open == std::wstring_view::npos) return patterns;
        if (tail[open] != kQuote) return std::nullopt;
        const auto close = tail.find(kQuote, open + 1);
        if (close == std::wstring_view::npos) return std::nullopt;
        const std::wstring_view p = tail.substr(open + 1, close - open - 1);
        // The row is written without blanks around a pattern; the box drops them.
        if (pattern_fault(p) || trimmed(p) != p) return std::nullopt;
        patterns.emplace_back(p);
        tail.remove_prefix(close + 1);
        if (!tail.empty() && kBlanks.find(tail.front()) == std::wstring_view::npos) return std::nullopt;
    }
}

Exclusions exclusions(std::wstring_view source, const std::vector<std::wstring>& patterns) {
    // A drive root is "C:\." in the script; a path under it is "C:\NAME".
    std::wstring base(source);
    if (base.ends_with(L"\\.")) base.pop_back();
    if (!base.ends_with(kSlash)) base += kSlash;
    Exclusions e;
    for (const auto& p : patterns)
        (is_folder_pattern(p) ? e.folders : e.files)
            .push_back(is_path_pattern(p) ? base + std::wstring(bare(p)) : std::wstring(bare(p)));
    return e;
}

std::wstring exclude_arguments(std::wstring_view source, const std::vector<std::wstring>& patterns,
                               const std::vector<std::wstring>& standing) {
    Exclusions e = exclusions(source, patterns);
    e.folders.insert(e.folders.end(), standing.begin(), standing.end());
    std::wstring files, folders;
    for (const auto& name : e.files) files += L" " + quoted(name);
    for (const auto& name : e.folders) folders += L" " + quoted(name);
    return (files.empty() ? L"" : L" /XF" + files) + (folders.empty() ? L"" : L" /XD" + folders);
}

bool wildcard_match(std::wstring_view pattern_text, std::wstring_view name) {
    // The case rules that upper-cased the job's row: the C library's know no letter beyond ASCII.
    const std::wstring pattern = to_upper(pattern_text), text = to_upper(name);
    // Greedy with one step back to the last star: linear for the patterns people write.
    std::size_t p = 0, t = 0, star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || (pattern[p] != L'*' && pattern[p] == text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    if (p == pattern.size()) return true;
    // "*.*" and "name.*" take a name that has no dot at all.
    return std::wstring_view(pattern).substr(p) == L".*" && text.find(L'.') == std::wstring::npos;
}

bool excluded(const std::vector<std::wstring>& patterns, std::wstring_view name, std::wstring_view path) {
    for (const std::wstring& pattern : patterns)
        if (wildcard_match(pattern, pattern.find(kSlash) != std::wstring::npos ? path : name)) return true;
    return false;
}

}  // namespace core

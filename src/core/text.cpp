#include "core/text.h"

#include <cwctype>

namespace core {
namespace {

std::wstring map_each(std::wstring_view text, std::wint_t (*fn)(std::wint_t)) {
    std::wstring out(text);
    for (auto& c : out) c = static_cast<wchar_t>(fn(static_cast<std::wint_t>(c)));
    return out;
}
std::wstring plain_upper(std::wstring_view t) { return map_each(t, std::towupper); }
std::wstring plain_lower(std::wstring_view t) { return map_each(t, std::towlower); }

CaseMapper g_upper = plain_upper;
CaseMapper g_lower = plain_lower;

}  // namespace

void set_case_rules(CaseMapper upper, CaseMapper lower) {
    g_upper = upper ? upper : plain_upper;
    g_lower = lower ? lower : plain_lower;
}

std::wstring to_upper(std::wstring_view text) { return g_upper(text); }
std::wstring to_lower(std::wstring_view text) { return g_lower(text); }

std::vector<std::wstring> split_lines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c != kCr && c != kLf) continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::wstring join_lines(const std::vector<std::wstring>& lines) {
    std::wstring out;
    for (const auto& l : lines) {
        out += l;
        out += kCrLf;
    }
    return out;
}

std::wstring join_path(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

std::wstring quoted(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size() + 2);
    out += kQuote;
    out += text;
    out += kQuote;
    return out;
}

}  // namespace core

#include "win/copy_names.h"

#include <algorithm>

namespace win {

int compare_names(const std::wstring& a, const std::wstring& b) {
    const int r =
        CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
    return r - CSTR_EQUAL;
}

bool name_less(const std::wstring& a, const std::wstring& b) {
    const int c = compare_names(a, b);
    return c != 0 ? c < 0 : a < b;
}

std::wstring twin_key(const std::wstring& name) {
    std::wstring key = name;
    while (!key.empty() && (key.back() == L'.' || key.back() == L' ')) key.pop_back();
    if (key.empty()) return key;
    std::wstring upper(key.size(), L'\0');
    const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()),
                                upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return n == static_cast<int>(key.size()) ? upper : key;
}

std::vector<bool> find_twins(const std::vector<std::wstring>& names, std::vector<std::wstring>& keys) {
    keys.clear();
    std::vector<bool> twin(names.size(), false);
    if (names.size() < 2) return twin;
    std::vector<std::pair<std::wstring, std::size_t>> by_key;
    by_key.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) by_key.emplace_back(twin_key(names[i]), i);
    std::sort(by_key.begin(), by_key.end());
    for (std::size_t i = 1; i < by_key.size(); ++i) {
        if (by_key[i].first != by_key[i - 1].first) continue;
        twin[by_key[i].second] = twin[by_key[i - 1].second] = true;
        if (keys.empty() || keys.back() != by_key[i].first) keys.push_back(by_key[i].first);
    }
    return twin;
}

bool has_twin_key(const std::vector<std::wstring>& keys, const std::wstring& name) {
    return !keys.empty() && std::binary_search(keys.begin(), keys.end(), twin_key(name));
}

bool unnamable(std::wstring_view name) {
    return std::any_of(name.begin(), name.end(), [](wchar_t c) {
        return c == L'\uFFFD' || c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
    });
}

}  // namespace win

#include "core/path_match.h"

#include "core/text.h"

namespace core {

bool entry_admitted(std::uint32_t attributes, int mask) {
    if (attributes & kAttrHidden) return false;
    std::uint32_t special = attributes & (kAttrSystem | kAttrDirectory);
    return (special & ~static_cast<std::uint32_t>(mask)) == 0;
}

bool path_refused(std::wstring_view path) { return !path.empty() && path.front() == L':'; }

std::wstring listing_pattern(std::wstring_view path) {
    std::wstring p = to_lower(path);
    if (!p.empty() && (p.back() == L'\\' || p.back() == L'/')) p += L"*.*";
    return p;
}

}  // namespace core

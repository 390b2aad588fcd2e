#include "core/jobrow.h"

#include "core/text.h"

namespace core {

std::wstring FormatJobRow(std::wstring_view source, std::wstring_view destination) {
    std::wstring row = L"Copy folder  ";
    row += quoted(source);
    row += L"  into  ";
    row += quoted(destination);
    return to_upper(row);
}

std::optional<JobFolders> ParseJobRow(std::wstring_view text) {
    std::size_t q[4];
    std::size_t from = 0;
    for (auto& pos : q) {
        pos = text.find(QUOTE, from);
        if (pos == std::wstring_view::npos) return std::nullopt;
        from = pos + 1;
    }
    return JobFolders{std::wstring(text.substr(q[0] + 1, q[1] - q[0] - 1)),
                      std::wstring(text.substr(q[2] + 1, q[3] - q[2] - 1))};
}

std::wstring source_folder_name(std::wstring_view source) {
    auto pos = source.rfind(L'\\');
    return std::wstring(pos == std::wstring_view::npos ? source : source.substr(pos + 1));
}

namespace {
std::wstring normalized(std::wstring_view path) {
    std::wstring p = to_upper(path);
    for (auto& c : p)
        if (c == L'/') c = L'\\';
    while (p.size() > 1 && p.back() == L'\\') p.pop_back();
    return p;
}
bool same_or_inside(const std::wstring& inner, const std::wstring& outer) {
    if (inner == outer) return true;
    std::wstring prefix = outer.ends_with(L'\\') ? outer : outer + L'\\';
    return inner.starts_with(prefix);
}
}  // namespace

bool job_copies_into_itself(std::wstring_view source, std::wstring_view destination) {
    std::wstring src = normalized(source);
    std::wstring dst = normalized(destination);
    if (src.empty() || dst.empty()) return false;
    // "C:" stands for the drive's root here.
    if (src.size() == 2 && src[1] == L':') src += L'\\';
    if (dst.size() == 2 && dst[1] == L':') dst += L'\\';
    if (same_or_inside(dst, src)) return true;
    std::wstring name = source_folder_name(src);
    std::wstring target = dst.ends_with(L'\\') ? dst + name : dst + L'\\' + name;
    return !name.empty() && normalized(target) == src;
}

}  // namespace core

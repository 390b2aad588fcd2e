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

}  // namespace core

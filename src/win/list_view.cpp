#include "win/list_view.h"

#include <commctrl.h>

namespace win {

std::wstring list_cell(const Window& list, int row, int column) {
    wchar_t text[1024];
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    const auto n = list.send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::wstring(text, static_cast<size_t>(n));
}

}  // namespace win

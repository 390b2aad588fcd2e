#include "folders/folder_list.h"

#include <algorithm>

#include "win/dpi.h"
#include "win/handles.h"

namespace folders {

DWORD list_subfolders(const std::wstring& folder, std::vector<std::wstring>& names) {
    names.clear();
    std::wstring pattern = folder;
    if (!pattern.ends_with(L'\\')) pattern += L'\\';
    pattern += L'*';
    // An empty removable drive must answer with an error, not a "no disk" box.
    win::QuietErrorMode quiet;
    WIN32_FIND_DATAW fd;
    win::FindHandle h(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    DWORD err = h ? ERROR_SUCCESS : GetLastError();
    if (h) {
        do {
            const std::wstring name = fd.cFileName;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
                continue;
            if (name == L"." || name == L"..") continue;
            names.push_back(name);
        } while (FindNextFileW(h.get(), &fd));
        err = GetLastError();
        if (err == ERROR_NO_MORE_FILES) err = ERROR_SUCCESS;
    } else if (err == ERROR_FILE_NOT_FOUND) {
        // An empty drive root has not even "." to report.
        err = ERROR_SUCCESS;
    }
    return err;
}

void FolderList::attach(HWND listbox) { list_ = listbox; }

DWORD FolderList::setPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    if (n == 0) return GetLastError();
    if (n >= std::size(full)) return ERROR_FILENAME_EXCED_RANGE;
    std::wstring folder = core::trim_folder(full);
    if (core::folder_root(folder).empty()) return ERROR_BAD_PATHNAME;

    std::vector<std::wstring> names;
    if (DWORD err = list_subfolders(folder, names)) return err;
    // Show the folders' names as they are on disk, not as they were typed.
    wchar_t on_disk[MAX_PATH * 4];
    DWORD m = GetLongPathNameW(folder.c_str(), on_disk, static_cast<DWORD>(std::size(on_disk)));
    if (m > 0 && m < std::size(on_disk)) folder = core::trim_folder(on_disk);

    std::vector<core::FolderEntry> rows = core::folder_tree(folder, std::move(names));
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (const auto& r : rows) {
        LRESULT at = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.name.c_str()));
        if (at == LB_ERR || at == LB_ERRSPACE) break;
    }
    path_ = folder;
    rows_ = std::move(rows);
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(core::open_row(rows_)), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    return ERROR_SUCCESS;
}

int FolderList::selected() const {
    LRESULT i = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    return i == LB_ERR || i >= static_cast<LRESULT>(rows_.size()) ? -1 : static_cast<int>(i);
}

bool FolderList::select(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    return SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(row), 0) != LB_ERR;
}

std::wstring FolderList::selectedPath() const {
    int i = selected();
    return i >= 0 ? rows_[static_cast<size_t>(i)].path : path_;
}

void FolderList::measure(MEASUREITEMSTRUCT& m) const {
    // The list's own font decides; the glyph needs at least 18 pixels at 96 DPI.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
    UINT height = static_cast<UINT>(win::px(270));
    if (const win::WindowDc dc(list_); dc) {
        HGDIOBJ old = font ? SelectObject(dc.get(), font) : nullptr;
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc.get(), &tm)) height = std::max(height, static_cast<UINT>(tm.tmHeight + win::px(45)));
        if (old) SelectObject(dc.get(), old);
    }
    m.itemHeight = height;
}

namespace {

// A small folder: closed, or open with its front flap tilted.
void draw_folder(HDC dc, int x, int y, int size, bool open) {
    const int w = size, h = size * 3 / 4, tab = size * 3 / 8, lip = std::max(1, size / 8);
    const win::Gdi<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(150, 110, 20)));
    const win::Gdi<HBRUSH> back(CreateSolidBrush(RGB(232, 186, 72)));
    const win::Gdi<HBRUSH> front(CreateSolidBrush(RGB(252, 220, 120)));
    if (!pen || !back || !front) return;
    HGDIOBJ old_pen = SelectObject(dc, pen.get());
    HGDIOBJ old_brush = SelectObject(dc, back.get());
    POINT body[] = {{x, y + lip},       {x + tab, y + lip}, {x + tab + lip, y + 2 * lip}, {x + w - 1, y + 2 * lip},
                    {x + w - 1, y + h}, {x, y + h}};
    Polygon(dc, body, static_cast<int>(std::size(body)));
    SelectObject(dc, front.get());
    if (open) {
        POINT flap[] = {{x + w / 4, y + 3 * lip}, {x + w + lip, y + 3 * lip}, {x + w - 1 - w / 4, y + h}, {x, y + h}};
        Polygon(dc, flap, static_cast<int>(std::size(flap)));
    } else {
        Rectangle(dc, x, y + 3 * lip, x + w, y + h + 1);
    }
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
}

}  // namespace

void FolderList::draw(const DRAWITEMSTRUCT& d) const {
    if (d.itemID == static_cast<UINT>(-1) || d.itemID >= rows_.size()) {
        if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
        return;
    }
    const core::FolderEntry& row = rows_[d.itemID];
    const bool chosen = (d.itemState & ODS_SELECTED) != 0;
    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int indent = win::px(240);
    const int glyph = win::px(240);
    const int item_height = d.rcItem.bottom - d.rcItem.top;
    int x = d.rcItem.left + win::px(45) + row.depth * indent;
    draw_folder(d.hDC, x, d.rcItem.top + (item_height - glyph * 3 / 4) / 2, glyph, row.open);
    x += glyph + win::px(90);

    RECT text = d.rcItem;
    text.left = x;
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(d.hDC, row.name.c_str(), static_cast<int>(row.name.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
}

}  // namespace folders

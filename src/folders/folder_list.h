#pragma once
// The folder list of the folder browser: an owner-drawn list box showing the open
// folder's ancestors from the root down, the folder itself, then its sub-folders.
#include <windows.h>

#include <string>
#include <vector>

#include "core/folder_tree.h"

namespace folders {

// The sub-folders of a folder by bare name, hidden ones left out.
// 0, or the system's error code when the folder cannot be listed.
DWORD list_subfolders(const std::wstring& folder, std::vector<std::wstring>& names);

class FolderList {
public:
    // Takes over a list box made with LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY.
    void attach(HWND listbox);
    HWND hwnd() const { return list_; }

    // Opens a folder: a full path, or a bare drive such as "E:" for that drive's
    // current folder. 0, or the error code; on an error the list stays as it was.
    DWORD setPath(const std::wstring& path);
    const std::wstring& path() const { return path_; }  // the open folder
    const std::vector<core::FolderEntry>& rows() const { return rows_; }

    int selected() const;               // the selected row; -1 when none
    bool select(int row);               // as the keyboard would, but without a notification
    std::wstring selectedPath() const;  // the selected row's folder; the open one when none

    // Owner drawing, forwarded by the parent window.
    void measure(MEASUREITEMSTRUCT& m) const;
    void draw(const DRAWITEMSTRUCT& d) const;

private:
    HWND list_ = nullptr;
    std::wstring path_;
    std::vector<core::FolderEntry> rows_;
};

}  // namespace folders

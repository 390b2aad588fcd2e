#include "win/drive_list.h"

#include "win/handles.h"

#include <cwctype>

#include "win/dpi.h"

namespace win {

std::wstring drive_entry_text(wchar_t letter, const std::wstring& label) {
    std::wstring t(1, static_cast<wchar_t>(std::towlower(letter)));
    t += L':';
    if (!label.empty()) t += L" [" + label + L"]";
    return t;
}

std::vector<DriveEntry> system_drives() {
    std::vector<DriveEntry> drives;
    wchar_t buf[26 * 4 + 2];
    DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buf)), buf);
    if (n == 0 || n > std::size(buf)) return drives;
    // An empty removable drive must not pop up "no disk" boxes while the list is filled.
    QuietErrorMode quiet;
    for (const wchar_t* root = buf; *root; root += lstrlenW(root) + 1) {
        wchar_t letter = static_cast<wchar_t>(std::towupper(root[0]));
        if (letter < L'A' || letter > L'Z') continue;
        std::wstring label;
        // Floppy drives are not asked (reading a label makes them seek), nor network
        // drives (a lost connection keeps the caller waiting).
        const UINT type = GetDriveTypeW(root);
        const bool ask = !(type == DRIVE_REMOVABLE && (letter == L'A' || letter == L'B')) && type != DRIVE_REMOTE;
        wchar_t name[MAX_PATH + 1] = L"";
        if (ask && GetVolumeInformationW(root, name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) label = name;
        drives.push_back({letter, drive_entry_text(letter, label)});
    }
    return drives;
}

wchar_t current_drive() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    if (n < 2 || n >= MAX_PATH || buf[1] != L':') return 0;
    return static_cast<wchar_t>(std::towupper(buf[0]));
}

void DriveList::attach(HWND combo) {
    combo_ = combo;
    refill();
    if (!setDrive(current_drive())) SendMessageW(combo_, CB_SETCURSEL, 0, 0);
    reported_ = drive();
}

void DriveList::setClosedHeight(int twips) const {
    if (!combo_) return;
    LRESULT item = SendMessageW(combo_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (item == CB_ERR) return;
    // The frame around the field differs between systems; adjust until it fits.
    for (int tries = 0; tries < 4; ++tries) {
        RECT r{};
        if (!GetWindowRect(combo_, &r)) return;
        const LRESULT off = px(twips) - (r.bottom - r.top);
        if (off == 0 || item + off <= 0) return;
        item += off;
        if (SendMessageW(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item) == CB_ERR) return;
    }
}

void DriveList::refill() {
    if (!combo_) return;
    const wchar_t keep = drive();
    const wchar_t reported = reported_;  // refilling is not the user's choice
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const auto& d : system_drives()) {
        LRESULT at = SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.text.c_str()));
        if (at == CB_ERR || at == CB_ERRSPACE) break;
    }
    // A drive that went away leaves the list at the current drive instead.
    if (!setDrive(keep) && !setDrive(current_drive())) SendMessageW(combo_, CB_SETCURSEL, 0, 0);
    reported_ = reported;
}

std::wstring DriveList::text() const {
    LRESULT i = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR) return {};
    LRESULT len = SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len == CB_ERR) return {};
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    LRESULT got = SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return s;
}

wchar_t DriveList::drive() const {
    std::wstring t = text();
    return t.empty() ? 0 : static_cast<wchar_t>(std::towupper(t[0]));
}

std::vector<std::wstring> DriveList::entries() const {
    std::vector<std::wstring> all;
    LRESULT n = SendMessageW(combo_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (len == CB_ERR) continue;
        std::wstring s(static_cast<size_t>(len) + 1, L'\0');
        LRESULT got = SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
        all.push_back(s);
    }
    return all;
}

bool DriveList::setDrive(wchar_t letter) {
    if (!combo_ || !letter) return false;
    letter = static_cast<wchar_t>(std::towupper(letter));
    std::vector<std::wstring> all = entries();
    for (size_t i = 0; i < all.size(); ++i) {
        if (!all[i].empty() && static_cast<wchar_t>(std::towupper(all[i][0])) == letter) {
            if (SendMessageW(combo_, CB_SETCURSEL, i, 0) == CB_ERR) return false;
            reported_ = letter;
            return true;
        }
    }
    return false;
}

bool DriveList::userChanged(int code) {
    switch (code) {
        case CBN_DROPDOWN:
            refill();
            return false;
        case CBN_SELCHANGE:
            // While the list is open the user is only passing over entries.
            if (SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0)) return false;
            break;
        case CBN_CLOSEUP:
            break;
        default:
            return false;
    }
    wchar_t now = drive();
    if (!now || now == reported_) return false;
    reported_ = now;
    return true;
}

}  // namespace win

#pragma once
// A drive list: a drop-down list of every drive letter the system has, each shown
// as "c: [Label]" (the label only where the volume has one).
#include <windows.h>

#include <string>
#include <vector>

namespace win {

struct DriveEntry {
    wchar_t letter = 0;  // upper case
    std::wstring text;   // what the list shows
};

// The system's drives, in letter order, with their labels.
std::vector<DriveEntry> system_drives();
// "e: [BACKUP]", or "e:" without a label.
std::wstring drive_entry_text(wchar_t letter, const std::wstring& label);

class DriveList {
public:
    // Takes over a CBS_DROPDOWNLIST combo box and fills it; the current drive is chosen.
    void attach(HWND combo);
    HWND hwnd() const { return combo_; }
    // The closed list's height in twips (the height given at creation includes the
    // opened list).
    void setClosedHeight(int twips) const;

    // Reads the drives again (a drive may have been plugged in), keeping the choice
    // where that drive is still there.
    void refill();

    wchar_t drive() const;      // upper-case letter of the chosen entry; 0 when none
    std::wstring text() const;  // the chosen entry's text
    std::vector<std::wstring> entries() const;

    // Chooses a drive without reporting a change; false when the list lacks it.
    bool setDrive(wchar_t letter);

    // Feeds a CBN_ notification of this combo box: true when the user has settled on
    // another drive than the one last reported (the list is closed again).
    bool userChanged(int code);

private:
    HWND combo_ = nullptr;
    wchar_t reported_ = 0;
};

// The process's current drive letter (upper case), 0 for a share.
wchar_t current_drive();

}  // namespace win

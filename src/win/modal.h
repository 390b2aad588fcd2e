#pragma once
// A window that is shown modally through the prompt funnel.
#include <windows.h>

namespace win {

class ModalWindow {
public:
    virtual ~ModalWindow() = default;
    virtual HWND hwnd() const = 0;
    // Real modal display: disables the owner, shows the window and pumps messages
    // until the window is hidden or destroyed.
    void runModal(HWND owner);
};

}  // namespace win

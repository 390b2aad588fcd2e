#pragma once
#include "win/form.h"
#include "win/modal.h"

namespace ui {

class FrmBrowser : public win::Form, public win::ModalWindow {
public:
    HWND hwnd() const override { return Form::hwnd(); }
};

}  // namespace ui

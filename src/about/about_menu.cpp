// File > About: the About window, shown modally.
#include "ui/frmMain.h"

namespace ui {
void FrmMain::MenuAbout_Click() {}
}  // namespace ui

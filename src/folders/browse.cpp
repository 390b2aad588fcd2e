// The BROWSE buttons and the hidden windows made with the main window.
#include "ui/frmMain.h"

namespace ui {
void FrmMain::cmdSource_Click() {}
void FrmMain::cmdDest_Click() {}
void FrmMain::createAuxiliaryWindows() {}
void FrmMain::destroyAuxiliaryWindows() {}
}  // namespace ui

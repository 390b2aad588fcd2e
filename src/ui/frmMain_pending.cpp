// Handlers whose windows and runs are still being built.
#include "ui/frmMain.h"

namespace ui {
void FrmMain::cmdSource_Click() {}
void FrmMain::cmdDest_Click() {}
void FrmMain::cmdRun_Click() {}
void FrmMain::MenuFilePrint_Click() {}
void FrmMain::Timer1_Timer() {}
void FrmMain::MenuAbout_Click() {}
void FrmMain::createAuxiliaryWindows() {}
void FrmMain::destroyAuxiliaryWindows() {}
}  // namespace ui

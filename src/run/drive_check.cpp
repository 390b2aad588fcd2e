// The drive presence check run by the main window's timer.
#include "ui/frmMain.h"

namespace ui {
void FrmMain::Timer1_Timer() {}
bool FrmMain::CheckBackupDrive() { return false; }
}  // namespace ui

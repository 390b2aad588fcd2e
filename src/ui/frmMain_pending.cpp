// Handlers whose windows and runs are still being built.
#include "ui/frmMain.h"

namespace ui {
void FrmMain::cmdRun_Click() {}
void FrmMain::MenuFilePrint_Click() {}
}  // namespace ui

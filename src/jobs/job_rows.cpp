// The job rows of the main window: made from the hidden templates, 480 twips apart.
#include <windows.h>
#include <commctrl.h>

#include "app/module1.h"
#include "core/job_rule.h"
#include "ui/frmMain.h"
#include "win/dpi.h"
#include "win/prompt.h"

namespace ui {
namespace {

LRESULT CALLBACK rowProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR index, DWORD_PTR ref) {
    if (msg == WM_LBUTTONUP) {
        LRESULT r = DefSubclassProc(h, msg, w, l);
        reinterpret_cast<FrmMain*>(ref)->txtActionDisplay_Click(static_cast<int>(index));
        return r;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, rowProc, index);
    return DefSubclassProc(h, msg, w, l);
}

}  // namespace

void FrmMain::resizeForRows() {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    int height = win::px(design_outer_height_twips_ + kRowPitch * app::state().JobCount);
    SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmMain::AppendJobRow(const std::wstring& text) {
    app::Module1& m = app::state();
    if (m.JobCount >= core::kMaxJobs) return;  // callers refuse a 14th job before this
    const int n = m.JobCount + 1;
    const JobRowControls& tmpl = rows[0];
    JobRowControls row;
    const int top = kRowTop + kRowPitch * n;
    row.text = win::Window(addControl(L"EDIT", L"", WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, ID_ROW_TEXT + n,
                                      kRowLeft, top, kRowWidth, kRowHeight, WS_EX_CLIENTEDGE));
    row.text.send(WM_SETFONT, tmpl.text.send(WM_GETFONT), FALSE);
    row.del = win::Window(addControl(L"BUTTON", L"X", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ID_ROW_DELETE + n,
                                     kDeleteLeft, top, kDeleteSize, kDeleteSize));
    SetWindowSubclass(row.text.hwnd(), rowProc, static_cast<UINT_PTR>(n), reinterpret_cast<DWORD_PTR>(this));
    addRowTooltip(row.del.hwnd());
    rows.push_back(row);
    m.JobCount = static_cast<short>(n);
    resizeForRows();
    rows[static_cast<size_t>(n)].text.setText(text);
}

void FrmMain::RemoveJobRow(int i) {
    app::Module1& m = app::state();
    if (i < 1 || i > m.JobCount) return;
    for (int k = i; k < m.JobCount; ++k) {
        rows[static_cast<size_t>(k)].text.setText(rows[static_cast<size_t>(k) + 1].text.text());
        m.JobPaths[static_cast<size_t>(k)] = m.JobPaths[static_cast<size_t>(k) + 1];
    }
    JobRowControls& last = rows.back();
    DestroyWindow(last.text.hwnd());
    DestroyWindow(last.del.hwnd());
    rows.pop_back();
    m.JobCount = static_cast<short>(m.JobCount - 1);
    resizeForRows();
}

void FrmMain::ClearJobRows() {
    app::Module1& m = app::state();
    while (m.JobCount > 0) {
        JobRowControls& last = rows.back();
        DestroyWindow(last.text.hwnd());
        DestroyWindow(last.del.hwnd());
        rows.pop_back();
        m.JobCount = static_cast<short>(m.JobCount - 1);
    }
    resizeForRows();
}

void FrmMain::SetRowBold(int i, bool bold) {
    JobRowControls& row = rows[static_cast<size_t>(i)];
    row.bold = bold;
    row.text.send(WM_SETFONT, reinterpret_cast<WPARAM>(win::font_named(L"Arial", 12, bold)), TRUE);
}

void FrmMain::ClearJobSelection() {
    for (int i = 1; i <= app::state().JobCount; ++i) {
        SetRowBold(i, false);
        rows[static_cast<size_t>(i)].Tag = L"False";
    }
}

void FrmMain::RefreshJobPaths() {
    app::Module1& m = app::state();
    for (int i = 1; i <= m.JobCount; ++i) {
        // Rows are built with four quotes; keep the old paths if one was not.
        if (auto f = core::ParseJobRow(rows[static_cast<size_t>(i)].text.text())) m.JobPaths[static_cast<size_t>(i)] = *f;
    }
}

void FrmMain::WarnJobConflicts() {
    const app::Module1& m = app::state();
    const std::wstring conflicts = core::conflicts_text(m.Jobs());
    if (conflicts.empty()) return;
    win::ask(hwnd(), L"JOBS IN CONFLICT",
             conflicts + m.TwoCr + L"The backups will not run until these jobs are changed or deleted.",
             MB_OK | MB_ICONEXCLAMATION);
}

int FrmMain::SelectedRow() const {
    for (int i = 1; i <= app::state().JobCount; ++i)
        if (rows[static_cast<size_t>(i)].Tag == L"True") return i;
    return 0;
}

void FrmMain::FreezeEntry() {
    for (win::Window w : {Label1[0], Label1[1], cmdSource, txtSource, cmdDest, txtDest}) w.enable(false);
}

void FrmMain::ThawEntry() {
    for (win::Window w : {Label1[0], Label1[1], cmdSource, txtSource, cmdDest, txtDest}) w.enable(true);
}

}  // namespace ui

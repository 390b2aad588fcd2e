#pragma once
// File > Run History...: the history of runs, newest first, in a list; Enter or a
// double-click opens a run's kept log.
#include <windows.h>

#include <vector>

#include "core/history.h"
#include "win/form.h"
#include "win/handles.h"
#include "win/modal.h"

namespace ui {

enum HistoryId : int { ID_HI_LIST = 100, ID_HI_CLOSE = IDCANCEL };

class FrmHistory : public win::Form, public win::ModalWindow {
public:
    // Made hidden, owned by `owner`, listing `history` (in file order) newest first.
    bool create(HWND owner, std::vector<core::HistoryEntry> history);
    HWND hwnd() const override { return Form::hwnd(); }
    // Shows the window modally through the prompt funnel.
    void show(HWND owner);
    // A row's text in a column (0: when, 1: job file, 2: outcome, 3: detail, 4: log) and its icon.
    std::wstring cell(int row, int column) const;
    int icon(int row) const;
    int rows() const;
    // Opens the selected run's log.
    void openSelected();

    win::Window lvwRuns, cmdClose;

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;
    void onCommand(int id, int code) override;

private:
    bool fill();
    std::vector<core::HistoryEntry> runs_;  // newest first, as listed
};

}  // namespace ui

#pragma once
// The schedule window: when the open job file runs by itself, if at all.
#include <windows.h>

#include <optional>

#include "core/schedule.h"
#include "win/form.h"
#include "win/modal.h"

namespace ui {

enum ScheduleId : int {
    ID_SC_OFF = 100,
    ID_SC_DAILY,
    ID_SC_WEEKLY,
    ID_SC_LOGON,
    ID_SC_DAY_LABEL,
    ID_SC_DAY,
    ID_SC_TIME_LABEL,
    ID_SC_TIME,
    ID_SC_OK = IDOK,          // Enter
    ID_SC_CANCEL = IDCANCEL,  // Esc
};

class FrmSchedule : public win::Form, public win::ModalWindow {
public:
    // Made hidden, owned by `owner`, made anew for each question.
    bool create(HWND owner);
    HWND hwnd() const override { return Form::hwnd(); }

    win::Window optKind[4], cboDay, dtpTime, cmdOK, cmdCancel;

    // What the controls show, and showing one.
    core::Schedule chosen() const;
    void show(const core::Schedule& s);

    // Shows the window modally (through the prompt funnel) at `current`: the schedule
    // confirmed with OK, nullopt when the window was left without it.
    std::optional<core::Schedule> ask(HWND owner, const core::Schedule& current);

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;
    void onCommand(int id, int code) override;

private:
    void enableFields();
    std::optional<core::Schedule> choice_;
};

}  // namespace ui

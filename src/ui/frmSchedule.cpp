// The schedule window: its controls and message routing.
#include "ui/frmSchedule.h"

#include <commctrl.h>

#include "win/prompt.h"

namespace ui {
namespace {

constexpr wchar_t kClass[] = L"OstrevinSchedule";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr core::ScheduleKind kKinds[] = {core::ScheduleKind::Off, core::ScheduleKind::Daily, core::ScheduleKind::Weekly,
                                         core::ScheduleKind::AtLogon};

}  // namespace

bool FrmSchedule::create(HWND owner) {
    INITCOMMONCONTROLSEX date_class{sizeof date_class, ICC_DATE_CLASSES};
    if (!InitCommonControlsEx(&date_class)) return false;
    if (!makeWindow(kClass, L"SCHEDULE", kStyle, kExStyle, owner, nullptr, 4560, 1860)) return false;
    auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int l, int t, int w, int h) {
        return win::Window(addControl(cls, text, WS_VISIBLE | style, id, l, t, w, h));
    };
    // Tab order is creation order; the four choices are one group the arrow keys move in.
    const DWORD radio = BS_AUTORADIOBUTTON;
    optKind[0] = add(L"BUTTON", L"&Off", radio | WS_GROUP | WS_TABSTOP, ID_SC_OFF, 120, 120, 1800, 285);
    optKind[1] = add(L"BUTTON", L"&Daily", radio, ID_SC_DAILY, 120, 480, 1800, 285);
    optKind[2] = add(L"BUTTON", L"&Weekly", radio, ID_SC_WEEKLY, 120, 840, 1800, 285);
    optKind[3] = add(L"BUTTON", L"At &logon", radio, ID_SC_LOGON, 120, 1200, 1800, 285);
    const bool labels = add(L"STATIC", L"Da&y:", WS_GROUP, ID_SC_DAY_LABEL, 2040, 510, 720, 285) &&
                        add(L"STATIC", L"&Time:", 0, ID_SC_TIME_LABEL, 2040, 870, 720, 285);
    cboDay = add(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ID_SC_DAY, 2760, 450, 1680, 315 * 8);
    dtpTime = add(DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN, ID_SC_TIME, 2760, 810, 1680, 330);
    cmdOK = add(L"BUTTON", L"OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, ID_SC_OK, 2040, 1380, 1140, 375);
    cmdCancel = add(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, ID_SC_CANCEL, 3300, 1380, 1140, 375);
    for (const win::Window& c : optKind)
        if (!c) return false;
    if (!labels || !cboDay || !dtpTime || !cmdOK || !cmdCancel) return false;
    for (int d = 0; d < 7; ++d) {
        const std::wstring name(core::day_name(d));
        if (cboDay.send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str())) < 0) return false;
    }
    // The user's own short time, without seconds; the control's default has them.
    wchar_t format[80];
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTTIME, format, static_cast<int>(std::size(format))))
        dtpTime.send(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
    centreOver(owner);
    return true;
}

core::Schedule FrmSchedule::chosen() const {
    core::Schedule s;
    for (std::size_t i = 0; i < std::size(optKind); ++i)
        if (optKind[i].send(BM_GETCHECK) == BST_CHECKED) s.kind = kKinds[i];
    if (s.kind == core::ScheduleKind::Off || s.kind == core::ScheduleKind::AtLogon) return s;
    SYSTEMTIME t{};
    if (dtpTime.send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID) {
        s.hour = t.wHour;
        s.minute = t.wMinute;
    }
    const LRESULT day = cboDay.send(CB_GETCURSEL);
    if (s.kind == core::ScheduleKind::Weekly) s.weekday = day >= 0 && day < 7 ? static_cast<int>(day) : 1;
    return s;
}

void FrmSchedule::show(const core::Schedule& s) {
    for (std::size_t i = 0; i < std::size(optKind); ++i)
        optKind[i].send(BM_SETCHECK, kKinds[i] == s.kind ? BST_CHECKED : BST_UNCHECKED);
    cboDay.send(CB_SETCURSEL, static_cast<WPARAM>(s.weekday));
    SYSTEMTIME t{};
    GetLocalTime(&t);  // any valid date: only the time is shown
    t.wHour = static_cast<WORD>(s.hour);
    t.wMinute = static_cast<WORD>(s.minute);
    t.wSecond = t.wMilliseconds = 0;
    dtpTime.send(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
    enableFields();
}

void FrmSchedule::enableFields() {
    const core::ScheduleKind kind = chosen().kind;
    cboDay.enable(kind == core::ScheduleKind::Weekly);
    dtpTime.enable(kind == core::ScheduleKind::Daily || kind == core::ScheduleKind::Weekly);
}

std::optional<core::Schedule> FrmSchedule::ask(HWND owner, const core::Schedule& current) {
    choice_.reset();
    // A new clock schedule starts at 21:00 on Mondays rather than at midnight on Sundays.
    show(current.kind == core::ScheduleKind::Daily || current.kind == core::ScheduleKind::Weekly
             ? current
             : core::Schedule{current.kind, 1, 21, 0});
    win::show_modal(*this, owner);
    return choice_;
}

void FrmSchedule::onCommand(int id, int code) {
    if (id == ID_SC_OK) choice_ = chosen();
    if (id == ID_SC_OK || id == ID_SC_CANCEL) window().show(false);
    else if (code == BN_CLICKED) enableFields();  // one of the choices
}

LRESULT FrmSchedule::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_CLOSE:
            window().show(false);  // as Cancel
            return 0;
        case WM_ACTIVATE:
            keepFocus(w, optKind[static_cast<int>(chosen().kind)].hwnd());
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(ID_SC_OK, DC_HASDEFID);
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui

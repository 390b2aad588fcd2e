#pragma once
// The main window: folder entry, the job list, the run options and the menus.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/run_log.h"
#include "core/schedule.h"
#include "jobs/job_list.h"
#include "run/drive_check.h"
#include "run/run_thread.h"
#include "win/form.h"
#include "win/handles.h"

namespace ui {

class FrmBrowser;
class FrmDriveSelect;

enum MainId : int {
    ID_LABEL_SOURCE = 100,
    ID_CMD_SOURCE,
    ID_TXT_SOURCE,
    ID_LABEL_DEST,
    ID_CMD_DEST,
    ID_TXT_DEST,
    ID_CMD_ADDJOB,
    ID_CMD_RUN,
    ID_LABEL2,
    ID_LBL_BUDATE,
    ID_CHK_EMPTY,
    ID_CHK_REMOVE,
    ID_CHK_EXIT,
    ID_PRG_RUN,
    ID_LBL_PROGRESS,
    ID_CMD_STOP,
    ID_LBL_NEXTRUN,
    ID_LABEL_EXCEPT,
    ID_TXT_EXCEPT,
    ID_LBL_WARNING,
    ID_CHK_KEEP,
    ID_ROW_TEXT = 200,    // + row index
    ID_ROW_DELETE = 300,  // + row index
    ID_MENU_NEW = 1001,
    ID_MENU_OPEN,
    ID_MENU_SAVE,
    ID_MENU_SAVEAS,
    ID_MENU_PRINT,
    ID_MENU_SETDEFAULT,
    ID_MENU_EXIT,
    ID_MENU_ABOUT,
    ID_MENU_SCHEDULE,
    ID_MENU_HISTORY,
    ID_MENU_RESTORE,
    ID_TIMER1 = 1,
};

// Layout in twips. The "Leave out" box takes a line of its own under the folder
// boxes; everything below it, the job rows too, sits that much lower.
inline constexpr int kExceptBand = 480;
inline constexpr int kClientWidth = 9885;
inline constexpr int kClientHeight = 2175 + kExceptBand;
inline constexpr int kRowLeft = 120, kRowTop = 1680 + kExceptBand, kRowWidth = 9135, kRowHeight = 390;
inline constexpr int kDeleteLeft = 9360, kDeleteSize = 375;
inline constexpr int kRowPitch = 480;
// The date label above the rows, and where it goes when the next run or a warning
// takes its line: up and to the right, shorter.
struct Spot {
    int left, top, width, height;
};
inline constexpr Spot kDateSpot{4980, kExceptBand + 1800, 4755, 285}, kDateSpotRaised{6120, kExceptBand + 1530, 3615, 270};

class FrmMain : public win::Form {
public:
    FrmMain();
    ~FrmMain() override;

    // Creates the window and its controls and runs the load steps; shows it when asked.
    bool create(bool show);

    // Controls
    win::Window Label1[2], cmdSource, txtSource, cmdDest, txtDest, cmdAddJob, cmdRun, Label2, lblBUDateDisplay,
        chkEmpty, chkRemove, chkExit;
    win::Window chkKeep;  // what a run replaces or removes goes aside first, by date
    win::Window lblExcept, txtExcept;  // what the job leaves out, patterns between ";"
    // Shown in place of the buttons and options while a run goes on.
    win::Window prgRun, lblProgress, cmdStop;
    win::Window lblNextRun;      // under the date label while the job file has a schedule
    // In its place, in a warning colour, while the job file's last run did not
    // complete or its last complete backup is overdue.
    win::Window lblWarning;
    jobs::JobDocument document;  // the jobs, their file, changed, the default tick
    jobs::JobList jobList;       // the rows txtActionDisplay(i) and cmdDeleteJob(i) show it
    HMENU menuBar = nullptr, menuFile = nullptr;

    // Menu state, read back from the menu itself.
    bool menuEnabled(int id) const;
    bool menuChecked(int id) const;

    // The title and every File command's state, derived from the document and the
    // run; called whenever either changes.
    void UpdateTitle();
    bool Form_QueryUnload();  // false: the close was cancelled
    void Form_Unload();
    void MenuFileExit_Click();
    void MenuFileSetDefault_Click();
    void MenuAbout_Click();
    // Asks to close (as the close box does); true when the window is gone.
    bool requestClose();

    // One message of the program's loop: shortcuts, dialog keys, then the window.
    void dispatch(MSG& msg);

    // Called once the window is destroyed (the program's main loop ends there).
    std::function<void()> on_destroyed;

    // Jobs: editing, files
    void cmdAddJob_Click();
    void txtActionDisplay_Click(int i);
    void cmdDeleteJob_Click(int i);
    void LoadJobFile();
    bool SaveJobFile();
    void MenuFileNew_Click();
    void MenuFileOpen_Click();
    void MenuFileSave_Click();
    void MenuFileSaveAs_Click();
    void showBackupDate(const wchar_t* found_prefix);
    // File > Schedule: the job file's task in the Task Scheduler, and its next run.
    void MenuFileSchedule_Click();
    void showNextRun();
    // The history of runs: told at the start, a run's line, the end of the session.
    void tellMissedRuns();
    std::wstring warningText() const;
    void MenuFileHistory_Click();
    // File > Restore: the jobs' backups and kept copies, and getting files back from them.
    void MenuFileRestore_Click();
    core::ScheduleKind scheduleKind() const;

    // Folder entry
    void validateFolderBox(win::Window box, win::Window partner);
    void txtSource_LostFocus() { validateFolderBox(txtSource, txtDest); }
    void cmdSource_LostFocus() { validateFolderBox(txtSource, txtDest); }
    void txtDest_LostFocus() { validateFolderBox(txtDest, txtSource); }
    void cmdDest_LostFocus() { validateFolderBox(txtDest, txtSource); }
    void txtDest_KeyPress(wchar_t key);
    void txtSource_KeyPress(wchar_t key);

    // Browsing, the run, the drive check, the Program Files list
    void cmdSource_Click();
    void cmdDest_Click();
    void cmdRun_Click();
    void cmdStop_Click();
    void MenuFilePrint_Click();
    void Timer1_Timer();

    // The hidden windows made with this one and discarded with it.
    std::unique_ptr<FrmBrowser> frmBrowser;
    std::unique_ptr<FrmDriveSelect> frmDriveSelect;
    bool drive_check_running = false;  // a tick during the check's own questions is skipped

    // True while a backup run goes on: the file commands and row deletes are greyed,
    // and closing asks to stop the run first.
    bool run_in_progress = false;

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;

private:
    void createControls();
    void dressControls();
    void attachDocument();
    void createMenu();
    void Form_Load();
    void onCommand(int id, int code) override;
    bool askToStopRun();
    void showRun(bool on);
    void onRunMessage(UINT msg);
    void runEnded(const run::Outcome& outcome);
    win::Status recordRun(const run::Outcome& outcome);
    win::Status addRunLine(const run::Outcome& outcome);
    void endRunForSession();
    jobs::RowControls makeRow(int n);
    void fitRows(int count);
    bool saveUnder(const std::wstring& name);
    std::optional<run::DriveChoice> askDrive();
    static LRESULT CALLBACK boxProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref);
    void createAuxiliaryWindows();
    void destroyAuxiliaryWindows();
    int design_outer_height_twips_ = 0;
    HWND tooltip_ = nullptr;
    win::Accelerators accelerators_;
    win::Icon browse_icon_;  // the BROWSE buttons' folder icon
    HFONT row_font_ = nullptr;
    bool first_drive_check_ = true;           // the first check tells about a missing drive, then slows down
    bool drive_window_failure_told_ = false;  // once is enough: the next check would fail alike
    bool stop_wanted_ = false;                // STOP, or a close, during a run
    bool close_after_run_ = false;
    run::RunThread run_;
    std::wstring run_job_file_;  // the job file whose date a completed run records
    std::wstring run_name_;      // the run's log name, which pairs its history lines
    win::Handle run_going_;      // held from its start line to its end line
    win::Status run_started_;    // its start line written
};

}  // namespace ui

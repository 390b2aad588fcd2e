#pragma once
// File > Restore...: the files the job file's backups hold and kept, as of a moment
// chosen; every copy of one file; a file or folder restored to its place or elsewhere.
#include <windows.h>
#include <commctrl.h>

#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/jobrow.h"
#include "run/restore.h"
#include "win/form.h"
#include "win/handles.h"
#include "win/modal.h"

namespace ui {

enum RestoreId : int {
    ID_RS_LABEL_ASOF = 100,
    ID_RS_ASOF,
    ID_RS_LABEL_FILES,
    ID_RS_TREE,
    ID_RS_LABEL_COPIES,
    ID_RS_COPIES,
    ID_RS_OPEN,
    ID_RS_PROGRESS,
    ID_RS_LINE,
    ID_RS_RESTORE,
    ID_RS_STOP,
    ID_RS_TO = IDOK,         // Enter
    ID_RS_CLOSE = IDCANCEL,  // Esc
};

// Posted by the restore's worker: news of its progress, and its end.
inline constexpr UINT WM_RESTORE_PROGRESS = WM_APP + 30;
inline constexpr UINT WM_RESTORE_ENDED = WM_APP + 31;

class FrmRestore : public win::Form, public win::ModalWindow {
public:
    FrmRestore() = default;
    ~FrmRestore() override;
    // Made hidden, owned by `owner`, with what the jobs' destinations hold; a backup
    // that could not be read is named in `failed`, and the others show.
    bool create(HWND owner, const std::vector<core::JobFolders>& jobs, std::optional<win::Failure>& failed);
    HWND hwnd() const override { return Form::hwnd(); }
    void show(HWND owner);

    win::Window lblAsOf, cboAsOf, lblFiles, tvwFiles, lblCopies, lvwCopies, cmdOpen, prgRestore, lblProgress,
        cmdRestoreTo, cmdRestore, cmdStop, cmdClose;

    void cboAsOf_Click();   // the tree as of the moment chosen
    void tvwFiles_Click();  // the selected file's copies
    void cmdOpen_Click();   // the selected copy, read-only
    void cmdRestoreTo_Click();
    void cmdRestore_Click();
    void cmdStop_Click();

    // Selects the item of a path in a source, opening the folders on the way; false when not shown.
    bool select(const std::wstring& path);
    // The files the tree shows, full paths in the sources, opening every folder.
    std::vector<std::wstring> shown();
    // A row of the copies list, its columns joined by tabs.
    std::wstring copy(int row) const;
    bool restoring() const { return static_cast<bool>(worker_); }

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;
    void onCommand(int id, int code) override;

private:
    struct Node {
        size_t job;
        std::wstring path;  // as the holdings name it: "<backup folder>\..."
        bool folder;
        bool filled;
    };
    void createControls();
    void fill(HTREEITEM parent, size_t node);
    const Node* selected() const;
    std::optional<std::wstring> moment() const;  // as the executor takes it
    void start(const std::wstring& to, bool replace_newer);
    void ended();
    void showBusy(bool on);
    static DWORD WINAPI work(void* self);

    std::vector<run::Holdings> jobs_;
    std::vector<core::JobFolders> folders_;
    std::vector<std::wstring> moments_;                          // the runs' dated names, newest first
    std::vector<std::vector<std::wstring>> files_;               // each job's files as of the moment chosen, sorted
    std::vector<Node> nodes_;                                    // the tree's items, by their lParam
    std::vector<std::pair<std::wstring, std::wstring>> copies_;  // listed: where each lies, its run or ""
    run::RestoreRequest request_;
    run::Restored result_;
    win::Handle worker_, stop_;
    std::mutex mutex_;  // guards what follows, written by the worker
    std::wstring line_;
    size_t done_ = 0, total_ = 0;
    bool posted_ = false;
    bool close_after_ = false;
};

}  // namespace ui

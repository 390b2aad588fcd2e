// The restore window: the sources' files as of a moment, a file's copies, and a
// restore on a worker of its own that the window follows and can stop.
#include "ui/frmRestore.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "core/versions.h"
#include "run/versions.h"
#include "win/dpi.h"
#include "win/list_view.h"
#include "win/local_time.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr wchar_t kClass[] = L"OstrevinRestore";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kNewest = 0, kNow = 1;  // the first two choices of "As of"; the runs follow

// A dated name ("2026-12-07 21-00-05") as people write a time.
std::wstring readable(std::wstring dated) {
    if (dated.size() == 19) dated[13] = dated[16] = L':';
    return dated;
}

std::wstring leaf_of(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

bool less_upper(const std::wstring& a, const std::wstring& b) { return core::to_upper(a) < core::to_upper(b); }

// The files a job's destination held at the moment chosen, sorted as the tree reads them.
std::vector<std::wstring> files_at(const run::Holdings& h, int choice, const std::vector<std::wstring>& moments) {
    std::vector<std::wstring> files;
    if (choice == kNewest) {
        files = h.files;
        for (const core::RunRecord& r : h.runs) files.insert(files.end(), r.kept.begin(), r.kept.end());
    } else {
        const auto at = choice == kNow ? std::nullopt : std::optional(moments[static_cast<size_t>(choice - 2)]);
        for (core::RestoreFile& f : core::files_as_of(h.runs, h.files, h.backup, at))
            files.push_back(std::move(f.path));
    }
    std::vector<std::pair<std::wstring, std::wstring>> keyed;  // upper-cased once, not at every comparison
    keyed.reserve(files.size());
    for (std::wstring& f : files) keyed.emplace_back(core::to_upper(f), std::move(f));
    std::sort(keyed.begin(), keyed.end());
    keyed.erase(std::unique(keyed.begin(), keyed.end(), [](auto& a, auto& b) { return a.first == b.first; }),
                keyed.end());
    files.clear();
    for (auto& k : keyed) files.push_back(std::move(k.second));
    return files;
}

LPARAM item_param(HWND tree, HTREEITEM item) {
    TVITEMW t{};
    t.mask = TVIF_PARAM;
    t.hItem = item;
    return TreeView_GetItem(tree, &t) ? t.lParam : -1;
}

}  // namespace

FrmRestore::~FrmRestore() {
    if (!worker_) return;
    SetEvent(stop_.get());
    WaitForSingleObject(worker_.get(), INFINITE);
}

bool FrmRestore::create(HWND owner, const std::vector<core::JobFolders>& jobs, std::optional<win::Failure>& failed) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&classes)) return false;
    if (!makeWindow(kClass, L"Restore", kStyle, kExStyle, owner, nullptr, 12600, 6600)) return false;
    createControls();
    for (HWND c : {cboAsOf.hwnd(), tvwFiles.hwnd(), lvwCopies.hwnd(), cmdOpen.hwnd(), prgRestore.hwnd(),
                   lblProgress.hwnd(), cmdRestoreTo.hwnd(), cmdRestore.hwnd(), cmdStop.hwnd(), cmdClose.hwnd()})
        if (!c) return false;
    folders_ = jobs;
    std::vector<std::wstring> moments;
    for (const core::JobFolders& j : jobs) {
        std::optional<win::Failure> f;
        auto h = run::read_holdings(j, f);
        if (f && !failed) failed = f;  // the first is told; the jobs that read show
        if (!h || f) continue;
        for (const core::RunRecord& r : h->runs) moments.push_back(r.name);
        jobs_.push_back(std::move(*h));
    }
    std::sort(moments.rbegin(), moments.rend());
    moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
    moments_ = std::move(moments);
    for (const std::wstring& choice : {std::wstring(L"Newest copies"), std::wstring(L"Now")})
        cboAsOf.send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    for (const std::wstring& m : moments_) cboAsOf.send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(readable(m).c_str()));
    cboAsOf.send(CB_SETCURSEL, kNewest);
    cboAsOf_Click();
    centreOver(owner);
    return true;
}

void FrmRestore::createControls() {
    const DWORD label = WS_VISIBLE | SS_LEFT;
    const DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    lblAsOf = win::Window(addControl(L"STATIC", L"&As of:", label, ID_RS_LABEL_ASOF, 120, 165, 720, 285));
    cboAsOf = win::Window(addControl(WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                     ID_RS_ASOF, 840, 120, 3000, 3600));
    lblFiles = win::Window(addControl(L"STATIC", L"&Files", label, ID_RS_LABEL_FILES, 120, 540, 5160, 285));
    tvwFiles = win::Window(
        addControl(WC_TREEVIEWW, L"",
                   WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                   ID_RS_TREE, 120, 840, 5160, 4500, WS_EX_CLIENTEDGE));
    lblCopies = win::Window(
        addControl(L"STATIC", L"&Copies of the selected file", label, ID_RS_LABEL_COPIES, 5400, 540, 7080, 285));
    lvwCopies = win::Window(addControl(WC_LISTVIEWW, L"",
                                       WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                       ID_RS_COPIES, 5400, 840, 7080, 4020, WS_EX_CLIENTEDGE));
    cmdOpen = win::Window(addControl(L"BUTTON", L"&Open", button | WS_DISABLED, ID_RS_OPEN, 11340, 4965, 1140, 375));
    prgRestore = win::Window(addControl(PROGRESS_CLASSW, L"", PBS_SMOOTH, ID_RS_PROGRESS, 120, 5460, 12360, 240));
    lblProgress = win::Window(addControl(L"STATIC", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
                                         ID_RS_LINE, 120, 5760, 12360, 255));
    cmdRestoreTo = win::Window(addControl(L"BUTTON", L"Restore &To...", button | BS_DEFPUSHBUTTON | WS_DISABLED,
                                          ID_RS_TO, 7560, 6105, 1620, 375));
    cmdRestore =
        win::Window(addControl(L"BUTTON", L"&Restore", button | WS_DISABLED, ID_RS_RESTORE, 9300, 6105, 1620, 375));
    cmdStop =
        win::Window(addControl(L"BUTTON", L"STOP", WS_TABSTOP | BS_PUSHBUTTON, ID_RS_STOP, 9300, 6105, 1620, 375));
    cmdClose = win::Window(addControl(L"BUTTON", L"Close", button, ID_RS_CLOSE, 11040, 6105, 1440, 375));
    lvwCopies.send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const std::pair<const wchar_t*, int> columns[] = {{L"Copy", 3300}, {L"Size", 1050}, {L"Last written", 2250}};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = win::px(columns[i].second);
        c.pszText = const_cast<wchar_t*>(columns[i].first);
        lvwCopies.send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c));
    }
}

void FrmRestore::show(HWND owner) {
    tvwFiles.focus();
    win::show_modal(*this, owner);
}

void FrmRestore::cboAsOf_Click() {
    const auto choice = static_cast<int>(cboAsOf.send(CB_GETCURSEL));
    if (choice < 0) return;
    TreeView_DeleteAllItems(tvwFiles.hwnd());
    nodes_.clear();
    files_.clear();
    for (size_t j = 0; j < jobs_.size(); ++j) {
        files_.push_back(files_at(jobs_[j], choice, moments_));
        nodes_.push_back({j, jobs_[j].backup, true, false});
        TVINSERTSTRUCTW in{};
        in.hParent = TVI_ROOT;
        in.hInsertAfter = TVI_LAST;
        in.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
        in.item.pszText = jobs_[j].source.data();
        in.item.cChildren = files_.back().empty() ? 0 : 1;
        in.item.lParam = static_cast<LPARAM>(nodes_.size() - 1);
        TreeView_InsertItem(tvwFiles.hwnd(), &in);
    }
    tvwFiles_Click();
}

// A folder's items are made when it first opens: a large backup shows at once.
void FrmRestore::fill(HTREEITEM parent, size_t node) {
    if (nodes_[node].filled) return;
    nodes_[node].filled = true;
    const size_t job = nodes_[node].job;
    const std::wstring prefix = nodes_[node].path + L"\\";
    const std::vector<std::wstring>& files = files_[job];
    auto at = std::lower_bound(files.begin(), files.end(), prefix, less_upper);
    std::vector<std::pair<std::wstring, bool>> children;  // a name and whether it is a folder
    for (; at != files.end() && core::path_below(*at, nodes_[node].path); ++at) {
        const std::wstring rest = at->substr(prefix.size());
        const size_t cut = rest.find(L'\\');
        std::pair<std::wstring, bool> child{rest.substr(0, cut), cut != std::wstring::npos};
        if (children.empty() || children.back() != child) children.push_back(std::move(child));
    }
    std::stable_partition(children.begin(), children.end(), [](const auto& c) { return c.second; });
    for (auto& [name, folder] : children) {
        nodes_.push_back({job, prefix + name, folder, false});
        TVINSERTSTRUCTW in{};
        in.hParent = parent;
        in.hInsertAfter = TVI_LAST;
        in.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
        in.item.pszText = name.data();
        in.item.cChildren = folder ? 1 : 0;
        in.item.lParam = static_cast<LPARAM>(nodes_.size() - 1);
        TreeView_InsertItem(tvwFiles.hwnd(), &in);
    }
}

const FrmRestore::Node* FrmRestore::selected() const {
    const HTREEITEM item = TreeView_GetSelection(tvwFiles.hwnd());
    const LPARAM n = item ? item_param(tvwFiles.hwnd(), item) : -1;
    return n >= 0 && static_cast<size_t>(n) < nodes_.size() ? &nodes_[static_cast<size_t>(n)] : nullptr;
}

void FrmRestore::tvwFiles_Click() {
    lvwCopies.send(LVM_DELETEALLITEMS);
    copies_.clear();
    const Node* node = selected();
    cmdRestoreTo.enable(node && !restoring());
    cmdRestore.enable(node && !restoring());
    if (node && !node->folder) {
        const run::Holdings& h = jobs_[node->job];
        for (const std::wstring& run : core::copies_of(h.runs, h.files, node->path)) {
            copies_.emplace_back(run::copy_path(h, {node->path, run}), run);
            WIN32_FILE_ATTRIBUTE_DATA d{};
            const bool read =
                GetFileAttributesExW(run::exact_path(copies_.back().first).c_str(), GetFileExInfoStandard, &d);
            const std::uint64_t size = (std::uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
            std::wstring texts[] = {run.empty() ? L"In the backup now" : L"Kept by the run of " + readable(run),
                                    read ? std::to_wstring(size) + L" bytes" : L"(cannot be read)",
                                    read ? win::local_stamp_of((std::uint64_t{d.ftLastWriteTime.dwHighDateTime} << 32) |
                                                               d.ftLastWriteTime.dwLowDateTime)
                                         : L""};
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(copies_.size() - 1);
            item.pszText = texts[0].data();
            const auto row = lvwCopies.send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (int column = 1; row >= 0 && column < 3; ++column) {
                LVITEMW sub{};
                sub.iSubItem = column;
                sub.pszText = texts[column].data();
                lvwCopies.send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
            }
        }
        LVITEMW first{};
        first.stateMask = first.state = LVIS_SELECTED | LVIS_FOCUSED;
        lvwCopies.send(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
    }
    cmdOpen.enable(!copies_.empty() && !restoring());
}

// The copy goes to a read-only file of its own in the temp folder: the viewer can
// never write into the backup.
void FrmRestore::cmdOpen_Click() {
    const auto row = lvwCopies.send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0 || static_cast<size_t>(row) >= copies_.size()) return;
    const auto& [from, run] = copies_[static_cast<size_t>(row)];
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp, n > MAX_PATH ? 0 : n) + L"Ostrevin copies";
    const std::wstring leaf = leaf_of(from);
    const std::wstring dot = leaf.find(L'.') == std::wstring::npos ? L"" : leaf.substr(leaf.rfind(L'.'));
    const std::wstring to =
        folder + L"\\" + leaf.substr(0, leaf.size() - dot.size()) + L" (" + (run.empty() ? L"now" : run) + L")" + dot;
    DWORD code = 0;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) code = GetLastError();
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);  // an earlier look at this copy, ours to replace
    if (!code && !CopyFileW(run::exact_path(from).c_str(), to.c_str(), FALSE)) code = GetLastError();
    if (!code && !SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_READONLY)) code = GetLastError();
    if (!code) {
        const auto opened =
            reinterpret_cast<INT_PTR>(ShellExecuteW(hwnd(), L"open", to.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (opened > 32) return;
        code = opened == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : static_cast<DWORD>(opened);
    }
    win::tell_failure(hwnd(), L"COPY NOT OPENED", {L"copy", from, L"opened", code},
                      L"Please restore it to a folder with Restore To... and open it there.");
}

std::optional<std::wstring> FrmRestore::moment() const {
    const auto choice = static_cast<int>(cboAsOf.send(CB_GETCURSEL));
    if (choice <= kNewest) return std::nullopt;
    return choice == kNow ? std::wstring() : moments_[static_cast<size_t>(choice - 2)];
}

void FrmRestore::cmdRestoreTo_Click() {
    const Node* node = selected();
    if (!node || restoring()) return;
    const std::wstring& source = jobs_[node->job].source;
    const auto m = moment();
    const std::wstring date = m && !m->empty() ? *m : core::dated_folder_name(win::local_stamp());
    const std::wstring to = win::file_dialog({.owner = hwnd(),
                                              .save = true,
                                              .title = L"Restore To",
                                              .filter = L"Folders|*.",
                                              .initial_folder = source.substr(0, source.rfind(L'\\')),
                                              .initial_name = L"Restored " + date});
    if (to.empty()) return;
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        win::tell_failure(hwnd(), L"NOT RESTORED", {L"folder", to, L"made", GetLastError()},
                          L"Please choose another folder.");
        return;
    }
    start(to, false);
}

void FrmRestore::cmdRestore_Click() {
    if (selected() && !restoring()) start(L"", false);
}

void FrmRestore::cmdStop_Click() {
    if (!restoring()) return;
    SetEvent(stop_.get());
    cmdStop.setText(L"STOPPING");
    cmdStop.enable(false);
}

void FrmRestore::start(const std::wstring& to, bool replace_newer) {
    const Node* node = selected();
    if (!node) return;
    const run::Holdings& h = jobs_[node->job];
    const std::wstring below = *core::path_below(node->path, h.backup);
    stop_ = win::Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HWND self = hwnd();
    request_ = {folders_,
                below.empty() ? h.source : h.source + L"\\" + below,
                moment(),
                to,
                replace_newer,
                [this, self](size_t done, size_t total, const std::wstring& file) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    line_ = L"Restoring " + std::to_wstring(done + 1) + L" of " + std::to_wstring(total) + L": " + file;
                    done_ = done;
                    total_ = total;
                    if (!std::exchange(posted_, true)) PostMessageW(self, WM_RESTORE_PROGRESS, 0, 0);
                },
                stop_.get()};
    if (stop_) worker_ = win::Handle(CreateThread(nullptr, 0, &FrmRestore::work, this, 0, nullptr));
    if (!worker_) {
        win::tell_failure(hwnd(), L"NOT RESTORED", {L"restore", L"", L"started", GetLastError()},
                          L"Nothing was restored; please close some programs and try again.");
        return;
    }
    showBusy(true);
}

DWORD WINAPI FrmRestore::work(void* self) {
    auto& form = *static_cast<FrmRestore*>(self);
    form.result_ = run::restore(form.request_);
    // The end must arrive: a full queue empties soon.
    for (int tries = 0; !PostMessageW(form.hwnd(), WM_RESTORE_ENDED, 0, 0) && tries < 100; ++tries) Sleep(50);
    return 0;
}

void FrmRestore::ended() {
    if (!worker_) return;
    WaitForSingleObject(worker_.get(), INFINITE);
    worker_ = win::Handle();
    showBusy(false);
    const run::Restored r = std::move(result_);
    if (!r.newer.empty() && !request_.replace_newer && !close_after_) {
        std::wstring list;
        for (const std::wstring& f : r.newer) list += L"\r\n    " + f;
        const int answer = win::say(hwnd(), {win::Severity::Question, L"NEWER FILES",
                                             L"These files are newer than the copies to restore, and the backup does "
                                             L"not hold them as they are:" +
                                                 list + core::kTwoCr +
                                                 L"Do you want to replace them? What they hold now is kept in the "
                                                 L"versions folder first.",
                                             win::Buttons::YesNo, true});
        if (answer == IDYES) start(request_.to, true);
        return;
    }
    using K = run::Restored::Kind;
    win::say(hwnd(), {r.kind == K::Done ? win::Severity::Information : win::Severity::Error,
                      r.kind == K::Done ? L"RESTORED" : L"NOT RESTORED", r.text});
    if (std::exchange(close_after_, false)) window().show(false);
}

// While a restore goes on: its progress and STOP where Restore was, the rest greyed.
void FrmRestore::showBusy(bool on) {
    for (win::Window* w : {&cboAsOf, &tvwFiles, &lvwCopies}) w->enable(!on);
    cmdStop.setText(L"STOP");
    cmdStop.enable(on);
    cmdStop.show(on);
    cmdRestore.show(!on);
    prgRestore.show(on);
    prgRestore.send(PBM_SETPOS, 0);
    lblProgress.setText(on ? L"Reading the backup" : L"");
    tvwFiles_Click();  // the buttons follow
    (on ? cmdStop : tvwFiles).focus();
}

bool FrmRestore::select(const std::wstring& path) {
    const HWND tree = tvwFiles.hwnd();
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
        const auto below =
            core::path_below(path, jobs_[nodes_[static_cast<size_t>(item_param(tree, item))].job].source);
        if (!below) continue;
        for (size_t from = 0; item && !below->empty() && from <= below->size();) {
            const size_t end = std::min(below->find(L'\\', from), below->size());
            const std::wstring name = core::to_upper(below->substr(from, end - from));
            fill(item, static_cast<size_t>(item_param(tree, item)));
            TreeView_Expand(tree, item, TVE_EXPAND);
            HTREEITEM child = TreeView_GetChild(tree, item);
            for (; child; child = TreeView_GetNextSibling(tree, child))
                if (core::to_upper(leaf_of(nodes_[static_cast<size_t>(item_param(tree, child))].path)) == name) break;
            item = child;
            from = end + 1;
        }
        return item && TreeView_SelectItem(tree, item);
    }
    return false;
}

std::vector<std::wstring> FrmRestore::shown() {
    std::vector<std::wstring> files;
    const HWND tree = tvwFiles.hwnd();
    std::vector<HTREEITEM> open;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
        open.push_back(item);
    while (!open.empty()) {
        const HTREEITEM item = open.back();
        open.pop_back();
        const size_t n = static_cast<size_t>(item_param(tree, item));
        const Node node = nodes_[n];
        if (!node.folder) {
            files.push_back(jobs_[node.job].source + L"\\" + *core::path_below(node.path, jobs_[node.job].backup));
            continue;
        }
        fill(item, n);
        for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c)) open.push_back(c);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring FrmRestore::copy(int row) const {
    std::wstring text;
    for (int column = 0; column < 3; ++column) text += (column ? L"\t" : L"") + win::list_cell(lvwCopies, row, column);
    return text;
}

void FrmRestore::onCommand(int id, int code) {
    if (id == ID_RS_ASOF && code == CBN_SELCHANGE) cboAsOf_Click();
    if (code != BN_CLICKED) return;
    if (id == ID_RS_TO) cmdRestoreTo_Click();
    if (id == ID_RS_RESTORE) cmdRestore_Click();
    if (id == ID_RS_OPEN) cmdOpen_Click();
    if (id == ID_RS_STOP) cmdStop_Click();
    if (id == ID_RS_CLOSE) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

LRESULT FrmRestore::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_NOTIFY: {
            const auto* n = reinterpret_cast<const NMHDR*>(l);
            if (n->idFrom == ID_RS_TREE && n->code == TVN_SELCHANGEDW) tvwFiles_Click();
            if (n->idFrom == ID_RS_TREE && n->code == TVN_ITEMEXPANDINGW) {
                const auto* t = reinterpret_cast<const NMTREEVIEWW*>(l);
                if (t->action & TVE_EXPAND) fill(t->itemNew.hItem, static_cast<size_t>(t->itemNew.lParam));
            }
            if (n->idFrom == ID_RS_COPIES && (n->code == NM_DBLCLK || n->code == NM_RETURN)) cmdOpen_Click();
            return 0;
        }
        case WM_RESTORE_PROGRESS: {
            std::lock_guard<std::mutex> lock(mutex_);
            posted_ = false;
            prgRestore.send(PBM_SETRANGE32, 0, static_cast<LPARAM>(total_));
            prgRestore.send(PBM_SETPOS, done_);
            lblProgress.setText(line_);
            return 0;
        }
        case WM_RESTORE_ENDED:
            ended();
            return 0;
        case WM_CLOSE:
            // A restore stops between two files; its end tells what it did, then the window goes.
            if (restoring()) {
                close_after_ = true;
                cmdStop_Click();
            } else {
                window().show(false);
            }
            return 0;
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui

#include "run/backup_run.h"

#include <algorithm>

#include "core/batch_script.h"
#include "core/path_match.h"
#include "core/run_verdict.h"
#include "core/text.h"
#include "folders/path_exists.h"
#include "run/log_watch.h"
#include "run/program_files.h"
#include "run/script_run.h"
#include "core/versions.h"
#include "win/errors.h"
#include "win/local_time.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace run {
namespace {

std::wstring temp_folder() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::wstring t = n ? std::wstring(buf, n) : std::wstring(L".\\");
    while (t.size() > 3 && t.back() == L'\\') t.pop_back();
    return t;
}

// The folder's name as the command interpreter can hold it in the script: as it
// stands, or its short 8.3 form; empty when neither will do.
std::wstring console_safe(const std::wstring& folder) {
    if (win::representable(folder, CP_OEMCP)) return folder;
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetShortPathNameW(folder.c_str(), buf, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    std::wstring s(buf, n);
    return win::representable(s, CP_OEMCP) ? s : std::wstring();
}

// One run at a time on the machine: every window's run uses the same script,
// results file and log in the temp folder. A semaphore rather than a mutex, which
// its owning thread could take twice (two windows of one program).
class RunLock {
public:
    // 0 when taken, ERROR_BUSY when another run holds it, or the system's error.
    // An unattended holder is marked, so that a refused run can say who holds it.
    DWORD take(bool unattended) {
        lock_ = win::Handle(CreateSemaphoreW(nullptr, 1, 1, L"Local\\Ostrevin.BackupRun"));
        if (!lock_) return GetLastError();
        const DWORD r = WaitForSingleObject(lock_.get(), 0);
        held_ = r == WAIT_OBJECT_0;
        if (held_ && unattended) unattended_ = win::Handle(CreateEventW(nullptr, TRUE, FALSE, kUnattendedMark));
        return held_ ? 0 : r == WAIT_TIMEOUT ? static_cast<DWORD>(ERROR_BUSY) : GetLastError();
    }
    // Whether the run that holds the lock is a scheduled or command-line one.
    static bool heldUnattended() {
        return static_cast<bool>(win::Handle(OpenEventW(SYNCHRONIZE, FALSE, kUnattendedMark)));
    }
    ~RunLock() {
        if (held_) ReleaseSemaphore(lock_.get(), 1, nullptr);
    }

private:
    static constexpr wchar_t kUnattendedMark[] = L"Local\\Ostrevin.BackupRun.Unattended";
    win::Handle lock_, unattended_;
    bool held_ = false;
};

Outcome told(Outcome::Kind kind, const std::wstring& text) {
    Outcome o;
    o.kind = kind;
    o.text = text;
    return o;
}

}  // namespace

Outcome BackupRun::notStarted(const std::wstring& text) const { return told(Outcome::Kind::NotStarted, text); }

// Makes one folder level when the folder is not there.
bool BackupRun::ensureFolder(const std::wstring& path, Outcome& why) const {
    if (folders::PathExists(path, core::kMaskSystem)) return true;
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    why = notStarted(win::Failure{L"folder", path, L"created", GetLastError()}.text() + L"." + core::kTwoCr +
                     L"Please check that the backup drive is plugged in, then run the backups again.");
    return false;
}

// "NTFS", "FAT32"...; empty when the volume cannot tell, and then times stay exact.
static std::wstring file_system_of(const std::wstring& folder) {
    wchar_t root[MAX_PATH + 1], name[MAX_PATH + 1];
    if (!GetVolumePathNameW(folder.c_str(), root, MAX_PATH + 1)) return {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1)) return {};
    return name;
}

// The jobs' rows, each followed by its first errors from the log when asked.
std::wstring BackupRun::rows(const std::vector<int>& numbers, const core::RunLog* reasons) const {
    std::wstring names;
    for (int n : numbers) {
        if (n < 1 || n > static_cast<int>(jobs_.size())) continue;
        const core::JobFolders& j = jobs_[static_cast<size_t>(n) - 1];
        names += L"\r" + core::FormatJobRow(j);
        if (!reasons) continue;
        for (const auto& line : reasons->errors(n)) names += L"\r    " + line;
        if (static_cast<size_t>(n) <= refused_.size() && !refused_[static_cast<size_t>(n) - 1].empty())
            names += L"\r    " + refused_[static_cast<size_t>(n) - 1];
        if (reasons->mismatched_job(n)) names += L"\r    " + std::wstring(core::kMismatchReason);
    }
    return names;
}

namespace {

// Copies the run's log to the data folder, where it outlives the temp folder's
// clean-ups; the place to read it, or the temp log when the copy failed.
std::wstring keep_log(const std::wstring& log, const Options& options) {
    const std::wstring kept = options.kept_log_folder + L"\\" + options.kept_log_name;
    return CopyFileW(log.c_str(), kept.c_str(), FALSE) ? kept : log;
}

}  // namespace

Outcome BackupRun::run() {
    Outcome o = runJobs();
    putBackUncopied();
    const std::wstring kept = keptText();
    o.failed = failed_;
    o.log_copy = kept_log_;
    o.set_aside = kept;
    if (o.kind == Outcome::Kind::Completed) pruneVersions();
    const bool completed = o.kind == Outcome::Kind::Completed;
    if (!only_new_.empty() && completed) o = incomplete(o);
    else if (!only_new_.empty() && o.kind != Outcome::Kind::NotStarted)
        o.text += core::kTwoCr +
                  (only_new_.size() == 1 ? L"This job copied only new files, replacing none:"
                                         : L"These jobs copied only new files, replacing none:") +
                  rows(only_new_);
    // Held jobs come first: they left the most out.
    if (!held_.empty() && completed) {
        o.text = heldText() + (o.kind == Outcome::Kind::Incomplete ? core::kTwoCr + o.text : std::wstring());
        o.kind = Outcome::Kind::Held;
    } else if (!held_.empty() && o.kind != Outcome::Kind::NotStarted) {
        o.text += core::kTwoCr + heldText();
    }
    if (!purge_declined_.empty() && o.kind != Outcome::Kind::NotStarted)
        o.text += core::kTwoCr +
                  (purge_declined_.size() == 1 ? L"This job ran without removing anything from its backup:"
                                            : L"These jobs ran without removing anything from their backups:") +
                  rows(purge_declined_);
    if (!kept.empty()) o.text += core::kTwoCr + kept;
    if (const std::wstring spared = trustedText(); !spared.empty() && o.kind != Outcome::Kind::NotStarted)
        o.text += core::kTwoCr + spared;
    if (!not_put_back_.empty()) o.text += core::kTwoCr + not_put_back_;
    if (!unrecorded_.empty()) o.text += core::kTwoCr + unrecorded_;
    return o;
}

// The run's files in the temp folder, named as the script names them.
struct BackupRun::Files {
    std::wstring robocopy, suffix, folder, script, results, log;
    std::vector<std::wstring> file_systems;  // of each job's destination: a FAT drive gets /FFT
};

Outcome BackupRun::notCopied(const win::Failure& failure) const {
    return notStarted(failure.text() + L"." + core::kTwoCr + L"Nothing has been copied.");
}

Outcome BackupRun::runJobs() {
    if (jobs_.empty())
        return told(Outcome::Kind::NoJobs,
                    L"The job list is empty." + core::kTwoCr + L"Please add a job before running the backups.");
    // Jobs sharing a target, or a target holding a source, would delete each other's files.
    if (const std::wstring conflicts = core::conflicts_text(jobs_); !conflicts.empty())
        return notStarted(conflicts + core::kTwoCr +
                          L"Please change or delete the jobs named; nothing has been copied.");
    RunLock lock;
    const DWORD busy = lock.take(options_.unattended);
    if (busy == ERROR_BUSY)
        return notStarted(std::wstring(RunLock::heldUnattended()
                                           ? L"A scheduled or command-line run of Ostrevin is running backups"
                                           : L"Another Ostrevin window is running backups") +
                          L"; only one run at a time can use the backup script and its log." + core::kTwoCr +
                          L"Please wait until that run has finished, then run the backups again.");
    if (busy) return notCopied({L"lock that keeps backup runs apart", L"", L"taken", busy});
    Files files;
    if (auto refused = prepare(files)) return *refused;
    if (auto refused = writeScript(files)) return *refused;
    auto process = ScriptProcess::start(files.folder);
    if (!process) {
        DeleteFileW(files.script.c_str());
        return notCopied({L"backup script", L"", L"started", process.code()});
    }
    script_started_ = true;
    LogWatch watch(files.log);
    const WaitEnd end = wait(*process, files, watch);
    script_left_running_ = end != WaitEnd::ScriptGone && !process->allEnded();
    kept_log_ = keep_log(files.log, options_);
    return outcome(end == WaitEnd::ScriptGone, script_left_running_, files, watch);
}

// Everything that can refuse the run before anything is written: the paths the
// script names, the purge questions and the backup folders.
std::optional<Outcome> BackupRun::prepare(Files& f) {
    std::vector<std::wstring> destinations;
    for (const auto& job : jobs_) destinations.push_back(job.destination);
    dated_name_ = free_dated_name(destinations, core::dated_folder_name(win::local_stamp()));
    f.suffix = core::option_suffix(options_.include_empty, options_.purge);
    f.robocopy = system_program(L"robocopy.exe");
    if (f.robocopy.empty() || !win::representable(f.robocopy, CP_OEMCP))
        return notStarted(L"The system folder, which holds robocopy, could not be found." + core::kTwoCr +
                          L"Nothing has been copied.");
    f.folder = temp_folder();
    f.script = f.folder + L"\\" + core::kScriptName;
    // The script names these two, so they must survive the console code page:
    // a failure line written nowhere would read as "no failures".
    const std::wstring safe = console_safe(f.folder);
    if (safe.empty())
        return notStarted(L"The temporary folder " + core::quoted(f.folder) +
                          L" has characters that the command interpreter cannot handle." + core::kTwoCr +
                          L"Please set the TEMP variable to a folder with a plain name; nothing has been copied.");
    f.results = safe + L"\\" + core::kResultsName;
    f.log = safe + L"\\" + core::kLogName;
    DeleteFileW(f.results.c_str());
    DeleteFileW(f.log.c_str());
    // The command interpreter reads the script in the console code page.
    for (const auto& job : jobs_) {
        const core::JobCopy c = *core::job_copy(job);
        for (const std::wstring* p : {&c.source, &c.target}) {
            if (win::representable(*p, CP_OEMCP)) continue;
            return notStarted(L"The path " + core::quoted(*p) +
                              L" has characters that the command interpreter cannot handle." + core::kTwoCr +
                              L"Please rename the folder or choose another one; nothing has been copied.");
        }
        for (const std::wstring& p : c.except)
            if (!win::representable(p, CP_OEMCP))
                return notStarted(L"The pattern " + core::quoted(p) +
                                  L" has characters that the command interpreter cannot handle." + core::kTwoCr +
                                  L"Please change what the job leaves out; nothing has been copied.");
    }
    for (const auto& job : jobs_) f.file_systems.push_back(file_system_of(job.destination));
    if (auto stopped = planJobs(f.file_systems)) return stopped;
    if (auto cancelled = checkDamage()) return cancelled;
    if (options_.purge)
        if (auto refused = checkPurges()) return refused;
    Outcome refused;
    for (const auto& job : jobs_) {
        if (!ensureFolder(job.destination, refused)) return refused;
        if (!ensureFolder(core::job_copy(job)->target, refused)) return refused;
    }
    if (options_.keep_versions) {
        if (auto stopped = keepAside(f.file_systems)) return stopped;
    } else if (auto cancelled = checkOverwrites()) {
        return cancelled;
    }
    return std::nullopt;
}

// Writes the script, and an empty results file beside it.
std::optional<Outcome> BackupRun::writeScript(const Files& f) {
    std::vector<core::JobLine> lines(jobs_.size());
    for (size_t i = 0; i < jobs_.size(); ++i) {
        lines[i].file_system = f.file_systems[i];
        lines[i].refused = !refused_[i].empty();
        // What a folder the source dropped holds of the left-out stays: the rest of it went aside.
        if (options_.keep_versions)
            for (const std::wstring& path : plans_[i].standing)
                lines[i].standing.push_back(core::join_path(core::job_copy(jobs_[i])->target, path));
    }
    for (int n : purge_declined_) lines[static_cast<size_t>(n) - 1].keep_extras = true;
    for (int n : only_new_) lines[static_cast<size_t>(n) - 1].only_new = true;
    for (int n : held_) lines[static_cast<size_t>(n) - 1].held = true;
    const win::Status written = win::write_text_file(
        f.script, core::join_lines(core::script_lines(jobs_, f.robocopy, f.suffix, f.results, f.log, lines)),
        CP_OEMCP);
    if (!written) return notCopied({L"backup script", f.script, L"written", written.code()});
    // Made empty now, so that at the end a missing file means something went wrong,
    // never "no job failed".
    if (const win::Status made = win::write_text_file(f.results, L"", CP_OEMCP); !made) {
        DeleteFileW(f.script.c_str());
        return notCopied({L"results file", f.results, L"created", made.code()});
    }
    // And the log: a run whose every job was refused before its copy writes nothing to
    // it, and its verdict must still read it (an empty log: no job ran to its end).
    if (const win::Status made = win::write_text_file(f.log, L"", CP_OEMCP); !made) {
        DeleteFileW(f.script.c_str());
        DeleteFileW(f.results.c_str());
        return notCopied({L"backup log", f.log, L"created", made.code()});
    }
    return std::nullopt;
}

// Waits for the script's end or a stop, telling the progress that the log shows.
WaitEnd BackupRun::wait(ScriptProcess& process, const Files& f, LogWatch& watch) {
    core::RunProgress shown;
    const auto show_progress = [&] {
        if (!watch.poll()) return;  // the next look may do better; the end reads it all again
        const core::RunProgress& now = watch.log().progress();
        if (now.job == shown.job && now.files == shown.files && now.finished == shown.finished) return;
        shown = now;
        if (now.job < 1 || now.job > static_cast<int>(jobs_.size())) return;
        const core::JobFolders& job = jobs_[static_cast<size_t>(now.job) - 1];
        hooks_.progress(now, core::progress_text(now, static_cast<int>(jobs_.size()), job.source));
    };
    return wait_for_script(process, f.script, hooks_.stop, show_progress);
}

// What the script left: the jobs robocopy failed, and the jobs whose log section
// closed normally. Either unread proves nothing.
Outcome BackupRun::outcome(bool ended, bool left_running, const Files& f, LogWatch& watch) {
    using Kind = Outcome::Kind;
    const std::wstring where = L" The log of this run is in " + core::quoted(kept_log_) + L".";
    if (!ended) DeleteFileW(f.script.c_str());
    win::Result<std::wstring> results_text = win::Status::failed(ERROR_INVALID_FUNCTION);
    win::Status log_read;
    std::optional<std::vector<int>> failed, unfinished;
    std::vector<int> mismatched;
    if (ended) {
        results_text = win::read_text_file(f.results, CP_OEMCP);
        if (results_text) failed = core::failed_jobs(*results_text, jobs_.size());
        log_read = watch.finish();
        if (log_read) unfinished = watch.log().unfinished(static_cast<int>(jobs_.size()));
        // A held job has no part in the log: it was left out, not cut off.
        if (unfinished) std::erase_if(*unfinished, [&](int n) { return std::ranges::count(held_, n) > 0; });
        if (log_read) mismatched = watch.log().mismatched(static_cast<int>(jobs_.size()));
    }
    DeleteFileW(f.results.c_str());
    const core::RunVerdict verdict = core::judge_run(ended, failed, unfinished, mismatched);
    failed_ = verdict.failed;
    failed_.insert(failed_.end(), verdict.unfinished.begin(), verdict.unfinished.end());
    const std::wstring not_ended =
        verdict.unfinished.empty()
            ? L""
            : std::wstring(verdict.unfinished.size() == 1 ? L"This job did not run to its end:"
                                                          : L"These jobs did not run to their end:") +
                  rows(verdict.unfinished);
    const std::wstring again = L"The backup may be incomplete; please run the backups again.";
    switch (verdict.kind) {
        case core::RunVerdict::Kind::NotFinished: {
            if (ended)
                return told(Kind::NotFinished,
                            not_ended + core::kTwoCr +
                                L"Some files may not have been copied. Please run the backups again." + where);
            Outcome o = told(Kind::NotFinished,
                             L"The backup was stopped before it finished, so some files may not have been copied." +
                                 core::kTwoCr + L"Please run the backups again." + where);
            if (left_running)
                o.text += core::kTwoCr + L"Ostrevin could not end the copy that was running; please close its window.";
            return o;
        }
        case core::RunVerdict::Kind::NotConfirmed:
            if (!failed)
                return told(Kind::NotConfirmed,
                            L"Ostrevin could not read which jobs failed from " + core::quoted(f.results) +
                                (results_text ? std::wstring() : L": " + win::error_text(results_text.code())) + L"." +
                                core::kTwoCr + again);
            return told(Kind::NotConfirmed, L"Ostrevin could not read the backup log " + core::quoted(f.log) + L": " +
                                                win::error_text(log_read.code()) + L"." + core::kTwoCr + again);
        case core::RunVerdict::Kind::Failed:
            return told(Kind::Failed,
                        std::wstring(verdict.failed.size() == 1 ? L"This job could not copy all its files:"
                                                                : L"These jobs could not copy all their files:") +
                            rows(verdict.failed, &watch.log()) + (not_ended.empty() ? L"" : core::kTwoCr + not_ended) +
                            core::kTwoCr + L"Please check the drives and folders, then run the backups again." + where);
        case core::RunVerdict::Kind::Completed:
            break;
    }
    return completed();
}

// A run whose jobs copied only new files left the changed ones out: its backup is not
// complete, and no date is recorded for it. It names the files left out.
Outcome BackupRun::incomplete(const Outcome& done) const {
    Outcome o = done;
    o.kind = Outcome::Kind::Incomplete;
    constexpr size_t kNamed = 5;
    std::wstring names;
    unsigned long long left_out = 0;
    for (int n : only_new_) {
        const AsidePlan& plan = plans_[static_cast<size_t>(n) - 1];
        left_out += plan.replacing.size();
        names += rows({n});
        for (size_t i = 0; i < plan.replacing.size() && i < kNamed; ++i)
            names += L"\r    " + core::job_copy(jobs_[static_cast<size_t>(n) - 1])->target + L"\\" + plan.replacing[i];
        if (plan.replacing.size() > kNamed)
            names += L"\r    ... and " + std::to_wstring(plan.replacing.size() - kNamed) + L" more";
    }
    o.text = L"The backup copied only new files for " + std::wstring(only_new_.size() == 1 ? L"this job" : L"these jobs") +
             L", so " + std::to_wstring(left_out) + (left_out == 1 ? L" changed file was" : L" changed files were") +
             L" not copied; the backup still holds the older copies:" + names + core::kTwoCr +
             L"Please check those files, then run the backups again and answer Yes to replace them, or tick "
             L"\"Keep Replaced & Removed Files\" so that the older copies are kept.";
    return o;
}

// Every job proved done; the Program Files list goes beside the first backup.
Outcome BackupRun::completed() const {
    Outcome done;
    done.kind = Outcome::Kind::Completed;
    const std::wstring& first = jobs_.front().destination;
    const win::Status list = write_program_files_list(first);
    done.list_saved = list.ok();
    // The copy itself worked; when the list did not, it says so.
    done.text = list ? L"Your backup is complete and a current list of Program Files is saved in " + first
                     : L"Your backup is complete, but the list of Program Files could not be saved in " + first +
                           L": " + win::error_text(list.code()) + L"." + core::kTwoCr + L"Please check that folder.";
    return done;
}

}  // namespace run

#pragma once
// RUN BACKUPS: write the script, run it, wait, read what failed, prove each job
// ran to its end, write the Program Files list.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/jobrow.h"
#include "core/run_log.h"
#include "run/log_watch.h"
#include "run/script_run.h"
#include "run/versions.h"
#include "win/prompt.h"

namespace run {

struct Options {
    bool include_empty = false;
    bool purge = false;
    std::wstring kept_log_folder;  // where the run's log is kept for the user
    std::wstring kept_log_name;    // each run's own, so that the history's line names its log
    bool unattended = false;       // a scheduled or command-line run, not a window's
    bool keep_versions = false;    // what the copy replaces or removes goes aside first (run/versions.h)
};

// How a run ended, and what happened in words; the window gives it its title and icon.
struct Outcome {
    enum class Kind {
        Completed,     // every job proved done; the caller records the date
        NoJobs,        // the list is empty
        NotStarted,    // nothing copied; the text says why
        NotFinished,   // stopped, or jobs without their log's end line
        Failed,        // jobs whose copier reported failure
        NotConfirmed,  // what happened cannot be read
        Incomplete,    // every job ran to its end, but some copied only new files, leaving changed ones out
        Held           // the rest ran to its end, but jobs whose files looked damaged were left out
    };
    Kind kind = Kind::NotStarted;
    bool list_saved = false;  // Completed: the Program Files list was written
    std::wstring text;
    std::vector<int> failed;  // the jobs named as failed or not run to their end
    std::wstring log_copy;    // where the run's log was copied to stay; empty when it never started
    std::wstring set_aside;   // how many old copies went aside and where, as the message ends; empty for none
};

// How the run reaches whoever started it; called on the run's thread.
struct Hooks {
    // What the log shows as it grows, and the job line that tells it.
    std::function<void(const core::RunProgress&, const std::wstring&)> progress;
    HANDLE stop = nullptr;  // an event, set when the user asks to stop the run
    // A question before anything is written (a purge that would empty a backup), whose
    // answers are Yes, No (the safe one) and Cancel: IDYES, IDNO or IDCANCEL.
    std::function<int(const std::wstring& title, const std::wstring& text)> ask;
};

// Whether runs look for damaged files before copying (run/damage_check.cpp); always on
// but in the benchmark that measures what the look costs.
extern bool look_for_damage;

class BackupRun {
public:
    BackupRun(std::vector<core::JobFolders> jobs, Options options, Hooks hooks)
        : jobs_(std::move(jobs)), options_(options), hooks_(std::move(hooks)) {}

    // Blocks until the run has ended; the caller records the date of a completed one.
    Outcome run();

private:
    struct Files;
    Outcome runJobs();
    std::optional<Outcome> prepare(Files& f);
    std::optional<Outcome> writeScript(const Files& f);
    WaitEnd wait(ScriptProcess& process, const Files& f, LogWatch& watch);
    Outcome outcome(bool ended, bool left_running, const Files& f, LogWatch& watch);
    Outcome completed() const;
    Outcome incomplete(const Outcome& done) const;
    // A refusal for a step that failed: the failure, and that nothing has been copied.
    Outcome notCopied(const win::Failure& failure) const;
    // Walks each job's trees once (run/versions.h); an outcome when stopped meanwhile.
    std::optional<Outcome> planJobs(const std::vector<std::wstring>& file_systems);
    // Refuses a job whose walk met a folder it could not list.
    void refuseUnlisted(size_t job);
    // With Remove ticked: asks about each job whose purge would take most of its
    // backup (run/plan_jobs.cpp). An outcome when the run must not start.
    std::optional<Outcome> checkPurges();
    // With Keep ticked: moves aside what each job's copy would replace or remove
    // (run/keep_aside.cpp); a job whose move fails is refused and copies nothing.
    // STOP meanwhile ends the run before its script: an outcome then.
    std::optional<Outcome> keepAside(const std::vector<std::wstring>& file_systems);
    // In each dated folder: the files the run's copies will add there.
    void recordAdded();
    void spareTrusted();
    // After the script: what went aside but whose copy did not come goes back.
    void putBackUncopied();
    std::wstring keptText() const;
    // Without Keep: asks about each job that would replace most of its backup.
    std::optional<Outcome> checkOverwrites();
    // One job's question before anything is copied: Cancel refuses the run, No puts
    // the job in `declined`; `done` is what the refusal says nothing was.
    std::optional<Outcome> askAbout(size_t job, const std::wstring& title, const std::wstring& text,
                                    const wchar_t* done, std::vector<int>& declined);
    // Looks at what each job would replace (run/damage_check.cpp): a job whose files look
    // damaged is asked about; No holds it, Yes keeps its dated folder from pruning.
    std::optional<Outcome> checkDamage();
    struct Damage {
        std::vector<std::wstring> names;  // paths in the backup: damaged, then renamed
        size_t looked_at = 0;
        std::wstring renamed_to;  // the new extension of the renamed ones
    };
    Damage damageOf(size_t job) const;
    std::wstring damagedText(size_t job, const wchar_t* indent = L"\r    ") const;
    std::wstring heldText() const;
    std::wstring trustedText() const;
    // A destination where a job was held or answered Yes: nothing of its versions goes this run.
    bool leavesVersions(const std::wstring& destination) const;
    void pruneVersions() const;
    Outcome notStarted(const std::wstring& text) const;
    std::wstring rows(const std::vector<int>& numbers, const core::RunLog* reasons = nullptr) const;
    bool ensureFolder(const std::wstring& path, Outcome& why) const;

    std::vector<core::JobFolders> jobs_;
    Options options_;
    Hooks hooks_;
    std::vector<int> purge_declined_;  // jobs whose purge was answered No: they run without /PURGE
    std::vector<int> only_new_;     // jobs answered No to replacing most files: /XC /XN /XO
    std::vector<int> held_;         // jobs whose files looked damaged, answered No: left out
    std::vector<int> trusted_;      // jobs whose files looked damaged, answered Yes
    std::vector<Damage> damage_;    // by job: what looked damaged, for the held and trusted ones
    std::vector<int> failed_;
    std::wstring kept_log_;
    std::wstring dated_name_;            // the run's start, as its dated versions folder is named
    std::vector<std::wstring> refused_;  // by job: why its old copies could not go aside
    std::vector<AsidePlan> plans_;       // by job: what its copy would replace or remove
    bool moved_aside_ = false;           // Keep ticked: old copies went aside before the script
    bool script_left_running_ = false;
    bool script_started_ = false;
    std::wstring unrecorded_;    // the record of what the run added could not be written, and why
    std::wstring not_put_back_;  // old copies left in a dated folder that the backup still stands for
};

}  // namespace run

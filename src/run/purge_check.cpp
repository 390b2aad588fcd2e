#include "run/purge_check.h"

#include "core/batch_script.h"
#include "core/purge_check.h"
#include "core/text.h"
#include "run/backup_run.h"
#include "run/versions.h"
#include "win/textfile.h"

namespace run {

std::optional<PurgeCount> count_purge(const std::wstring& robocopy, const std::wstring& arguments,
                                      const std::wstring& folder, const std::wstring& log, HANDLE stop, bool& stopped) {
    DeleteFileW(log.c_str());
    auto process =
        ScriptProcess::startProgram(robocopy, arguments + L" /L /NFL /NDL /LOG:" + core::quoted(log), folder);
    if (!process) return std::nullopt;
    stopped = wait_for_script(*process, L"", stop, nullptr) == WaitEnd::Stopped;
    DWORD code = 16;
    if (stopped || !GetExitCodeProcess(process->process(), &code) || code >= 16) return std::nullopt;
    const auto text = win::read_text_file(log, CP_OEMCP);
    DeleteFileW(log.c_str());
    if (!text) return std::nullopt;
    // Read as the one job of a run.
    core::RunLog read;
    read.finish(std::wstring(core::kJobMark) + L"1\r\n" + *text);
    const auto files = read.files(1), dirs = read.dirs(1);
    if (!files || !dirs) return std::nullopt;
    return PurgeCount{*files, *dirs};
}

namespace {

std::wstring counted(unsigned long long n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

}  // namespace

std::optional<Outcome> BackupRun::checkPurges(const std::wstring& robocopy, const std::wstring& suffix,
                                              const std::wstring& folder,
                                              const std::vector<std::wstring>& file_systems) {
    const std::wstring log = folder + L"\\" + kCheckLogName, jobs = std::to_wstring(jobs_.size());
    for (size_t i = 0; i < jobs_.size(); ++i) {
        const std::wstring n = std::to_wstring(i + 1);
        hooks_.progress(core::RunProgress{}, L"Checking job " + n + L" of " + jobs);
        const core::JobCopy c = *core::job_copy(jobs_[i]);
        bool stopped = false;
        const auto would =
            count_purge(robocopy, core::copy_arguments(c, suffix, file_systems[i]), folder, log, hooks_.stop, stopped);
        if (stopped)
            return notStarted(L"The backup was stopped while its jobs were being checked; nothing has been copied." +
                              core::kTwoCr + L"Please run the backups again.");
        // A check that failed stops nothing: the job runs as asked, and the run's verdict judges it.
        if (!would || !core::purge_needs_question(would->files, would->dirs)) continue;
        std::wstring removed = counted(would->files.extras, L"file", L"files");
        if (would->dirs.extras > 0)
            removed += L" and " + counted(would->dirs.extras, L"folder", L"folders") + L" with all they hold";
        const int answer = hooks_.ask(
            L"Files Would Be Removed",
            L"Job " + n + L" would remove " + removed + L" from " + core::quoted(c.target) + L", while its source " +
                core::quoted(c.source) + L" holds " + counted(would->files.total, L"file", L"files") + L" now." +
                core::kTwoCr +
                (options_.keep_versions ? L"Removed files will be kept in " +
                                              core::quoted(dated_folder(jobs_[i].destination, dated_name_)) + L"." +
                                              core::kTwoCr
                                        : L"") +
                L"Do you want to remove them? No backs this job up without removing anything this time; Cancel "
                L"starts no backup.");
        if (answer == IDCANCEL)
            return notStarted(L"The backup was cancelled before anything was copied or removed." + core::kTwoCr +
                              L"Please check the job's source, then run the backups again.");
        if (answer != IDYES) kept_extras_.push_back(static_cast<int>(i) + 1);
    }
    return std::nullopt;
}

}  // namespace run

#include "core/command_line.h"

#include "core/text.h"
#include "core/versions.h"

namespace core {

const wchar_t kUsage[] =
    L"Usage: Ostrevin.exe [/run [JOBFILE] [/quiet]]\r\n"
    L"       Ostrevin.exe /restore JOBFILE PATH [/asof \"YYYY-MM-DD HH-MM-SS\"] [/to FOLDER] [/quiet]\r\n"
    L"\r\n"
    L"  (nothing)  opens the window.\r\n"
    L"  /run       runs the backups of JOBFILE (a job file's name in the job folder, as Open names it),\r\n"
    L"             or of the default job, with no one at the screen, and ends.\r\n"
    L"  /restore   restores PATH, a file or folder in one of JOBFILE's sources, from its backup and the\r\n"
    L"             old copies kept beside it: as the backup held it after the run of /asof (a versions\r\n"
    L"             folder's name), or its newest copy; into FOLDER with /to, else to where it was, keeping\r\n"
    L"             what it replaces and never replacing a newer file.\r\n"
    L"  /quiet     with /run or /restore: no window at all.\r\n"
    L"  /?         shows this text.\r\n"
    L"\r\n"
    L"Exit codes of /run: 0 complete, 1 failed, 2 not finished or stopped, 3 not started,\r\n"
    L"4 not confirmed, 5 bad command line or unreadable job file, 6 not complete (only new files copied),\r\n"
    L"7 held (a job's files looked damaged and it was left out).\r\n"
    L"Exit codes of /restore: 0 restored, 1 failed (nothing held then, a file not written or newer),\r\n"
    L"5 bad command line or a path in no job's source.\r\n";

namespace {

CommandLine bad(std::wstring why) {
    CommandLine c;
    c.mode = CommandLine::Mode::Bad;
    c.error = std::move(why);
    return c;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::wstring>& args) {
    CommandLine c;
    bool named = false, pathed = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool is_switch = !arg.empty() && (arg[0] == L'/' || arg[0] == L'-');
        const std::wstring word = is_switch ? to_lower(std::wstring_view(arg).substr(1)) : std::wstring();
        if (word == L"?" || word == L"help") {
            c.mode = CommandLine::Mode::Usage;
        } else if (word == L"run" || word == L"restore") {
            const auto mode = word == L"run" ? CommandLine::Mode::Run : CommandLine::Mode::Restore;
            if (c.mode == CommandLine::Mode::Run || c.mode == CommandLine::Mode::Restore)
                return bad(c.mode == mode ? arg + L" is given twice." : L"/run and /restore are both given.");
            if (c.mode == CommandLine::Mode::Window) c.mode = mode;
        } else if (word == L"quiet") {
            c.quiet = true;
        } else if (word == L"asof" || word == L"to") {
            if (i + 1 == args.size() || args[i + 1].empty()) return bad(arg + L" names nothing after it.");
            const std::wstring& value = args[++i];
            if (word == L"to") c.to = value;
            else if (dated_folder_time(value)) c.as_of = value;
            else return bad(L"The moment " + quoted(value) + L" is not of the form \"YYYY-MM-DD HH-MM-SS\".");
        } else if (is_switch) {
            return bad(L"Unknown switch " + quoted(arg) + L".");
        } else if (named && c.mode == CommandLine::Mode::Restore && !pathed) {
            pathed = true;
            c.path = arg;
        } else if (named) {
            return bad(L"More than one job file is named: " + quoted(arg) + L".");
        } else if (arg.empty() || arg.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
            return bad(L"The job file " + quoted(arg) +
                       L" is not a file name; name a job file of the job folder, as Open shows it.");
        } else {
            named = true;
            c.job_file = arg;
        }
    }
    if (c.mode == CommandLine::Mode::Usage) return c;
    if (c.mode == CommandLine::Mode::Restore && !pathed)
        return bad(L"/restore needs a job file and the file or folder to restore.");
    if (c.mode != CommandLine::Mode::Restore && (c.as_of || !c.to.empty()))
        return bad(L"/asof and /to are given without /restore.");
    if (c.mode == CommandLine::Mode::Window && (named || c.quiet))
        return bad(named ? L"A job file is named without /run." : L"/quiet is given without /run.");
    return c;
}

}  // namespace core

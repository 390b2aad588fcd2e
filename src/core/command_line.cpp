#include "core/command_line.h"

#include "core/text.h"

namespace core {

const wchar_t kUsage[] =
    L"Usage: Ostrevin.exe [/run [JOBFILE] [/quiet]]\r\n"
    L"\r\n"
    L"  (nothing)  opens the window.\r\n"
    L"  /run       runs the backups of JOBFILE (a job file's name in the job folder, as Open names it),\r\n"
    L"             or of the default job, with no one at the screen, and ends.\r\n"
    L"  /quiet     with /run: no window at all.\r\n"
    L"  /?         shows this text.\r\n"
    L"\r\n"
    L"Exit codes of /run: 0 complete, 1 failed, 2 not finished or stopped, 3 not started,\r\n"
    L"4 not confirmed, 5 bad command line or unreadable job file, 6 not complete (only new files copied).\r\n";

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
    bool named = false;
    for (const std::wstring& arg : args) {
        const bool is_switch = !arg.empty() && (arg[0] == L'/' || arg[0] == L'-');
        const std::wstring word = is_switch ? to_lower(std::wstring_view(arg).substr(1)) : std::wstring();
        if (word == L"?" || word == L"help") {
            c.mode = CommandLine::Mode::Usage;
        } else if (word == L"run") {
            if (c.mode == CommandLine::Mode::Run) return bad(L"/run is given twice.");
            if (c.mode == CommandLine::Mode::Window) c.mode = CommandLine::Mode::Run;
        } else if (word == L"quiet") {
            c.quiet = true;
        } else if (is_switch) {
            return bad(L"Unknown switch " + quoted(arg) + L".");
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
    if (c.mode != CommandLine::Mode::Run && (named || c.quiet))
        return bad(named ? L"A job file is named without /run." : L"/quiet is given without /run.");
    return c;
}

}  // namespace core

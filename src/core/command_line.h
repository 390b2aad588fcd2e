#pragma once
// The program's command line: nothing (the window), /run [JOBFILE] [/quiet], or /?.
#include <string>
#include <vector>

namespace core {

struct CommandLine {
    enum class Mode { Window, Run, Usage, Bad };
    Mode mode = Mode::Window;
    std::wstring job_file;  // Run: the job file's name in the job folder; empty for the default job
    bool quiet = false;     // Run: no window at all
    std::wstring error;     // Bad: what is wrong, as one line
};

// The arguments after the program's name. Switches take / or -, in any letter case.
CommandLine parse_command_line(const std::vector<std::wstring>& args);

// What /? prints.
extern const wchar_t kUsage[];

}  // namespace core

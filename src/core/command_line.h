#pragma once
// The program's command line: nothing (the window), /run [JOBFILE] [/quiet],
// /restore JOBFILE PATH [/asof MOMENT] [/to FOLDER] [/quiet], or /?.
#include <optional>
#include <string>
#include <vector>

namespace core {

struct CommandLine {
    enum class Mode { Window, Run, Restore, Usage, Bad };
    Mode mode = Mode::Window;
    std::wstring job_file;  // Run: the job file's name in the job folder; empty for the default job
    bool quiet = false;     // Run, Restore: no window at all
    std::wstring path;      // Restore: the file or folder, as a job's source holds it
    std::wstring to;        // Restore: the folder to restore into; empty for the original place
    std::wstring error;     // Bad: what is wrong, as one line
    std::optional<std::wstring> as_of;  // Restore: a dated name; nothing for the newest copy
};

// The arguments after the program's name. Switches take / or -, in any letter case.
CommandLine parse_command_line(const std::vector<std::wstring>& args);

// What /? prints.
extern const wchar_t kUsage[];

}  // namespace core

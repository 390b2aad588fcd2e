#pragma once
// Ostrevin.exe /run [JOBFILE] [/quiet]: the backups of one job file with no one at
// the screen. Every question is answered with its safe answer and written down;
// the outcome is the exit code and a line of Ostrevin-runs.log beside the settings.
#include "core/command_line.h"

namespace ui {

// Runs the command line's backups; the program's exit code.
int run_unattended(const core::CommandLine& command);

// Ostrevin.exe /restore: restores as the command line asks; the program's exit code
// (0 restored, 1 failed, 5 a bad command line or a path in no job's source).
int restore_unattended(const core::CommandLine& command);

// For /? and a bad command line: the text on the console; the exit code.
int answer_command_line(const core::CommandLine& command);

}  // namespace ui

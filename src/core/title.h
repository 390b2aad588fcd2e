#pragma once
// The main window's title and the state of its commands, both derived from the
// job document and the run: nothing else sets them.
#include <string>
#include <string_view>

namespace core {

std::wstring compose_title(std::wstring_view job_file_name, bool job_changed, std::wstring_view default_job);

struct DocumentState {
    bool untitled = true;
    bool changed = false;
    int jobs = 0;
    bool running = false;  // a backup run goes on: the file commands wait for its end
};

// Which File commands can be chosen.
struct CommandStates {
    bool file_new = false, open = false, save = false, save_as = false, print = false, set_default = false,
         schedule = false;
    bool history = false;  // Run History only reads: open during a run too
    bool restore = false;  // reads the backups a run would be changing, so not during one
    bool operator==(const CommandStates&) const = default;
};

CommandStates command_states(const DocumentState& d);

}  // namespace core

#include "core/title.h"

namespace core {

std::wstring compose_title(std::wstring_view job_file_name, bool job_changed, std::wstring_view default_job) {
    std::wstring title = L"Ostrevin: ";
    title += job_file_name;
    if (job_changed) title += L" *";
    if (job_file_name == default_job) title += L" (Default)";
    return title;
}

CommandStates command_states(const DocumentState& d) {
    if (d.running) return {.history = true};
    // A named file, jobs or changes: something that New can clear and Save As can keep.
    const bool something = !d.untitled || d.jobs > 0 || d.changed;
    return {.file_new = something,
            .open = true,
            .save = d.changed && !d.untitled,
            .save_as = something,
            .print = true,
            .set_default = !d.untitled,
            .schedule = !d.untitled,
            .history = true,
            .restore = d.jobs > 0};
}

}  // namespace core

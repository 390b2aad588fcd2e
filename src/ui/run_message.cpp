#include "ui/run_message.h"

namespace ui {

win::Message run_message(const run::Outcome& outcome) {
    using win::Severity;
    struct Told {
        Severity severity;
        const wchar_t* title;
    };
    // In the order of Outcome::Kind.
    static constexpr Told kTold[] = {
        {Severity::Information, L"BACKUP COMPLETE"}, {Severity::Warning, L"NO JOBS"},
        {Severity::Error, L"BACKUP NOT STARTED"},    {Severity::Error, L"BACKUP NOT FINISHED"},
        {Severity::Error, L"BACKUP FAILED"},         {Severity::Error, L"BACKUP NOT CONFIRMED"},
        {Severity::Warning, L"BACKUP INCOMPLETE"},   {Severity::Warning, L"BACKUP HELD"},
    };
    Told told = kTold[static_cast<int>(outcome.kind)];
    // Complete, but without the Program Files list it was asked to save.
    if (outcome.kind == run::Outcome::Kind::Completed && !outcome.list_saved) told.severity = Severity::Warning;
    return {told.severity, told.title, outcome.text};
}

}  // namespace ui

#pragma once
// The title and icon a run's outcome is told with.
#include "run/backup_run.h"
#include "win/prompt.h"

namespace ui {

win::Message run_message(const run::Outcome& outcome);

}  // namespace ui

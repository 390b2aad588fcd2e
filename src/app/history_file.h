#pragma once
// The history of runs as it stands in Ostrevin-runs.log beside the settings.
#include <vector>

#include "core/history.h"

namespace app {

// Every line of the history; none when there is no history or it cannot be read.
std::vector<core::HistoryEntry> read_history();

}  // namespace app

#include "app/history_file.h"

#include "app/module1.h"
#include "app/run_history.h"
#include "win/textfile.h"

namespace app {

std::vector<core::HistoryEntry> read_history() {
    const auto text = win::read_text_file(history_path(), CP_UTF8);
    if (!text) return {};  // no run yet, or the file is busy: nothing to tell now
    return core::parse_history(*text);
}

}  // namespace app

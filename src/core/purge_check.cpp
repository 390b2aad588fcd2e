#include "core/purge_check.h"

namespace core {
namespace {

constexpr unsigned long long kMinFiles = 10, kMinFolders = 3;

bool most_would_go(unsigned long long going, unsigned long long held, unsigned long long minimum) {
    return held >= minimum && going * 2 > held;
}

}  // namespace

bool purge_needs_question(const FileCounts& files, const FileCounts& dirs) {
    if (files.total == 0 && (files.extras > 0 || dirs.extras > 0)) return true;
    // The summary's Dirs row counts the job's own top folder, which stays.
    const unsigned long long folders = dirs.skipped + dirs.extras;
    return most_would_go(files.extras, files.skipped + files.extras, kMinFiles) ||
           most_would_go(dirs.extras, folders > 0 ? folders - 1 : 0, kMinFolders);
}

}  // namespace core

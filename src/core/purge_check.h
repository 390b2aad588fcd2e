#pragma once
// Before a mirror run (/PURGE), the walk before the copy (run/versions.h) counts what
// each job's purge would remove, as a list-only copier run would. A purge that would
// take most of a backup, or anything while the source looks empty, is asked about
// first: that is how a swapped card, a signed-out sync folder or a mistaken delete
// empties a backup.
#include "core/run_log.h"

namespace core {

// From the Files and Dirs rows the walk counts (as the copier's summary with /PURGE): true when more than
// half of the files the backup holds would go (at least 10 files held), when more
// than half of its sub-folders would go (at least 3 held), or when anything would
// go while the source holds no file. What the backup holds is counted low: its
// files that match the source plus the extras (changed files count as copies), so
// a doubtful case asks.
bool purge_needs_question(const FileCounts& files, const FileCounts& dirs);

}  // namespace core

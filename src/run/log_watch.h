#pragma once
// Follows the run log while the script and the copier write to it.
#include <windows.h>

#include <string>

#include "core/run_log.h"
#include "win/result.h"

namespace run {

class LogWatch {
public:
    explicit LogWatch(std::wstring path) : path_(std::move(path)) {}

    // Reads what is new; a log not there yet is nothing new.
    win::Status poll();
    // Reads the rest once the writers are done.
    win::Status finish();
    const core::RunLog& log() const { return log_; }

private:
    win::Status readNew(bool last);
    std::wstring path_;
    LONGLONG offset_ = 0;
    std::string pending_;  // bytes of a line not yet whole
    core::RunLog log_;
};

}  // namespace run

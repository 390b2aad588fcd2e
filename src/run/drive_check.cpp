#include "run/drive_check.h"

#include <utility>
#include <vector>

#include "core/path_match.h"
#include "core/text.h"
#include "folders/path_exists.h"
#include "jobs/job_edit.h"
#include "win/prompt.h"

namespace run {

DriveCheck check_drives(HWND owner, jobs::JobDocument& document, bool first_check,
                        const std::function<std::optional<DriveChoice>(int job)>& choose_drive) {
    DriveCheck result;
    // Jobs found missing on this check and left as they were, with the destination
    // they had then; the button stays disabled while any of them is still missing.
    std::vector<std::pair<int, std::wstring>> declined;
    for (int i = 1; i <= document.count(); ++i) {
        const std::wstring destination = document.job(i).destination;
        const std::wstring drive = core::to_upper(destination.substr(0, 3));
        // A listing that fails (no medium) or a refused path counts as missing.
        if (folders::PathExists(destination, core::kMaskSystem)) {
            if (declined.empty()) result.caption = L"RUN BACKUPS";
            continue;
        }
        if (first_check) {
            win::say(owner, {win::Severity::Error, L"Drive Not Available",
                             L"The external drive " + drive + L" is not available." + core::kTwoCr +
                                 L"Please select the correct drive on the next window."});
        }
        if (const auto choice = choose_drive(i)) {
            document.moveToDrive(choice->all_jobs ? 0 : i, choice->letter);
            jobs::warn_conflicts(owner, document);  // the new letter may put one job's backup onto another's
            // Confirmed: done for this check, unless an earlier job is still missing
            // (not re-pointed by the confirmation).
            for (const auto& [row, was] : declined)
                if (document.job(row).destination == was) return {false, result.caption};
            return {true, result.caption};
        }
        result.caption = L"PLUG IN " + drive;
        declined.emplace_back(i, destination);
    }
    result.ready = document.count() > 0 && declined.empty();
    return result;
}

}  // namespace run

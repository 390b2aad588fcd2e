#pragma once
// The main window's title and the Save commands that follow from it.
#include <optional>
#include <string>
#include <string_view>

namespace core {

struct TitleState {
    std::wstring title;
    std::optional<bool> save_enabled;     // nullopt: left as it is
    std::optional<bool> save_as_enabled;  // nullopt: left as it is (never disabled here)
};

TitleState compose_title(std::wstring_view job_file_name, bool job_changed, std::wstring_view default_job);

}  // namespace core

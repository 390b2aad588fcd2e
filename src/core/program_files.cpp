#include "core/program_files.h"

#include <algorithm>

#include "core/text.h"

namespace core {

std::wstring program_files_text(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());  // by character code
    std::vector<std::wstring> lines{L"List of directories in Program Files", L""};
    for (auto& n : names)
        if (!n.empty()) lines.push_back(std::move(n));
    return join_lines(lines);
}

}  // namespace core

#pragma once
// What a list view in report mode shows, read back from the control.
#include <string>

#include "win/window.h"

namespace win {

// The text of a row's column; empty past the last row.
std::wstring list_cell(const Window& list, int row, int column);

}  // namespace win

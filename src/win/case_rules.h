#pragma once

namespace win {
// Letter case in the program follows the system's tables, not the C library's.
void install_case_rules();
}  // namespace win

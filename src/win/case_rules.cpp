#include "win/case_rules.h"

#include <windows.h>

#include "core/text.h"

namespace win {
namespace {
std::wstring upper(std::wstring_view t) {
    std::wstring s(t);
    if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}
std::wstring lower(std::wstring_view t) {
    std::wstring s(t);
    if (!s.empty()) CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}
}  // namespace

void install_case_rules() { core::set_case_rules(upper, lower); }

}  // namespace win

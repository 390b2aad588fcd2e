#pragma once
// The current user's tasks in the Task Scheduler's root folder, through its COM
// interface: Wine's schtasks.exe cannot query a task, and COM tells why a call failed.
#include <windows.h>

#include <string>

namespace run {

// The signed-in user as the scheduler names them (DOMAIN\name); empty when unknown.
std::wstring current_user();

// Creates the task, or replaces the one of that name, from its XML; S_OK or the failure.
HRESULT register_task(const std::wstring& name, const std::wstring& xml);
// A task that is not there counts as deleted.
HRESULT delete_task(const std::wstring& name);
// S_OK when the task is there, S_FALSE when it is not, else the failure.
HRESULT find_task(const std::wstring& name);

// For the failure funnel: the Win32 code inside the result, or the result itself.
DWORD error_code(HRESULT hr);

}  // namespace run

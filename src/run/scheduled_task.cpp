#include "run/scheduled_task.h"

#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include <functional>

#include "win/handles.h"

namespace run {
namespace {

// Owns a BSTR; the scheduler reads the length prefix, so a plain string will not do.
class Bstr {
public:
    explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

private:
    BSTR b_;
};

bool not_found(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// Connects to the local scheduler and hands its root folder to `act`.
HRESULT with_root_folder(const std::function<HRESULT(ITaskFolder&)>& act) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) return init;  // another mode still lets us call
    HRESULT hr = S_OK;
    {
        win::Com<ITaskService> service;
        win::Com<ITaskFolder> root;
        hr = CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                              reinterpret_cast<void**>(service.put()));
        VARIANT none;
        VariantInit(&none);
        if (SUCCEEDED(hr)) hr = service->Connect(none, none, none, none);
        if (SUCCEEDED(hr)) {
            Bstr path(L"\\");
            hr = service->GetFolder(path.get(), root.put());
        }
        if (SUCCEEDED(hr)) hr = act(*root);
    }  // released before the apartment ends
    if (SUCCEEDED(init)) CoUninitialize();
    return hr;
}

}  // namespace

std::wstring current_user() {
    wchar_t name[512];
    ULONG size = static_cast<ULONG>(std::size(name));
    return GetUserNameExW(NameSamCompatible, name, &size) ? std::wstring(name, size) : std::wstring();
}

HRESULT register_task(const std::wstring& name, const std::wstring& xml) {
    return with_root_folder([&](ITaskFolder& root) {
        Bstr path(name), text(xml);
        VARIANT none;
        VariantInit(&none);
        win::Com<IRegisteredTask> task;
        // No user and no password: the task runs as the signed-in user, only while signed in.
        return root.RegisterTask(path.get(), text.get(), TASK_CREATE_OR_UPDATE, none, none,
                                 TASK_LOGON_INTERACTIVE_TOKEN, none, task.put());
    });
}

HRESULT delete_task(const std::wstring& name) {
    return with_root_folder([&](ITaskFolder& root) {
        Bstr path(name);
        const HRESULT hr = root.DeleteTask(path.get(), 0);
        return not_found(hr) ? S_OK : hr;
    });
}

HRESULT find_task(const std::wstring& name) {
    return with_root_folder([&](ITaskFolder& root) {
        Bstr path(name);
        win::Com<IRegisteredTask> task;
        const HRESULT hr = root.GetTask(path.get(), task.put());
        return not_found(hr) ? S_FALSE : hr;
    });
}

DWORD error_code(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
}

}  // namespace run

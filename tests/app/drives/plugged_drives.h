#pragma once
// Drive letters as a plugged-in drive has them. The sandbox's link in the prefix's
// dosdevices makes a drive reachable, but Wine lists drives (and knows their labels)
// from its mount manager, which reads dosdevices only when the Wine server starts.
// So a drive plugged in during a test is also announced to the mount manager, and
// pulling it out takes it from the mount manager and from the system's drive names.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace test {

class PluggedDrives {
public:
    explicit PluggedDrives(Sandbox& box) : box_(box) {}
    ~PluggedDrives() {
        for (wchar_t letter : std::vector<wchar_t>(plugged_)) unplug(letter);
    }
    PluggedDrives(const PluggedDrives&) = delete;
    PluggedDrives& operator=(const PluggedDrives&) = delete;

    static bool listed(wchar_t letter) { return (GetLogicalDrives() >> (towupper(letter) - L'A')) & 1u; }

    // A label, when given, is the volume's label (kept in the folder, as Wine does).
    void plug(wchar_t letter, const std::wstring& folder, const char* label = nullptr) {
        box_.mapDrive(letter, folder);
        if (label) write_bytes(folder + L"\\.windows-label", label);
        plugged_.push_back(letter);
        ASSERT_TRUE(announce(letter, unix_path(folder))) << "mount manager: " << GetLastError();
        ASSERT_TRUE(listed(letter));
    }

    // Pulled out: neither reachable nor listed.
    void unplug(wchar_t letter) {
        std::erase(plugged_, letter);
        EXPECT_TRUE(announce(letter, {}));
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, std::wstring{letter, L':'}.c_str(), nullptr);
        box_.unmapDrive(letter);
        EXPECT_FALSE(listed(letter));
    }

private:
    // Wine's mount manager request that defines (or, without a folder, removes) a
    // drive letter for a Unix folder, as its configuration tool does.
    struct UnixDrive {
        ULONG size;
        ULONG type;
        ULONG fs_type;
        DWORD serial;
        ULONGLONG unix_dev;
        WCHAR letter;
        USHORT mount_point_offset;
        USHORT device_offset;
        USHORT label_offset;
    };
    static bool announce(wchar_t letter, const std::string& unix_folder) {
        std::vector<char> buf(sizeof(UnixDrive) + unix_folder.size() + 1, '\0');
        auto* d = reinterpret_cast<UnixDrive*>(buf.data());
        d->size = static_cast<ULONG>(buf.size());
        d->type = 3;  // reported as a fixed disk under Wine 8
        d->letter = static_cast<WCHAR>(towlower(letter));
        if (!unix_folder.empty()) {
            d->mount_point_offset = sizeof(UnixDrive);
            std::memcpy(buf.data() + sizeof(UnixDrive), unix_folder.c_str(), unix_folder.size() + 1);
        }
        HANDLE h = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD got = 0;
        BOOL ok = DeviceIoControl(h, CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                                  buf.data(), static_cast<DWORD>(buf.size()), nullptr, 0, &got, nullptr);
        CloseHandle(h);
        return ok != FALSE;
    }

    Sandbox& box_;
    std::vector<wchar_t> plugged_;
};

}  // namespace test

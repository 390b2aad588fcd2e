#pragma once
// A private corner of the file system for one test: its own profile, working
// folder and drive letters (links in the Wine prefix's dosdevices).
#include <windows.h>

#include <string>
#include <vector>

namespace test {

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::wstring& root() const { return root_; }        // e.g. C:\users\...\Temp\ost-123
    std::wstring path(const std::wstring& rel) const { return root_ + L"\\" + rel; }
    std::wstring profile() const { return path(L"profile"); }
    std::wstring jobFolder() const { return profile() + L"\\Documents\\Ostrevin"; }
    std::wstring data() const { return path(L"data"); }        // the working folder

    // Maps a drive letter to a folder of the sandbox (made when missing); unmap removes it.
    void mapDrive(wchar_t letter, const std::wstring& folder);
    void unmapDrive(wchar_t letter);

private:
    std::wstring root_;
    std::wstring old_cwd_, old_profile_;
    std::vector<wchar_t> drives_;
};

// Files
void make_dirs(const std::wstring& path);
void write_bytes(const std::wstring& path, const std::string& bytes);
std::string read_bytes(const std::wstring& path);
bool exists(const std::wstring& path);
void remove_tree(const std::wstring& path);
// Runs a Unix program from inside Wine (for links in dosdevices) and waits for it;
// -1 when it could not be started (Wine does not report its exit code).
int run_unix(const std::wstring& command_line);
std::string unix_path(const std::wstring& windows_path);

// Pumps pending window messages for a while.
void pump(DWORD ms = 0);

std::string narrow(const std::wstring& w);

}  // namespace test

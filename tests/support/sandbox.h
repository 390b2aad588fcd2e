#pragma once
// A private corner of the file system for one test: its own profile, working
// folder and drive letters, and the file, process and Unix-side helpers that the
// suites share. A drive letter is a link in the Wine prefix's dosdevices, which makes
// it reachable; Wine lists drives (and knows their labels) from its mount manager,
// which reads dosdevices only when the Wine server starts, so it is told as well.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test {

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::wstring& root() const { return root_; }  // e.g. C:\users\...\Temp\ost-123
    std::wstring path(const std::wstring& rel) const { return root_ + L"\\" + rel; }
    std::wstring profile() const { return path(L"profile"); }
    std::wstring jobFolder() const { return profile() + L"\\Documents\\Ostrevin"; }
    std::wstring data() const { return path(L"data"); }  // the working folder

    // Plugs in a drive letter for a folder of the sandbox (made when missing), with a
    // volume label if given; unmap pulls it out: neither reachable nor listed.
    void mapDrive(wchar_t letter, const std::wstring& folder, const char* label = nullptr);
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
std::uint64_t write_time(const std::wstring& path);
void set_write_time(const std::wstring& path, std::uint64_t ticks);
// Every file and folder below root, relative, sorted, folders ending in "\".
std::vector<std::wstring> tree(const std::wstring& root);
// The files below root and what they hold: "name=content;" each, in tree's order.
std::string contents(const std::wstring& root);

// A program started with its output in a file; killed if still running at the end.
class Process {
public:
    explicit Process(std::wstring command_line, const std::wstring& folder = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    DWORD id() const { return pi_.dwProcessId; }
    // True once it has ended within ms, with its exit code in *code.
    bool wait(DWORD ms, DWORD* code = nullptr);
    void kill();  // as Task Manager does
    std::string output() const;

private:
    PROCESS_INFORMATION pi_{};
    std::wstring output_path_;
};

// Runs a shell script on the Unix side and waits for it: links, names that Windows
// calls cannot make, links deleted as links. Quote paths with sh_quote.
bool unix_shell(const std::string& script);
std::string sh_quote(const std::wstring& windows_path);
std::string unix_path(const std::wstring& windows_path);

// Pumps pending window messages for a while.
void pump(DWORD ms = 0);

std::string narrow(const std::wstring& w);
std::wstring cwd();
std::wstring temp_folder();  // ends in "\"

}  // namespace test

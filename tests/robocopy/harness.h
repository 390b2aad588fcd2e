// Black-box runs of the built robocopy.exe on real trees in the shared sandbox.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "options.h"
#include "support/sandbox.h"
#include "win/handles.h"

namespace rctest {

using namespace test;
using Tree = std::vector<std::wstring>;
using Row = std::vector<std::uint64_t>;  // Total, Copied, Skipped, Mismatch, FAILED, Extras

constexpr DWORD kCopied = robocopy::kExitCopied, kExtras = robocopy::kExitExtras, kMismatch = robocopy::kExitMismatch,
                kFailed = robocopy::kExitFailed, kFatal = robocopy::kExitFatal;

inline std::wstring quote(const std::wstring& path) { return L"\"" + path + L"\""; }
inline DWORD attributes(const std::wstring& p) { return GetFileAttributesW(p.c_str()); }

inline std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct RunResult {
    DWORD code = 0xFFFFFFFF;
    std::string output;
    double seconds = 0;
    // A summary row ("Dirs", "Files", "Bytes"), the last of that label (the header has
    // "Exc Files :"); empty if absent.
    Row row(const char* label) const {
        const std::size_t at = output.rfind(std::string(label) + " :");
        if (at == std::string::npos) return {};
        std::istringstream numbers(output.substr(at + std::strlen(label) + 2));
        Row values(6);
        for (auto& v : values) numbers >> v;
        return numbers ? values : Row{};
    }
    // The Dirs and Files rows, to compare runs as a whole.
    std::pair<Row, Row> rows() const { return {row("Dirs"), row("Files")}; }
};

// A copier left running, for tests that pull the drive or kill it halfway.
class Running : public Process {
public:
    explicit Running(const std::wstring& args) : Process(quote(exe()) + L" " + args) {}  // quoting is the caller's
    // Waits up to timeout_ms; a copier still running then is killed and the test fails.
    RunResult finish(DWORD timeout_ms = 120000) {
        RunResult result;
        if (!wait(timeout_ms, &result.code))
            ADD_FAILURE() << "robocopy.exe did not finish in " << timeout_ms / 1000 << " s";
        result.seconds = static_cast<double>(GetTickCount64() - start_) / 1000.0;
        kill();
        result.output = output();
        return result;
    }

private:
    // CTest hands over a Unix path; Wine maps "/" to drive Z:.
    static std::wstring exe() {
        const std::string env = std::getenv("ROBOCOPY_EXE") ? std::getenv("ROBOCOPY_EXE") : "robocopy.exe";
        std::wstring path = (env[0] == '/' ? L"Z:" : L"") + std::wstring(env.begin(), env.end());
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }
    ULONGLONG start_ = GetTickCount64();
};

inline RunResult run_robocopy(const std::wstring& args) { return Running(args).finish(); }

// Holds a file open with no sharing, so copies to or from it fail.
struct Lock {
    win::Handle h;
    explicit Lock(const std::wstring& path)
        : h(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    void release() { h = win::Handle(); }
};

// A source and a target folder in a fresh sandbox.
class CopyTest : public ::testing::Test {
protected:
    Sandbox box;
    std::wstring src = box.path(L"src");
    std::wstring dst = box.path(L"dst");

    void SetUp() override { make_dirs(src); }
    RunResult run(const std::wstring& options) { return run_robocopy(quote(src) + L" " + quote(dst) + L" " + options); }
    // Writes a source file, making its folders.
    void put(const std::wstring& rel, const std::string& content) {
        const std::wstring path = src + L"\\" + rel;
        make_dirs(path.substr(0, path.find_last_of(L'\\')));
        write_bytes(path, content);
    }
};

}  // namespace rctest

#include "run/log_watch.h"

#include "win/handles.h"

namespace run {
namespace {

// robocopy writes its log in the console code page, as the script's echo lines are.
std::wstring decode(const char* bytes, size_t size) {
    if (size == 0) return {};
    const int count = static_cast<int>(size);
    const int n = MultiByteToWideChar(CP_OEMCP, 0, bytes, count, nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_OEMCP, 0, bytes, count, text.data(), n);
    return text;
}

}  // namespace

win::Status LogWatch::readNew(bool last) {
    // Shared every way: the script and the copier go on appending while we read.
    win::Handle f(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return win::Status::last_error();
    LARGE_INTEGER size{}, at{};
    at.QuadPart = offset_;
    if (!GetFileSizeEx(f.get(), &size) || !SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN))
        return win::Status::last_error();
    char buf[64 * 1024];
    while (offset_ < size.QuadPart) {
        DWORD got = 0;
        if (!ReadFile(f.get(), buf, sizeof buf, &got, nullptr)) return win::Status::last_error();
        if (got == 0) break;
        offset_ += got;
        pending_.append(buf, got);
        // A newline byte never stands inside a character of an OEM code page.
        const size_t end = pending_.rfind('\n');
        if (end == std::string::npos) continue;
        log_.read(decode(pending_.data(), end + 1));
        pending_.erase(0, end + 1);
    }
    if (last) {
        log_.finish(decode(pending_.data(), pending_.size()));
        pending_.clear();
    }
    return {};
}

win::Status LogWatch::poll() {
    const win::Status s = readNew(false);
    return s.code() == ERROR_FILE_NOT_FOUND ? win::Status() : s;
}

win::Status LogWatch::finish() { return readNew(true); }

}  // namespace run

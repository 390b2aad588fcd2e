// Text output of the copier: wide text to a console, or the console's code
// page when standard output is redirected, as the real tool does. With a log
// file the text goes there instead (or as well, with /TEE).
#pragma once

#include <string>

#include "win/handles.h"

namespace robocopy {

class Console {
public:
    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Sends everything from now on to the file, appended or replacing it;
    // returns 0 or the system error.
    unsigned long openLog(const std::wstring& path, bool append, bool tee);
    void write(const std::wstring& text);
    void writeAscii(const char* text);
    // Buffered text goes out in one call; console writes under Wine are slow.
    void flush();
    // The system error of the first write to the log that failed (a full disk); 0 if none.
    unsigned long logError() const { return log_error_; }
    // Straight to the console, log or not.
    void tell(const std::wstring& text);

private:
    bool writeNarrow(void* handle, const std::wstring& text);

    void* out_;
    win::Handle log_;
    bool tee_ = false;
    unsigned long log_error_ = 0;
    bool is_console_;
    unsigned code_page_;
    unsigned long long last_flush_ = 0;
    std::wstring pending_;
};

// "ERROR 5 (0x00000005) Copying File X\r\nAccess is denied.\r\n"; a note, when
// given, stands in for the system's message.
std::wstring error_text(unsigned long code, const std::wstring& action, const std::wstring& path,
                        const wchar_t* note = nullptr);

}  // namespace robocopy

// Text output of the copier: wide text to a console, or the console's code
// page when standard output is redirected, as the real tool does.
#pragma once

#include <string>

namespace robocopy {

class Console {
 public:
  Console();
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  void write(const std::wstring& text);
  void write_ascii(const char* text);
  // Buffered text goes out in one call; console writes under Wine are slow.
  void flush();

 private:
  void* out_;
  bool is_console_;
  unsigned code_page_;
  std::wstring pending_;
};

// "ERROR 5 (0x00000005) Copying File X\r\nAccess is denied.\r\n"
std::wstring error_text(unsigned long code, const std::wstring& action, const std::wstring& path);

}  // namespace robocopy

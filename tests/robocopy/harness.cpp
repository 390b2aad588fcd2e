#include "harness.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace rctest {

namespace {
std::wstring exe_path() {
  // CTest hands over a Unix path; Wine maps "/" to drive Z:.
  const std::string env = std::getenv("ROBOCOPY_EXE") ? std::getenv("ROBOCOPY_EXE") : "robocopy.exe";
  std::wstring path(env.begin(), env.end());
  if (path[0] == L'/') path = L"Z:" + path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}
}  // namespace

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

Row RunResult::row(const char* label) const {
  std::istringstream in(output);
  const std::string key = std::string(label) + " :";
  for (std::string line; std::getline(in, line);) {
    if (line.find(key) == std::string::npos) continue;
    std::istringstream nums(line.substr(line.find(key) + key.size()));
    Row values;
    for (std::uint64_t v; nums >> v;) values.push_back(v);
    if (values.size() == 6) return values;
  }
  return {};
}

Running::Running(const std::wstring& args) : Process(quote(exe_path()) + L" " + args) {}

RunResult Running::finish(DWORD timeout_ms) {
  RunResult result;
  if (!wait(timeout_ms, &result.code)) ADD_FAILURE() << "robocopy.exe did not finish in " << timeout_ms / 1000 << " s";
  result.seconds = static_cast<double>(GetTickCount64() - start_) / 1000.0;
  kill();
  result.output = output();
  return result;
}

}  // namespace rctest

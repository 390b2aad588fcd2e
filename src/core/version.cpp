#include "core/version.h"

#include <cstdio>

namespace core {
namespace {
std::wstring field(unsigned n, int width) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%0*u", width, n);
    return buf;
}
}  // namespace

std::wstring plain_version_text(const Version& v) {
    return field(v.major, 1) + L"." + field(v.minor, 1) + L"." + field(v.revision, 1);
}

std::wstring padded_version_text(const Version& v) {
    return field(v.major, 4) + L"." + field(v.minor, 4) + L"." + field(v.revision, 4);
}

}  // namespace core

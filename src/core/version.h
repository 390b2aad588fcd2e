#pragma once
#include <string>

namespace core {

struct Version {
    unsigned major = 0, minor = 0, revision = 0;
};

std::wstring plain_version_text(const Version& v);   // 2014.312.1118
std::wstring padded_version_text(const Version& v);  // 2014.0312.1118

}  // namespace core

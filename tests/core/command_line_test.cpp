#include "core/command_line.h"

#include <gtest/gtest.h>

using namespace core;

TEST(CommandLine, Restore) {
    using M = CommandLine::Mode;
    const struct {
        std::vector<std::wstring> args;
        M mode;
        std::optional<std::wstring> as_of;
        std::wstring to;
    } cases[] = {
        {{L"/restore", L"W.ojf", L"C:\\D\\a.txt"}, M::Restore, std::nullopt, L""},
        {{L"-RESTORE", L"W.ojf", L"C:\\D", L"/asof", L"2026-12-07 21-00-05", L"/to", L"C:\\R", L"/quiet"},
         M::Restore, L"2026-12-07 21-00-05", L"C:\\R"},
        {{L"/restore", L"W.ojf"}, M::Bad, std::nullopt, L""},
        {{L"/restore", L"W.ojf", L"C:\\D", L"/asof", L"2026-12-07 21:00:05"}, M::Bad, std::nullopt, L""},
        {{L"/restore", L"W.ojf", L"C:\\D", L"/to"}, M::Bad, std::nullopt, L""},
        {{L"/run", L"W.ojf", L"/to", L"C:\\R"}, M::Bad, std::nullopt, L""},
        {{L"/restore", L"W.ojf", L"C:\\D", L"/run"}, M::Bad, std::nullopt, L""},
    };
    for (const auto& c : cases) {
        const CommandLine got = parse_command_line(c.args);
        EXPECT_EQ(got.mode, c.mode) << "case " << &c - cases;
        if (c.mode != M::Restore) continue;
        EXPECT_EQ(std::tie(got.job_file, got.path, got.as_of, got.to), std::tie(c.args[1], c.args[2], c.as_of, c.to));
    }
}

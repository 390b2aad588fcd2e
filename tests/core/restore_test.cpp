#include "core/restore.h"

#include <gtest/gtest.h>

using namespace core;

// Three runs: the first adds everything; the second changes a.txt, adds c.txt, removes
// gone.txt and puts a file d where the folder d was; one second later the third changes
// a.txt again and brings gone.txt back.
TEST(Restore, AFileOrFolderAsOfEachMoment) {
    const std::wstring r1 = L"2026-01-01 10-00-00", r2 = L"2026-01-02 10-00-00", r3 = L"2026-01-02 10-00-01";
    const std::vector<RunRecord> runs = {
        {r3, {L"BK\\a.txt"}, {L"BK\\gone.txt"}},
        {r1, {}, {L"BK\\a.txt", L"BK\\b.txt", L"BK\\d\\x.txt", L"BK\\gone.txt"}},
        {r2, {L"BK\\a.txt", L"BK\\gone.txt", L"BK\\d\\x.txt"}, {L"BK\\c.txt", L"BK\\d"}},
        {L"not a run", {L"BK\\b.txt"}, {}},
    };
    const std::vector<std::wstring> backup = {L"BK\\a.txt", L"BK\\b.txt", L"BK\\c.txt", L"BK\\d", L"BK\\gone.txt"};
    using F = RestoreFile;
    const struct {
        const wchar_t* path;
        std::optional<std::wstring> moment;
        std::vector<F> files;
    } cases[] = {
        {L"BK", L"2025-12-31 23-59-59", {}},
        {L"BK", r1, {{L"BK\\a.txt", r2}, {L"BK\\b.txt", L""}, {L"BK\\d\\x.txt", r2}, {L"BK\\gone.txt", r2}}},
        {L"BK", r2, {{L"BK\\a.txt", r3}, {L"BK\\b.txt", L""}, {L"BK\\c.txt", L""}, {L"BK\\d", L""}}},
        {L"BK",
         r3,
         {{L"BK\\a.txt", L""}, {L"BK\\b.txt", L""}, {L"BK\\c.txt", L""}, {L"BK\\d", L""}, {L"BK\\gone.txt", L""}}},
        {L"bk\\A.TXT", L"2026-01-01 23-00-00", {{L"BK\\a.txt", r2}}},
        {L"BK\\d", r1, {{L"BK\\d\\x.txt", r2}}},
        {L"BK\\a", std::nullopt, {}},
        {L"BK\\a.txt", L"not a moment", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(files_as_of(runs, backup, c.path, c.moment), c.files) << "case " << &c - cases;

    EXPECT_EQ(newest_files(runs, backup, L"BK\\d\\x.txt"), (std::vector<F>{{L"BK\\d\\x.txt", r2}}));
    EXPECT_EQ(newest_files(runs, {}, L"BK\\a.txt"), (std::vector<F>{{L"BK\\a.txt", r3}}));
    EXPECT_EQ(copies_of(runs, backup, L"BK\\A.txt"), (std::vector<std::wstring>{L"", r3, r2}));
    // A run that kept a file and added it under another spelling: the kept copy was there before it.
    EXPECT_EQ(files_as_of({{r1, {L"BK\\e.txt"}, {L"BK\\E.TXT"}}}, {L"BK\\E.TXT"}, L"BK\\e.txt", L"2025-12-31 23-59-59"),
              (std::vector<F>{{L"BK\\e.txt", r1}}));
}

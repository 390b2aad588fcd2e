#include "core/purge_check.h"

#include <gtest/gtest.h>

#include "core/batch_script.h"

using namespace core;

// Rows as a list-only run with /PURGE counts them: Total, Copied, Skipped, Mismatch, FAILED, Extras.
TEST(PurgeCheck, AsksBeforeAPurgeTakesMostOfABackup) {
    const FileCounts top_only{1, 0, 1, 0, 0, 0};
    const struct {
        FileCounts files, dirs;
        bool ask;
    } cases[] = {
        {{0, 0, 0, 0, 0, 200}, top_only, true},    // the source looks empty
        {{10, 0, 10, 0, 0, 190}, top_only, true},  // 190 of 200 gone
        {{198, 0, 198, 0, 0, 2}, top_only, false},
        {{1, 0, 1, 0, 0, 5}, top_only, false},              // 5 of 6: too few files to judge by
        {{0, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 2}, true},     // no file left, and its folders would go
        {{1, 0, 1, 0, 0, 0}, {1, 0, 1, 0, 0, 3}, true},     // every sub-folder would go
        {{50, 50, 0, 0, 0, 0}, {5, 1, 4, 0, 0, 1}, false},  // one folder of four: ordinary pruning
        {{0, 0, 0, 0, 0, 0}, top_only, false},
    };
    for (const auto& c : cases) EXPECT_EQ(purge_needs_question(c.files, c.dirs), c.ask) << "case " << &c - cases;
}

TEST(PurgeCheck, AJobAnsweredNoRunsWithoutPurge) {
    const auto lines = script_lines({{L"C:\\A", L"E:\\BK"}, {L"C:\\B", L"E:\\BK"}}, L"rc", L" /E /PURGE /R:3 /W:3",
                                    L"R", L"L", {}, {false, true});
    EXPECT_EQ(lines[2], L"\"rc\" \"C:\\A\" \"E:\\BK\\A\" /E /PURGE /R:3 /W:3 /NP /LOG+:\"L\"");
    EXPECT_EQ(lines[5], L"\"rc\" \"C:\\B\" \"E:\\BK\\B\" /E /R:3 /W:3 /NP /LOG+:\"L\"");
}

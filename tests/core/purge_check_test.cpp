#include "core/purge_check.h"

#include <gtest/gtest.h>

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

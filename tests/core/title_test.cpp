#include "core/title.h"

#include <gtest/gtest.h>

using namespace core;

TEST(Title, CommandsFollowTheDocumentAndTheRun) {
    const struct {
        DocumentState d;
        CommandStates c;
    } cases[] = {
        // Nothing yet: only Open and Print; Restore needs jobs.
        {{true, false, 0, false}, {false, true, false, false, true, false, false, true, false}},
        // Jobs added to an untitled list: New and Save As, not Save.
        {{true, true, 2, false}, {true, true, false, true, true, false, false, true, true}},
        // Rows kept from a file that could not be read: New and Save As.
        {{true, false, 1, false}, {true, true, false, true, true, false, false, true, true}},
        // A named file, unchanged, even empty: everything but Save.
        {{false, false, 0, false}, {true, true, false, true, true, true, true, true, false}},
        {{false, true, 3, false}, {true, true, true, true, true, true, true, true, true}},
        // During a run every file command waits for its end; the history, only read, stays open.
        {{false, true, 3, true}, {.history = true}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(command_states(c.d), c.c) << c.d.untitled << c.d.changed << c.d.jobs << c.d.running;
}

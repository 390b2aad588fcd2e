#include "core/run_verdict.h"

#include <gtest/gtest.h>

using namespace core;
using Kind = RunVerdict::Kind;
using Jobs = std::optional<std::vector<int>>;

TEST(RunVerdict, OnlyProofOfEveryJobIsComplete) {
    const struct {
        bool ended;
        Jobs failed, unfinished;
        Kind kind;
        std::vector<int> named_failed, named_unfinished;
        std::vector<int> mismatched = {};  // exit code 4: something of the backup in the way
    } cases[] = {
        {true, std::vector<int>{}, std::vector<int>{}, Kind::Failed, {2}, {}, {2}},
        {true, std::vector<int>{3}, std::vector<int>{1}, Kind::Failed, {2, 3}, {1}, {2, 3}},
        {true, std::vector<int>{}, std::vector<int>{2}, Kind::NotFinished, {}, {2}, {2}},  // rows of a killed copy?
        {false, std::vector<int>{}, std::vector<int>{}, Kind::NotFinished, {}, {}, {1}},
        {true, std::vector<int>{}, std::vector<int>{}, Kind::Completed, {}, {}},
        {false, std::vector<int>{}, std::vector<int>{}, Kind::NotFinished, {}, {}},   // stopped
        {true, std::nullopt, std::vector<int>{}, Kind::NotConfirmed, {}, {}},         // no results file
        {true, std::vector<int>{}, std::nullopt, Kind::NotConfirmed, {}, {}},         // no log
        {true, std::vector<int>{}, std::vector<int>{2}, Kind::NotFinished, {}, {2}},  // killed: exit code 1
        {true, std::vector<int>{2}, std::vector<int>{2}, Kind::Failed, {2}, {}},
        {true, std::vector<int>{3}, std::vector<int>{1, 3}, Kind::Failed, {3}, {1}},  // both are told
    };
    for (const auto& c : cases) {
        const RunVerdict v = judge_run(c.ended, c.failed, c.unfinished, c.mismatched);
        EXPECT_EQ(v.kind, c.kind) << "case " << &c - cases;
        EXPECT_EQ(v.failed, c.named_failed) << "case " << &c - cases;
        EXPECT_EQ(v.unfinished, c.named_unfinished) << "case " << &c - cases;
    }
}

#include "core/run_log.h"

#include <gtest/gtest.h>

using namespace core;

namespace {
// Two jobs as the script and our copier write them; job 2 fails on one file.
const std::wstring kLog =
    L"Ostrevin job 1 \r\n"
    L"  Started : Sunday\r\n"
    L"\t    New File  \t       5\tC:\\A\\a.txt\r\n"
    L"\t    Newer     \t       7\tC:\\A\\sub\\b.txt\r\n"
    L"   Ended : Sunday\r\n"
    L"Ostrevin job 2 \r\n"
    L"\t    New File  \t    1024\tC:\\B\\x.doc\r\n"
    L"ERROR 5 (0x00000005) Copying File C:\\B\\x.doc\r\n"
    L"Access is denied.\r\n"
    L"Waiting 3 seconds... Retrying...\r\n"
    L"ERROR 32 (0x00000020) Copying File C:\\B\\y.doc\r\n"
    L"The process cannot access the file because it is being used by another process.\r\n"
    L"ERROR: RETRY LIMIT EXCEEDED.\r\n"
    L"\t    Older     \t       9\tC:\\B\\z";  // still being written
}  // namespace

TEST(RunLog, ProgressFollowsTheJobAndItsFilesAsTheLogGrows) {
    struct Case {
        size_t cut;  // the log as far as it had grown
        int job, finished, files;
        const wchar_t* file;
    } cases[] = {{0, 0, 0, 0, L""},
                 {kLog.find(L"  Started"), 1, 0, 0, L""},
                 {kLog.find(L"   Ended"), 1, 0, 2, L"C:\\A\\sub\\b.txt"},
                 {kLog.find(L"Ostrevin job 2"), 1, 1, 2, L"C:\\A\\sub\\b.txt"},
                 {kLog.find(L"ERROR 5"), 2, 1, 1, L"C:\\B\\x.doc"},
                 {kLog.size(), 2, 1, 1, L"C:\\B\\x.doc"}};
    for (const auto& c : cases) {
        // Read at once, and as the wait reads it: in pieces that cut lines in two.
        RunLog whole, pieces;
        const std::wstring_view text = std::wstring_view(kLog).substr(0, c.cut);
        EXPECT_EQ(whole.read(text), text.find_last_of(L'\n') + 1) << c.cut;
        std::wstring pending;
        for (size_t at = 0; at < text.size(); at += 7) {
            pending += text.substr(at, 7);
            pending.erase(0, pieces.read(pending));
        }
        for (const RunProgress& p : {whole.progress(), pieces.progress()}) {
            EXPECT_EQ(p.job, c.job) << c.cut;
            EXPECT_EQ(p.finished, c.finished) << c.cut;
            EXPECT_EQ(p.files, c.files) << c.cut;
            EXPECT_EQ(p.file, c.file) << c.cut;
        }
    }
    RunLog log;
    log.read(kLog);
    EXPECT_EQ(progress_text(log.progress(), 5, L"C:\\B"), L"Job 2 of 5: C:\\B \u2014 1 file: C:\\B\\x.doc");
    log = {};
    log.read(kLog.substr(0, 17));
    EXPECT_EQ(progress_text(log.progress(), 5, L"C:\\A"), L"Job 1 of 5: C:\\A");
}

TEST(RunLog, AFailedJobsReasonsAreItsFirstErrorsWithTheirMessages) {
    RunLog log;
    // A retry's repeat (here with the time the system's robocopy adds) is left out.
    log.finish(kLog +
               L"\r\n2026/12/06 16:30:10 ERROR 5 (0x00000005) Copying File C:\\B\\x.doc\r\nAccess is denied.\r\n"
               L"2026/12/06 16:30:13 ERROR 2 (0x00000002) Scanning Source Directory C:\\B\\q\r\nGone.\r\n"
               L"ERROR 3 (0x00000003) Copying File C:\\B\\r\r\nNot found.");
    EXPECT_EQ(log.errors(2),
              (std::vector<std::wstring>{
                  L"ERROR 5 (0x00000005) Copying File C:\\B\\x.doc", L"Access is denied.",
                  L"ERROR 32 (0x00000020) Copying File C:\\B\\y.doc",
                  L"The process cannot access the file because it is being used by another process.",
                  L"2026/12/06 16:30:13 ERROR 2 (0x00000002) Scanning Source Directory C:\\B\\q", L"Gone."}));
    EXPECT_TRUE(log.errors(1).empty());
    EXPECT_TRUE(log.errors(3).empty());
    EXPECT_EQ(log.unfinished(3), (std::vector<int>{2, 3}));
}

TEST(RunLog, OnlyAJobWhoseSectionEndsWithTheEndLineIsFinished) {
    const std::wstring done = L"Ostrevin job 1 \r\n  Started : x\r\n   Files :  1\r\n   Ended : Sunday 1 PM\r\n\r\n";
    struct Case {
        std::wstring log;
        int jobs;
        std::vector<int> unfinished;
    } cases[] = {
        {done, 1, {}},
        {done + L"Ostrevin job 2 \r\n  Started : x\r\n", 2, {2}},                      // killed mid-job
        {done + L"Ostrevin job 2 \r\nOstrevin job 3 \r\n" + done.substr(16), 3, {2}},  // never started
        {L"Ostrevin job 1 \r\n   Ended : x\r\nERROR 5 later\r\n", 1, {1}},             // the end line must be last
        {L"", 2, {1, 2}},
        {L"   Ended : x\r\n", 1, {1}},  // no marker: whose is it?
        {L"Ostrevin job 14 \r\n   Ended : x\r\nOstrevin job x1 \r\n", 1, {1}},
    };
    for (const auto& c : cases) {
        RunLog log;
        log.finish(c.log);
        EXPECT_EQ(log.unfinished(c.jobs), c.unfinished) << c.log.size();
    }
}

// Fatal errors (16), failed copies after retries (8) and mismatches (4); the log's own in safety_test.cpp.
#include <thread>

#include "harness.h"

using namespace rctest;

namespace {

TEST_F(CopyTest, MissingSourceFileAsFolderAndBadArgumentsAreFatalAndCopyNothing) {
    write_bytes(box.path(L"file"), "f");
    put(L"a.txt", "a");
    const std::wstring paths = quote(src) + L" " + quote(dst), file = quote(box.path(L"file"));
    // The parsing's own cases are in logic_test.cpp.
    const struct {
        std::wstring args;
        const char* says;
    } cases[] = {{quote(box.path(L"no_such_folder")) + L" " + quote(dst), "ERROR"},
                 {file + L" " + quote(dst), "ERROR"},
                 {quote(src) + L" " + file, "ERROR"},
                 {paths + L" /MIR", "Usage"},
                 {quote(src), "Usage"}};
    for (const auto& c : cases) {
        const RunResult r = run_robocopy(c.args);
        EXPECT_EQ(r.code, kFatal) << test::narrow(c.args);
        EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    }
    EXPECT_FALSE(exists(dst));
    EXPECT_EQ(read_bytes(box.path(L"file")), "f");
}

// A locked file fails after exactly the retries asked, waiting between them, and
// leaves the old copy; a lock that goes in time lets a retry succeed.
TEST_F(CopyTest, LockedFilesRetriesAndWaits) {
    const struct {
        bool lock_source;
        const wchar_t* options;
        int release_after_ms;  // 0: held throughout
        std::size_t tries, waits;
        double min_s;
    } cases[] = {
        {false, L"/R:2 /W:1", 0, 3, 2, 1.9}, {true, L"/R:1 /W:0", 0, 2, 0, 0}, {false, L"/R:30 /W:1", 1500, 0, 0, 1.0}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        dst = box.path(L"dst" + std::to_wstring(++n));
        put(L"busy.txt", "old");
        put(L"free.txt", "free");
        ASSERT_EQ(run(L"/R:0 /W:0").code, kCopied);
        put(L"busy.txt", "new and longer");
        put(L"free.txt", "free, changed");
        Lock lock((c.lock_source ? src : dst) + L"\\busy.txt");
        ASSERT_TRUE(lock.h);
        std::thread release([&] {
            if (c.release_after_ms) Sleep(static_cast<DWORD>(c.release_after_ms)), lock.release();
        });
        const RunResult r = run(c.options);
        release.join();
        lock.release();
        EXPECT_EQ(r.code, c.release_after_ms ? kCopied : kCopied | kFailed) << r.output;
        EXPECT_GE(r.seconds, c.min_s);
        EXPECT_LT(r.seconds, 30);
        EXPECT_EQ(read_bytes(dst + L"\\free.txt"), "free, changed");
        EXPECT_EQ(read_bytes(dst + L"\\busy.txt"), c.release_after_ms ? "new and longer" : "old");
        if (c.release_after_ms) continue;
        EXPECT_EQ(r.row("Files"), (Row{2, 1, 0, 0, 1, 0}));
        EXPECT_EQ(count_of(r.output, "Copying File"), c.tries) << r.output;
        EXPECT_EQ(count_of(r.output, "Waiting 1 seconds"), c.waits) << r.output;
    }
}

// A file where a folder is, or the other way round, is a mismatch (not a failure) with
// nothing removed; with /PURGE what is in the way is an extra and a mirror converges in
// one run. /L gives each run's rows and exit code.
TEST_F(CopyTest, AFileWhereAFolderIsOrTheOtherWayRoundIsAMismatchUntilAMirrorConverges) {
    put(L"clash", "file in source");
    put(L"fine.txt", "fine");
    put(L"other\\f.txt", "in a folder");
    make_dirs(dst + L"\\clash");
    write_bytes(dst + L"\\clash\\inner.txt", "kept");
    write_bytes(dst + L"\\other", "a file in the target");
    const struct {
        const wchar_t* options;
        DWORD code;
        Row dirs, files;
    } cases[] = {{L"", kCopied | kMismatch, {1, 0, 1, 0, 0, 0}, {2, 1, 0, 1, 0, 0}},
                 {L"/S", kMismatch, {2, 0, 1, 1, 0, 0}, {2, 0, 1, 1, 0, 0}},
                 {L"/S /PURGE", kCopied | kExtras, {2, 1, 1, 0, 0, 1}, {3, 2, 1, 0, 0, 1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(test::narrow(c.options));
        const RunResult listed = run(c.options + std::wstring(L" /L /R:3 /W:3"));
        const RunResult r = run(c.options + std::wstring(L" /R:3 /W:3"));
        EXPECT_EQ(r.code, c.code) << r.output;
        EXPECT_EQ(r.rows(), std::pair(c.dirs, c.files));
        EXPECT_EQ(listed.code, r.code) << listed.output;
        EXPECT_EQ(listed.rows(), r.rows());
        EXPECT_LT(r.seconds, 3.0);
        if (c.code & kExtras) continue;
        EXPECT_EQ(read_bytes(dst + L"\\other"), "a file in the target");
        EXPECT_EQ(read_bytes(dst + L"\\clash\\inner.txt"), "kept");
    }
    EXPECT_EQ(tree(dst), tree(src));
}

// Errors that no wait can cure end at once, even with robocopy's own defaults (a
// million retries 30 s apart): a name Windows forbids, a link in the way that leads
// nowhere (a mismatch; the purge replaces the link itself, never what it names).
TEST_F(CopyTest, ErrorsThatWaitingCannotCureEndAtOnce) {
    put(L"a.txt", "a");
    put(L"gone.txt", "the file");
    make_dirs(dst);
    ASSERT_TRUE(unix_shell("cd " + sh_quote(src) + " && printf q > 'what?.txt' && ln -s nowhere/x " + sh_quote(dst) +
                           "/gone.txt"));
    RunResult r = run(L"");
    EXPECT_EQ(r.code, kCopied | kMismatch | kFailed) << r.output;
    EXPECT_EQ(r.row("Files"), (Row{3, 1, 0, 1, 1, 0}));
    EXPECT_LT(r.seconds, 10.0);
    r = run(L"/PURGE");
    EXPECT_EQ(r.code, kCopied | kFailed) << r.output;
    EXPECT_LT(r.seconds, 10.0);
    EXPECT_EQ(read_bytes(dst + L"\\gone.txt"), "the file");
    EXPECT_FALSE(exists(dst + L"\\nowhere"));
}

}  // namespace

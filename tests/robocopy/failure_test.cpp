// Fatal errors (16), failed copies after retries (8) and mismatches (4).
#include <thread>

#include "fixture.h"

using namespace rctest;
using namespace robocopy;

namespace {

const DWORD kFatal = kExitFatal;

// ---- fatal: nothing is copied and the code is 16 ----

TEST_F(CopyTest, MissingSourceIsFatalAndMakesNoTarget) {
  src = box.path(L"no_such_folder");
  const RunResult r = run(L"/E /R:0 /W:0");
  EXPECT_EQ(r.code, kFatal) << r.output;
  EXPECT_NE(r.output.find("ERROR"), std::string::npos);
  EXPECT_FALSE(is_dir(dst));
}

TEST_F(CopyTest, SourceOrTargetThatIsAFileIsFatal) {
  write_bytes(box.path(L"file"), "f");
  put(L"a.txt", "a");
  EXPECT_EQ(run_robocopy(quote(box.path(L"file")) + L" " + quote(dst) + L" /R:0 /W:0").code, kFatal);
  EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(box.path(L"file")) + L" /R:0 /W:0").code, kFatal);
  EXPECT_EQ(read_bytes(box.path(L"file")), "f");
}

TEST_F(CopyTest, BadArgumentsPrintUsageAndCopyNothing) {
  put(L"a.txt", "a");
  const std::wstring paths = quote(src) + L" " + quote(dst);
  for (const std::wstring& args : {paths + L" /MIR", paths + L" /R:x", paths + L" /W:", quote(src), std::wstring(),
                                  paths + L" " + quote(box.path(L"third"))}) {
    const RunResult r = run_robocopy(args);
    EXPECT_EQ(r.code, kFatal) << std::string(args.begin(), args.end());
    EXPECT_NE(r.output.find("Usage"), std::string::npos) << r.output;
  }
  EXPECT_FALSE(is_dir(dst));
}

// ---- failed copies, retries and waits ----

class Locked : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    put(L"busy.txt", "old");
    put(L"free.txt", "free");
    ASSERT_EQ(run(L"/R:0 /W:0").code, static_cast<DWORD>(kExitCopied));
    put(L"busy.txt", "new and longer");
    put(L"free.txt", "free, changed");
  }
  std::wstring busy_target() const { return dst + L"\\busy.txt"; }
};

TEST_F(Locked, LockedTargetFailsAfterExactlyTheRetriesAsked) {
  Lock lock(busy_target());
  ASSERT_TRUE(lock.held());
  const RunResult r = run(L"/R:1 /W:0");
  lock.release();
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied | kExitFailed)) << r.output;
  EXPECT_EQ(count_of(r.output, "Copying File"), 2u) << r.output;  // the try and one retry
  EXPECT_NE(r.output.find("RETRY LIMIT"), std::string::npos);
  EXPECT_EQ(r.row("Files"), (Row{2, 1, 0, 0, 1, 0}));
  EXPECT_EQ(read_bytes(busy_target()), "old");
  EXPECT_EQ(read_bytes(dst + L"\\free.txt"), "free, changed");
  EXPECT_LT(r.seconds, 30.0);
}

TEST_F(Locked, WaitsTheGivenSecondsBetweenRetries) {
  Lock lock(busy_target());
  ASSERT_TRUE(lock.held());
  const RunResult r = run(L"/R:2 /W:1");
  EXPECT_EQ(r.code & kExitFailed, static_cast<DWORD>(kExitFailed)) << r.output;
  EXPECT_EQ(count_of(r.output, "Copying File"), 3u) << r.output;
  EXPECT_EQ(count_of(r.output, "Waiting 1 seconds"), 2u) << r.output;
  EXPECT_GE(r.seconds, 1.9);
}

TEST_F(Locked, RetrySucceedsOnceTheLockIsGone) {
  Lock lock(busy_target());
  ASSERT_TRUE(lock.held());
  std::thread release([&lock] {
    Sleep(1500);
    lock.release();
  });
  const RunResult r = run(L"/R:30 /W:1");
  release.join();
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_GE(count_of(r.output, "Copying File"), 1u);
  EXPECT_EQ(read_bytes(busy_target()), "new and longer");
}

TEST_F(Locked, LockedSourceFailsTooAndLeavesTheOldCopy) {
  Lock lock(src + L"\\busy.txt");
  ASSERT_TRUE(lock.held());
  const RunResult r = run(L"/R:1 /W:0");
  lock.release();
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied | kExitFailed)) << r.output;
  EXPECT_EQ(read_bytes(busy_target()), "old");
}

// ---- mismatches: a file on one side, a folder on the other ----

TEST_F(CopyTest, FolderWhereAFileShouldGoFailsAsMismatch) {
  put(L"clash", "file in source");
  put(L"fine.txt", "fine");
  make_dirs(dst + L"\\clash");
  write_bytes(dst + L"\\clash\\inner.txt", "kept");
  const RunResult r = run(L"/R:1 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied | kExitMismatch | kExitFailed)) << r.output;
  EXPECT_EQ(read_bytes(dst + L"\\clash\\inner.txt"), "kept");
  EXPECT_EQ(read_bytes(dst + L"\\fine.txt"), "fine");
  EXPECT_EQ(r.row("Files"), (Row{2, 1, 0, 1, 1, 0}));
}

TEST_F(CopyTest, FileWhereAFolderShouldGoFailsAsMismatch) {
  put(L"clash\\f.txt", "in a folder");
  make_dirs(dst);
  write_bytes(dst + L"\\clash", "a file in the target");
  const RunResult r = run(L"/S /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitMismatch | kExitFailed)) << r.output;
  EXPECT_EQ(read_bytes(dst + L"\\clash"), "a file in the target");
}

}  // namespace

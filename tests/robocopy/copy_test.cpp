// What gets copied, skipped, created and purged, checked on disk.
#include "fixture.h"

using namespace rctest;
using namespace robocopy;

namespace {

std::string pattern(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 23);
  }
  return s;
}

// ---- plain copies: which files, their bytes and their times ----

TEST_F(CopyTest, WithoutSubdirOptionsOnlyTopLevelFilesAreCopiedIntoNewParents) {
  put(L"a.txt", "alpha");
  put(L"sub\\c.txt", "not copied");
  put(L"sub\\deeper\\d.txt", "not copied either");
  dst = box.path(L"dst\\made\\on\\demand");

  const RunResult r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"a.txt"}));
  EXPECT_EQ(read_bytes(dst + L"\\a.txt"), "alpha");
  EXPECT_EQ(r.row("Files"), (Row{1, 1, 0, 0, 0, 0}));
}

TEST_F(CopyTest, BytesAndWriteTimesSurviveAtEveryBufferBoundary) {
  const std::size_t mb = 1 << 20;
  // Sizes around the copier's 256 KB buffer and beyond.
  const std::pair<const wchar_t*, std::size_t> files[] = {
      {L"empty", 0},     {L"one", 1},      {L"buffer", 256 << 10}, {L"buffer_plus_one", (256 << 10) + 1},
      {L"exact_mb", mb}, {L"mb_plus_one", mb + 1}, {L"three_mb", 3 * mb + 17}};
  unsigned seed = 1;
  for (const auto& [name, size] : files) put(name, pattern(size, seed++));
  set_write_time(src + L"\\one", 116444736000000000ull);  // 1970, far from "now"

  const RunResult r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  seed = 1;
  for (const auto& [name, size] : files) {
    const std::wstring rel = name;
    const std::string copy = read_bytes(dst + L"\\" + rel);
    EXPECT_EQ(copy.size(), size) << "size of " << std::string(rel.begin(), rel.end());
    EXPECT_TRUE(copy == pattern(size, seed++)) << "bytes of " << std::string(rel.begin(), rel.end());
    EXPECT_EQ(write_time(dst + L"\\" + rel), write_time(src + L"\\" + rel));
  }
  std::uint64_t total = 0;
  for (const auto& f : files) total += f.second;
  EXPECT_EQ(r.row("Bytes"), (Row{total, total, 0, 0, 0, 0}));
}

TEST_F(CopyTest, MoreFilesThanTheCopyQueueHoldsAllArriveIntact) {
  // Over 1024 files in one folder: the walk has to wait for the copy threads.
  const int kFiles = 1100;
  for (int i = 0; i < kFiles; ++i) put(L"many\\f" + std::to_wstring(i), "content " + std::to_string(i * 7919));
  put(L"other\\last.txt", "last");

  const RunResult r = run(L"/S /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_EQ(r.row("Files"), (Row{kFiles + 1, kFiles + 1, 0, 0, 0, 0}));
  EXPECT_EQ(tree(dst).size(), static_cast<std::size_t>(kFiles + 3));  // the files and two folders
  int wrong = 0;
  for (int i = 0; i < kFiles; ++i)
    if (read_bytes(dst + L"\\many\\f" + std::to_wstring(i)) != "content " + std::to_string(i * 7919)) ++wrong;
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(run(L"/S /R:0 /W:0").code, 0u);
}

// ---- reruns: nothing when nothing changed, and only what changed ----

TEST_F(CopyTest, UnchangedRerunCopiesNothingAndDecidesBySizeAndTimeOnly) {
  put(L"a.txt", "alpha");
  put(L"x\\b.txt", "bravo");
  ASSERT_EQ(run(L"/E /R:0 /W:0").code, static_cast<DWORD>(kExitCopied));

  RunResult again = run(L"/E /R:0 /W:0");
  EXPECT_EQ(again.code, 0u) << again.output;
  EXPECT_EQ(again.row("Files"), (Row{2, 0, 2, 0, 0, 0}));
  EXPECT_EQ(again.row("Dirs"), (Row{2, 0, 2, 0, 0, 0}));

  // Same size and time but other bytes: the real tool skips it, and so do we.
  const std::wstring copy = dst + L"\\a.txt";
  const std::uint64_t t = write_time(copy);
  write_bytes(copy, "ALPHA");
  set_write_time(copy, t);
  again = run(L"/E /R:0 /W:0");
  EXPECT_EQ(again.code, 0u) << again.output;
  EXPECT_EQ(read_bytes(copy), "ALPHA");
}

TEST_F(CopyTest, ChangedSizeOrEitherWayChangedTimeIsRecopied) {
  put(L"a.txt", "alpha");
  put(L"b.txt", "bravo");
  put(L"c.txt", "charlie");
  ASSERT_EQ(run(L"/R:0 /W:0").code, static_cast<DWORD>(kExitCopied));

  put(L"a.txt", "alpha, longer now");
  RunResult r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_EQ(r.row("Files"), (Row{3, 1, 2, 0, 0, 0}));
  EXPECT_EQ(read_bytes(dst + L"\\a.txt"), "alpha, longer now");

  // Same size, older time: still copied, and the target takes the older time.
  const std::uint64_t old_time = write_time(src + L"\\b.txt") - 10'000'000ull * 3600;
  put(L"b.txt", "BRAVO");
  set_write_time(src + L"\\b.txt", old_time);
  // Same size, newer time.
  put(L"c.txt", "CHARLIE");
  set_write_time(src + L"\\c.txt", write_time(dst + L"\\c.txt") + 10'000'000ull * 60);
  r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_EQ(r.row("Files"), (Row{3, 2, 1, 0, 0, 0}));
  EXPECT_EQ(read_bytes(dst + L"\\b.txt"), "BRAVO");
  EXPECT_EQ(read_bytes(dst + L"\\c.txt"), "CHARLIE");
  EXPECT_EQ(write_time(dst + L"\\b.txt"), old_time);

  EXPECT_EQ(run(L"/R:0 /W:0").code, 0u);
}

// ---- sub-folders: /S leaves out empty ones, /E keeps them ----

class SubFolders : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    put(L"top.txt", "t");
    put(L"deep\\x\\y\\f.txt", "f");
    make_dirs(src + L"\\empty");
    make_dirs(src + L"\\only_empties\\e1\\e2");
    make_dirs(src + L"\\deep\\x\\hollow");
  }
};

TEST_F(SubFolders, SCopiesOnlyFoldersThatHoldFilesBelowThem) {
  const RunResult r = run(L"/S /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"deep\\", L"deep\\x\\", L"deep\\x\\y\\", L"deep\\x\\y\\f.txt", L"top.txt"}));
  EXPECT_EQ(run(L"/S /R:0 /W:0").code, 0u);
}

TEST_F(SubFolders, ECopiesEmptyFoldersToo) {
  const RunResult r = run(L"/E /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied)) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"deep\\", L"deep\\x\\", L"deep\\x\\hollow\\", L"deep\\x\\y\\", L"deep\\x\\y\\f.txt",
                             L"empty\\", L"only_empties\\", L"only_empties\\e1\\", L"only_empties\\e1\\e2\\",
                             L"top.txt"}));
  // root + deep, x, hollow, y, empty, only_empties, e1, e2
  EXPECT_EQ(r.row("Dirs"), (Row{9, 9, 0, 0, 0, 0}));
  EXPECT_EQ(run(L"/E /R:0 /W:0").code, 0u);
}

TEST_F(SubFolders, AnEmptySourceStillGetsItsTargetFolder) {
  const std::wstring empty_src = box.path(L"nothing");
  make_dirs(empty_src);
  const RunResult r = run_robocopy(quote(empty_src) + L" " + quote(dst) + L" /S /R:0 /W:0");
  EXPECT_EQ(r.code, 0u) << r.output;
  EXPECT_TRUE(is_dir(dst));
  EXPECT_TRUE(tree(dst).empty());
}

// ---- extras: seen and reported always, deleted only with /PURGE ----

class Extras : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    put(L"keep.txt", "k");
    put(L"deep\\keep2.txt", "k2");
    make_dirs(src + L"\\kept_empty");
    ASSERT_EQ(run(L"/E /R:0 /W:0").code, static_cast<DWORD>(kExitCopied));
    write_bytes(dst + L"\\extra.txt", "x");
    write_bytes(dst + L"\\deep\\stale.txt", "s");
    make_dirs(dst + L"\\old\\older");
    write_bytes(dst + L"\\old\\older\\inner.txt", "i");
    write_bytes(dst + L"\\readonly.txt", "r");
    SetFileAttributesW((dst + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  }
  const Tree copied{L"deep\\", L"deep\\keep2.txt", L"keep.txt", L"kept_empty\\"};
  const Tree with_extras{L"deep\\",       L"deep\\keep2.txt", L"deep\\stale.txt",        L"extra.txt",
                         L"keep.txt",     L"kept_empty\\",     L"old\\",                  L"old\\older\\",
                         L"old\\older\\inner.txt", L"readonly.txt"};
};

TEST_F(Extras, StayWithoutPurgeAndSetBit2) {
  const RunResult r = run(L"/E /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitExtras)) << r.output;
  EXPECT_EQ(tree(dst), with_extras);
  EXPECT_EQ(r.row("Files"), (Row{2, 0, 2, 0, 0, 3}));
  EXPECT_EQ(r.row("Dirs"), (Row{3, 0, 3, 0, 0, 1}));
}

TEST_F(Extras, PurgeDeletesThemEvenReadOnlyAndStillReportsBit2) {
  RunResult r = run(L"/E /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitExtras)) << r.output;
  EXPECT_EQ(tree(dst), copied);
  r = run(L"/E /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, 0u) << r.output;
}

TEST_F(Extras, PurgeWithSKeepsFoldersTheSourceStillHas) {
  const RunResult r = run(L"/S /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitExtras)) << r.output;
  EXPECT_EQ(tree(dst), copied);  // kept_empty is in the source, so it is no extra
}

TEST_F(Extras, PurgeWithoutSubdirOptionsTouchesOnlyTopLevelFiles) {
  const RunResult r = run(L"/PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitExtras)) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"deep\\", L"deep\\keep2.txt", L"deep\\stale.txt", L"keep.txt", L"kept_empty\\",
                             L"old\\", L"old\\older\\", L"old\\older\\inner.txt"}));
}

TEST_F(Extras, PurgeAlsoCopiesWhatChanged) {
  put(L"deep\\keep2.txt", "changed");
  put(L"new\\n.txt", "n");
  const RunResult r = run(L"/S /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitCopied | kExitExtras)) << r.output;
  EXPECT_EQ(read_bytes(dst + L"\\deep\\keep2.txt"), "changed");
  EXPECT_EQ(read_bytes(dst + L"\\new\\n.txt"), "n");
  EXPECT_FALSE(is_file(dst + L"\\extra.txt"));
}

}  // namespace

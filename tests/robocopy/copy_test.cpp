// What gets copied, skipped, created and purged, checked on disk.
#include "harness.h"

using namespace rctest;

namespace {

std::string pattern(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (auto& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 23);
  return s;
}

// Without /S only the top-level files are copied, into parents made on demand.
TEST_F(CopyTest, BytesAndWriteTimesSurviveAtEveryBufferBoundary) {
  // Sizes around the copier's 256 KB buffer and beyond.
  const std::size_t sizes[] = {0, 1, 256 << 10, (256 << 10) + 1, 1 << 20, (1 << 20) + 1, (3 << 20) + 17};
  std::uint64_t total = 0;
  for (unsigned i = 0; i < 7; ++i) put(L"f" + std::to_wstring(i), pattern(sizes[i], i)), total += sizes[i];
  put(L"sub\\deeper\\d.txt", "not copied");
  set_write_time(src + L"\\f1", 116444736000000000ull);  // 1970, far from "now"
  dst = box.path(L"dst\\made\\on\\demand");
  const RunResult r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"f0", L"f1", L"f2", L"f3", L"f4", L"f5", L"f6"}));
  for (unsigned i = 0; i < 7; ++i) {
    const std::wstring name = L"\\f" + std::to_wstring(i);
    EXPECT_TRUE(read_bytes(dst + name) == pattern(sizes[i], i)) << "bytes of file " << i;
    EXPECT_EQ(write_time(dst + name), write_time(src + name));
  }
  EXPECT_EQ(r.row("Bytes"), (Row{total, total, 0, 0, 0, 0}));
}

TEST_F(CopyTest, MoreFilesThanTheCopyQueueHoldsAllArriveIntact) {
  // Over 1024 files in one folder: the walk has to wait for the copy threads.
  const int kFiles = 1100;
  for (int i = 0; i < kFiles; ++i) put(L"many\\f" + std::to_wstring(i), "content " + std::to_string(i * 7919));
  const RunResult r = run(L"/S /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(r.row("Files"), (Row{kFiles, kFiles, 0, 0, 0, 0}));
  int wrong = 0;
  for (int i = 0; i < kFiles; ++i)
    wrong += read_bytes(dst + L"\\many\\f" + std::to_wstring(i)) != "content " + std::to_string(i * 7919);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(run(L"/S /R:0 /W:0").code, 0u);
}

TEST_F(CopyTest, RerunsCopyOnlyWhatChangedInSizeOrEitherWayInTime) {
  put(L"a.txt", "alpha");
  put(L"b.txt", "bravo");
  put(L"x\\c.txt", "charlie");
  ASSERT_EQ(run(L"/E /R:0 /W:0").code, kCopied);
  RunResult r = run(L"/E /R:0 /W:0");
  EXPECT_EQ(r.code, 0u) << r.output;
  EXPECT_EQ(r.row("Files"), (Row{3, 0, 3, 0, 0, 0}));
  EXPECT_EQ(r.row("Dirs"), (Row{2, 0, 2, 0, 0, 0}));

  // Same size and time but other bytes: the real tool skips it, and so do we.
  const std::uint64_t t = write_time(dst + L"\\a.txt");
  write_bytes(dst + L"\\a.txt", "ALPHA");
  set_write_time(dst + L"\\a.txt", t);
  put(L"b.txt", "bravo, longer now");
  // Same size, older time: still copied, and the target takes the older time; same size, newer time.
  const std::uint64_t old_time = write_time(src + L"\\x\\c.txt") - 10'000'000ull * 3600;
  put(L"x\\c.txt", "CHARLIE");
  set_write_time(src + L"\\x\\c.txt", old_time);
  r = run(L"/E /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(r.row("Files"), (Row{3, 2, 1, 0, 0, 0}));
  EXPECT_EQ(read_bytes(dst + L"\\a.txt"), "ALPHA");
  EXPECT_EQ(read_bytes(dst + L"\\b.txt"), "bravo, longer now");
  EXPECT_EQ(write_time(dst + L"\\x\\c.txt"), old_time);
  put(L"a.txt", "ALPHA");
  set_write_time(src + L"\\a.txt", t + 10'000'000ull * 60);
  EXPECT_EQ(run(L"/E /R:0 /W:0").row("Files"), (Row{3, 1, 2, 0, 0, 0}));
  EXPECT_EQ(run(L"/E /R:0 /W:0").code, 0u);
}

// /S leaves out empty folders, /E keeps them; extras are reported always and
// deleted only with /PURGE, read-only ones too. Each case starts from a copy
// with extras in the target.
TEST_F(CopyTest, SubFoldersExtrasAndPurge) {
  put(L"keep.txt", "k");
  put(L"deep\\x\\f.txt", "f");
  make_dirs(src + L"\\empty\\e1");
  make_dirs(src + L"\\deep\\hollow");
  const Tree s_tree{L"deep\\", L"deep\\x\\", L"deep\\x\\f.txt", L"keep.txt"};
  const Tree e_tree{L"deep\\", L"deep\\hollow\\", L"deep\\x\\", L"deep\\x\\f.txt", L"empty\\", L"empty\\e1\\", L"keep.txt"};
  const Tree extras{L"deep\\stale.txt", L"extra.txt", L"old\\", L"old\\inner.txt", L"readonly.txt"};
  auto with = [](Tree t, const Tree& more) {
    t.insert(t.end(), more.begin(), more.end());
    std::sort(t.begin(), t.end());
    return t;
  };
  const struct {
    const wchar_t* options;
    DWORD code;
    Tree expected;
  } cases[] = {
      {L"/E", kExtras, with(e_tree, extras)},
      {L"/E /PURGE", kExtras, e_tree},
      {L"/S /PURGE", kExtras, e_tree},  // the empty folders are in the source, so no extras
      {L"/PURGE", kExtras, with(e_tree, {L"deep\\stale.txt", L"old\\", L"old\\inner.txt"})},  // top level only
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(test::narrow(c.options));
    dst = box.path(L"dst" + std::to_wstring(++n));
    EXPECT_EQ(run(L"/S /R:0 /W:0").code, kCopied);
    EXPECT_EQ(tree(dst), s_tree);
    ASSERT_EQ(run(L"/E /R:0 /W:0").code, 0u);  // new folders alone copy no file
    EXPECT_EQ(tree(dst), e_tree);
    write_bytes(dst + L"\\extra.txt", "x");
    write_bytes(dst + L"\\deep\\stale.txt", "s");
    make_dirs(dst + L"\\old");
    write_bytes(dst + L"\\old\\inner.txt", "i");
    write_bytes(dst + L"\\readonly.txt", "r");
    SetFileAttributesW((dst + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    const RunResult r = run(std::wstring(c.options) + L" /R:0 /W:0");
    EXPECT_EQ(r.code, c.code) << r.output;
    EXPECT_EQ(tree(dst), c.expected);
    if (n == 1) {
      EXPECT_EQ(r.row("Dirs"), (Row{6, 0, 6, 0, 0, 1}));
      EXPECT_EQ(r.row("Files"), (Row{2, 0, 2, 0, 0, 3}));
    }
  }
  // A purge also copies what changed, and a second one finds nothing to do.
  put(L"deep\\x\\f.txt", "changed");
  EXPECT_EQ(run(L"/E /PURGE /R:0 /W:0").code, kCopied | kExtras);
  EXPECT_EQ(read_bytes(dst + L"\\deep\\x\\f.txt"), "changed");
  EXPECT_EQ(run(L"/E /PURGE /R:0 /W:0").code, 0u);
  // An empty source still gets its target folder.
  src = box.path(L"nothing");
  make_dirs(src);
  dst = box.path(L"fresh");
  EXPECT_EQ(run(L"/S /R:0 /W:0").code, 0u);
  EXPECT_TRUE(is_dir(dst));
}

}  // namespace

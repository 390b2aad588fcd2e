// Path forms: trailing backslashes, "\.", drive roots, Unicode and letter case.
#include "fixture.h"

using namespace rctest;
using namespace robocopy;

namespace {

const DWORD kCopied = kExitCopied;

TEST_F(CopyTest, TrailingBackslashDotAndDoubledBackslashForms) {
  put(L"a.txt", "a");
  put(L"s\\b.txt", "b");
  // A quoted path ending in a backslash must not swallow the closing quote.
  RunResult r = run_robocopy(quote(src + L"\\.") + L" " + quote(dst + L"\\") + L" /S /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"a.txt", L"s\\", L"s\\b.txt"}));

  r = run_robocopy(quote(src + L"\\") + L" " + quote(dst + L"\\.\\") + L" /S /R:0 /W:0");
  EXPECT_EQ(r.code, 0u) << r.output;

  // What the backup script writes for a destination that ends in a backslash.
  r = run_robocopy(quote(src) + L" " + quote(box.root() + L"\\second\\\\SRC") + L" /S /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(tree(box.path(L"second\\SRC")), (Tree{L"a.txt", L"s\\", L"s\\b.txt"}));

  // Forward slashes and lower-case options.
  std::wstring slashed = dst;
  for (auto& c : slashed)
    if (c == L'\\') c = L'/';
  r = run_robocopy(quote(src) + L" " + quote(slashed) + L" /s /r:0 /w:0");
  EXPECT_EQ(r.code, 0u) << r.output;
}

TEST_F(CopyTest, DriveRootAsSource) {
  put(L"root.txt", "r");
  put(L"photos\\p.jpg", "p");
  box.mapDrive(L'W', src);
  const std::wstring root = L"W:\\";

  // The backup script's form for a drive root: the quoted root, then "E:\BACKUP\" and no name.
  RunResult r = run_robocopy(quote(root) + L" " + quote(dst + L"\\") + L" /E /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"photos\\", L"photos\\p.jpg", L"root.txt"}));

  r = run_robocopy(quote(root + L".") + L" " + quote(dst) + L" /E /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, 0u) << r.output;
  r = run_robocopy(root + L". " + dst + L" /E /R:0 /W:0");  // unquoted
  EXPECT_EQ(r.code, 0u) << r.output;
}

TEST_F(CopyTest, DriveRootAsTargetAndFoldersBelowIt) {
  put(L"a.txt", "a");
  put(L"s\\b.txt", "b");
  make_dirs(dst);
  box.mapDrive(L'W', dst);
  const std::wstring root = L"W:\\";

  RunResult r = run_robocopy(quote(src) + L" " + quote(root + L".") + L" /S /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(tree(dst), (Tree{L"a.txt", L"s\\", L"s\\b.txt"}));

  // "E:\BACKUP\C": missing parents below the root are made.
  r = run_robocopy(quote(src) + L" " + quote(root + L"BACKUP\\C") + L" /S /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(read_bytes(dst + L"\\BACKUP\\C\\s\\b.txt"), "b");

  // Purging at a root only touches what is extra there.
  write_bytes(dst + L"\\extra.txt", "x");
  r = run_robocopy(quote(src) + L" " + quote(root) + L" /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, static_cast<DWORD>(kExitExtras)) << r.output;
  EXPECT_FALSE(is_file(dst + L"\\extra.txt"));
  EXPECT_TRUE(is_file(dst + L"\\BACKUP\\C\\a.txt"));
}

TEST_F(CopyTest, UnicodeNamesAreCopiedAsTheyAre) {
  const std::wstring folder = L"\u00dcn\u00efc\u00f6d\u00e9 \u65e5\u672c";
  const std::wstring file = L"Gr\u00fc\u00dfe \u00f1 \u0436.txt";
  put(folder + L"\\" + file, "gruss");
  const RunResult r = run(L"/S /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(tree(dst), (Tree{folder + L"\\", folder + L"\\" + file}));
  EXPECT_EQ(read_bytes(dst + L"\\" + folder + L"\\" + file), "gruss");
  EXPECT_EQ(run(L"/S /R:0 /W:0").code, 0u);
}

TEST_F(CopyTest, NamesDifferingOnlyInCaseAreTheSameFile) {
  put(L"photo.jpg", "same");
  put(L"Album\\x.txt", "x");
  make_dirs(dst + L"\\ALBUM");
  write_bytes(dst + L"\\PHOTO.JPG", "same");
  set_write_time(dst + L"\\PHOTO.JPG", write_time(src + L"\\photo.jpg"));
  const RunResult r = run(L"/S /PURGE /R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;  // only x.txt; no extras, nothing purged
  EXPECT_EQ(tree(dst), (Tree{L"ALBUM\\", L"ALBUM\\x.txt", L"PHOTO.JPG"}));
}

TEST_F(CopyTest, ReadOnlyAndHiddenFilesKeepTheirAttributesAndCanBeReplaced) {
  put(L"ro.txt", "one");
  put(L"hidden.txt", "h");
  SetFileAttributesW((src + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((src + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  RunResult r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_TRUE(GetFileAttributesW((dst + L"\\ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(GetFileAttributesW((dst + L"\\hidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);

  SetFileAttributesW((src + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW((src + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  put(L"ro.txt", "two, longer");
  put(L"hidden.txt", "h, longer");
  r = run(L"/R:0 /W:0");
  EXPECT_EQ(r.code, kCopied) << r.output;
  EXPECT_EQ(read_bytes(dst + L"\\ro.txt"), "two, longer");
  EXPECT_EQ(read_bytes(dst + L"\\hidden.txt"), "h, longer");
  EXPECT_FALSE(GetFileAttributesW((dst + L"\\ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

// Path forms: trailing backslashes, "\.", drive roots, Unicode and letter case.
#include "harness.h"

using namespace rctest;

namespace {

TEST_F(CopyTest, SpellingsOfTheSameFolders) {
  put(L"a.txt", "a");
  put(L"s\\b.txt", "b");
  std::wstring slashed = dst;
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  const struct {
    std::wstring args;
    DWORD code;
  } cases[] = {
      // A quoted path ending in a backslash must not swallow the closing quote.
      {quote(src + L"\\.") + L" " + quote(dst + L"\\") + L" /S", kCopied},
      {quote(src + L"\\") + L" " + quote(dst + L"\\.\\") + L" /S", 0},
      {quote(src) + L" " + quote(slashed) + L" /s", 0},  // forward slashes, lower-case options
      // What the backup script writes for a destination that ends in a backslash.
      {quote(src) + L" " + quote(box.root() + L"\\second\\\\SRC") + L" /S", kCopied},
  };
  for (const auto& c : cases) EXPECT_EQ(run_robocopy(c.args + L" /R:0 /W:0").code, c.code) << test::narrow(c.args);
  EXPECT_EQ(tree(dst), (Tree{L"a.txt", L"s\\", L"s\\b.txt"}));
  EXPECT_EQ(tree(box.path(L"second\\SRC")), tree(dst));
}

TEST_F(CopyTest, DriveRootsAsSourceAndAsTarget) {
  put(L"root.txt", "r");
  put(L"photos\\p.jpg", "p");
  box.mapDrive(L'W', src);
  // The backup script's form for a drive root: the quoted root, then "E:\BACKUP\" and no name.
  EXPECT_EQ(run_robocopy(quote(L"W:\\") + L" " + quote(dst + L"\\") + L" /E /R:0 /W:0").code, kCopied);
  EXPECT_EQ(tree(dst), (Tree{L"photos\\", L"photos\\p.jpg", L"root.txt"}));
  EXPECT_EQ(run_robocopy(quote(L"W:\\.") + L" " + quote(dst) + L" /E /PURGE /R:0 /W:0").code, 0u);
  EXPECT_EQ(run_robocopy(L"W:\\. " + dst + L" /E /R:0 /W:0").code, 0u);  // unquoted

  box.mapDrive(L'X', dst);
  src = box.path(L"second");
  put(L"a.txt", "a");
  put(L"s\\b.txt", "b");
  EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(L"X:\\.") + L" /S /R:0 /W:0").code, kCopied | kExtras);
  EXPECT_EQ(read_bytes(dst + L"\\s\\b.txt"), "b");
  // "E:\BACKUP\C": missing parents below the root are made.
  EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(L"X:\\BACKUP\\C") + L" /S /R:0 /W:0").code, kCopied);
  EXPECT_EQ(read_bytes(dst + L"\\BACKUP\\C\\s\\b.txt"), "b");
  // Purging at a root only touches what is extra there: the top-level files.
  EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(L"X:\\") + L" /PURGE /R:0 /W:0").code, kExtras);
  EXPECT_EQ(tree(dst), (Tree{L"BACKUP\\", L"BACKUP\\C\\", L"BACKUP\\C\\a.txt", L"BACKUP\\C\\s\\",
                             L"BACKUP\\C\\s\\b.txt", L"a.txt", L"photos\\", L"photos\\p.jpg", L"s\\", L"s\\b.txt"}));
}

TEST_F(CopyTest, UnicodeNamesAreCopiedAsTheyAreAndCaseIsNoDifference) {
  const std::wstring folder = L"\u00dcn\u00efc\u00f6d\u00e9 \u65e5\u672c", file = L"Gr\u00fc\u00dfe \u00f1 \u0436.txt";
  put(folder + L"\\" + file, "gruss");
  put(L"photo.jpg", "same");
  put(L"Album\\x.txt", "x");
  make_dirs(dst + L"\\ALBUM");
  write_bytes(dst + L"\\PHOTO.JPG", "same");
  set_write_time(dst + L"\\PHOTO.JPG", write_time(src + L"\\photo.jpg"));
  EXPECT_EQ(run(L"/S /PURGE /R:0 /W:0").code, kCopied);  // no extras, nothing purged
  EXPECT_EQ(tree(dst), (Tree{L"ALBUM\\", L"ALBUM\\x.txt", L"PHOTO.JPG", folder + L"\\", folder + L"\\" + file}));
  EXPECT_EQ(read_bytes(dst + L"\\" + folder + L"\\" + file), "gruss");
  EXPECT_EQ(run(L"/S /R:0 /W:0").code, 0u);
}

TEST_F(CopyTest, ReadOnlyAndHiddenFilesKeepTheirAttributesAndCanBeReplaced) {
  put(L"ro.txt", "one");
  put(L"hidden.txt", "h");
  SetFileAttributesW((src + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((src + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(run(L"/R:0 /W:0").code, kCopied);
  EXPECT_TRUE(attributes(dst + L"\\ro.txt") & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(attributes(dst + L"\\hidden.txt") & FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((src + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW((src + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  put(L"ro.txt", "two, longer");
  put(L"hidden.txt", "h, longer");
  EXPECT_EQ(run(L"/R:0 /W:0").code, kCopied);
  EXPECT_EQ(read_bytes(dst + L"\\ro.txt") + read_bytes(dst + L"\\hidden.txt"), "two, longerh, longer");
  EXPECT_FALSE(attributes(dst + L"\\ro.txt") & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

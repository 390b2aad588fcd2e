// The copier's portable logic: command line, folder text, copy decision, exit code.
#include <gtest/gtest.h>

#include "options.h"

using namespace robocopy;

namespace {

using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, QuotesGroupBlanksAndBackslashesAreLiteral) {
  EXPECT_EQ(split_command_line(LR"(robocopy "C:\" "E:\BACKUP\" /S)"), (Args{L"robocopy", LR"(C:\)", LR"(E:\BACKUP\)", L"/S"}));
  EXPECT_EQ(split_command_line(L"  \"C:\\My Files\\x\"\t D:\\plain  /E "), (Args{L"C:\\My Files\\x", L"D:\\plain", L"/E"}));
  EXPECT_EQ(split_command_line(L"a\"b c\"d"), (Args{L"ab cd"}));
  EXPECT_EQ(split_command_line(L"x \"\" y"), (Args{L"x", L"", L"y"}));
  EXPECT_TRUE(split_command_line(L"   ").empty());
}

TEST(ParseArguments, ReadsPathsAndOptionsInAnyCase) {
  ParseResult r = parse_arguments({L"C:\\SRC", L"E:\\DST", L"/s", L"/purge", L"/r:3", L"/W:3"});
  ASSERT_TRUE(r.ok) << std::string(r.error.begin(), r.error.end());
  EXPECT_EQ(r.options.source, L"C:\\SRC");
  EXPECT_EQ(r.options.target, L"E:\\DST");
  EXPECT_EQ(r.options.subdirs, SubDirs::NonEmpty);
  EXPECT_TRUE(r.options.purge);
  EXPECT_EQ(r.options.retries, 3u);
  EXPECT_EQ(r.options.wait_seconds, 3u);

  r = parse_arguments({L"/E", L"a", L"b", L"/R:0", L"/W:0"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.options.subdirs, SubDirs::All);
  EXPECT_EQ(r.options.source, L"a");
  EXPECT_EQ(r.options.retries, 0u);
  EXPECT_EQ(r.options.wait_seconds, 0u);
}

TEST(ParseArguments, DefaultsAreTheRealToolsAndEWinsOverS) {
  ParseResult r = parse_arguments({L"a", L"b"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.options.subdirs, SubDirs::None);
  EXPECT_FALSE(r.options.purge);
  EXPECT_EQ(r.options.retries, 1000000u);
  EXPECT_EQ(r.options.wait_seconds, 30u);

  EXPECT_EQ(parse_arguments({L"a", L"b", L"/E", L"/S"}).options.subdirs, SubDirs::All);
  EXPECT_EQ(parse_arguments({L"a", L"b", L"/S", L"/E"}).options.subdirs, SubDirs::All);
}

TEST(ParseArguments, RejectsWhatItDoesNotKnow) {
  const Args bad[] = {
      {},
      {L"only-source"},
      {L"a", L"b", L"c"},
      {L"a", L"b", L"/MIR"},
      {L"a", L"b", L"/R:"},
      {L"a", L"b", L"/R:x"},
      {L"a", L"b", L"/W:-1"},
      {L"a", L"b", L"/R:99999999999"},
      {L"a", L"b", L"/LOG:"},
      {L"", L"b"},
  };
  for (const Args& args : bad) {
    const ParseResult r = parse_arguments(args);
    EXPECT_FALSE(r.ok) << args.size() << " arguments";
    EXPECT_FALSE(r.error.empty());
  }
}

TEST(NormalizeFolder, DriveRootsTrailingBackslashesAndDots) {
  EXPECT_EQ(normalize_folder(L"C:\\."), L"C:\\");
  EXPECT_EQ(normalize_folder(L"C:\\"), L"C:\\");
  EXPECT_EQ(normalize_folder(L"C:\\.\\"), L"C:\\");
  EXPECT_EQ(normalize_folder(L"E:\\BACKUP\\C"), L"E:\\BACKUP\\C");
  EXPECT_EQ(normalize_folder(L"E:\\BACKUP\\"), L"E:\\BACKUP");
  EXPECT_EQ(normalize_folder(L"E:\\BACKUP\\\\PHOTOS\\"), L"E:\\BACKUP\\PHOTOS");
  EXPECT_EQ(normalize_folder(L"E:/a/./b//"), L"E:\\a\\b");
  EXPECT_EQ(normalize_folder(L"\\\\server\\share\\dir\\"), L"\\\\server\\share\\dir");
  EXPECT_EQ(normalize_folder(L"\\rooted\\x\\"), L"\\rooted\\x");
  EXPECT_EQ(normalize_folder(L"relative\\x\\"), L"relative\\x");
  EXPECT_EQ(normalize_folder(L"."), L".");
  EXPECT_EQ(normalize_folder(L"C:"), L"C:");
}

TEST(JoinPath, OneBackslashBetween) {
  EXPECT_EQ(join_path(L"C:\\", L"x"), L"C:\\x");
  EXPECT_EQ(join_path(L"C:\\a", L"x"), L"C:\\a\\x");
  EXPECT_EQ(join_path(L"", L"x"), L"x");
}

TEST(NeedsCopy, OnlyWhenMissingOrSizeOrTimeDiffers) {
  const FileStamp src{100, 5000};
  EXPECT_TRUE(needs_copy(src, nullptr));
  const FileStamp same{100, 5000}, bigger{101, 5000}, newer{100, 5001}, older{100, 4999};
  EXPECT_FALSE(needs_copy(src, &same));
  EXPECT_TRUE(needs_copy(src, &bigger));
  EXPECT_TRUE(needs_copy(src, &newer));
  EXPECT_TRUE(needs_copy(src, &older));
}

TEST(ExitCode, BitsFromCountsOrTogether) {
  Counts c;
  EXPECT_EQ(exit_code(c), 0);
  c.files.total = 10;  // skipped files alone leave the code at 0
  EXPECT_EQ(exit_code(c), 0);
  c.dirs.copied = 2;  // so do new folders: bit 1 is about files
  EXPECT_EQ(exit_code(c), 0);
  c.files.copied = 3;
  EXPECT_EQ(exit_code(c), kExitCopied);
  c.dirs.extra = 1;
  EXPECT_EQ(exit_code(c), kExitCopied | kExitExtras);
  c.dirs.extra = 0;
  c.files.extra = 1;
  EXPECT_EQ(exit_code(c), kExitCopied | kExitExtras);
  c.files.failed = 1;
  EXPECT_EQ(exit_code(c), kExitCopied | kExitExtras | kExitFailed);
  c.files.mismatch = 1;
  EXPECT_EQ(exit_code(c), 15);

  Counts d;
  d.dirs.failed = 1;
  EXPECT_EQ(exit_code(d), kExitFailed);
  d.dirs.mismatch = 1;
  EXPECT_EQ(exit_code(d), kExitFailed | kExitMismatch);
}

TEST(Counts, PartsAddUpRowByRowAndColumnByColumn) {
  Counts whole, part;
  whole.dirs = {5, 1, 0, 1, 2};
  whole.files = {10, 3, 1, 2, 4};
  part.files = {7, 6, 0, 1, 0};
  part.bytes = {700, 600, 0, 100, 0};
  whole += part;
  whole += part;
  EXPECT_EQ(whole.dirs.total, 5u);
  EXPECT_EQ(whole.dirs.extra, 2u);
  EXPECT_EQ(whole.files.total, 24u);
  EXPECT_EQ(whole.files.copied, 15u);
  EXPECT_EQ(whole.files.mismatch, 1u);
  EXPECT_EQ(whole.files.failed, 4u);
  EXPECT_EQ(whole.files.extra, 4u);
  EXPECT_EQ(whole.bytes.total, 1400u);
  EXPECT_EQ(whole.bytes.failed, 200u);
  EXPECT_EQ(exit_code(whole), kExitCopied | kExitExtras | kExitMismatch | kExitFailed);
}

TEST(Tally, SkippedIsWhatIsNeitherCopiedNorFailed) {
  Tally t;
  t.total = 10;
  t.copied = 3;
  t.failed = 2;
  EXPECT_EQ(t.skipped(), 5u);
}

}  // namespace

// The copier's command line and folder text; what it does with them is checked
// end to end in the other files.
#include <gtest/gtest.h>

#include "options.h"

using namespace robocopy;

namespace {

using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, QuotesGroupBlanksAndBackslashesAreLiteral) {
  const std::pair<const wchar_t*, Args> cases[] = {
      {LR"(robocopy "C:\" "E:\BACKUP\" /S)", {L"robocopy", LR"(C:\)", LR"(E:\BACKUP\)", L"/S"}},
      {L"  \"C:\\My Files\\x\"\t D:\\plain  /E ", {L"C:\\My Files\\x", L"D:\\plain", L"/E"}},
      {L"a\"b c\"d", {L"ab cd"}},
      {L"x \"\" y", {L"x", L"", L"y"}},
      {L"   ", {}},
  };
  for (const auto& [line, args] : cases) EXPECT_EQ(split_command_line(line), args);
}

TEST(ParseArguments, OptionsInAnyCaseAndTheRealToolsDefaults) {
  ParseResult r = parse_arguments({L"C:\\SRC", L"E:\\DST", L"/s", L"/purge", L"/r:3", L"/W:0"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.options.source + L">" + r.options.target, L"C:\\SRC>E:\\DST");
  EXPECT_EQ(r.options.subdirs, SubDirs::NonEmpty);
  EXPECT_TRUE(r.options.purge);
  EXPECT_EQ(r.options.retries, 3u);
  EXPECT_EQ(r.options.wait_seconds, 0u);
  r = parse_arguments({L"a", L"b"});
  EXPECT_EQ(r.options.subdirs, SubDirs::None);
  EXPECT_FALSE(r.options.purge);
  EXPECT_EQ(r.options.retries, 1000000u);
  EXPECT_EQ(r.options.wait_seconds, 30u);
  EXPECT_EQ(parse_arguments({L"a", L"b", L"/E", L"/S"}).options.subdirs, SubDirs::All);
  EXPECT_EQ(parse_arguments({L"/S", L"a", L"/E", L"b"}).options.subdirs, SubDirs::All);
}

TEST(NormalizeFolder, DriveRootsTrailingBackslashesAndDots) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\.", L"C:\\"}, {L"C:\\", L"C:\\"}, {L"C:\\.\\", L"C:\\"}, {L"E:\\BACKUP\\", L"E:\\BACKUP"},
      {L"E:\\BACKUP\\\\PHOTOS\\", L"E:\\BACKUP\\PHOTOS"}, {L"E:/a/./b//", L"E:\\a\\b"},
      {L"\\\\server\\share\\dir\\", L"\\\\server\\share\\dir"}, {L"\\rooted\\x\\", L"\\rooted\\x"},
      {L"relative\\x\\", L"relative\\x"}, {L".", L"."}, {L"C:", L"C:"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(normalize_folder(in), out);
}

}  // namespace

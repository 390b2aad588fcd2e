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

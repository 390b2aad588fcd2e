// A job as its row shows it and as a job file holds it, line by line.
#include "core/jobrow.h"

#include <gtest/gtest.h>

#include "core/text.h"

using namespace core;
using Patterns = std::vector<std::wstring>;

TEST(JobRow, UpperCaseWithItsPatternsAfterTheFourthQuote) {
    EXPECT_EQ(FormatJobRow(L"C:\\Data", L"e:\\Backup\\Data"), L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"");
    EXPECT_EQ(FormatJobRow(L"c:\\a ", L"E:\\"), L"COPY FOLDER  \"C:\\A \"  INTO  \"E:\\\"");  // kept as they stand
    const std::wstring row = FormatJobRow({L"C:\\Data", L"e:\\Backup", {L"*.tmp", L"~$*", L"node_modules\\"}});
    EXPECT_EQ(row, L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\"  EXCEPT  \"*.TMP\"  \"~$*\"  \"NODE_MODULES\\\"");
    const auto back = ParseJobRow(row);
    ASSERT_TRUE(back);
    EXPECT_EQ(FormatJobRow(*back), row);
}

// The folders are the first four quotes' text, whatever stands around them; then EXCEPT.
TEST(JobRow, ReadByItsQuotesThenItsPatterns) {
    const std::wstring job = L"copy folder \"c:\\d\" into \"e:\\b\"";
    const struct {
        std::wstring row;
        const wchar_t *source, *destination;  // source nullptr: unreadable
        Patterns except = {};
    } cases[] = {
        {L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"", L"C:\\DATA", L"E:\\BACKUP\\DATA"},
        {L"x \"a b\" y \"c\"", L"a b", L"c"},                             // no keywords needed
        {L"\"c:\\data \"\"e:\\\"\"extra\" tail", L"c:\\data ", L"e:\\"},  // what an old reader ignores stays ignored
        {L"\"\"\"\"", L"", L""},
        {L"", nullptr, nullptr},
        {L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B", nullptr, nullptr},
        {job + L"except\t\"*.tmp\"   \"\\a b\\out\\\"  ", L"c:\\d", L"e:\\b", {L"*.tmp", L"\\a b\\out\\"}},
        {job + L"  EXCEPT  \"\\A\"B\\\"", nullptr, nullptr},  // a fifth quote inside a path pattern
        {job + L"  EXCEPT  \"*.TMP", nullptr, nullptr},
        {job + L"  EXCEPT  *.TMP", nullptr, nullptr},
        {job + L"  EXCEPT  \"A|B\"", nullptr, nullptr},
        {job + L"  EXCEPT  \"\"", nullptr, nullptr},
        {job + L"  EXCEPT", nullptr, nullptr},               // EXCEPT with nothing after it
        {job + L"  EXCEPT  \" *.TMP \"", nullptr, nullptr},  // blanks around a pattern
        {job + L"  EXCEPT\"*.TMP\"", L"c:\\d", L"e:\\b", {L"*.TMP"}},
        {job + L"  EXCEPTIONS", L"c:\\d", L"e:\\b"},  // another word: ignored, as all text there once was
        {job + L"  EXCEPTED  \"X\"", L"c:\\d", L"e:\\b"},
    };
    for (const auto& c : cases) {
        const auto got = ParseJobRow(c.row);
        EXPECT_EQ(got.has_value(), c.source != nullptr) << c.row;
        if (!got || !c.source) continue;
        EXPECT_EQ(got->source + L"|" + got->destination, std::wstring(c.source) + L"|" + c.destination);
        EXPECT_EQ(got->except, c.except) << c.row;
    }
}

TEST(JobListText, StopsAtAnEmptyLineAndTellsBadLinesOverflowAndBinary) {
    EXPECT_EQ(split_lines(L"a\r\nb\rc\nd"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(split_lines(L"a\r\n\r\nb\r\n"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_TRUE(split_lines(L"").empty());
    EXPECT_EQ(join_lines({L"x", L""}), L"x\r\n\r\n");
    std::wstring text;
    for (int i = 0; i < 15; ++i) text += FormatJobRow(L"C:\\S" + std::to_wstring(i), L"E:\\B") + L"\r\n";
    JobListText read = read_job_list(L"no quotes\r\n" + text + L"\r\n" + L"after the end\r\n");
    EXPECT_EQ(read.jobs.size(), 13u);
    EXPECT_EQ(read.left_out, 2);
    EXPECT_EQ(read.bad_lines, std::vector<int>{1});
    EXPECT_FALSE(read.binary);
    EXPECT_EQ(read.jobs[12].source, L"C:\\S12");
    read = read_job_list(std::wstring(L"\"a\"\x01\"b\"\r\n", 9));
    EXPECT_TRUE(read.binary);
    EXPECT_TRUE(read_job_list(L"").jobs.empty());
    // A job file line whose patterns cannot be read is left out and named.
    EXPECT_EQ(read_job_list(text.substr(0, text.find(L'\n') + 1) + L"\"a\"\"b\"  EXCEPT  \"A>B\"\r\n").bad_lines,
              std::vector<int>{2});
}

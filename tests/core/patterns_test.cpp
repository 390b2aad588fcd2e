#include "core/patterns.h"

#include <gtest/gtest.h>

#include "core/batch_script.h"
#include "core/jobrow.h"
#include "core/text.h"

using namespace core;
using Patterns = std::vector<std::wstring>;

TEST(JobRowPatterns, WrittenAfterTheFourthQuoteAndReadBack) {
    const std::wstring row = FormatJobRow({L"C:\\Data", L"e:\\Backup", {L"*.tmp", L"~$*", L"node_modules\\"}});
    EXPECT_EQ(row, L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\"  EXCEPT  \"*.TMP\"  \"~$*\"  \"NODE_MODULES\\\"");
    EXPECT_EQ(FormatJobRow(JobFolders{L"C:\\Data", L"E:\\"}), L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\\"");
    const auto back = ParseJobRow(row);
    ASSERT_TRUE(back);
    EXPECT_EQ(FormatJobRow(*back), row);

    const std::wstring job = L"copy folder \"c:\\d\" into \"e:\\b\"";
    const struct {
        std::wstring tail;
        std::optional<Patterns> except;  // nullopt: the line is refused
    } cases[] = {
        {L"", Patterns{}},
        {L"except\t\"*.tmp\"   \"\\a b\\out\\\"  ", Patterns{L"*.tmp", L"\\a b\\out\\"}},  // odd spacing
        {L"  \"extra\" tail", Patterns{}},          // what an old reader ignores stays ignored
        {L"  EXCEPT  \"\\A\"B\\\"", std::nullopt},  // a fifth quote inside a path pattern
        {L"  EXCEPT  \"*.TMP", std::nullopt},
        {L"  EXCEPT  *.TMP", std::nullopt},
        {L"  EXCEPT  \"A|B\"", std::nullopt},
        {L"  EXCEPT  \"\"", std::nullopt},
        {L"  EXCEPTED  \"X\"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = ParseJobRow(job + c.tail);
        ASSERT_EQ(got.has_value(), c.except.has_value()) << c.tail.size();
        if (!got) continue;
        EXPECT_EQ(got->except, *c.except) << c.tail.size();
        EXPECT_EQ(got->destination, L"e:\\b");
    }
    // A job file line whose patterns cannot be read is left out and named.
    EXPECT_EQ(read_job_list(row + L"\r\n" + job + L"  EXCEPT  \"A>B\"\r\n").bad_lines, std::vector<int>{2});
}

TEST(Patterns, WhatAPatternMayHoldAndHowTheBoxReadsThem) {
    for (const wchar_t* ok : {L"*.TMP", L"~$*", L"?.LOG", L"NODE_MODULES\\", L"MY CACHE\\", L"\\PROJECTS\\BIG\\OUT\\",
                              L"PROJECTS\\OUT\\", L"\\A\\B.TXT", L"#%&^!"})
        EXPECT_FALSE(pattern_fault(ok)) << ok;
    for (const wchar_t* bad : {L"A\"B", L"A|B", L"A<B", L"A>B", L"C:\\X\\", L"A\tB", L"\\", L"\\\\", L"A\\\\B\\",
                               L"..\\X\\", L"\\A\\..\\B", L".", L"\\A\\*\\", L"\\A\\B*.TXT", L"\\A?\\B\\"})
        EXPECT_TRUE(pattern_fault(bad)) << bad;

    const Patterns got = split_patterns(L" *.tmp; ~$*;; node_modules/ ;\\a b\\ ");
    EXPECT_EQ(got, (Patterns{L"*.tmp", L"~$*", L"node_modules\\", L"\\a b\\"}));
    EXPECT_EQ(join_patterns(got), L"*.tmp; ~$*; node_modules\\; \\a b\\");
    EXPECT_EQ(split_patterns(join_patterns(got)), got);
    EXPECT_TRUE(split_patterns(L" ; ").empty() && join_patterns({}).empty());
}

// robocopy reads `\"` as an escaped quote: no quoted argument may end in "\".
TEST(Patterns, EachJobsLineLeavesOutFilesAndFoldersByNameOrFullPath) {
    const Patterns all{L"*.TMP", L"~$*", L"NODE_MODULES\\", L"\\PROJECTS\\BIG\\OUT\\", L"A\\B.TXT", L"100%\\"};
    const struct {
        const wchar_t* source;  // as the job row holds it
        Patterns except;
        const wchar_t* line;  // after the target and the options
    } cases[] = {
        {L"C:\\DATA", {}, L""},
        {L"C:\\DATA\\", all,
         L" /XF \"*.TMP\" \"~$*\" \"C:\\DATA\\A\\B.TXT\" /XD \"NODE_MODULES\" \"C:\\DATA\\PROJECTS\\BIG\\OUT\" "
         L"\"100%%\""},
        {L"C:\\", {L"\\TEMP\\", L"X\\"}, L" /XD \"C:\\TEMP\" \"X\""},
        {L"\\\\SRV\\SHARE", {L"A\\B\\"}, L" /XD \"\\\\SRV\\SHARE\\A\\B\""},
    };
    for (const auto& c : cases) {
        const JobFolders job{c.source, L"E:\\BK", c.except};
        const auto copy = job_copy(job);
        ASSERT_TRUE(copy);
        const auto lines = script_lines({job}, L"rc", L" /S /R:3 /W:3", L"R", L"L");
        EXPECT_EQ(lines.at(2), L"\"rc\" " + core::quoted(copy->source) + L" " + core::quoted(copy->target) +
                                   L" /S /R:3 /W:3 /NP" + c.line + L" /LOG+:\"L\"");
    }
}

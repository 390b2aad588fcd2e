#include "core/patterns.h"

#include <gtest/gtest.h>

#include "core/batch_script.h"
#include "core/text.h"

using namespace core;
using Patterns = std::vector<std::wstring>;

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

// Names match at any depth, with wildcards, by the case rules that wrote the row (here
// Latin-1's, as the system's: ß has no capital); a pattern with a backslash matches the
// full path. The row holds its patterns upper-cased by those rules.
TEST(Patterns, NamesMatchTheRowsPatternsByTheCaseRulesThatWroteTheRow) {
    set_case_rules(
        [](std::wstring_view text) {
            std::wstring up(text);
            for (auto& c : up)
                if ((c >= L'a' && c <= L'z') || (c >= L'à' && c <= L'þ' && c != L'÷')) c -= 0x20;
            return up;
        },
        nullptr);
    Patterns row;
    for (const wchar_t* typed : {L"*.tmp", L"~$*", L"Thumbs.db", L"C:\\s\\only\\*.txt", L"C:\\s\\one", L"*.ñ",
                                 L"café*", L"été?", L"straße"})
        row.push_back(to_upper(typed));
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:\\s\\d\\e\\a.TMP", true}, {L"C:\\s\\a.tmpx", false},        {L"C:\\s\\~$doc.docx", true},
        {L"C:\\s\\x\\thumbs.db", true}, {L"C:\\s\\only\\b.txt", true},    {L"C:\\s\\other\\b.txt", false},
        {L"C:\\s\\one", true},          {L"C:\\s\\x\\one", false},          {L"C:\\s\\C", false},
        {L"C:\\s\\a.ñ", true},          {L"C:\\s\\A.Ñ", true},               {L"C:\\s\\Café.txt", true},
        {L"C:\\s\\Été1", true},         {L"C:\\s\\STRAßE", true},            {L"C:\\s\\a.n", false},
        {L"C:\\s\\strasse", false}};
    for (const auto& [path, out] : cases) {
        const std::wstring_view name = std::wstring_view(path).substr(std::wstring_view(path).rfind(L'\\') + 1);
        EXPECT_EQ(excluded(row, name, path), out) << path;
    }
    set_case_rules(nullptr, nullptr);
    const std::pair<const wchar_t*, const wchar_t*> matches[] = {
        {L"*.*", L"noext"}, {L"a?c", L"abc"}, {L"*b*b", L"abxbb"}, {L"a.*", L"a"}, {L"*", L""}};
    for (const auto& [pattern, text] : matches) EXPECT_TRUE(wildcard_match(pattern, text)) << pattern;
    for (const auto& [pattern, text] : {std::pair{L"a?c", L"ac"}, {L"a.*", L"ab"}, {L"*b", L"ba"}})
        EXPECT_FALSE(wildcard_match(pattern, text)) << pattern;
}

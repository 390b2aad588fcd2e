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

// The row holds a pattern upper-cased by the installed case rules (here Latin-1's, as
// the system's: ß has no capital); a name matches it by the same rules.
TEST(Patterns, NamesMatchTheRowsPatternsByTheCaseRulesThatWroteTheRow) {
    set_case_rules(
        [](std::wstring_view text) {
            std::wstring up(text);
            for (auto& c : up)
                if ((c >= L'a' && c <= L'z') || (c >= L'à' && c <= L'þ' && c != L'÷')) c -= 0x20;
            return up;
        },
        nullptr);
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"*.ñ", L"a.ñ", true},       {L"*.ñ", L"A.Ñ", true},  {L"café*", L"Café.txt", true}, {L"été?", L"Été1", true},
        {L"straße", L"STRAßE", true}, {L"*.ñ", L"a.n", false}, {L"straße", L"strasse", false}};
    for (const auto& [typed, name, out] : cases)
        EXPECT_EQ(excluded({to_upper(typed)}, name, L"C:\\S"), out) << typed << name;
    set_case_rules(nullptr, nullptr);
}

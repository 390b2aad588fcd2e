#include <gtest/gtest.h>

#include "core/path_match.h"
#include "core/text.h"
#include "core/title.h"
#include "core/version.h"

using namespace core;

TEST(Lines, SplitOnCrLfLoneCrAndLf) {
    EXPECT_EQ(split_lines(L"a\r\nb\rc\nd"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(split_lines(L"a\r\n\r\nb\r\n"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_TRUE(split_lines(L"").empty());
    EXPECT_EQ(join_lines({L"x", L""}), L"x\r\n\r\n");
}

TEST(ExistenceRules, MaskAdmitsKinds) {
    const std::uint32_t file = 0x20, ro = 0x1, dir = kAttrDirectory, sys = kAttrSystem, hid = kAttrHidden;
    for (int mask : {0, 16, 20}) {
        EXPECT_TRUE(entry_admitted(file, mask));
        EXPECT_TRUE(entry_admitted(ro | file, mask));
        EXPECT_FALSE(entry_admitted(hid | file, mask));
        EXPECT_FALSE(entry_admitted(hid | dir, mask));
    }
    EXPECT_FALSE(entry_admitted(dir, 0));
    EXPECT_TRUE(entry_admitted(dir, 16));
    EXPECT_FALSE(entry_admitted(sys | file, 16));
    EXPECT_FALSE(entry_admitted(sys | dir, 16));
    EXPECT_TRUE(entry_admitted(sys | dir, 20));
    EXPECT_TRUE(entry_admitted(sys, 20));
}

TEST(ExistenceRules, PatternAndRefusal) {
    EXPECT_EQ(listing_pattern(L"C:\\Program Files"), L"c:\\program files");
    EXPECT_EQ(listing_pattern(L"E:\\"), L"e:\\*.*");
    EXPECT_EQ(listing_pattern(L"C:\\Prog*"), L"c:\\prog*");
    EXPECT_TRUE(path_refused(L":x"));
    EXPECT_FALSE(path_refused(L""));
    EXPECT_FALSE(path_refused(L"C:\\"));
}

TEST(Title, MarksAndSaveCommands) {
    auto t = compose_title(L"UNTITLED", false, L"None");
    EXPECT_EQ(t.title, L"Ostrevin: UNTITLED");
    EXPECT_EQ(t.save_enabled, false);
    EXPECT_FALSE(t.save_as_enabled.has_value());

    t = compose_title(L"UNTITLED", true, L"None");
    EXPECT_EQ(t.title, L"Ostrevin: UNTITLED *");
    EXPECT_EQ(t.save_as_enabled, true);
    EXPECT_FALSE(t.save_enabled.has_value());  // Save stays as it was

    t = compose_title(L"Weekly.ojf", true, L"Weekly.ojf");
    EXPECT_EQ(t.title, L"Ostrevin: Weekly.ojf * (Default)");
    EXPECT_EQ(t.save_enabled, true);

    t = compose_title(L"Weekly.ojf", false, L"weekly.ojf");  // the default mark is case-sensitive
    EXPECT_EQ(t.title, L"Ostrevin: Weekly.ojf");
}

TEST(Version, PlainAndPadded) {
    Version v{2014, 312, 1118};
    EXPECT_EQ(plain_version_text(v), L"2014.312.1118");
    EXPECT_EQ(padded_version_text(v), L"2014.0312.1118");
    EXPECT_EQ(padded_version_text({1, 2, 0}), L"0001.0002.0000");
    EXPECT_EQ(padded_version_text({12345, 0, 7}), L"12345.0000.0007");
}

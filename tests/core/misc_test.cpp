#include <gtest/gtest.h>

#include "core/jobrow.h"
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

TEST(Title, MarksAndSaveCommands) {
    const struct {
        const wchar_t *file, *default_job;
        bool changed;
        const wchar_t* title;
        std::optional<bool> save, save_as;  // nullopt: left as it was
    } cases[] = {
        {L"UNTITLED", L"None", false, L"Ostrevin: UNTITLED", false, std::nullopt},
        {L"UNTITLED", L"None", true, L"Ostrevin: UNTITLED *", std::nullopt, true},
        {L"Weekly.ojf", L"Weekly.ojf", true, L"Ostrevin: Weekly.ojf * (Default)", true, std::nullopt},
        {L"Weekly.ojf", L"weekly.ojf", false, L"Ostrevin: Weekly.ojf", false, std::nullopt},  // case-sensitive
    };
    for (const auto& c : cases) {
        auto t = compose_title(c.file, c.changed, c.default_job);
        EXPECT_EQ(t.title, c.title);
        EXPECT_EQ(t.save_enabled, c.save) << t.title.size();
        EXPECT_EQ(t.save_as_enabled, c.save_as) << t.title.size();
    }
}

// The About window's own test compares against this text, so it cannot catch it.
TEST(Version, PaddedToFourDigits) {
    EXPECT_EQ(padded_version_text({2014, 312, 1118}), L"2014.0312.1118");
    EXPECT_EQ(padded_version_text({12345, 0, 7}), L"12345.0000.0007");
}

TEST(JobRow, FormatsInUpperCaseAndParsesByQuotePositionsOnly) {
    EXPECT_EQ(FormatJobRow(L"C:\\Data", L"e:\\Backup\\Data"), L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"");
    EXPECT_EQ(FormatJobRow(L"c:\\a ", L"E:\\"), L"COPY FOLDER  \"C:\\A \"  INTO  \"E:\\\"");  // kept as they stand
    const struct {
        const wchar_t *row, *source, *destination;  // source nullptr: unreadable
    } cases[] = {
        {L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"", L"C:\\DATA", L"E:\\BACKUP\\DATA"},
        {L"x \"a b\" y \"c\"", L"a b", L"c"},  // no keywords needed
        {L"\"c:\\data \"\"e:\\\"\"extra\" tail", L"c:\\data ", L"e:\\"},
        {L"\"\"\"\"", L"", L""},
        {L"", nullptr, nullptr},
        {L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        auto f = ParseJobRow(c.row);
        ASSERT_EQ(f.has_value(), c.source != nullptr) << std::wstring(c.row).size();
        if (f) {
            EXPECT_EQ(f->source + L"|" + f->destination, std::wstring(c.source) + L"|" + c.destination);
        }
    }
}

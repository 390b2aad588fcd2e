#include "core/jobrow.h"

#include <gtest/gtest.h>

using namespace core;

TEST(JobRow, FormatsInUpperCaseWithQuotesAndDoubleBlanks) {
    std::wstring row = FormatJobRow(L"C:\\Data", L"e:\\Backup\\Data");
    EXPECT_EQ(row, L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"");
    EXPECT_EQ(row.size(), 46u);
    // Folders go in as they stand: blanks and backslashes kept.
    EXPECT_EQ(FormatJobRow(L"c:\\a ", L"E:\\"), L"COPY FOLDER  \"C:\\A \"  INTO  \"E:\\\"");
}

TEST(JobRow, ParsesByQuotePositionsOnly) {
    auto f = ParseJobRow(L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->source, L"C:\\DATA");
    EXPECT_EQ(f->destination, L"E:\\BACKUP\\DATA");

    f = ParseJobRow(L"x \"a b\" y \"c\"");  // no keywords needed
    ASSERT_TRUE(f);
    EXPECT_EQ(f->source, L"a b");
    EXPECT_EQ(f->destination, L"c");

    f = ParseJobRow(L"\"c:\\data \"\"e:\\\"\"extra\" tail");  // case, trailing blank and backslash kept
    ASSERT_TRUE(f);
    EXPECT_EQ(f->source, L"c:\\data ");
    EXPECT_EQ(f->destination, L"e:\\");

    f = ParseJobRow(L"\"\"\"\"");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->source.empty() && f->destination.empty());

    EXPECT_FALSE(ParseJobRow(L""));
    EXPECT_FALSE(ParseJobRow(L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B"));
}

TEST(JobRow, FormatThenParseRoundTrips) {
    for (auto [s, d] : {std::pair{L"C:\\", L"E:\\"}, std::pair{L"D:\\Photos 2014", L"F:\\B\\"}}) {
        auto f = ParseJobRow(FormatJobRow(s, d));
        ASSERT_TRUE(f);
        EXPECT_EQ(FormatJobRow(f->source, f->destination), FormatJobRow(s, d));
    }
}

#include <gtest/gtest.h>

#include "core/folder_tree.h"
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

TEST(FolderTree, AncestorsThenTheFolderThenItsSubFoldersSorted) {
    auto rows = folder_tree(L"E:\\Backup\\Photos\\", {L"zeta", L"Alpha", L"beta"});
    std::vector<std::wstring> shown;  // name, depth, and whether it is open
    for (const auto& r : rows) shown.push_back(r.name + L" " + std::to_wstring(r.depth) + (r.open ? L" open" : L""));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"E:\\ 0 open", L"Backup 1 open", L"Photos 2 open", L"Alpha 3",
                                                L"beta 3", L"zeta 3"}));
    EXPECT_EQ(rows[1].path, L"E:\\Backup");
    EXPECT_EQ(rows[3].path, L"E:\\Backup\\Photos\\Alpha");
    EXPECT_EQ(open_row(rows), 2);
    // A root, a share, and paths without a root.
    auto root = folder_tree(L"c:\\", {L"Windows"});
    EXPECT_EQ(root[0].name, L"C:\\");
    EXPECT_EQ(root[1].path, L"C:\\Windows");
    EXPECT_EQ(open_row(root), 0);
    auto share = folder_tree(L"\\\\server\\backup\\weekly", {L"mon"});
    EXPECT_EQ(share[0].name, L"\\\\server\\backup");
    EXPECT_EQ(share[2].path, L"\\\\server\\backup\\weekly\\mon");
    EXPECT_TRUE(folder_tree(L"relative\\folder", {L"x"}).empty());
    EXPECT_EQ(folder_root(L"\\\\server"), L"");
    EXPECT_EQ(trim_folder(L"E:"), L"E:\\");
}

#include <gtest/gtest.h>

#include "core/command_line.h"
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

TEST(Title, MarksChangedThenDefault) {
    EXPECT_EQ(compose_title(L"UNTITLED", false, L"None"), L"Ostrevin: UNTITLED");
    EXPECT_EQ(compose_title(L"UNTITLED", true, L"None"), L"Ostrevin: UNTITLED *");
    EXPECT_EQ(compose_title(L"Weekly.ojf", true, L"Weekly.ojf"), L"Ostrevin: Weekly.ojf * (Default)");
    EXPECT_EQ(compose_title(L"Weekly.ojf", false, L"weekly.ojf"), L"Ostrevin: Weekly.ojf");  // case-sensitive
}

TEST(Title, CommandsFollowTheDocumentAndTheRun) {
    const struct {
        DocumentState d;
        CommandStates c;
    } cases[] = {
        // Nothing yet: only Open and Print.
        {{true, false, 0, false}, {false, true, false, false, true, false, false}},
        // Jobs added to an untitled list: New and Save As, not Save.
        {{true, true, 2, false}, {true, true, false, true, true, false, false}},
        // Rows kept from a file that could not be read: New and Save As.
        {{true, false, 1, false}, {true, true, false, true, true, false, false}},
        // A named file, unchanged, even empty: everything but Save.
        {{false, false, 0, false}, {true, true, false, true, true, true, true}},
        {{false, true, 3, false}, {true, true, true, true, true, true, true}},
        // During a run every file command waits for its end.
        {{false, true, 3, true}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(command_states(c.d), c.c) << c.d.untitled << c.d.changed << c.d.jobs << c.d.running;
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

TEST(CommandLine, ReadsRunQuietAndUsageAndRefusesAnythingElse) {
    using Mode = CommandLine::Mode;
    const struct {
        std::vector<std::wstring> args;
        Mode mode;
        std::wstring job_file;
        bool quiet;
    } cases[] = {
        {{}, Mode::Window, L"", false},
        {{L"/run"}, Mode::Run, L"", false},
        {{L"-RUN", L"Weekly.ojf", L"/Quiet"}, Mode::Run, L"Weekly.ojf", true},
        {{L"/quiet", L"/run", L"My Jobs.ojf"}, Mode::Run, L"My Jobs.ojf", true},
        {{L"/?"}, Mode::Usage, L"", false},
        {{L"/run", L"x.ojf", L"/?"}, Mode::Usage, L"x.ojf", false},
        {{L"/run", L"/run"}, Mode::Bad, L"", false},
        {{L"/runs"}, Mode::Bad, L"", false},
        {{L"/"}, Mode::Bad, L"", false},
        {{L"Weekly.ojf"}, Mode::Bad, L"", false},  // a name without /run
        {{L"/quiet"}, Mode::Bad, L"", false},
        {{L"/run", L"a.ojf", L"b.ojf"}, Mode::Bad, L"", false},
        {{L"/run", L"..\\a.ojf"}, Mode::Bad, L"", false},  // only a name of the job folder
        {{L"/run", L"C:a.ojf"}, Mode::Bad, L"", false},
        {{L"/run", L""}, Mode::Bad, L"", false},
    };
    for (const auto& c : cases) {
        const CommandLine got = parse_command_line(c.args);
        const std::wstring shown = c.args.empty() ? L"(none)" : c.args[0] + L" ...";
        EXPECT_EQ(got.mode, c.mode) << shown;
        EXPECT_EQ(got.mode == Mode::Bad, !got.error.empty()) << shown;
        if (c.mode == Mode::Bad) continue;
        EXPECT_EQ(got.job_file, c.job_file) << shown;
        EXPECT_EQ(got.quiet, c.quiet) << shown;
    }
}

TEST(JobListText, StopsAtAnEmptyLineAndTellsBadLinesOverflowAndBinary) {
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
}

#include "core/batch_script.h"

#include <gtest/gtest.h>

#include "core/program_files.h"
#include "core/text.h"

using namespace core;

namespace {
std::wstring script(const std::vector<JobFolders>& jobs, bool empty, bool purge) {
    return join_lines(
        script_lines(jobs, option_suffix(empty, purge), L"C:\\TEMP\\BatchRun.failed", L"C:\\TEMP\\BatchRun.log"));
}
}  // namespace

TEST(BatchScript, ExactLinesForTheFourOptionSets) {
    std::vector<JobFolders> jobs{{L"C:\\DATA\\PHOTOS", L"E:\\BACKUP"}, {L"D:\\MUSIC", L"E:\\"}};
    const std::wstring head = L"Title \"Ostrevin\r\n";
    const std::wstring line1 = L"robocopy \"C:\\DATA\\PHOTOS\" \"E:\\BACKUP\\PHOTOS\"";
    const std::wstring line2 = L"robocopy \"D:\\MUSIC\" \"E:\\\\MUSIC\"";  // a drive-root destination: two backslashes
    const std::wstring mark1 = L"echo Ostrevin job 1 >>\"C:\\TEMP\\BatchRun.log\"\r\n";
    const std::wstring mark2 = L"echo Ostrevin job 2 >>\"C:\\TEMP\\BatchRun.log\"\r\n";
    const std::wstring log = L" /NP /LOG+:\"C:\\TEMP\\BatchRun.log\"\r\n";
    const std::wstring fail1 = L"if errorlevel 8 echo 1 >>\"C:\\TEMP\\BatchRun.failed\"\r\n";
    const std::wstring fail2 = L"if errorlevel 8 echo 2 >>\"C:\\TEMP\\BatchRun.failed\"\r\n";
    const std::wstring tail = L"del batchrun.bat\r\n";
    struct Case {
        bool empty, purge;
        const wchar_t* suffix;
    } cases[] = {{false, false, L" /S /R:3 /W:3"},
                 {false, true, L" /S /PURGE /R:3 /W:3"},
                 {true, false, L" /E /R:3 /W:3"},
                 {true, true, L" /E /PURGE /R:3 /W:3"}};
    for (const auto& c : cases) {
        EXPECT_EQ(script(jobs, c.empty, c.purge),
                  head + mark1 + line1 + c.suffix + log + fail1 + mark2 + line2 + c.suffix + log + fail2 + tail);
    }
    EXPECT_EQ(script({}, false, false), head + tail);
}

TEST(BatchScript, PercentAndDriveRootSources) {
    auto lines = script_lines({{L"C:\\100%\\%PATH%", L"E:\\B%"}}, L" /S /R:3 /W:3", L"C:\\T%\\r", L"C:\\T%\\l");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], L"echo Ostrevin job 1 >>\"C:\\T%%\\l\"");
    EXPECT_EQ(lines[2],
              L"robocopy \"C:\\100%%\\%%PATH%%\" \"E:\\B%%\\%%PATH%%\" /S /R:3 /W:3 /NP /LOG+:\"C:\\T%%\\l\"");
    EXPECT_EQ(lines[3], L"if errorlevel 8 echo 1 >>\"C:\\T%%\\r\"");

    // "C:\" would escape the closing quote; it is copied into a folder named after the drive.
    JobCopy c = job_copy({L"C:\\", L"E:\\BACKUP"});
    EXPECT_EQ(c.source, L"C:\\.");
    EXPECT_EQ(c.target, L"E:\\BACKUP\\C");
    lines = script_lines({{L"C:\\", L"E:\\BACKUP"}}, L" /E /PURGE /R:3 /W:3", L"R", L"L");
    EXPECT_EQ(lines[2], L"robocopy \"C:\\.\" \"E:\\BACKUP\\C\" /E /PURGE /R:3 /W:3 /NP /LOG+:\"L\"");
    for (const auto& l : lines) EXPECT_EQ(l.find(L"\\\""), std::wstring::npos) << "a quote escaped in: " << l.size();
}

// One job number per line; anything else makes the whole file unreadable.
TEST(BatchScript, FailedJobsFromTheResultsFile) {
    using Jobs = std::optional<std::vector<int>>;
    const Jobs unreadable;
    const struct {
        const wchar_t* text;
        Jobs expected;
    } cases[] = {
        {L"", std::vector<int>{}},
        {L"2 \r\n5 \r\n2 \r\n", std::vector<int>{2, 5}},
        {L"3", std::vector<int>{3}},
        {L" 4 \r\n\r\n\t1\t\r\n\r\n", std::vector<int>{4, 1}},
        {L"1 3\r\n", unreadable},
        {L"1\t1\r\n", unreadable},
        {L"x\r\n", unreadable},
        {L"2 \r\nx\r\n", unreadable},
        {L"0\r\n", unreadable},
        {L"6\r\n", unreadable},  // the run has 5 jobs
        {L"99999999999999999999\r\n", unreadable},
    };
    for (const auto& c : cases) EXPECT_EQ(failed_jobs(c.text, 5), c.expected) << testing::PrintToString(std::wstring(c.text));
}

TEST(BatchScript, OnlyAJobWhoseLogSectionEndsWithTheEndLineIsFinished) {
    const std::wstring done = L"Ostrevin job 1 \r\n  Started : x\r\n   Files :  1\r\n   Ended : Sunday 1 PM\r\n\r\n";
    struct Case {
        std::wstring log;
        int jobs;
        std::vector<int> unfinished;
    } cases[] = {
        {done, 1, {}},
        {done + L"Ostrevin job 2 \r\n  Started : x\r\n", 2, {2}},             // killed mid-job
        {done + L"Ostrevin job 2 \r\nOstrevin job 3 \r\n" + done.substr(16), 3, {2}},  // never started
        {L"Ostrevin job 1 \r\n   Ended : x\r\nERROR 5 later\r\n", 1, {1}},  // the end line must be last
        {L"", 2, {1, 2}},
        {L"   Ended : x\r\n", 1, {1}},                                      // no marker: whose is it?
        {L"Ostrevin job 14 \r\n   Ended : x\r\nOstrevin job x1 \r\n", 1, {1}},
    };
    for (const auto& c : cases) EXPECT_EQ(unfinished_jobs(c.log, c.jobs), c.unfinished) << c.log.size();
}

TEST(ProgramFilesList, HeadingEmptyLineAndOrdinalOrder) {
    EXPECT_EQ(program_files_text({L"ZETA", L"_TOOLS", L"COMMON FILES"}),
              L"List of directories in Program Files\r\n\r\nCOMMON FILES\r\nZETA\r\n_TOOLS\r\n");
    EXPECT_EQ(program_files_text({}), L"List of directories in Program Files\r\n\r\n");
}

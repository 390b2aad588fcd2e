#include "core/batch_script.h"

#include <gtest/gtest.h>

#include "core/text.h"

using namespace core;

TEST(BatchScript, ExactLinesWithEveryPercentDoubled) {
    const wchar_t* suffixes[] = {L" /S /R:3 /W:3", L" /S /PURGE /R:3 /W:3", L" /E /R:3 /W:3", L" /E /PURGE /R:3 /W:3"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(option_suffix(i >= 2, i % 2 == 1), suffixes[i]);
    std::vector<JobFolders> jobs{{L"C:\\DATA\\PHOTOS", L"E:\\BACKUP"}, {L"C:\\100%\\%PATH%", L"E:\\B%"}};
    EXPECT_EQ(
        join_lines(script_lines(jobs, L"C:\\WIN%\\system32\\robocopy.exe", suffixes[3], L"C:\\T%\\BatchRun.failed",
                                L"C:\\T%\\BatchRun.log")),
        L"Title \"Ostrevin\r\n"
        L"echo Ostrevin job 1 >>\"C:\\T%%\\BatchRun.log\"\r\n"
        L"\"C:\\WIN%%\\system32\\robocopy.exe\" \"C:\\DATA\\PHOTOS\" \"E:\\BACKUP\\PHOTOS\" /E /PURGE /R:3 /W:3 /NP "
        L"/LOG+:\"C:\\T%%\\BatchRun.log\"\r\n"
        L"if errorlevel 8 echo 1 >>\"C:\\T%%\\BatchRun.failed\"\r\n"
        L"echo Ostrevin job 2 >>\"C:\\T%%\\BatchRun.log\"\r\n"
        L"\"C:\\WIN%%\\system32\\robocopy.exe\" \"C:\\100%%\\%%PATH%%\" \"E:\\B%%\\%%PATH%%\" /E /PURGE /R:3 /W:3 /NP "
        L"/LOG+:\"C:\\T%%\\BatchRun.log\"\r\n"
        L"if errorlevel 8 echo 2 >>\"C:\\T%%\\BatchRun.failed\"\r\n"
        L"del batchrun.bat\r\n");
    EXPECT_EQ(join_lines(script_lines({}, L"rc", suffixes[0], L"R", L"L")),
              L"Title \"Ostrevin\r\ndel batchrun.bat\r\n");
}

// Each job's line: /FFT for a destination on a FAT-family drive, which keeps times in
// 2-second steps; no /PURGE for a job whose purge the user declined this time, only new
// files for one whose mass overwrite was declined.
TEST(BatchScript, EachJobsLineTakesItsDrivesTimesAndItsAnswer) {
    const struct {
        const wchar_t* file_system;
        bool keep_extras, only_new;
        std::vector<std::wstring> standing;
        const wchar_t* options;
    } cases[] = {{L"FAT32", false, false, {}, L"/E /PURGE /R:3 /W:3 /FFT /NP"},
                 {L"NTFS", false, false, {}, L"/E /PURGE /R:3 /W:3 /NP"},
                 {L"exFAT", true, false, {}, L"/E /R:3 /W:3 /FFT /NP"},
                 {L"", true, false, {}, L"/E /R:3 /W:3 /NP"},
                 {L"fat", false, true, {}, L"/E /PURGE /R:3 /W:3 /FFT /NP /XC /XN /XO"},
                 {L"", false, false, {L"E:\\BK\\J5\\100%", L"E:\\BK\\J5\\b "},
                  L"/E /PURGE /R:3 /W:3 /NP /XD \"E:\\BK\\J5\\100%%\" \"E:\\BK\\J5\\b \""}};
    std::vector<JobFolders> jobs;
    std::vector<JobLine> job_lines;
    for (const auto& c : cases) {
        jobs.push_back({L"C:\\J" + std::to_wstring(jobs.size()), L"E:\\BK"});
        job_lines.push_back({c.file_system, c.keep_extras, false, c.only_new, c.standing});
    }
    const auto lines = script_lines(jobs, L"rc", L" /E /PURGE /R:3 /W:3", L"R", L"L", job_lines);
    ASSERT_EQ(lines.size(), 2 + 3 * jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i)
        EXPECT_EQ(lines[2 + 3 * i], L"\"rc\" \"C:\\J" + std::to_wstring(i) + L"\" \"E:\\BK\\J" + std::to_wstring(i) +
                                        L"\" " + cases[i].options + L" /LOG+:\"L\"");
}

// A quoted path must never end in "\" (it would escape the quote), and each job
// needs a target of its own that is not its source.
// One job number per line; anything else makes the whole file unreadable.
TEST(BatchScript, FailedJobsFromTheResultsFile) {
    using Jobs = std::optional<std::vector<int>>;
    const struct {
        const wchar_t* text;
        Jobs expected;
    } cases[] = {
        {L"", std::vector<int>{}},
        {L"2 \r\n5 \r\n2 \r\n", std::vector<int>{2, 5}},
        {L"3", std::vector<int>{3}},
        {L" 4 \r\n\r\n\t1\t\r\n\r\n", std::vector<int>{4, 1}},
        {L"1 3\r\n", std::nullopt},
        {L"2 \r\nx\r\n", std::nullopt},
        {L"0\r\n", std::nullopt},
        {L"6\r\n", std::nullopt},  // the run has 5 jobs
        {L"99999999999999999999\r\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failed_jobs(c.text, 5), c.expected) << testing::PrintToString(std::wstring(c.text));
}

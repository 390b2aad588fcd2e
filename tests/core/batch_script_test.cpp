#include "core/batch_script.h"

#include <gtest/gtest.h>

#include "core/text.h"

using namespace core;

namespace {
std::string test_text(std::wstring_view w) { return std::string(w.begin(), w.end()); }  // ASCII cases only
std::wstring script(const std::vector<JobFolders>& jobs, bool empty, bool purge) {
    return join_lines(
        script_lines(jobs, option_suffix(empty, purge), L"C:\\TEMP\\BatchRun.failed", L"C:\\TEMP\\BatchRun.log"));
}
}  // namespace

TEST(BatchScript, ExactLinesForTheFourOptionSets) {
    std::vector<JobFolders> jobs{{L"C:\\DATA\\PHOTOS", L"E:\\BACKUP"}, {L"D:\\MUSIC", L"E:\\"}};
    const std::wstring head = L"Title \"Ostrevin\r\n";
    const std::wstring line1 = L"robocopy \"C:\\DATA\\PHOTOS\" \"E:\\BACKUP\\PHOTOS\"";
    const std::wstring line2 = L"robocopy \"D:\\MUSIC\" \"E:\\MUSIC\"";
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

TEST(BatchScript, PercentIsDoubled) {
    auto lines = script_lines({{L"C:\\100%\\%PATH%", L"E:\\B%"}}, L" /S /R:3 /W:3", L"C:\\T%\\r", L"C:\\T%\\l");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], L"echo Ostrevin job 1 >>\"C:\\T%%\\l\"");
    EXPECT_EQ(lines[2],
              L"robocopy \"C:\\100%%\\%%PATH%%\" \"E:\\B%%\\%%PATH%%\" /S /R:3 /W:3 /NP /LOG+:\"C:\\T%%\\l\"");
    EXPECT_EQ(lines[3], L"if errorlevel 8 echo 1 >>\"C:\\T%%\\r\"");
}

// A quoted path must never end in "\" (it would escape the quote), and each job
// needs a target of its own that is not its source.
TEST(JobTarget, SourceAndDestinationGiveTheTargetOrARefusal) {
    struct Case {
        const wchar_t *source, *destination, *script_source, *target;  // target nullptr: refused
    } cases[] = {
        {L"C:\\DATA\\PHOTOS", L"E:\\BACKUP", L"C:\\DATA\\PHOTOS", L"E:\\BACKUP\\PHOTOS"},
        {L"S:\\SRC\\DOCS\\", L"E:\\BK", L"S:\\SRC\\DOCS", L"E:\\BK\\DOCS"},
        {L"S:\\SRC\\MAIL\\\\", L"E:\\BK\\", L"S:\\SRC\\MAIL", L"E:\\BK\\MAIL"},
        {L"C:\\", L"E:\\BACKUP", L"C:\\.", L"E:\\BACKUP\\C"},
        {L"d:\\", L"E:\\", L"d:\\.", L"E:\\d"},
        {L"D:\\MUSIC", L"E:\\", L"D:\\MUSIC", L"E:\\MUSIC"},
        {L"\\\\SRV\\SHARE\\", L"E:\\BK", L"\\\\SRV\\SHARE", L"E:\\BK\\SHARE"},
        {L"\\\\SRV\\SHARE\\", L"E:\\", L"\\\\SRV\\SHARE", L"E:\\SHARE"},
        {L"\\\\SRV\\SHARE", L"\\\\NAS\\BK\\", L"\\\\SRV\\SHARE", L"\\\\NAS\\BK\\SHARE"},
        {L"C:/A/B", L"E:/BK", L"C:\\A\\B", L"E:\\BK\\B"},
        {L"C:\\A B\\C D ", L"E:\\X", L"C:\\A B\\C D ", L"E:\\X\\C D "},
        {L"", L"E:\\BACKUP\\", nullptr, nullptr},
        {L"C:", L"E:\\BK", nullptr, nullptr},
        {L"C:DATA", L"E:\\BK", nullptr, nullptr},
        {L"relative\\path", L"E:\\BK", nullptr, nullptr},
        {L"\\DATA", L"E:\\BK", nullptr, nullptr},
        {L"\\\\SRV", L"E:\\BK", nullptr, nullptr},
        {L"\\\\SRV\\", L"E:\\BK", nullptr, nullptr},
        {L"C:\\A\\..\\B", L"E:\\BK", nullptr, nullptr},
        {L"C:\\A\\.", L"E:\\BK", nullptr, nullptr},
        {L"C:\\A\\\\B", L"E:\\BK", nullptr, nullptr},
        {L"C:\\A*", L"E:\\BK", nullptr, nullptr},
        {L"C:\\A\\B:C", L"E:\\BK", nullptr, nullptr},
        {L"C:\\DATA", L"", nullptr, nullptr},
        {L"C:\\DATA", L"E:", nullptr, nullptr},
        {L"C:\\DATA", L"BK", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "source " << test_text(c.source) << " into " << test_text(c.destination));
        auto copy = job_copy({c.source, c.destination});
        auto lines = script_lines({{c.source, c.destination}}, L" /S /R:3 /W:3", L"R", L"L");
        ASSERT_EQ(lines.size(), c.target ? 5u : 3u);
        if (!c.target) {
            EXPECT_FALSE(copy);
            EXPECT_EQ(lines[1], L"echo 1 >>\"R\"");  // counted as failed, never run
            continue;
        }
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->source, c.script_source);
        EXPECT_EQ(copy->target, c.target);
        EXPECT_EQ(lines[2], std::wstring(L"robocopy \"") + c.script_source + L"\" \"" + c.target +
                                L"\" /S /R:3 /W:3 /NP /LOG+:\"L\"");
    }
}

TEST(JobTarget, ListsWhereATargetMeetsASourceOrAnotherTarget) {
    using F = JobFault;
    struct Case {
        std::vector<JobFolders> jobs;
        std::vector<JobConflict> expected;
    } cases[] = {
        {{{L"S:\\SRC\\DOCS\\", L"E:\\BK"}, {L"S:\\SRC\\MAIL\\", L"E:\\BK"}}, {}},
        {{{L"\\\\SRV\\SHARE\\", L"E:\\BK"}, {L"C:\\DATA", L"E:\\BK"}, {L"\\\\SRV\\SHARE\\", L"F:\\"}}, {}},
        {{{L"\\\\SRV\\SHARE\\", L"E:\\"}, {L"E:\\DATA", L"F:\\BK"}}, {}},
        {{{L"\\\\SRV\\SHARE\\", L"E:\\BK"}, {L"D:\\share", L"e:\\bk\\"}}, {{1, 2, F::SharedTarget}}},
        {{{L"S:\\SRC\\PHOTOS\\PHOTOS", L"S:\\SRC"}}, {{1, 0, F::TargetHoldsSource}}},
        {{{L"C:\\A\\DOCS", L"E:\\BK"}, {L"D:\\B\\DOCS", L"E:\\BK"}}, {{1, 2, F::SharedTarget}}},
        {{{L"c:\\a\\docs ", L"e:\\bk"}, {L"D:\\B\\DOCS.", L"E:\\BK\\"}}, {{1, 2, F::SharedTarget}}},
        {{{L"C:\\PHOTOS", L"E:\\BK"}, {L"D:\\X", L"E:\\BK\\PHOTOS\\2014"}, {L"D:\\Y", L"F:\\"}},
         {{1, 2, F::SharedTarget}}},
        {{{L"C:\\DATA", L"E:\\BK"}, {L"E:\\BK\\DATA\\SUB", L"F:\\X"}, {L"E:\\BK\\Data", L"G:\\"}},
         {{1, 2, F::TargetHoldsOtherSource}, {1, 3, F::TargetHoldsOtherSource}}},
        {{{L"C:\\DATA", L"E:\\BK"}, {L"E:\\", L"F:\\B"}}, {}},  // a backup inside another job's source is copied, not lost
        {{{L"C:\\Data", L"c:\\data"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data\\", L"C:\\DATA\\Backup"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\", L"C:\\Backup"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data", L"C:\\"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data\\Photos", L"C:\\Data"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data", L"C:\\Database"}, {L"C:\\Data\\Photos", L"C:\\Backup"}}, {}},
        {{{L"", L"E:\\BACKUP\\"}, {L"C:", L"E:\\BK"}, {L"C:\\X", L"BK"}, {L"D:\\X", L"E:\\BACKUP"}},
         {{1, 0, F::NoSource}, {2, 0, F::NoSource}, {3, 0, F::NoDestination}}},
    };
    for (const auto& c : cases) {
        std::wstring list;
        for (const auto& j : c.jobs) list += j.source + L" > " + j.destination + L"; ";
        EXPECT_EQ(job_conflicts(c.jobs), c.expected) << test_text(list);
    }
    // The message names both jobs and the shared folder.
    std::vector<JobFolders> twins{{L"C:\\A\\DOCS", L"E:\\BK"}, {L"D:\\B\\DOCS", L"E:\\BK"}};
    std::wstring text = conflict_text({1, 2, F::SharedTarget}, twins);
    EXPECT_NE(text.find(L"Jobs 1 and 2"), std::wstring::npos) << test_text(text);
    EXPECT_NE(text.find(L"\"E:\\BK\\DOCS\""), std::wstring::npos) << test_text(text);
    EXPECT_NE(conflict_text({1, 2, F::SharedTarget}, twins, 2).find(L"this job"), std::wstring::npos);
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

#include "core/job_rule.h"

#include <gtest/gtest.h>

#include "core/batch_script.h"
#include "core/path_match.h"

using namespace core;

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
        auto lines = script_lines({{c.source, c.destination}}, L"rc", L" /S /R:3 /W:3", L"R", L"L");
        ASSERT_EQ(lines.size(), c.target ? 5u : 3u) << testing::PrintToString(std::wstring(c.source));
        if (c.target)
            EXPECT_EQ(lines[2], std::wstring(L"\"rc\" \"") + c.script_source + L"\" \"" + c.target +
                                    L"\" /S /R:3 /W:3 /NP /LOG+:\"L\"");
        else EXPECT_EQ(lines[1], L"echo 1 >>\"R\"");  // counted as failed, never run
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
        {{{L"C:\\DATA", L"E:\\BK"}, {L"E:\\", L"F:\\B"}},
         {}},  // a backup inside another job's source is copied, not lost
        {{{L"C:\\Data", L"c:\\data"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data\\", L"C:\\DATA\\Backup"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\", L"C:\\Backup"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data", L"C:\\"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data\\Photos", L"C:\\Data"}}, {{1, 0, F::TargetInSource}}},
        {{{L"C:\\Data", L"C:\\Database"}, {L"C:\\Data\\Photos", L"C:\\Backup"}}, {}},
        {{{L"C:\\Old\\ostrevin versions", L"E:\\BK"}, {L"C:\\Ostrevin Versions 2", L"E:\\BK"}},
         {{1, 0, F::VersionsName}}},  // the backup would be where kept files go
        {{{L"C:\\DATA", L"E:\\BK"}, {L"D:\\MAIL", L"e:\\bk\\ostrevin versions\\2026-12-07 10-00-00"}},
         {{2, 1, F::TargetInVersions}}},  // pruning another job's kept copies would delete this backup
        {{{L"", L"E:\\BACKUP\\"}, {L"C:", L"E:\\BK"}, {L"C:\\X", L"BK"}, {L"D:\\X", L"E:\\BACKUP"}},
         {{1, 0, F::NoSource}, {2, 0, F::NoSource}, {3, 0, F::NoDestination}}},
    };
    for (const auto& c : cases) EXPECT_EQ(job_conflicts(c.jobs), c.expected) << "case " << &c - cases;
    // Offered for one job, the text speaks of it as this job (the run's tests read the text for a whole list).
    EXPECT_NE(conflict_text({1, 2, F::SharedTarget}, cases[5].jobs, 2).find(L"this job"), std::wstring::npos);
}

// The existence test's rules apart from the listing: hidden never counts, folders and
// system entries only when the mask names them; a leading ":" is refused outright.
TEST(PathMatch, MasksRefusalsAndTheListingAskedFor) {
    const struct {
        std::uint32_t attributes;
        bool files, folders, system;  // admitted with masks 0, 16 and 20
    } entries[] = {
        {0, true, true, true},
        {kAttrDirectory, false, true, true},
        {kAttrSystem, false, false, true},
        {kAttrSystem | kAttrDirectory, false, false, true},
        {kAttrHidden, false, false, false},
        {kAttrHidden | kAttrDirectory | kAttrSystem, false, false, false},
    };
    for (const auto& e : entries) {
        EXPECT_EQ(entry_admitted(e.attributes, kMaskFiles), e.files) << e.attributes;
        EXPECT_EQ(entry_admitted(e.attributes, kMaskFolders), e.folders) << e.attributes;
        EXPECT_EQ(entry_admitted(e.attributes, kMaskSystem), e.system) << e.attributes;
    }
    EXPECT_TRUE(path_refused(L":\\x"));
    EXPECT_FALSE(path_refused(L""));
    EXPECT_FALSE(path_refused(L"C:\\x:"));
    EXPECT_EQ(listing_pattern(L"C:\\Program Files"), L"c:\\program files");
    EXPECT_EQ(listing_pattern(L"C:\\Data\\"), L"c:\\data\\*.*");  // a folder's contents
    EXPECT_EQ(listing_pattern(L"Q:/"), L"q:/*.*");
    EXPECT_EQ(listing_pattern(L""), L"");
}

#include <gtest/gtest.h>

#include "core/batch_script.h"

using namespace core;

// A destination on a FAT-family drive gets /FFT; the others keep exact times.
TEST(BatchScript, FatDestinationsGetTwoSecondTimes) {
    const std::vector<JobFolders> jobs{{L"C:\\A", L"E:\\BK"},
                                       {L"C:\\B", L"F:\\BK"},
                                       {L"C:\\C", L"G:\\BK"},
                                       {L"C:\\D", L"H:\\BK"},
                                       {L"C:\\E", L"I:\\BK"}};
    const std::vector<std::wstring> file_systems{L"FAT32", L"NTFS", L"exFAT", L"", L"fat"};
    const bool fat[] = {true, false, true, false, true};
    const auto lines = script_lines(jobs, L"rc", L" /S /R:3 /W:3", L"R", L"L", file_systems);
    ASSERT_EQ(lines.size(), 2 + 3 * jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        const std::wstring& line = lines[2 + 3 * i];
        ASSERT_EQ(line.rfind(L"\"rc\" ", 0), 0u);
        EXPECT_EQ(line.ends_with(fat[i] ? L"/W:3 /FFT /NP /LOG+:\"L\"" : L"/W:3 /NP /LOG+:\"L\""), true)
            << "job " << i + 1;
    }
}

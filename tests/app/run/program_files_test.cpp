#include <gtest/gtest.h>

#include <algorithm>

#include "support/app_fixture.h"

namespace {
const std::wstring kPF = L"C:\\Program Files";

// Entries added to the prefix's Program Files for one test, removed afterwards.
struct Extra {
    std::vector<std::wstring> paths;
    void folder(const std::wstring& name) {
        CreateDirectoryW((kPF + L"\\" + name).c_str(), nullptr);
        paths.push_back(kPF + L"\\" + name);
    }
    ~Extra() {
        for (const auto& p : paths) {
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!RemoveDirectoryW(p.c_str())) DeleteFileW(p.c_str());
        }
    }
};

std::vector<std::string> listed(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(text.substr(start, p - start));
    return lines;
}
}  // namespace

TEST(ProgramFilesList, UpperCaseOrdinalOrderWithoutHiddenOrSystemEntries) {
    test::App a;
    a.start();
    Extra extra;
    extra.folder(L"Zeta");
    extra.folder(L"_tools");
    const std::wstring hs = kPF + L"\\hidden-system.bin";
    test::write_bytes(hs, "x");
    SetFileAttributesW(hs.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    extra.paths.push_back(hs);
    app::state().JobPaths[1].destination = a.box.data();
    a.main->MenuFilePrint_Click();
    a.main->MenuFilePrint_Click();  // run twice: the second replaces the first
    EXPECT_TRUE(a.prompts.asked.empty());
    auto lines = listed(test::read_bytes(a.box.data() + L"\\ProgramFilesList.txt"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "List of directories in Program Files");
    EXPECT_EQ(lines[1], "");
    EXPECT_TRUE(std::is_sorted(lines.begin() + 2, lines.end()));
    auto at = [&](const char* n) { return std::find(lines.begin(), lines.end(), n) - lines.begin(); };
    EXPECT_LT(at("COMMON FILES"), at("ZETA"));
    EXPECT_LT(at("ZETA"), at("_TOOLS"));
    EXPECT_LT(at("_TOOLS"), static_cast<long>(lines.size()));
    EXPECT_EQ(at("HIDDEN-SYSTEM.BIN"), static_cast<long>(lines.size()));
    EXPECT_EQ(at("."), static_cast<long>(lines.size()));
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(std::wstring(cwd), kPF);  // left there, as the run's next script used to rely on
}

TEST(ProgramFilesList, AtMostAHundredNames) {
    test::App a;
    a.start();
    Extra extra;
    for (int i = 0; i < 110; ++i) extra.folder(L"many" + std::to_wstring(1000 + i));
    app::state().JobPaths[1].destination = a.box.data();
    a.main->MenuFilePrint_Click();
    auto lines = listed(test::read_bytes(a.box.data() + L"\\ProgramFilesList.txt"));
    EXPECT_EQ(lines.size(), 102u);
    EXPECT_TRUE(std::is_sorted(lines.begin() + 2, lines.end()));
}

TEST(ProgramFilesList, FailuresAreReported) {
    test::App a;
    a.start();
    // The first destination's drive is gone.
    app::state().JobPaths[1].destination = L"Q:\\BACKUP";
    a.main->MenuFilePrint_Click();
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"LIST NOT SAVED"});
    EXPECT_NE(a.prompts.asked[0].text.find(L"\"Q:\\BACKUP\""), std::wstring::npos);

    // No Program Files folder at all.
    SetCurrentDirectoryW(L"C:\\");
    ASSERT_TRUE(MoveFileW(kPF.c_str(), L"C:\\Program Files.away"));
    app::state().JobPaths[1].destination = a.box.data();
    a.main->MenuFilePrint_Click();
    MoveFileW(L"C:\\Program Files.away", kPF.c_str());
    EXPECT_EQ(a.prompts.asked.size(), 2u);
    EXPECT_FALSE(test::exists(a.box.data() + L"\\ProgramFilesList.txt"));
}

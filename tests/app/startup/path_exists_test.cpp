#include <gtest/gtest.h>

#include "folders/path_exists.h"
#include "support/sandbox.h"

using folders::PathExists;

TEST(PathExists, MasksWildcardsTrailingBackslashAndDriveRoots) {
    test::Sandbox box;
    const std::wstring w = box.path(L"w\\");
    for (const wchar_t* dir : {L"Program Files", L"Hidden", L"onlyhidden"}) test::make_dirs(w + dir);
    for (const wchar_t* file : {L"file.txt", L"sys.bin", L"onlyhidden\\h"})
        test::write_bytes(w + file, "x");
    SetFileAttributesW((w + L"Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesW((w + L"sys.bin").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW((w + L"onlyhidden\\h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const struct {
        const wchar_t* rel;
        bool mask0, mask16, mask20;
    } cases[] = {
        {L"Program Files", false, true, true},
        {L"FILE.TXT", true, true, true},
        {L"Hidden", false, false, false},
        {L"no\\such", false, false, false},
        {L"sys.bin", false, false, true},
        {L"Prog*", false, true, true},
        // Inside a folder "." counts as a folder entry; with mask 0 only its files count.
        {L"Program Files\\", false, true, true},
        {L"onlyhidden\\", false, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathExists(w + c.rel, 0), c.mask0) << test::narrow(c.rel);
        EXPECT_EQ(PathExists(w + c.rel, 16), c.mask16) << test::narrow(c.rel);
        EXPECT_EQ(PathExists(w + c.rel, 20), c.mask20) << test::narrow(c.rel);
    }
    EXPECT_FALSE(PathExists(L"", 16));
    // A drive root counts while it holds an entry; a leading colon is refused with its error.
    box.mapDrive(L'Q', box.path(L"driveq"));
    EXPECT_FALSE(PathExists(L"Q:\\", 20));
    test::make_dirs(box.path(L"driveq\\BACKUP"));
    EXPECT_TRUE(PathExists(L"Q:\\", 20));
    EXPECT_TRUE(PathExists(L"Q:\\BACKUP", 20));
    box.unmapDrive(L'Q');
    EXPECT_FALSE(PathExists(L"Q:\\BACKUP", 20));
    DWORD error = 0;
    EXPECT_FALSE(PathExists(L":\\x", 16, &error));
    EXPECT_EQ(error, 57u);
}

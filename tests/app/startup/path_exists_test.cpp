#include <gtest/gtest.h>

#include "folders/path_exists.h"
#include "support/sandbox.h"

using folders::PathExists;
using test::Sandbox;

TEST(PathExists, MasksAdmitFilesFoldersAndSystemEntries) {
    Sandbox box;
    test::make_dirs(box.path(L"tree\\Folder"));
    test::write_bytes(box.path(L"tree\\file.txt"), "x");
    test::make_dirs(box.path(L"tree\\Hidden"));
    SetFileAttributesW(box.path(L"tree\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    test::write_bytes(box.path(L"tree\\sys.bin"), "x");
    SetFileAttributesW(box.path(L"tree\\sys.bin").c_str(), FILE_ATTRIBUTE_SYSTEM);
    test::write_bytes(box.path(L"tree\\hid.txt"), "x");
    SetFileAttributesW(box.path(L"tree\\hid.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

    const std::wstring folder = box.path(L"tree\\Folder"), file = box.path(L"tree\\file.txt");
    EXPECT_FALSE(PathExists(folder, 0));
    EXPECT_TRUE(PathExists(folder, 16));
    EXPECT_TRUE(PathExists(folder, 20));
    for (int mask : {0, 16, 20}) {
        EXPECT_TRUE(PathExists(file, mask)) << mask;
        EXPECT_FALSE(PathExists(box.path(L"tree\\hid.txt"), mask)) << mask;
        EXPECT_FALSE(PathExists(box.path(L"tree\\Hidden"), mask)) << mask;
        EXPECT_FALSE(PathExists(box.path(L"tree\\nothing"), mask)) << mask;
        EXPECT_FALSE(PathExists(box.path(L"no\\such\\folder"), mask)) << mask;
    }
    EXPECT_FALSE(PathExists(box.path(L"tree\\sys.bin"), 16));
    EXPECT_TRUE(PathExists(box.path(L"tree\\sys.bin"), 20));

    // Upper case is looked for in lower case: same answer on this file system.
    EXPECT_TRUE(PathExists(box.path(L"TREE\\FILE.TXT"), 0));
}

TEST(PathExists, WildcardsAndTrailingBackslash) {
    Sandbox box;
    test::make_dirs(box.path(L"w\\Program Files"));
    test::make_dirs(box.path(L"w\\empty"));
    test::make_dirs(box.path(L"w\\onlyhidden"));
    test::write_bytes(box.path(L"w\\onlyhidden\\h"), "x");
    SetFileAttributesW(box.path(L"w\\onlyhidden\\h").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_TRUE(PathExists(box.path(L"w\\Prog*"), 16));
    EXPECT_FALSE(PathExists(box.path(L"w\\Prog*"), 0));
    EXPECT_TRUE(PathExists(box.path(L"w\\Pro?ram Files"), 16));
    // Inside a folder: "." counts as a folder entry, so an existing folder answers true
    // with the folder masks; with mask 0 only its files count.
    EXPECT_TRUE(PathExists(box.path(L"w\\empty\\"), 16));
    EXPECT_FALSE(PathExists(box.path(L"w\\empty\\"), 0));
    EXPECT_FALSE(PathExists(box.path(L"w\\onlyhidden\\"), 0));

    // A mapped drive root counts only while it holds an admitted entry.
    box.mapDrive(L'Q', box.path(L"driveq"));
    EXPECT_FALSE(PathExists(L"Q:\\", 20));
    test::make_dirs(box.path(L"driveq\\BACKUP"));
    EXPECT_TRUE(PathExists(L"Q:\\", 20));
    EXPECT_TRUE(PathExists(L"Q:\\BACKUP", 20));
    box.unmapDrive(L'Q');
    EXPECT_FALSE(folders::PathExistsOrFalse(L"Q:\\BACKUP", 20));
}

TEST(PathExists, PathBeginningWithColonIsRefusedNotFatal) {
    Sandbox box;
    try {
        PathExists(L":\\x", 16);
        FAIL() << "expected a refusal";
    } catch (const folders::PathError& e) {
        EXPECT_EQ(e.code, 57);
    }
    EXPECT_FALSE(folders::PathExistsOrFalse(L":oops", 20));
    EXPECT_FALSE(PathExists(L"", 16));
}

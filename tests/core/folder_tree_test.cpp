#include <gtest/gtest.h>

#include <algorithm>

#include "core/folder_tree.h"

using namespace core;

TEST(FolderTree, AncestorsThenTheFolderThenItsSubFoldersSorted) {
    auto rows = folder_tree(L"E:\\Backup\\Photos\\", {L"zeta", L"Alpha", L"beta"});
    std::vector<std::wstring> names, paths;
    for (const auto& r : rows) {
        names.push_back(r.name);
        paths.push_back(r.path);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"E:\\", L"Backup", L"Photos", L"Alpha", L"beta", L"zeta"}));
    EXPECT_EQ(paths[1], L"E:\\Backup");
    EXPECT_EQ(paths[3], L"E:\\Backup\\Photos\\Alpha");
    EXPECT_EQ(open_row(rows), 2);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rows[static_cast<size_t>(i)].depth, std::min(i, 3));
        EXPECT_EQ(rows[static_cast<size_t>(i)].open, i < 3);
    }
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

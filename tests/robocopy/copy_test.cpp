// What gets copied, skipped, created and purged, and the spellings of a folder, checked on disk.
#include "harness.h"

using namespace rctest;

namespace {

std::string pattern(std::size_t size, unsigned seed) {
    std::string s(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (auto& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 23);
    return s;
}

// Without /S only the top-level files are copied, into parents made on demand.
TEST_F(CopyTest, EveryFileArrivesIntactAtEveryBufferBoundaryAndPastTheQueue) {
    // Sizes around the copier's 256 KB buffer and beyond.
    const std::size_t sizes[] = {0, 1, 256 << 10, (256 << 10) + 1, 1 << 20, (1 << 20) + 1, (3 << 20) + 17};
    for (unsigned i = 0; i < 7; ++i) put(L"f" + std::to_wstring(i), pattern(sizes[i], i));
    // Over 1024 files in one folder: the walk has to wait for the copy threads.
    for (int i = 0; i < 1100; ++i) put(L"many" + std::to_wstring(i), "content " + std::to_string(i * 7919));
    put(L"sub\\deeper\\d.txt", "not copied");
    set_write_time(src + L"\\f1", 116444736000000000ull);  // 1970, far from "now"
    dst = box.path(L"dst\\made\\on\\demand");
    const RunResult r = run(L"/R:0 /W:0");
    EXPECT_EQ(r.code, kCopied) << r.output;
    EXPECT_EQ(r.row("Files"), (Row{1107, 1107, 0, 0, 0, 0}));
    EXPECT_FALSE(exists(dst + L"\\sub"));
    for (unsigned i = 0; i < 7; ++i) {
        const std::wstring name = L"\\f" + std::to_wstring(i);
        EXPECT_TRUE(read_bytes(dst + name) == pattern(sizes[i], i)) << "bytes of file " << i;
        EXPECT_EQ(write_time(dst + name), write_time(src + name));
    }
    for (int i = 0; i < 1100; ++i)  // the first wrong one only
        ASSERT_EQ(read_bytes(dst + L"\\many" + std::to_wstring(i)), "content " + std::to_string(i * 7919));
}

// A rerun copies only what changed (each kind of change is in logic_test.cpp), and /FFT
// reaches the decision. Names match whatever their case, Unicode names arrive as they are, and
// read-only and hidden files keep those attributes and are still replaced.
TEST_F(CopyTest, RerunsCopyOnlyWhatChanged) {
    const std::wstring c = L"\u00dcn\u00efc\u00f6d\u00e9 \u65e5\u672c\\Gr\u00fc\u00dfe \u00f1 \u0436.txt";
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    put(L"a.txt", "alpha");
    put(L"b.txt", "bravo");
    put(c, "charlie");
    SetFileAttributesW((src + L"\\b.txt").c_str(), kept);
    ASSERT_EQ(run(L"/E /R:0 /W:0").code, kCopied);
    EXPECT_EQ(attributes(dst + L"\\b.txt") & kept, kept);
    ASSERT_TRUE(unix_shell("mv " + sh_quote(dst) + "/a.txt " + sh_quote(dst) + "/A.TXT"));
    RunResult r = run(L"/E /PURGE /R:0 /W:0");
    EXPECT_EQ(r.code, 0u) << r.output;  // no extras, nothing purged
    EXPECT_EQ(r.row("Files"), (Row{3, 0, 3, 0, 0, 0}));
    EXPECT_EQ(tree(dst), (Tree{L"A.TXT", L"b.txt", c.substr(0, c.find(L'\\') + 1), c}));

    SetFileAttributesW((src + L"\\b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    put(L"b.txt", "bravo, longer now");
    r = run(L"/E /R:0 /W:0");
    EXPECT_EQ(r.code, kCopied) << r.output;
    EXPECT_EQ(r.row("Files"), (Row{3, 1, 2, 0, 0, 0}));
    EXPECT_EQ(read_bytes(dst + L"\\b.txt"), "bravo, longer now");
    EXPECT_EQ(attributes(dst + L"\\b.txt") & kept, 0u);
    // With /FFT a time 2 seconds off, as a FAT drive rounds it, is no change.
    set_write_time(dst + L"\\a.txt", write_time(src + L"\\a.txt") + 20'000'000ull);
    EXPECT_EQ(run(L"/E /FFT /R:0 /W:0").row("Files"), (Row{3, 0, 3, 0, 0, 0}));
    EXPECT_EQ(run(L"/E /R:0 /W:0").row("Files"), (Row{3, 1, 2, 0, 0, 0}));
}

// /S leaves out empty folders, /E keeps them; extras are reported always and
// deleted only with /PURGE, read-only ones too.
TEST_F(CopyTest, SubFoldersExtrasAndPurge) {
    put(L"keep.txt", "k");
    put(L"deep\\x\\f.txt", "f");
    make_dirs(src + L"\\empty\\e1");
    make_dirs(src + L"\\deep\\hollow");
    SetFileAttributesW((src + L"\\deep").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(run(L"/S /R:0 /W:0").code, kCopied);
    EXPECT_EQ(attributes(dst + L"\\deep") & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(tree(dst), (Tree{L"deep\\", L"deep\\x\\", L"deep\\x\\f.txt", L"keep.txt"}));
    const Tree e_tree{L"deep\\",  L"deep\\hollow\\", L"deep\\x\\", L"deep\\x\\f.txt",
                      L"empty\\", L"empty\\e1\\",    L"keep.txt"};
    ASSERT_EQ(run(L"/E /R:0 /W:0").code, 0u);  // new folders alone copy no file
    EXPECT_EQ(tree(dst), e_tree);

    const Tree extras{L"deep\\stale.txt", L"extra.txt", L"old\\", L"old\\inner.txt", L"readonly.txt"};
    // Each case starts from a copy with extras in the target; what stays of them:
    const std::pair<const wchar_t*, Tree> cases[] = {
        {L"/E", extras},
        {L"/E /PURGE", {}},
        {L"/S /PURGE", {}},  // the empty folders are in the source, so no extras
        {L"/PURGE", {L"deep\\stale.txt", L"old\\", L"old\\inner.txt"}}};  // top level only
    int n = 0;
    for (const auto& [options, kept] : cases) {
        SCOPED_TRACE(test::narrow(options));
        dst = box.path(L"dst" + std::to_wstring(++n));
        ASSERT_EQ(run(L"/E /R:0 /W:0").code, kCopied);
        for (const std::wstring& e : extras) {
            if (e.ends_with(L"\\")) make_dirs(dst + L"\\" + e);
            else write_bytes(dst + L"\\" + e, "x");
        }
        SetFileAttributesW((dst + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        const RunResult r = run(std::wstring(options) + L" /R:0 /W:0");
        EXPECT_EQ(r.code, kExtras) << r.output;
        Tree expected = e_tree;
        expected.insert(expected.end(), kept.begin(), kept.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(tree(dst), expected);
        // Every extra is named, removed or not: all four, or the two files at the top.
        EXPECT_EQ(count_of(r.output, "*EXTRA File"), n == 4 ? 2u : 3u) << r.output;
        EXPECT_EQ(count_of(r.output, "*EXTRA Dir  \t" + narrow(dst) + "\\old\\"), n == 4 ? 0u : 1u) << r.output;
        if (n == 1) {
            EXPECT_EQ(r.rows(), std::pair(Row{6, 0, 6, 0, 0, 1}, Row{2, 0, 2, 0, 0, 3}));
        }
    }
    // A purge also copies what changed, and a second one finds nothing to do.
    put(L"deep\\x\\f.txt", "changed");
    EXPECT_EQ(run(L"/E /PURGE /R:0 /W:0").code, kCopied | kExtras);
    EXPECT_EQ(read_bytes(dst + L"\\deep\\x\\f.txt"), "changed");
    EXPECT_EQ(run(L"/E /PURGE /R:0 /W:0").code, 0u);
    // An extra that cannot be removed is a failure, and the skipped files stay counted as skipped.
    write_bytes(dst + L"\\held.txt", "x");
    Lock held(dst + L"\\held.txt");
    const RunResult r = run(L"/E /PURGE /R:0 /W:0");
    EXPECT_EQ(r.row("Files"), (Row{2, 0, 2, 0, 1, 1})) << r.output;
}

// /L walks, compares and counts as a real run does, and changes nothing on either side.
TEST_F(CopyTest, ListOnlyCountsEveryKindAndChangesNothing) {
    put(L"same.txt", "same");
    put(L"changed.txt", "old");
    put(L"sub\\same2.txt", "s");
    ASSERT_EQ(run(L"/E /R:0 /W:0").code, kCopied);
    put(L"changed.txt", "new content");
    put(L"big.bin", pattern(2 << 20, 1));  // large enough to be written under a temporary name
    put(L"newdir\\n.txt", "n");
    write_bytes(dst + L"\\extra.txt", "x");
    make_dirs(dst + L"\\olddir\\in");
    const auto snapshot = [](const std::wstring& root) {
        std::vector<std::string> s;
        for (const auto& n : tree(root))
            s.push_back(narrow(n) + (n.ends_with(L"\\") ? "" : read_bytes(root + L"\\" + n)) +
                        std::to_string(write_time(root + L"\\" + n)));
        return s;
    };
    const auto source = snapshot(src), target = snapshot(dst);
    const RunResult r = run(L"/E /PURGE /L /R:0 /W:0");
    EXPECT_EQ(r.code, kCopied | kExtras) << r.output;
    EXPECT_EQ(snapshot(src), source);
    EXPECT_EQ(snapshot(dst), target);
    EXPECT_EQ(r.rows(), std::pair(Row{3, 1, 2, 0, 0, 1}, Row{5, 3, 2, 0, 0, 1}));
    // The real run does what the list counted, folders made included.
    EXPECT_EQ(run(L"/E /PURGE /R:0 /W:0").rows(), r.rows());
    EXPECT_FALSE(exists(dst + L"\\olddir"));
}

// A large file is written under a temporary name of the copier's own: a real file
// that looks like one is an ordinary file, and the longest names still fit.
TEST_F(CopyTest, TemporaryNamesNeverMeetRealFilesOrOverflowLongNames) {
    const std::wstring longest(250, L'n');
    put(L"report.doc", pattern(2 << 20, 1));
    put(L"report.doc.~copying", "a file of its own");
    put(longest, pattern(2 << 20, 2));
    ASSERT_EQ(run(L"/R:0 /W:0").code, kCopied);
    put(L"report.doc", pattern(2 << 20, 3));
    const RunResult r = run(L"/R:0 /W:0");
    EXPECT_EQ(r.code, kCopied) << r.output;
    EXPECT_EQ(tree(dst), tree(src));
    EXPECT_EQ(read_bytes(dst + L"\\report.doc.~copying"), "a file of its own");
    EXPECT_TRUE(read_bytes(dst + L"\\report.doc") == pattern(2 << 20, 3));
    EXPECT_TRUE(read_bytes(dst + L"\\" + longest) == pattern(2 << 20, 2));
}

TEST_F(CopyTest, DriveRootsAsSourceAndAsTarget) {
    put(L"root.txt", "r");
    put(L"photos\\p.jpg", "p");
    box.mapDrive(L'W', src);
    // The backup script's form for a drive root: the quoted root, then "E:\BACKUP\" and no name.
    EXPECT_EQ(run_robocopy(quote(L"W:\\") + L" " + quote(dst + L"\\") + L" /E /R:0 /W:0").code, kCopied);
    EXPECT_EQ(tree(dst), (Tree{L"photos\\", L"photos\\p.jpg", L"root.txt"}));
    EXPECT_EQ(run_robocopy(quote(L"W:\\.") + L" " + quote(dst) + L" /E /PURGE /R:0 /W:0").code, 0u);

    box.mapDrive(L'X', dst);
    src = box.path(L"second");
    put(L"a.txt", "a");
    put(L"s\\b.txt", "b");
    EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(L"X:\\.") + L" /S /R:0 /W:0").code, kCopied | kExtras);
    EXPECT_EQ(read_bytes(dst + L"\\s\\b.txt"), "b");
    // "E:\BACKUP\C": missing parents below the root are made.
    EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(L"X:\\BACKUP\\C") + L" /S /R:0 /W:0").code, kCopied);
    EXPECT_EQ(read_bytes(dst + L"\\BACKUP\\C\\s\\b.txt"), "b");
    // Purging at a root only touches what is extra there: the top-level files.
    EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(L"X:\\") + L" /PURGE /R:0 /W:0").code, kExtras);
    EXPECT_EQ(tree(dst), (Tree{L"BACKUP\\", L"BACKUP\\C\\", L"BACKUP\\C\\a.txt", L"BACKUP\\C\\s\\",
                               L"BACKUP\\C\\s\\b.txt", L"a.txt", L"photos\\", L"photos\\p.jpg", L"s\\", L"s\\b.txt"}));
}

// /XF and /XD: names with wildcards at any depth, letter case ignored beyond ASCII too,
// full paths; what they name is neither copied, walked nor purged, is counted as
// skipped, and is named only with /V.
TEST_F(CopyTest, ExcludedFilesAndFoldersAreLeftAlone) {
    for (const wchar_t* f : {L"keep.txt", L"a.tmp", L"sub\\b.TMP", L"sub\\deep\\c.tmp", L"sub\\named.txt",
                             L"sub\\deep\\d.ñ", L"cache\\x.txt", L"sub\\cache\\y.txt", L"sub\\only\\z.txt"})
        put(f, "s");
    const Tree kept_extras{L"cache\\", L"cache\\stale.txt", L"old.tmp",
                           L"sub\\",   L"sub\\only\\",      L"sub\\only\\stale.txt"};
    for (const std::wstring& e : kept_extras) {
        if (e.ends_with(L"\\")) make_dirs(dst + L"\\" + e);
        else write_bytes(dst + L"\\" + e, "x");
    }
    write_bytes(dst + L"\\gone.txt", "x");
    const std::wstring exclusions =
        L" /XF *.tmp *.Ñ " + quote(src + L"\\sub\\named.txt") + L" /XD cache " + quote(src + L"\\sub\\only");
    const RunResult listed = run(L"/E /PURGE /L /R:0 /W:0" + exclusions);
    const RunResult r = run(L"/E /PURGE /R:0 /W:0" + exclusions + L" /V");
    EXPECT_EQ(r.code, kCopied | kExtras) << r.output;
    Tree expected = kept_extras;
    for (const wchar_t* e : {L"keep.txt", L"sub\\deep\\"}) expected.push_back(e);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tree(dst), expected);
    EXPECT_EQ(r.rows(), std::pair(Row{6, 1, 5, 0, 0, 0}, Row{6, 1, 5, 0, 0, 1}));
    EXPECT_EQ(listed.rows(), r.rows());
    EXPECT_EQ(count_of(r.output, "named  "), 8u) << r.output;
    EXPECT_EQ(count_of(listed.output, "named  "), 0u) << listed.output;
    EXPECT_EQ(count_of(r.output, "\\cache\\"), 2u) << r.output;
}

}  // namespace

// What a backup copier must never do: delete or write outside its target,
// copy a tree into itself, lose a name, lose the old copy, or hide how it ended.
#include "harness.h"

using namespace rctest;

namespace {

bool has_end_line(const std::string& log) { return log.find("   Ended : ") != std::string::npos; }

// ---- links: never entered, never deleted or written through ----

TEST_F(CopyTest, LinksInTheTargetAreNeverFollowed) {
    const std::wstring outside = box.path(L"outside");
    make_dirs(outside + L"\\deep");
    write_bytes(outside + L"\\keep.txt", "outside");
    write_bytes(outside + L"\\deep\\keep2.txt", "outside too");
    make_dirs(outside + L"\\empty");
    put(L"sub\\a.txt", "a");
    put(L"f.txt", "new content");
    put(L"nowhere\\n.txt", "n");
    make_dirs(dst);
    // An extra folder link (full and empty), an extra file link, a folder link
    // where the source has a folder, a file link where it has a file, and a link
    // that leads nowhere where it has a folder (Wine lists it not at all).
    std::string script = "true";
    for (const auto& [to, name] : {std::pair{outside, "extra_link"},
                                   {outside + L"\\empty", "empty_link"},
                                   {outside + L"\\keep.txt", "extra_file"},
                                   {outside, "sub"},
                                   {outside + L"\\deep\\keep2.txt", "f.txt"},
                                   {outside + L"\\gone", "nowhere"}})
        script += " && ln -s " + sh_quote(to) + " " + sh_quote(dst) + "/" + name;
    ASSERT_TRUE(unix_shell(script));
    const Tree before = tree(outside);

    const RunResult r = run(L"/S /PURGE /R:0 /W:0");
    EXPECT_EQ(tree(outside), before) << r.output;
    EXPECT_EQ(read_bytes(outside + L"\\deep\\keep2.txt"), "outside too");
    EXPECT_EQ(r.code & (kMismatch | kFailed), (kMismatch | kFailed)) << r.output;
    EXPECT_EQ(r.output.find("18446744"), std::string::npos) << r.output;
    for (const std::string& part : {"Creating Destination Directory " + narrow(dst) + "\\nowhere",
                                   std::string("Something the system does not list holds this name")})
        EXPECT_NE(r.output.find(part), std::string::npos) << r.output;
}

// A folder link inside the source is copied once; one that leads out of it (a Wine
// prefix's z: to the whole file system, a folder whose path is over 1,000 characters
// long) or back into a folder the copy is in is named and skipped. With /PURGE, the
// backup keeps nothing under a skipped link's name.
TEST_F(CopyTest, ALinkInTheSourceIsCopiedOnceAndNeverLeadsOut) {
    put(L"sub\\s.txt", "s");
    std::string deep = sh_quote(box.root()) + "/deep";
    while (deep.size() < 1100) deep += "/a_rather_long_folder_name";
    ASSERT_TRUE(unix_shell("mkdir -p " + deep + " && touch " + deep + "/f && cd " + sh_quote(src) + " && ln -s " +
                           sh_quote(src) + " loop && ln -s sub inner && ln -s /usr/share everything && ln -s " + deep +
                           " far && ln -s .. sub/up"));
    ASSERT_TRUE(exists(src + L"\\far\\f"));
    const RunResult r = run(L"/S /R:0 /W:0");
    EXPECT_EQ(r.code, kCopied) << r.output;
    EXPECT_EQ(tree(dst), (Tree{L"inner\\", L"inner\\s.txt", L"sub\\", L"sub\\s.txt"}));
    EXPECT_EQ(count_of(r.output, "\\ leads back to a folder this copy is already in"), 3u) << r.output;
    for (const char* link : {"everything", "far"})
        EXPECT_NE(r.output.find("Link Skipped\t" + narrow(src) + "\\" + link + "\\ leads out of the source"),
                  std::string::npos)
            << r.output;
    EXPECT_LT(r.seconds, 20.0);
    make_dirs(dst + L"\\far");
    write_bytes(dst + L"\\far\\leaked.txt", "not the source's");
    EXPECT_EQ(run(L"/S /PURGE /R:0 /W:0").code, kExtras);
    EXPECT_FALSE(exists(dst + L"\\far"));
}

// A folder swapped for a link out of the source while the copy runs is never entered.
TEST_F(CopyTest, AFolderSwappedForALinkDuringTheCopyIsNotEntered) {
    const std::string outside = sh_quote(box.path(L"outside")), from = sh_quote(src);
    ASSERT_TRUE(unix_shell("mkdir -p " + outside + " && printf s > " + outside + "/secret.txt && cd " + from +
                           " && for i in $(seq 1000 2499); do mkdir d$i && printf f > d$i/f.txt; done"));
    Running copier(quote(src) + L" " + quote(dst) + L" /S /R:0 /W:0");
    for (int i = 0; i < 20000 && !exists(dst + L"\\d1100"); ++i) Sleep(1);
    ASSERT_TRUE(unix_shell("cd " + from + " && for i in $(seq 2000 2499); do mv d$i ../m$i && ln -s " + outside +
                           " d$i; done"));
    const RunResult r = copier.finish();
    for (const std::wstring& name : tree(dst)) ASSERT_FALSE(name.ends_with(L"secret.txt")) << r.output;
}

// ---- identity: never onto itself, whatever the spelling ----

TEST_F(CopyTest, TreesInsideEachOtherAreRefusedWhateverTheSpelling) {
    put(L"Photos\\Photos\\p1.jpg", "1");
    put(L"Photos\\old.jpg", "old");
    box.mapDrive(L'V', src);
    const Tree before = tree(src);
    // Source inside the target (its purge would delete the source itself), the target
    // inside the source, and the same spelled through another drive letter.
    for (const auto& [from, to] : {std::pair{src + L"\\Photos\\Photos", src + L"\\Photos"},
                                   {src, src + L"\\Photos\\bak"},
                                   {std::wstring(L"V:\\"), src + L"\\bak"}}) {
        const RunResult r = run_robocopy(quote(from) + L" " + quote(to) + L" /S /PURGE /R:0 /W:0");
        EXPECT_EQ(r.code, kFatal) << r.output;
        EXPECT_LT(r.seconds, 20.0);
    }
    // The same folder under two names: nothing to do.
    const RunResult r = run_robocopy(quote(L"V:\\") + L" " + quote(src) + L" /S /PURGE /R:0 /W:0");
    EXPECT_EQ(r.code, 0u) << r.output;
    EXPECT_EQ(tree(src), before);
}

// ---- names: each copied exactly or reported, never merged ----

TEST_F(CopyTest, NamesThePlatformMapsAreCopiedExactly) {
    const Tree names{L"aux.c", L"com1.log", L"con.txt", L"nul.txt", L"w ", L"z."};
    std::string script = "cd " + sh_quote(src);
    for (const std::wstring& n : names) script += " && printf '" + test::narrow(n) + "' > '" + test::narrow(n) + "'";
    // And a name that is not UTF-8: listed with U+FFFD, its copy would bear another name.
    ASSERT_TRUE(unix_shell(script + " && printf x > $(printf 'solo\\377.txt')"));
    RunResult r = run_robocopy(quote(src) + L" " + quote(dst) + L" /R:0 /W:0");
    EXPECT_EQ(r.code, kCopied | kFailed) << r.output;
    EXPECT_EQ(count_of(r.output, "is not valid text"), 1u) << r.output;
    EXPECT_EQ(tree(dst), names);
    for (const std::wstring& n : names) EXPECT_EQ(read_bytes(L"\\\\?\\" + dst + L"\\" + n), test::narrow(n));
    EXPECT_EQ(run(L"/PURGE /R:0 /W:0").code, kFailed);
    // Names the copier made, removed by their exact names once the source drops them.
    ASSERT_TRUE(unix_shell("cd " + sh_quote(src) + " && rm 'w ' z."));
    r = run(L"/PURGE /R:0 /W:0");
    EXPECT_EQ(r.code, kExtras | kFailed) << r.output;
    EXPECT_EQ(tree(dst), (Tree{L"aux.c", L"com1.log", L"con.txt", L"nul.txt"}));
}

TEST_F(CopyTest, NamesThatDifferOnlyInCaseOrTrailingDotsAreReportedNotMerged) {
    ASSERT_TRUE(unix_shell("cd " + sh_quote(src) +
                           " && printf one > Note.txt && printf two > note.txt && mkdir Photos photos"
                           " && printf 1 > Photos/a.jpg && printf 2 > photos/b.jpg && printf k > keep.txt"
                           " && printf x > x && printf x. > x. && printf y > y && printf y_ > 'y '"));
    make_dirs(dst + L"\\Photos");
    write_bytes(dst + L"\\Note.txt", "earlier backup");
    write_bytes(dst + L"\\Photos\\a.jpg", "earlier photo");
    for (int run_no = 0; run_no < 2; ++run_no) {
        const RunResult r = run(L"/S /PURGE /R:0 /W:0");
        EXPECT_EQ(r.code & kFailed, kFailed) << r.output;
        EXPECT_EQ(tree(dst), (Tree{L"Note.txt", L"Photos\\", L"Photos\\a.jpg", L"keep.txt"})) << r.output;
        EXPECT_EQ(read_bytes(dst + L"\\Note.txt"), "earlier backup");
        for (const char* name : {"Note.txt", "note.txt", "photos", "x.", "y "})
            EXPECT_NE(r.output.find(name), std::string::npos) << name << " not reported: " << r.output;
    }
}

// Only regular files are read: a device (a link to /dev/zero) never ends, a pipe may
// never begin; each is named once, not retried.
TEST_F(CopyTest, DevicesAndPipesAreNamedAndNeverRead) {
    put(L"a.txt", "a");
    const std::string old_copy(3 << 20, 'o');
    make_dirs(dst);
    write_bytes(dst + L"\\mem", old_copy);
    // And a file that opens, then every read fails (a bad sector): its old copy stays.
    ASSERT_TRUE(
        unix_shell("cd " + sh_quote(src) + " && ln -s /dev/zero zero && mkfifo fifo && ln -s /proc/self/mem mem"));
    const RunResult r = run(L"/R:1 /W:1");
    EXPECT_EQ(r.code, kCopied | kFailed) << r.output;
    EXPECT_LT(r.seconds, 10.0);
    EXPECT_EQ(tree(dst), (Tree{L"a.txt", L"mem"}));
    EXPECT_TRUE(read_bytes(dst + L"\\mem") == old_copy);
    EXPECT_EQ(count_of(r.output, "not a file but a device, a pipe or a socket"), 2u) << r.output;
}

// ---- the old copy stays until the new one is complete ----

TEST_F(CopyTest, KilledHalfwayThroughALargeFileLeavesNoHalfCopyUnderItsNameAndNoEndLine) {
    put(L"big.bin", std::string(48 << 20, 'n'));
    const std::string old_copy(1 << 20, 'o');
    for (const bool had_old : {true, false}) {
        const std::wstring to = dst + (had_old ? L"\\old" : L"\\new"), log = to + L".log";
        make_dirs(to);
        if (had_old) write_bytes(to + L"\\big.bin", old_copy);
        Running copier(quote(src) + L" " + quote(to) + L" /R:0 /W:0 /NP /LOG+:" + quote(log));
        // Killed as soon as it has started writing the new copy. Wine marks a new file
        // a moment after making it (Windows at once): the kill waits for the mark.
        bool writing = false;
        for (int i = 0; i < 20000 && !writing; ++i) {
            for (const std::wstring& name : tree(to))
                writing = writing || (name != L"big.bin" && (attributes(to + L"\\" + name) & FILE_ATTRIBUTE_HIDDEN));
            if (!writing) Sleep(1);
        }
        copier.kill();
        EXPECT_TRUE(writing) << "never saw the new copy being written; had an old copy: " << had_old;
        EXPECT_TRUE(had_old ? read_bytes(to + L"\\big.bin") == old_copy : !exists(to + L"\\big.bin")) << had_old;
        EXPECT_FALSE(has_end_line(read_bytes(log))) << read_bytes(log);
        // The next run removes the killed one's temporary file, purge or not; a user's
        // file of that name stays.
        write_bytes(to + L"\\~oc0123ABCD.1", "the user's");
        EXPECT_EQ(run_robocopy(quote(src) + L" " + quote(to) + L" /R:0 /W:0").code, kCopied | kExtras);
        EXPECT_EQ(tree(to), (Tree{L"big.bin", L"~oc0123ABCD.1"}));
    }
}

// ---- a vanished target ends the job at once ----

TEST_F(CopyTest, AnUnpluggedTargetDriveEndsTheRunAtOnce) {
    for (int d = 0; d < 40; ++d)
        for (int f = 0; f < 50; ++f)
            put(L"d" + std::to_wstring(d) + L"\\f" + std::to_wstring(f), std::string(2000, 'x'));
    const std::wstring disk = box.path(L"disk");
    make_dirs(disk);
    box.mapDrive(L'U', disk);
    Running copier(quote(src) + L" " + quote(L"U:\\BK") + L" /S /R:3 /W:3");
    for (int i = 0; i < 2000 && tree(disk).size() < 40; ++i) Sleep(5);
    box.unmapDrive(L'U');  // unplugged
    const RunResult r = copier.finish(60000);
    EXPECT_EQ(r.code & kFatal, kFatal) << r.output;
    EXPECT_LT(r.seconds, 30.0);
    EXPECT_NE(r.output.find("U:\\BK"), std::string::npos) << r.output;
    EXPECT_FALSE(has_end_line(r.output));
}

// ---- the log: the real tool's shape, an end line only at a normal end, a write failure fatal ----

TEST_F(CopyTest, LogHasHeaderFileLinesErrorsSummaryAndEndLine) {
    put(L"a.txt", "alpha");
    put(L"sub\\b.txt", "bravo");
    put(L"busy.txt", "b");
    make_dirs(dst);
    write_bytes(dst + L"\\busy.txt", "old");
    const std::wstring log = box.path(L"run.log");
    Lock lock(dst + L"\\busy.txt");
    RunResult r = run(L"/S /R:0 /W:0 /NP /LOG:" + quote(log));
    lock.release();
    EXPECT_EQ(r.code, (kCopied | kFailed)) << r.output;
    EXPECT_EQ(r.output.find("a.txt"), std::string::npos) << "the log replaces the console: " << r.output;
    std::string text = read_bytes(log);
    for (const char* part : {"Source : ", "Dest : ", "Options : ", "New File", "a.txt", "sub\\b.txt", "ERROR ",
                             "(0x000000", "busy.txt", "Files :", "   Ended : "})
        EXPECT_NE(text.find(part), std::string::npos) << part << " missing from:\n" << text;

    // Appended, and also on the console with /TEE; a fatal start writes no end line.
    r = run(L"/S /R:0 /W:0 /TEE /LOG+:" + quote(log));
    EXPECT_EQ(r.code, kCopied) << r.output;
    EXPECT_TRUE(has_end_line(r.output));
    r = run_robocopy(quote(box.path(L"missing")) + L" " + quote(dst) + L" /LOG+:" + quote(log));
    EXPECT_EQ(r.code, kFatal);
    text = read_bytes(log);
    EXPECT_EQ(count_of(text, "   Ended : "), 2u) << text;
    EXPECT_LT(text.rfind("   Ended : "), text.find("missing")) << text;
    // A log that cannot be written (its disk full) proves nothing: the fatal bit, said on the console.
    put(L"c.txt", "c");
    ASSERT_TRUE(unix_shell("ln -s /dev/full " + sh_quote(box.root()) + "/full.log"));
    r = run(L"/S /R:0 /W:0 /LOG+:" + quote(box.path(L"full.log")));
    EXPECT_EQ(r.code, kCopied | kFatal) << r.output;
    EXPECT_NE(r.output.find("Writing Log File"), std::string::npos) << r.output;
    EXPECT_EQ(read_bytes(dst + L"\\c.txt"), "c");
}

}  // namespace

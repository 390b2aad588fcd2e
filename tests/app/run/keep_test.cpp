// Keeping what a run replaces or removes: old copies by date, and nothing lost with them.
#include "run_app.h"

// With Keep ticked, what a run replaces or removes goes aside into the run's dated folder.
TEST(BackupRun, KeepsWhatItReplacesOrRemovesInADatedFolder) {
    RunApp a;
    EXPECT_EQ(a.main->chkKeep.send(BM_GETCHECK), BST_CHECKED);
    const std::wstring foreign = L"\\\u0416\u4e2d.txt";  // a name the console code page cannot hold
    test::write_bytes(a.srcA + foreign, "old");
    a.runBackups();
    a.runBackups();  // nothing changed: nothing kept, nothing added
    // The first run's dated folder holds only its record of the files it added.
    const std::vector<std::wstring> first = test::tree(L"E:\\BK\\Ostrevin Versions");
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\Ostrevin Versions\\" + first[1]),
              "SRCA\\a.txt\r\nSRCA\\sub\\b.txt\r\nSRCA\\" + test::narrow(foreign.substr(1)) + "\r\n");
    EXPECT_EQ(kept_in(a.prompts.asked[1].text), L"");
    // A changed file, a file the source dropped and a folder only the backup holds.
    test::write_bytes(a.srcA + L"\\sub\\b.txt", "beta, changed");
    test::write_bytes(a.srcA + foreign, "new");
    ASSERT_TRUE(DeleteFileW((a.srcA + L"\\a.txt").c_str()));
    test::write_bytes((test::make_dirs(L"E:\\BK\\SRCA\\old"), L"E:\\BK\\SRCA\\old\\x.txt"), "x");
    a.check(a.main->chkRemove, true);
    a.prompts.asked.clear();
    a.runBackups();
    const std::wstring text = a.told().text, dated = kept_in(text);
    EXPECT_NE(text.find(L"Kept 4 files that this run replaced or removed in \"E:\\BK\\Ostrevin Versions\\"),
              std::wstring::npos)
        << text;
    EXPECT_EQ(test::read_bytes(dated + L"\\SRCA\\sub\\b.txt"), "beta");
    EXPECT_EQ(test::read_bytes(dated + L"\\SRCA\\a.txt"), "alpha");
    EXPECT_EQ(test::read_bytes(dated + L"\\SRCA\\old\\x.txt"), "x");
    EXPECT_EQ(test::read_bytes(dated + L"\\SRCA" + foreign), "old");
    EXPECT_EQ(test::tree(L"E:\\BK\\SRCA"), (std::vector<std::wstring>{L"sub\\", L"sub\\b.txt", foreign.substr(1)}));
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\sub\\b.txt"), "beta, changed");
    // Keep unticked keeps nothing.
    a.check(a.main->chkKeep, false);
    test::write_bytes(a.srcB + L"\\c.txt", "gamma, changed");
    a.prompts.asked.clear();
    a.runBackups();
    EXPECT_EQ(kept_in(a.told().text), L"");
    EXPECT_EQ(test::tree(L"E:\\BK2\\Ostrevin Versions").size(), 2u);  // the first run's record alone
    // A run that fails half-way keeps the old copy of the file it could not copy where it
    // was, in the backup, and the old copy of one it copied in its dated folder; a job
    // whose old copy cannot go aside (a file where the versions go) copies nothing.
    a.check(a.main->chkKeep, true);
    test::remove_tree(L"E:\\BK2\\Ostrevin Versions");
    test::write_bytes(L"E:\\BK2\\Ostrevin Versions", "in the way");
    test::write_bytes(a.srcB + L"\\c.txt", "gamma, not copied");
    test::write_bytes(a.srcA + foreign, "newer");
    test::write_bytes(a.srcA + L"\\sub\\b.txt", "beta, locked");
    HANDLE lock = CreateFileW((a.srcA + L"\\sub\\b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    a.prompts.asked.clear();
    a.runBackups();
    CloseHandle(lock);
    EXPECT_EQ(a.told().title, L"BACKUP FAILED");
    const std::wstring failed_run = kept_in(a.told().text);
    EXPECT_NE(failed_run, dated);  // a dated folder of its own, also within the same second
    EXPECT_EQ(test::read_bytes(failed_run + L"\\SRCA" + foreign), "new");
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\sub\\b.txt"), "beta, changed");
    EXPECT_FALSE(test::exists(failed_run + L"\\SRCA\\sub"));
    EXPECT_NE(a.told().text.find(L"The folder \"E:\\BK2\\Ostrevin Versions\\"), std::wstring::npos) << a.told().text;
    EXPECT_EQ(test::read_bytes(L"E:\\BK2\\SRCB\\c.txt"), "gamma, changed");
}

// STOP is heard inside one job's walk and between its moves aside, not only between
// jobs: a large tree takes long.
TEST(BackupRun, TheWalkAndTheMovesBeforeTheCopyEndWhenStopped) {
    RunApp a;
    a.runBackups();
    test::write_bytes(a.srcA + L"\\sub\\b.txt", "beta, changed");
    const win::Handle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const core::JobCopy copy{a.srcA, L"E:\\BK\\SRCA", L"SRCA"};
    const run::AsidePlan plan = run::plan_aside(copy, true, false, stop.get());
    EXPECT_EQ(plan.moves, std::vector<std::wstring>{L"sub\\b.txt"});
    SetEvent(stop.get());
    const run::AsidePlan stopped = run::plan_aside(copy, true, false, stop.get());
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.moves.empty());
    bool heard = false;
    EXPECT_FALSE(run::move_aside(copy, plan, L"E:\\BK", L"2026-12-07 10-00-00", stop.get(), &heard));
    EXPECT_TRUE(heard);
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\sub\\b.txt"), "beta");
}

// Without Keep, a copy that would replace most of a backup is asked about; No copies
// only the new files and leaves the old copies as they are: a backup not complete,
// which names the files it left out.
TEST(BackupRun, AMassOverwriteWithoutKeepIsAskedAbout) {
    RunApp a;
    a.check(a.main->chkKeep, false);
    for (int i = 0; i < 10; ++i) test::write_bytes(a.srcA + L"\\sub\\f" + std::to_wstring(i), "old");
    a.runBackups();
    for (int i = 0; i < 10; ++i) test::write_bytes(a.srcA + L"\\sub\\f" + std::to_wstring(i), "encrypted");
    test::write_bytes(a.srcA + L"\\new.txt", "new");
    for (int answer : {IDNO, IDYES}) {
        a.prompts.asked.clear();
        a.prompts.answers = {answer};
        a.runBackups();
        ASSERT_EQ(a.prompts.titles(),
                  (std::vector<std::wstring>{L"Files Would Be Replaced",
                                             answer == IDNO ? L"BACKUP INCOMPLETE" : L"BACKUP COMPLETE"}));
        for (const wchar_t* part :
             {L"10 changed files were not copied", L"\r    E:\\BK\\SRCA\\sub\\f", L"\r    ... and 5 more"}) {
            EXPECT_EQ(a.prompts.asked[1].text.find(part) != std::wstring::npos, answer == IDNO)
                << test::narrow(a.prompts.asked[1].text);
        }
        EXPECT_EQ(a.prompts.asked[1].text.find(L"copied only new files, replacing none"), std::wstring::npos);
        const std::wstring held = answer == IDNO ? L"12 " : L"13 ";  // new.txt came the first time
        EXPECT_EQ(a.prompts.asked[0].text.rfind(L"Job 1 would replace 10 of the " + held + L"files in", 0), 0u);
        EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\sub\\f9"), answer == IDNO ? "old" : "encrypted");
        EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\new.txt"), "new");
    }
}

// Old dated folders go after a complete run, only when old by their names and by their
// times (a clock set wrong names folders wrongly); only dated folders, and never through
// a link (Wine cannot remove a link, so the one holding it stays, emptied of its own files).
TEST(BackupRun, OldDatedFoldersArePrunedSafely) {
    RunApp a;
    const std::wstring versions = L"E:\\BK\\Ostrevin Versions\\", outside = a.box.path(L"outside");
    const std::wstring d41 = versions + days_ago(41), d40 = versions + days_ago(40), d20 = versions + days_ago(20),
                       d10 = versions + days_ago(10), old_but_not_ours = versions + days_ago(50) + L" mine",
                       reset_clock = versions + L"2000-01-01 00-00-05";
    for (const std::wstring& d : {d41, d40, d20, d10, old_but_not_ours, reset_clock})
        test::write_bytes((test::make_dirs(d + L"\\SRCA"), d + L"\\SRCA\\f.txt"), "old");
    test::write_bytes((test::make_dirs(outside), outside + L"\\keep.txt"), "outside");
    ASSERT_TRUE(test::unix_shell("ln -s " + test::sh_quote(outside) + " " + test::sh_quote(d40 + L"\\SRCA") + "/out"));
    // Each made when its name says, but the one filed while the clock was reset.
    const std::uint64_t now = test::write_time(reset_clock);
    for (const auto& [d, days] : {std::pair{d41, 41}, {d40, 40}, {d20, 20}, {d10, 10}})
        test::set_write_time(d, now - static_cast<std::uint64_t>(days) * 864000000000ull);
    // A versions folder that is itself a link is not pruned through.
    const std::wstring far_old = a.box.path(L"elsewhere\\") + days_ago(60);
    test::write_bytes((test::make_dirs(far_old), far_old + L"\\f.txt"), "not ours");
    ASSERT_TRUE(test::unix_shell("ln -s " + test::sh_quote(a.box.path(L"elsewhere")) + " " +
                                 test::sh_quote(a.e(L"BK2")) + "/'Ostrevin Versions'"));
    a.runBackups();
    EXPECT_TRUE(test::exists(far_old + L"\\f.txt"));
    EXPECT_FALSE(test::exists(d41));
    EXPECT_FALSE(test::exists(d40 + L"\\SRCA\\f.txt"));
    EXPECT_EQ(test::tree(outside), std::vector<std::wstring>{L"keep.txt"});
    EXPECT_TRUE(test::exists(reset_clock));  // old by its name, new by its time
    test::remove_tree(reset_clock);
    test::write_bytes(d20 + L"\\SRCA\\f.txt", std::string(100, 'o'));  // 100 bytes; d10 holds 3
    // Room only for what the run copies, the oldest first, and none gone when even all would not do.
    const struct {
        std::uint64_t free_with_d20, free_without;
        std::string change;
        bool d20_stays, copied;
    } rooms[] = {
        {20, 20, "14 bytes new!", true, true},        // a drive 99.99% full that holds the change loses nothing
        {0, 1000, "fourteen bytes", false, true},     // d20 must go; d10 stays
        {0, 0, std::string(200, 'x'), false, false},  // 3 bytes of d10 cannot make room for 200
    };
    const run::FreeSpace real = run::free_space;
    for (const auto& r : rooms) {
        run::free_space = [&](const std::wstring&, std::uint64_t& free, std::uint64_t& total) {
            total = 1000000;
            free = test::exists(d20) ? r.free_with_d20 : r.free_without;
            return true;
        };
        test::write_bytes(a.srcA + L"\\a.txt", r.change);
        a.prompts.asked.clear();
        a.runBackups();
        EXPECT_EQ(test::exists(d20), r.d20_stays) << r.change;
        EXPECT_TRUE(test::exists(d10)) << r.change;
        EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\a.txt") == r.change, r.copied) << r.change;
        EXPECT_EQ(a.told().text.find(L"has 0 bytes free, and this run needs 200 bytes there") != std::wstring::npos,
                  !r.copied)
            << test::narrow(a.told().text);
    }
    run::free_space = real;
    EXPECT_TRUE(test::exists(old_but_not_ours));
}

// Nothing behind a link in the backup is moved, written or deleted: not by the moves
// aside, and not through a versions folder that is itself a link.
TEST(BackupRun, KeepNeverMovesOrWritesThroughALinkInTheBackup) {
    RunApp a;
    a.check(a.main->chkRemove, true);
    test::write_bytes((test::make_dirs(a.srcA + L"\\sub2"), a.srcA + L"\\sub2\\n.txt"), "new");
    a.runBackups();
    const std::wstring outside = a.box.path(L"outside"), elsewhere = a.box.path(L"elsewhere");
    test::write_bytes((test::make_dirs(outside + L"\\dir"), outside + L"\\dir\\o.txt"), "outside");
    test::make_dirs(elsewhere);
    const auto link = [&](const std::wstring& to, const std::wstring& at) {
        ASSERT_TRUE(test::unix_shell("rm -rf " + test::sh_quote(at) + " && ln -s " + test::sh_quote(to) + " " +
                                     test::sh_quote(at)));
    };
    // A link where the source has a folder (links the source lacks: walk_agrees_test.cpp).
    link(outside + L"\\dir", a.e(L"BK\\SRCA\\sub2"));
    link(elsewhere, a.e(L"BK2\\Ostrevin Versions"));
    test::write_bytes(a.srcB + L"\\c.txt", "gamma, changed");
    test::write_bytes(a.srcA + L"\\a.txt", "alpha, changed");
    a.prompts.asked.clear();
    a.runBackups();
    EXPECT_EQ(test::tree(outside), (std::vector<std::wstring>{L"dir\\", L"dir\\o.txt"}));
    EXPECT_EQ(test::read_bytes(outside + L"\\dir\\o.txt"), "outside");
    EXPECT_TRUE(test::tree(elsewhere).empty());
    const std::wstring text = a.told().text;
    EXPECT_NE(text.find(L"The folder \"E:\\BK2\\Ostrevin Versions\" cannot be used to keep the backup's old copies, "
                        L"because it is a link"),
              std::wstring::npos)
        << test::narrow(text);
    EXPECT_EQ(test::read_bytes(L"E:\\BK2\\SRCB\\c.txt"), "gamma");
    // What job 1 kept is its changed file alone: no link counted, none moved.
    EXPECT_NE(text.find(L"Kept 1 file that this run replaced or removed in"), std::wstring::npos) << test::narrow(text);
    EXPECT_EQ(test::tree(kept_in(text)), (std::vector<std::wstring>{L"SRCA\\", L"SRCA\\a.txt"}));
}

// A drive root as the source (a memory card): its backup is walked like any other,
// so a card swapped for another is asked about and what the purge takes is kept.
TEST(BackupRun, KeepsWhatThePurgeTakesFromTheBackupOfADriveRoot) {
    RunApp a;
    a.box.mapDrive(L'F', a.box.path(L"card1"));
    for (const wchar_t* name : {L"F:\\p1.jpg", L"F:\\p2.jpg"}) test::write_bytes(name, "photo");
    test::make_dirs(a.e(L"CARD"));
    a.add(L"F:\\", L"E:\\CARD");
    a.check(a.main->chkRemove, true);
    a.runBackups();
    ASSERT_EQ(test::read_bytes(L"E:\\CARD\\F\\p1.jpg"), "photo");
    a.box.unmapDrive(L'F');
    a.box.mapDrive(L'F', a.box.path(L"card2"));  // an empty card
    a.prompts.asked.clear();
    a.prompts.answers = {IDYES};
    a.runBackups();
    ASSERT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"Files Would Be Removed", L"BACKUP COMPLETE"}));
    const std::wstring dated = kept_in(a.prompts.asked[1].text);
    ASSERT_NE(dated, L"") << test::narrow(a.prompts.asked[1].text);
    EXPECT_EQ(test::read_bytes(dated + L"\\F\\p1.jpg"), "photo");
    EXPECT_EQ(test::read_bytes(dated + L"\\F\\p2.jpg"), "photo");
    EXPECT_TRUE(test::tree(L"E:\\CARD\\F").empty());
}

// A job whose old copy is held open cannot go aside: it fails naming the file, also as
// the only job of its list (whose log then holds no job at all).
TEST(BackupRun, AHeldBackupFileFailsItsJobNamingIt) {
    RunApp a;
    a.main->cmdDeleteJob_Click(2);
    a.runBackups();
    test::write_bytes(a.srcA + L"\\a.txt", "alpha, changed");
    HANDLE held = CreateFileW(a.e(L"BK\\SRCA\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    a.prompts.asked.clear();
    a.runBackups();
    CloseHandle(held);
    EXPECT_EQ(a.told().title, L"BACKUP FAILED") << test::narrow(a.told().text);
    EXPECT_NE(a.told().text.find(L"The file \"E:\\BK\\SRCA\\a.txt\" could not be moved"), std::wstring::npos)
        << test::narrow(a.told().text);
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\a.txt")), "alpha");
}

// After the script, an old copy whose new one did not come whole goes back: a copy cut
// off half-way is not the file the walk planned, and a new copy that came stays.
TEST(BackupRun, AnOldCopyGoesBackWhereItsNewCopyIsCutOff) {
    RunApp a;
    const core::JobCopy copy{a.srcA, L"E:\\BK\\SRCA", L"SRCA"};
    const std::wstring name = L"2026-12-07 10-00-00", kept = run::dated_folder(L"E:\\BK", name) + L"\\SRCA\\";
    test::make_dirs(kept);
    test::make_dirs(L"E:\\BK\\SRCA");
    for (const wchar_t* f : {L"part.txt", L"whole.txt", L"gone.txt"}) test::write_bytes(kept + f, "old, whole");
    test::write_bytes(L"E:\\BK\\SRCA\\part.txt", "new, cu");
    test::write_bytes(L"E:\\BK\\SRCA\\whole.txt", "new, whole copy");
    const std::uint64_t t = test::write_time(L"E:\\BK\\SRCA\\whole.txt");
    const std::vector<core::FileTimes> planned{{20, t}, {15, t}, {20, t}};
    const run::PutBack done =
        run::put_back(copy, {L"part.txt", L"whole.txt", L"gone.txt"}, planned, false, L"E:\\BK", name);
    EXPECT_EQ(done.back, 2u);
    EXPECT_TRUE(done.stuck.empty());
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\part.txt"), "old, whole");
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\gone.txt"), "old, whole");
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA\\whole.txt"), "new, whole copy");
    EXPECT_EQ(test::tree(kept), std::vector<std::wstring>{L"whole.txt"});
}

// Every move of a job that cannot run comes back, or the message names what could not
// and where it is: case twins of a backup made elsewhere, and a script never started.
TEST(BackupRun, WhatWentAsideComesBackWhenNothingIsCopiedOrIsNamed) {
    RunApp a;
    a.check(a.main->chkRemove, true);
    test::write_bytes(a.srcA + L"\\case.txt", "source");
    a.runBackups();
    ASSERT_TRUE(test::unix_shell("printf twin > " + test::sh_quote(a.e(L"BK\\SRCA")) + "/CASE.TXT"));
    test::write_bytes(a.srcA + L"\\case.txt", "source, changed");
    a.prompts.asked.clear();
    a.runBackups();
    const std::wstring text = a.told().text;
    const std::vector<std::wstring> backup = test::tree(a.e(L"BK\\SRCA"));
    for (const wchar_t* twin : {L"case.txt", L"CASE.TXT"})
        EXPECT_TRUE(std::find(backup.begin(), backup.end(), twin) != backup.end() ||
                    text.find(L"\r    " + std::wstring(twin)) != std::wstring::npos)
            << test::narrow(twin) << " neither in the backup nor named: " << test::narrow(text);
    // A script that cannot be written: what went aside is all back, and nothing is said kept.
    test::write_bytes(a.srcA + L"\\sub\\b.txt", "beta, changed");
    ASSERT_TRUE(DeleteFileW((a.srcA + L"\\a.txt").c_str()));
    const std::wstring script = temp_file(L"BatchRun.bat");
    ASSERT_TRUE(CreateDirectoryW(script.c_str(), nullptr));
    a.prompts.asked.clear();
    a.runBackups();
    RemoveDirectoryW(script.c_str());
    EXPECT_EQ(a.told().title, L"BACKUP NOT STARTED");
    EXPECT_EQ(a.told().text.find(L"Kept "), std::wstring::npos) << test::narrow(a.told().text);
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\sub\\b.txt")), "beta");
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\a.txt")), "alpha");
}

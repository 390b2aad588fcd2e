// File > Restore: the backups as each run left them, and files and folders brought back.
#include "run_app.h"

#include "ui/frmRestore.h"

// Three runs make three states; the window shows each and restores a file and a folder as each held it.
TEST(RestoreWindow, ShowsAndRestoresTheStateOfEachRun) {
    RunApp a;
    a.check(a.main->chkRemove, true);
    a.runBackups();
    test::write_bytes(a.srcA + L"\\a.txt", "alpha2");
    test::write_bytes(a.srcA + L"\\sub\\new.txt", "n2");
    ASSERT_TRUE(DeleteFileW((a.srcA + L"\\sub\\b.txt").c_str()));
    a.runBackups();
    test::write_bytes(a.srcA + L"\\a.txt", "alpha3");
    test::write_bytes(a.srcA + L"\\sub\\new.txt", "n3");
    a.runBackups();
    std::vector<std::wstring> d;  // the runs' dated names, oldest first
    for (const auto& f : test::tree(L"E:\\BK\\Ostrevin Versions"))
        if (f.find(L'\\') == f.size() - 1) d.push_back(f.substr(0, f.size() - 1));
    ASSERT_EQ(d.size(), 3u);
    const std::string before = test::contents(L"E:\\");
    const struct {
        int choice;  // "As of": newest copies, now, then the runs newest first
        std::vector<std::wstring> tree;
        std::string restored;  // sub, then a.txt, restored into one folder
    } cases[] = {
        {4, {L"a.txt", L"sub\\b.txt"}, "a.txt=alpha;sub\\b.txt=beta;"},
        {3, {L"a.txt", L"sub\\new.txt"}, "a.txt=alpha2;sub\\new.txt=n2;"},
        {2, {L"a.txt", L"sub\\new.txt"}, "a.txt=alpha3;sub\\new.txt=n3;"},
        {1, {L"a.txt", L"sub\\new.txt"}, "a.txt=alpha3;sub\\new.txt=n3;"},
        {0, {L"a.txt", L"sub\\b.txt", L"sub\\new.txt"}, "a.txt=alpha3;sub\\new.txt=n3;"},
    };
    // Opens the window as of a choice, acts in it and closes it.
    const auto in_window = [&](int choice, const std::function<void(ui::FrmRestore&)>& act) {
        a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
            auto& r = dynamic_cast<ui::FrmRestore&>(w);
            EXPECT_EQ(r.window().text(), L"Restore");
            r.cboAsOf.send(CB_SETCURSEL, static_cast<WPARAM>(choice));
            r.cboAsOf_Click();
            act(r);
            SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
        });
        SendMessageW(a.main->hwnd(), WM_COMMAND, ui::ID_MENU_RESTORE, 0);
    };
    const auto restore = [&](ui::FrmRestore& r, const wchar_t* path, win::Window button) {
        ASSERT_TRUE(r.select(a.srcA + path));
        SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
        EXPECT_TRUE(test::pump_until([&] { return !r.restoring(); }, 60000));
        EXPECT_EQ(a.prompts.asked.back().title, L"RESTORED") << a.prompts.asked.back().text;
    };
    for (const auto& c : cases) {
        const std::wstring to = a.box.path(L"R" + std::to_wstring(c.choice));
        in_window(c.choice, [&](ui::FrmRestore& r) {
            std::vector<std::wstring> tree;
            for (const auto& f : c.tree) tree.push_back(test::upper(a.srcA) + L"\\" + f);
            tree.push_back(test::upper(a.srcB) + L"\\c.txt");  // the rows' spelling
            EXPECT_EQ(r.shown(), tree) << c.choice;
            for (const wchar_t* path : {L"\\sub", L"\\a.txt"}) {
                a.prompts.paths.push_back(to);
                restore(r, path, r.cmdRestoreTo);
            }
            // Every copy of a file, newest first.
            EXPECT_EQ(r.lvwCopies.send(LVM_GETITEMCOUNT), 3);
            std::wstring when = d[2];
            when[13] = when[16] = L':';
            EXPECT_TRUE(r.copy(1).starts_with(L"Kept by the run of " + when + L"\t6 bytes\t")) << r.copy(1);
        });
        EXPECT_EQ(test::contents(to), c.restored) << c.choice;
    }
    EXPECT_EQ(a.prompts.modal_count, 5);
    EXPECT_EQ(test::contents(L"E:\\"), before);  // the backup and its kept copies only read
    // In place, newer work is replaced once the user agrees, and kept first.
    test::write_bytes(a.srcA + L"\\a.txt", "mine");
    a.prompts.answers = {IDYES};
    in_window(4, [&](ui::FrmRestore& r) { restore(r, L"\\a.txt", r.cmdRestore); });
    EXPECT_EQ(a.prompts.asked.rbegin()[1].title, L"NEWER FILES");
    EXPECT_EQ(test::read_bytes(a.srcA + L"\\a.txt"), "alpha");
    EXPECT_NE(test::contents(L"E:\\BK\\Ostrevin Versions").find("\\SRCA\\a.txt=mine;"), std::string::npos);
}

#include <gtest/gtest.h>

#include "support/app_fixture.h"

using test::App;

namespace {
// A changed list without going through the editing commands.
void add_job(App& a, const wchar_t* row) {
    a.main->AppendJobRow(row);
    app::state().JobChanged = true;
    a.main->UpdateTitle();
}
constexpr wchar_t kRow[] = L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B\"";
}  // namespace

// The question when a changed list would be lost, and what each answer does.
TEST(CloseQuestion, EachAnswer) {
    const std::string before = "[GENERAL SETTINGS]\r\nDefaultJob=Before\r\n";
    const struct {
        int answer;
        bool save_fails, ends;
        std::vector<std::wstring> asked;
        std::string saved;  // the job file "UNTITLED"; "" for none
    } cases[] = {
        {IDCANCEL, false, false, {L"File Not Saved"}, ""},
        {IDYES, false, true, {L"File Not Saved"}, test::narrow(kRow) + "\r\n"},
        {IDNO, false, true, {L"File Not Saved"}, ""},
        {IDYES, true, false, {L"File Not Saved", L"FILE NOT SAVED"}, ""},
    };
    for (const auto& c : cases) {
        App a;
        a.start();
        test::write_bytes(a.settingsPath(), before);
        add_job(a, kRow);
        // The save cannot make its file when a folder already has the name.
        if (c.save_fails) test::make_dirs(a.box.jobFolder() + L"\\UNTITLED.new");
        a.prompts.answers = {c.answer};
        EXPECT_EQ(a.close(), c.ends) << c.answer;
        EXPECT_EQ(a.prompts.titles(), c.asked);
        const auto& q = a.prompts.asked[0];
        EXPECT_EQ(q.text, L"The job file \"UNTITLED\" has not been saved.\r\rDo you want to save the changes?");
        EXPECT_EQ(q.flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
        // An untitled list is saved as a file of that very name.
        const std::wstring job = a.box.jobFolder() + L"\\UNTITLED";
        EXPECT_EQ(test::exists(job) ? test::read_bytes(job) : "", c.saved);
        EXPECT_EQ(test::read_bytes(a.settingsPath()), before);  // a hand edit the session did not change
        EXPECT_TRUE(c.ends || app::state().JobChanged);
    }
    App a;  // an unchanged list asks nothing
    a.start();
    EXPECT_TRUE(a.close());
    EXPECT_TRUE(a.prompts.asked.empty());
}

namespace {
// A key pressed with Ctrl held, through the program's own message handling.
void ctrl_key(App& a, wchar_t key) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG msg{a.main->txtSource.hwnd(), WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    a.main->dispatch(msg);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}
}  // namespace

TEST(Shortcuts, CtrlKeysRunTheirMenuCommandsOnlyWhenEnabled) {
    App a;
    test::write_bytes(a.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
    test::make_dirs(a.box.jobFolder());
    test::write_bytes(a.box.jobFolder() + L"\\W.ojf", "");
    a.start();
    ctrl_key(a, L'D');  // Set Default Job is disabled: nothing happens
    EXPECT_EQ(app::state().settings.DefaultJob, L"None");
    a.prompts.paths = {a.box.jobFolder() + L"\\W.ojf"};
    ctrl_key(a, L'O');
    EXPECT_EQ(a.title(), L"Ostrevin: W.ojf");
    ctrl_key(a, L'D');
    EXPECT_EQ(a.title(), L"Ostrevin: W.ojf (Default)");
    add_job(a, kRow);
    ctrl_key(a, L'S');
    EXPECT_EQ(test::read_bytes(a.box.jobFolder() + L"\\W.ojf"), test::narrow(kRow) + "\r\n");
    a.prompts.paths = {a.box.jobFolder() + L"\\X.ojf"};
    ctrl_key(a, L'A');
    EXPECT_EQ(a.title(), L"Ostrevin: X.ojf");
    ctrl_key(a, L'N');
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");
    EXPECT_EQ(a.main->jobList.count(), 0);
    EXPECT_TRUE(a.prompts.asked.empty());
}

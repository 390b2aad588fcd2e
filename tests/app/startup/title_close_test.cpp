#include <gtest/gtest.h>

#include "support/app_fixture.h"

using test::App;

namespace {
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
        a.main->document.add({L"C:\\DATA", L"E:\\B"});  // a changed list (kRow), without the editing commands
        // The save cannot make its file when a folder already has the name.
        if (c.save_fails) test::make_dirs(a.box.jobFolder() + L"\\UNTITLED.new");
        a.prompts.answers = {c.answer};
        EXPECT_EQ(a.close(), c.ends) << c.answer;
        EXPECT_EQ(a.prompts.titles(), c.asked);
        // An untitled list is saved as a file of that very name.
        const std::wstring job = a.box.jobFolder() + L"\\UNTITLED";
        EXPECT_EQ(test::exists(job) ? test::read_bytes(job) : "", c.saved);
        EXPECT_EQ(test::read_bytes(a.settingsPath()), before);  // a hand edit the session did not change
        EXPECT_TRUE(c.ends || a.main->document.changed());
    }
}

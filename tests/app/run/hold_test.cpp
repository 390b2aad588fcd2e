// Files that turned to noise in the source: the job is held, or with Yes its good copies
// are kept out of pruning.
#include <random>

#include "run_app.h"

namespace {

constexpr std::uint64_t kDay = 864000000000ull;  // FILETIME ticks
std::mt19937 rng(36);
std::string some(size_t n, bool text) {
    static const char* const kWords[] = {"quarterly ", "report ", "of ", "the ", "\r\n", "sales ", "12.5 "};
    std::string s;
    while (s.size() < n) s += text ? std::string(kWords[rng() % 7]) : std::string(1, static_cast<char>(rng()));
    return s.substr(0, n);
}
// A text, a docx or a pdf; a new one at each call, as an edit makes.
std::string document(int i) {
    const char* const kStarts[] = {"", "PK\3\4", "%PDF-1.6\n"};
    return kStarts[i % 3] + some(1500 + rng() % 500, i % 3 != 1);
}
std::wstring doc(int i) {
    const wchar_t* const kExtensions[] = {L".txt", L".docx", L".pdf"};
    return L"\\docs\\d" + std::to_wstring(i) + kExtensions[i % 3];
}

}  // namespace

TEST(BackupRun, HoldsAJobWhoseFilesTurnedToNoise) {
    RunApp a;
    test::make_dirs(a.srcA + L"\\docs");
    for (int edit = 0; edit < 2; ++edit) {  // written, then 40 ordinary edits
        for (int i = 0; i < 40; ++i) test::write_bytes(a.srcA + doc(i), document(i));
        a.prompts.asked.clear();
        a.runBackups();
        ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"BACKUP COMPLETE"});
    }
    const std::string good = test::read_bytes(L"E:\\BK\\SRCA" + doc(15)), noise = some(3000, false);
    for (int i = 0; i < 16; ++i) test::write_bytes(a.srcA + doc(i), noise);
    test::write_bytes(a.srcB + L"\\c.txt", "gamma, changed");
    for (int answer : {IDCANCEL, IDNO, IDYES}) {
        a.prompts.asked.clear();
        a.prompts.answers = {answer};
        a.runBackups();
        ASSERT_EQ(a.prompts.asked.size(), 2u);
        const std::wstring asked = a.prompts.asked[0].text, told = a.prompts.asked[1].text;
        EXPECT_EQ(a.prompts.asked[0].title, L"Files Look Damaged");
        EXPECT_EQ(a.prompts.asked[1].title, answer == IDNO    ? L"BACKUP HELD"
                                            : answer == IDYES ? L"BACKUP COMPLETE"
                                                              : L"BACKUP NOT STARTED");
        for (const std::wstring& text : {asked, answer == IDNO ? told : asked})
            for (const wchar_t* part : {L"16 of the 16 files looked at", L"docs\\d0.txt\r", L"... and 11 more"})
                EXPECT_NE(text.find(part), std::wstring::npos) << test::narrow(text);
        EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRCA" + doc(15)), answer == IDYES ? noise : good);
        EXPECT_EQ(test::read_bytes(L"E:\\BK2\\SRCB\\c.txt"), answer == IDCANCEL ? "gamma" : "gamma, changed");
    }
    // With Yes, the good copies went to the run's dated folder, marked to be spared.
    const std::wstring versions = L"E:\\BK\\Ostrevin Versions\\", dated = kept_in(a.prompts.asked[1].text),
                       old = versions + days_ago(40), older = versions + days_ago(41);
    EXPECT_EQ(test::read_bytes(dated + L"\\SRCA" + doc(15)), good);
    EXPECT_EQ(test::read_bytes(dated + L"\\Ostrevin Spared.txt"), "SRCA\r\n");
    // Grown old, it outlives pruning by age and for room while another old folder goes.
    ASSERT_TRUE(MoveFileW(dated.c_str(), old.c_str()));
    test::write_bytes((test::make_dirs(older), older + L"\\f.txt"), "old");
    const std::uint64_t now = test::write_time(older + L"\\f.txt");
    for (const auto& [d, days] : {std::pair{old, 40ull}, {older, 41ull}}) test::set_write_time(d, now - days * kDay);
    run::prune_versions(L"E:\\BK", days_ago(0));
    EXPECT_FALSE(test::exists(older));
    // Room is made from the next oldest instead.
    const run::FreeSpace real = std::exchange(run::free_space, [](const std::wstring&, auto& free, auto&) {
        free = 0;
        return true;
    });
    EXPECT_FALSE(run::make_room(L"E:\\BK", days_ago(0), 100));
    run::free_space = real;
    EXPECT_EQ(test::read_bytes(old + L"\\SRCA" + doc(15)), good);
    // Until a run of that job completes without a hold.
    a.runBackups();
    EXPECT_FALSE(test::exists(old));
}

#include "core/settings.h"

#include <gtest/gtest.h>

using namespace core;

TEST(SettingsFile, WritesTheExactLinesInOrderAndReadsThemBack) {
    Settings s;
    s.DefaultJob = L"None";
    EXPECT_EQ(format_settings(s), L"[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
    s.DefaultJob = L"a=b.ojf";  // only the first "=" after the key counts
    RecordBackupDate(s, L"Weekly.ojf", L"3/12/2014");
    RecordBackupDate(s, L"Photos.ojf", L"2/28/2014");
    EXPECT_EQ(format_settings(s), L"[GENERAL SETTINGS]\r\nDefaultJob=a=b.ojf\r\n[BACKUP DATES]\r\n"
                                  L"Weekly.ojf=3/12/2014\r\nPhotos.ojf=2/28/2014\r\n");
    Settings back = parse_settings(format_settings(s));
    EXPECT_EQ(back.DefaultJob, L"a=b.ojf");
    EXPECT_EQ(format_settings(back), format_settings(s));
}

TEST(SettingsFile, ReaderIsLenient) {
    Settings s = parse_settings(
        L"DefaultJob=Before.ojf\r\n"         // before any section: ignored
        L"[general settings]\r\n"            // not a header (letter case)
        L"[GENERAL SETTINGS]\r\n"
        L"Other=1\r\n"
        L"no equals sign\r\n"
        L"\r\n"
        L"DefaultJob=First.ojf\r\n"
        L"DefaultJob= Second.ojf \r\n"       // a later line wins, untrimmed
        L"[BACKUP DATES] \r\n"               // trailing blank: a line of the section, without "="
        L"[BACKUP DATES]\r\n"
        L"Weekly.ojf=1/1/2020\r\n"
        L"week=ly.ojf=2/2/2020\r\n"          // name ends at the first "="
        L"[BACKUP DATES]\r\n"                // does not restart the count
        L"=3/3/2020\r\n"                     // no name: skipped, the rows after it still count
        L"Last.ojf=4/4/2020");               // no final line end
    EXPECT_EQ(s.DefaultJob, L" Second.ojf ");
    EXPECT_EQ(s.BackupDates[0].name, L"Weekly.ojf");
    EXPECT_EQ(s.BackupDates[1].name, L"week");
    EXPECT_EQ(s.BackupDates[1].date, L"ly.ojf=2/2/2020");
    EXPECT_EQ(s.BackupDates[2].name, L"Last.ojf");
    EXPECT_EQ(LookupBackupDate(s, L"Last.ojf").date, L"4/4/2020");
    EXPECT_TRUE(RecordBackupDate(s, L"New.ojf", L"5/5/2020"));
    EXPECT_EQ(s.BackupDates[3].name, L"New.ojf");
    EXPECT_NE(format_settings(s).find(L"\r\nLast.ojf=4/4/2020\r\nNew.ojf=5/5/2020\r\n"), std::wstring::npos);
}

// At exit the file is read again and only what this session changed is applied to it.
TEST(SettingsFile, MergedAtExitNeverReplaced) {
    const std::wstring head = L"[GENERAL SETTINGS]\r\nDefaultJob=";
    struct Case {
        const wchar_t* what;
        std::wstring at_start, on_disk;  // file texts
        const wchar_t* set_default;      // null: not changed in the session
        std::vector<BackupDateRow> recorded;
        std::wstring expected;
    } cases[] = {
        {L"file busy at start: its default job and dates survive", L"",
         head + L"Weekly.ojf\r\n[BACKUP DATES]\r\nW.ojf=1/1/2020\r\nA.ojf=2/2/2020\r\n", nullptr,
         {{L"A.ojf", L"5/5/2020"}},
         head + L"Weekly.ojf\r\n[BACKUP DATES]\r\nW.ojf=1/1/2020\r\nA.ojf=5/5/2020\r\n"},
        {L"another window recorded a date since", head + L"None\r\n[BACKUP DATES]\r\nW.ojf=1/1/2020\r\n",
         head + L"None\r\n[BACKUP DATES]\r\nW.ojf=1/1/2020\r\nB.ojf=4/4/2020\r\n", nullptr,
         {{L"A.ojf", L"5/5/2020"}, {L"W.ojf", L"5/5/2020"}},
         head + L"None\r\n[BACKUP DATES]\r\nW.ojf=5/5/2020\r\nB.ojf=4/4/2020\r\nA.ojf=5/5/2020\r\n"},
        {L"hand edit of the default job kept", head + L"Weekly.ojf\r\n", head + L"Photos.ojf\r\n", nullptr, {},
         head + L"Photos.ojf\r\n"},
        {L"default job changed in the session", head + L"Weekly.ojf\r\n", head + L"Photos.ojf\r\n", L"None", {},
         head + L"None\r\n"},
        {L"set and set back: no change", head + L"Weekly.ojf\r\n", head + L"Photos.ojf\r\n", L"Weekly.ojf", {},
         head + L"Photos.ojf\r\n"},
        {L"nameless row dropped, the rest kept", head + L"None\r\n",
         head + L"None\r\n[BACKUP DATES]\r\n=3/1/2014\r\nX.ojf=3/2/2014\r\n", nullptr, {},
         head + L"None\r\n[BACKUP DATES]\r\nX.ojf=3/2/2014\r\n"},
    };
    for (const auto& c : cases) {
        const Settings start = parse_settings(c.at_start);
        Settings now = start;
        if (c.set_default) now.DefaultJob = c.set_default;
        for (const auto& d : c.recorded) RecordBackupDate(now, d.name, d.date);
        Settings disk = parse_settings(c.on_disk);
        apply_changes(disk, settings_changes(start, now));
        EXPECT_EQ(format_settings(disk), c.expected) << c.what;
    }
}

TEST(SettingsFile, MissingKeyAndGarbageNeverCrash) {
    EXPECT_EQ(parse_settings(L"[GENERAL SETTINGS]\r\n").DefaultJob, L"");
    std::wstring junk;
    for (int i = 0; i < 200000; ++i) junk += static_cast<wchar_t>((i * 7919) % 0xD7FF + 1);
    Settings s = parse_settings(junk);
    EXPECT_TRUE(s.DefaultJob.empty());  // no header in the junk: nothing is taken from it
    EXPECT_TRUE(s.BackupDates[0].name.empty());
    // More than 100 dates lines: the first 100 fill the table, the rest are skipped.
    std::wstring many = L"[BACKUP DATES]\r\n";
    for (int i = 1; i <= 150; ++i) many += L"f" + std::to_wstring(i) + L"=d\r\n";
    Settings m = parse_settings(many);
    EXPECT_EQ(m.BackupDates[99].name, L"f100");
}

TEST(BackupDates, LookupAndRecord) {
    Settings s;
    EXPECT_EQ(LookupBackupDate(s, L"A.ojf").kind, DateLookup::Never);
    EXPECT_TRUE(RecordBackupDate(s, L"A.ojf", L"1/1/2020"));
    EXPECT_TRUE(RecordBackupDate(s, L"B.ojf", L"1/2/2020"));
    EXPECT_TRUE(RecordBackupDate(s, L"A.ojf", L"1/3/2020"));  // updated, no second row
    EXPECT_EQ(s.BackupDates[0].date, L"1/3/2020");
    EXPECT_TRUE(s.BackupDates[2].name.empty());
    auto r = LookupBackupDate(s, L"A.ojf");
    EXPECT_EQ(r.kind, DateLookup::Found);
    EXPECT_EQ(r.date, L"1/3/2020");
    EXPECT_EQ(LookupBackupDate(s, L"a.ojf").kind, DateLookup::Never);  // exact, case-sensitive

    Settings full;
    for (size_t i = 0; i < kBackupDateRows; ++i) full.BackupDates[i] = {L"f" + std::to_wstring(i), L"d"};
    EXPECT_FALSE(RecordBackupDate(full, L"101st.ojf", L"x"));
    EXPECT_EQ(LookupBackupDate(full, L"101st.ojf").kind, DateLookup::NotInTable);
    EXPECT_TRUE(RecordBackupDate(full, L"f99", L"new"));
    EXPECT_EQ(full.BackupDates[99].date, L"new");
}

TEST(SettingsFile, UpdateServerSettingsAreKeptOnlyWhenSet) {
    const std::wstring text = L"[GENERAL SETTINGS]\r\nDefaultJob=None\r\nUpdateServer=127.0.0.1:8080\r\nUpdateHost=test\r\n";
    Settings s = parse_settings(text);
    EXPECT_EQ(format_settings(s), text);
    s.UpdateServer.clear();
    EXPECT_EQ(format_settings(s), L"[GENERAL SETTINGS]\r\nDefaultJob=None\r\nUpdateHost=test\r\n");
}

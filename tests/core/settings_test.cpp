#include "core/settings.h"

#include <gtest/gtest.h>

using namespace core;

TEST(SettingsFile, WritesTheExactLinesInOrderAndReadsThemBack) {
    Settings s;
    s.DefaultJob = L"a=b.ojf";  // only the first "=" after the key counts
    s.UpdateHost = L"test";     // the update server is not set, so it gets no line
    RecordBackupDate(s, L"Weekly.ojf", L"3/1/2014");
    RecordBackupDate(s, L"Photos.ojf", L"2/28/2014");
    EXPECT_TRUE(RecordBackupDate(s, L"Weekly.ojf", L"3/12/2014"));  // updated in its row
    s.JobOptions[L"Weekly.ojf"] = {true, false, true, false};
    s.JobOptions[L"A.ojf"] = {};  // never run: Keep is ticked
    const std::wstring text =
        L"[GENERAL SETTINGS]\r\nDefaultJob=a=b.ojf\r\nUpdateHost=test\r\nOptions:A.ojf=keep\r\n"
        L"Options:Weekly.ojf=empty,exit,nokeep\r\n[BACKUP DATES]\r\n"
        L"Weekly.ojf=3/12/2014\r\nPhotos.ojf=2/28/2014\r\n";
    EXPECT_EQ(format_settings(s), text);
    EXPECT_EQ(format_settings(parse_settings(text)), text);
    EXPECT_EQ(LookupBackupDate(s, L"Weekly.ojf").date, L"3/12/2014");
    EXPECT_EQ(LookupBackupDate(s, L"weekly.ojf").kind, DateLookup::Never);  // exact, case-sensitive
}

TEST(SettingsFile, ReaderSkipsWhatItCannotUseAndNeverCrashes) {
    Settings s = parse_settings(
        L"DefaultJob=Before.ojf\r\n"  // before any section: ignored
        L"[GENERAL SETTINGS]\r\n"
        L"no equals sign\r\n"
        L"DefaultJob= Second.ojf \r\n"                                       // untrimmed
        L"Options:=remove\r\nOptions:W.ojf=exit,,Remove,remove2,remove\r\n"  // no name; words exact
        L"Options:a=b.ojf=keep,empty\r\n"                                    // a name with "="
        L"[BACKUP DATES]\r\n"
        L"week=ly.ojf=2/2/2020\r\n"  // the name ends at the first "="
        L"=3/3/2020\r\n"             // no name: skipped, the rows after it still count
        L"Last.ojf=4/4/2020");       // no final line end
    EXPECT_EQ(s.DefaultJob, L" Second.ojf ");
    EXPECT_EQ(s.BackupDates[0].date, L"ly.ojf=2/2/2020");
    EXPECT_EQ(s.BackupDates[1].name, L"Last.ojf");
    EXPECT_EQ(s.JobOptions.size(), 2u);
    EXPECT_EQ(s.JobOptions[L"W.ojf"], (RunOptions{false, true, true, true}));
    EXPECT_EQ(s.JobOptions[L"a=b.ojf"], (RunOptions{true, false, false, true}));
    std::wstring junk;
    for (int i = 0; i < 200000; ++i) junk += static_cast<wchar_t>((i * 7919) % 0xD7FF + 1);
    s = parse_settings(junk);
    EXPECT_TRUE(s.DefaultJob.empty() && s.BackupDates[0].name.empty());  // no header in the junk
}

// Keep is ticked unless the line says "nokeep": a line written before Keep existed names
// neither word, and every line written now names one.
TEST(SettingsFile, KeepStaysTickedUnlessTheLineSaysNokeep) {
    const std::wstring head = L"[GENERAL SETTINGS]\r\nDefaultJob=None\r\nOptions:W.ojf=";
    const std::pair<const wchar_t*, const wchar_t*> read_and_written[] = {
        {L"remove,exit", L"remove,exit,keep"}, {L"", L"keep"},         {L"empty,keep", L"empty,keep"},
        {L"exit,nokeep", L"exit,nokeep"},      {L"nokeep", L"nokeep"}, {L"nokeep2,Nokeep", L"keep"}};  // words exact
    for (const auto& [value, written] : read_and_written)
        EXPECT_EQ(format_settings(parse_settings(head + value + L"\r\n")), head + written + L"\r\n") << value;
}

// At exit the file is read again and only what this session changed is applied to it.
TEST(SettingsFile, MergedAtExitNeverReplaced) {
    const std::wstring head = L"[GENERAL SETTINGS]\r\nDefaultJob=";
    const std::wstring dated = L"None\r\n[BACKUP DATES]\r\nW.ojf=1/1/2020\r\n";
    struct Case {
        std::wstring at_start, on_disk;  // file texts
        const wchar_t* set_default;      // null: not changed in the session
        std::vector<BackupDateRow> recorded;
        std::wstring expected;
        bool options_set = false;  // the session ran W.ojf with Remove ticked
    } cases[] = {
        // Another window recorded a date since.
        {head + dated,
         head + dated + L"B.ojf=4/4/2020\r\n",
         nullptr,
         {{L"A.ojf", L"5/5/2020"}, {L"W.ojf", L"5/5/2020"}},
         head + L"None\r\n[BACKUP DATES]\r\nW.ojf=5/5/2020\r\nB.ojf=4/4/2020\r\nA.ojf=5/5/2020\r\n"},
        // A hand edit of the default job is kept unless the session set another one.
        {head + L"Weekly.ojf\r\n", head + L"Photos.ojf\r\n", nullptr, {}, head + L"Photos.ojf\r\n"},
        {head + L"Weekly.ojf\r\n", head + L"Photos.ojf\r\n", L"None", {}, head + L"None\r\n"},
        {head + L"Weekly.ojf\r\n", head + L"Photos.ojf\r\n", L"Weekly.ojf", {}, head + L"Photos.ojf\r\n"},  // set back
        // Options: another window's stay, the session's own replace the file's.
        {head + L"None\r\nOptions:W.ojf=exit\r\n",
         head + L"None\r\nOptions:P.ojf=empty\r\nOptions:W.ojf=\r\n",
         nullptr,
         {},
         head + L"None\r\nOptions:P.ojf=empty,keep\r\nOptions:W.ojf=remove,nokeep\r\n",
         true},
    };
    for (const auto& c : cases) {
        const Settings start = parse_settings(c.at_start);
        Settings now = start;
        if (c.set_default) now.DefaultJob = c.set_default;
        for (const auto& d : c.recorded) RecordBackupDate(now, d.name, d.date);
        if (c.options_set) now.JobOptions[L"W.ojf"] = {false, true, false, false};
        Settings disk = parse_settings(c.on_disk);
        apply_changes(disk, settings_changes(start, now));
        EXPECT_EQ(format_settings(disk), c.expected);
    }
}

// Set, removed and untouched schedules merge per job file; other lines stay as they were.
TEST(SettingsFile, SchedulesMergePerJobFile) {
    const std::wstring head = L"[GENERAL SETTINGS]\r\nDefaultJob=None\r\nUpdateHost=test\r\n";
    const std::wstring dates = L"[BACKUP DATES]\r\nW.ojf=1/1/2020\r\n";
    const Settings start = parse_settings(head + L"Schedule:a=b.ojf=Daily 06:30\r\nSchedule:Old.ojf=Logon\r\n" + dates);
    EXPECT_EQ(schedule_text_of(start, L"a=b.ojf"), L"Daily 06:30");
    Settings now = start;
    set_schedule(now, L"Old.ojf", L"");
    set_schedule(now, L"Weekly.ojf", L"Weekly Mon 21:00");
    // Meanwhile another window changed a=b.ojf and scheduled Photos.ojf.
    Settings disk = parse_settings(head + L"Schedule:a=b.ojf=Daily 07:00\r\nSchedule:Old.ojf=Logon\r\n" +
                                   L"Schedule:Photos.ojf=Logon\r\n" + dates);
    apply_changes(disk, settings_changes(start, now));
    EXPECT_EQ(format_settings(disk), head + L"Schedule:a=b.ojf=Daily 07:00\r\nSchedule:Photos.ojf=Logon\r\n" +
                                         L"Schedule:Weekly.ojf=Weekly Mon 21:00\r\n" + dates);
}

// More than 100 dates lines: the first 100 fill the table, the rest are skipped.
TEST(BackupDates, AFullTableKeepsTheFirstHundredAndUpdatesOnlyThem) {
    std::wstring many = L"[BACKUP DATES]\r\n";
    for (int i = 1; i <= 150; ++i) many += L"f" + std::to_wstring(i) + L"=d\r\n";
    Settings s = parse_settings(many);
    EXPECT_EQ(LookupBackupDate(s, L"f100").kind, DateLookup::Found);
    EXPECT_EQ(LookupBackupDate(s, L"f101").kind, DateLookup::NotInTable);
    EXPECT_FALSE(RecordBackupDate(s, L"f101", L"x"));
    EXPECT_TRUE(RecordBackupDate(s, L"f5", L"new"));
    EXPECT_EQ(LookupBackupDate(s, L"f5").date, L"new");
}

// The history of runs: what the next start tells, the warning line and the overdue rule.
#include <gtest/gtest.h>

#include "core/history.h"
#include "core/settings.h"

using namespace core;

namespace {

std::wstring line(const std::wstring& when, const wchar_t* outcome, const wchar_t* job = L"A.ojf") {
    return when + L"\t" + job + L"\t" + outcome + L"\tjobs 1: locked\tC:\\D\\Ostrevin-run-1.log\r\n";
}

}  // namespace

TEST(History, TheStartTellsRunsAfterTheMarkNewestFirstAndSkipsCutAndJunkLines) {
    const std::wstring text = line(L"2026-12-01 07:00:00", L"BACKUP FAILED") + L"junk without tabs\r\n" +
                              L"2026-13-01 07:00:00\tA.ojf\tBACKUP FAILED\t-\t-\r\n" +
                              L"2026-12-01 08:00:00\tA.ojf\tBACKUP FAILED\t-\t-\textra\r\n" +
                              line(L"2026-12-02 07:00:00", L"BACKUP COMPLETE") +
                              line(L"2026-12-03 07:00:00", L"BACKUP NOT FINISHED", L"B.ojf") +
                              L"2026-12-04 07:00:00\tA.ojf\tBACKUP FAI";  // cut while written
    const auto history = parse_history(text);
    ASSERT_EQ(history.size(), 7u);
    for (std::size_t junk : {1, 2, 3, 6}) EXPECT_FALSE(history[junk].readable) << junk;
    EXPECT_EQ(history[4].log, L"C:\\D\\Ostrevin-run-1.log");
    const struct {
        const wchar_t* mark;
        std::vector<std::wstring> told;
    } cases[] = {
        {L"", {L"2026-12-03 07:00:00", L"2026-12-01 07:00:00"}},
        {L"2026-12-01 07:00:00", {L"2026-12-03 07:00:00"}},
        {L"2026-12-03 07:00:00", {}},
        {L"2027-01-01 00:00:00", {}},
    };
    for (const auto& c : cases) {
        const ToTell tell = runs_to_tell(history, c.mark);
        std::vector<std::wstring> told;
        for (const auto& run : tell.runs) told.push_back(run.when);
        EXPECT_EQ(told, c.told) << c.mark;
        EXPECT_EQ(tell.mark, std::max<std::wstring>(c.mark, L"2026-12-03 07:00:00"));
    }
    EXPECT_TRUE(runs_to_tell(parse_history(L""), L"").runs.empty());  // no history yet
    std::wstring many;
    for (int day = 10; day < 23; ++day) many += line(L"2026-11-" + std::to_wstring(day) + L" 07:00:00", L"NOT RUN");
    const ToTell tell = runs_to_tell(parse_history(many), L"");
    ASSERT_EQ(tell.runs.size(), 10u);
    EXPECT_EQ(tell.more, 3u);
    const std::wstring told = told_text(tell);
    EXPECT_NE(told.find(L"\r\r2026-11-22 07:00:00  A.ojf: NOT RUN\rjobs 1: locked\rLog: C:\\D\\"), std::wstring::npos);
    EXPECT_NE(told.find(L"And 3 more"), std::wstring::npos);
    EXPECT_EQ(first_reason(std::wstring(300, L'x')).size(), 203u);
}

TEST(History, TheWarningLineTellsALastRunThatFailedOrABackupOverdueAtTheEdges) {
    using K = ScheduleKind;
    const DateTime now{2026, 12, 10, 7, 0};
    const auto complete = [](const wchar_t* when) { return line(when, L"BACKUP COMPLETE", L"a.OJF"); };
    const struct {
        std::wstring history;
        ScheduleKind kind;
        std::wstring warning;
    } cases[] = {
        {L"", K::Off, L""},  // never ran: "Last Backup Never" says it
        {complete(L"2026-12-09 07:00:00") + line(L"2026-12-09 21:00:00", L"BACKUP FAILED"), K::Daily,
         L"Last run FAILED on 2026-12-09 21:00"},
        {line(L"2026-12-09 07:00:00", L"BACKUP NOT STARTED") + complete(L"2026-12-09 21:00:00"), K::Daily, L""},
        {complete(L"2026-12-09 07:00:00") + line(L"2026-12-09 21:00:00", L"BACKUP FAILED", L"B.ojf"), K::Daily, L""},
        {complete(L"2026-12-08 07:00:00"), K::Daily, L""},
        {complete(L"2026-12-08 06:59:59"), K::Daily, L"Last complete backup 2 days ago"},
        {complete(L"2026-11-26 07:00:00"), K::Weekly, L""},
        {complete(L"2026-11-26 06:59:00"), K::Weekly, L"Last complete backup 14 days ago"},
        {complete(L"2026-12-03 07:00:00"), K::AtLogon, L""},
        {complete(L"2026-12-03 06:59:00"), K::AtLogon, L"Last complete backup 7 days ago"},
        {complete(L"2026-11-10 07:00:00"), K::Off, L""},
        {complete(L"2026-11-10 06:59:00"), K::Off, L"Last complete backup 30 days ago"},
        {complete(L"2025-12-10 07:00:00"), K::Off, L"Last complete backup 365 days ago"},
        {complete(L"2024-02-28 07:00:00"), K::Off, L"Last complete backup 1016 days ago"},  // a leap day between
    };
    for (const auto& c : cases) EXPECT_EQ(warning_line(parse_history(c.history), L"A.ojf", c.kind, now), c.warning);
}

TEST(History, TheToldMarkMergesAsTheLaterOfTheFilesAndTheSessions) {
    const std::wstring head = L"[GENERAL SETTINGS]\r\nDefaultJob=None\r\n";
    const Settings start = parse_settings(head + L"ToldRuns=2026-12-01 07:00:00\r\n");
    Settings now = start;
    now.ToldRuns = L"2026-12-03 07:00:00";
    for (const wchar_t* disk_mark : {L"2026-12-02 07:00:00", L"2026-12-05 07:00:00"}) {
        Settings disk = parse_settings(head + L"ToldRuns=" + disk_mark + L"\r\n");
        apply_changes(disk, settings_changes(start, now));
        EXPECT_EQ(format_settings(disk), head + L"ToldRuns=" + std::max<std::wstring>(disk_mark, now.ToldRuns) + L"\r\n");
    }
}

// The history of runs: what the next start tells, the warning line and the overdue rule.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/history.h"
#include "core/settings.h"

using namespace core;

namespace {

std::wstring line(const std::wstring& when, const wchar_t* outcome, const wchar_t* job = L"A.ojf") {
    return when + L"\t" + job + L"\t" + outcome + L"\tjobs 1: locked\tC:\\D\\Ostrevin-run-1.log\r\n";
}

using Days = std::vector<std::wstring>;

// The days of the runs the start tells, in the order told.
Days told_days(const std::vector<HistoryEntry>& history, std::wstring_view mark) {
    Days days;
    for (const auto& run : runs_to_tell(history, mark).runs) days.push_back(run.when.substr(0, 10));
    return days;
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
    EXPECT_EQ(told_days(history, L""), (Days{L"2026-12-03", L"2026-12-01"}));
    EXPECT_EQ(runs_to_tell(history, L"").mark, L"2026-12-03 07:00:00 #3");  // the third readable line
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

namespace {

// A history from letters, a line a minute from 07:00: s a start of run 1 (A.ojf), c f n
// its end complete, failed or not started (its log name alone: no log kept); S C F N
// run 2's (B.ojf); anything else junk.
std::wstring letters_history(std::wstring_view letters) {
    std::wstring text;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const bool two = letters[i] < L'a';
        const std::wstring when = L"2026-12-01 07:0" + std::to_wstring(i) + L":00\t" + (two ? L"B" : L"A") + L".ojf\t";
        const std::wstring run = two ? L"Ostrevin-run-2.log" : L"Ostrevin-run-1.log";
        const wchar_t l = two ? static_cast<wchar_t>(letters[i] + L'a' - L'A') : letters[i];
        text += l == L's'   ? when + L"\t-\t" + run
                : l == L'c' ? when + L"BACKUP COMPLETE\t-\tC:\\D\\" + run
                : l == L'f' ? when + L"BACKUP FAILED\t-\tC:\\D\\" + run
                : l == L'n' ? when + L"BACKUP NOT STARTED\t-\t" + run
                            : L"junk";
        text += L"\r\n";
    }
    return text;
}

// The runs' minutes and outcomes, joined.
std::wstring said(const std::vector<HistoryEntry>& runs) {
    std::wstring text;
    for (const auto& run : runs) text += (run.readable ? run.when.substr(14, 2) + L" " : L"") + run.outcome + L"; ";
    return text;
}

}  // namespace

// A run writes a line as it starts and one as it ends: one run either way. A start
// without an end is told at its place, unless it is still going: then it and the runs
// after it wait for a start when it is not.
TEST(History, AStartLineAndItsEndAreOneRunAndAStartWithoutAnEndIsToldUnlessItIsGoing) {
    const struct {
        const wchar_t* letters;
        bool going;  // run 1
        std::wstring told, later, listed, warning;
    } cases[] = {
        {L"sc", false, L"", L"", L"01 BACKUP COMPLETE; ", L""},
        {L"sf", false, L"01 BACKUP FAILED; ", L"", L"01 BACKUP FAILED; ", L"FAILED on 2026-12-01 07:01"},
        {L"cs", false, L"01 BACKUP NEVER ENDED; ", L"", L"00 BACKUP COMPLETE; 01 BACKUP NEVER ENDED; ",
         L"NEVER ENDED on 2026-12-01 07:01"},
        {L"sSNf", false, L"03 BACKUP FAILED; 02 BACKUP NOT STARTED; ", L"",
         L"02 BACKUP NOT STARTED; 03 BACKUP FAILED; ", L"FAILED on 2026-12-01 07:03"},
        {L"sSN", false, L"02 BACKUP NOT STARTED; 00 BACKUP NEVER ENDED; ", L"",
         L"00 BACKUP NEVER ENDED; 02 BACKUP NOT STARTED; ", L"NEVER ENDED on 2026-12-01 07:00"},
        {L"fsN", true, L"00 BACKUP FAILED; ", L"02 BACKUP NOT STARTED; 01 BACKUP NEVER ENDED; ",
         L"00 BACKUP FAILED; 01 BACKUP RUNNING; 02 BACKUP NOT STARTED; ", L"FAILED on 2026-12-01 07:00"},
        {L"sj", false, L"00 BACKUP NEVER ENDED; ", L"", L"00 BACKUP NEVER ENDED; ; ",
         L"NEVER ENDED on 2026-12-01 07:00"},
    };
    for (const auto& c : cases) {
        const auto history = parse_history(letters_history(c.letters));
        const Running going = [&](std::wstring_view run) { return c.going && run == L"Ostrevin-run-1.log"; };
        const ToTell now = runs_to_tell(history, L"", going), later = runs_to_tell(history, now.mark);
        EXPECT_EQ(said(now.runs), c.told) << c.letters;
        EXPECT_EQ(said(later.runs), c.later) << c.letters;  // once nothing goes
        EXPECT_TRUE(runs_to_tell(history, later.mark).runs.empty()) << c.letters;
        EXPECT_EQ(said(history_runs(history, going)), c.listed) << c.letters;
        const std::wstring warning = warning_line(history, L"A.ojf", ScheduleKind::Off, {2026, 12, 2, 7, 0}, going);
        EXPECT_EQ(warning, c.warning.empty() ? L"" : L"Last run " + c.warning) << c.letters;
    }
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
        {line(L"2031-01-01 07:00:00", L"BACKUP FAILED") + complete(L"2026-12-09 21:00:00"), K::Daily,
         L""},  // as written
        {complete(L"2031-01-01 07:00:00") + line(L"2026-12-09 21:00:00", L"BACKUP FAILED"), K::Daily,
         L"Last run FAILED on 2026-12-09 21:00"},
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

// A clock set ahead, then put right: the runs written after the line it stamped are
// still told, once, in the order written. An older version's note is a time alone, and
// one whose number finds another run (a history edited) is read by its time: it told up
// to the last run of that time; one whose time no run bears (a history started over),
// the runs up to that time.
TEST(History, RunsAreToldInTheOrderWrittenWhateverTheTimeTheyBear) {
    std::wstring text = line(L"2026-12-01 07:00:00", L"BACKUP FAILED") +
                        line(L"2031-01-01 07:00:00", L"BACKUP FAILED") +
                        line(L"2026-12-02 07:00:00", L"BACKUP NOT FINISHED");
    EXPECT_EQ(told_days(parse_history(text), L""), (Days{L"2026-12-02", L"2031-01-01", L"2026-12-01"}));
    const std::wstring first = runs_to_tell(parse_history(text), L"").mark;
    text += line(L"2026-12-03 07:00:00", L"BACKUP COMPLETE") + line(L"2026-12-04 07:00:00", L"BACKUP FAILED");
    const auto history = parse_history(text);
    EXPECT_EQ(told_days(history, first), Days{L"2026-12-04"});
    const std::pair<std::wstring, Days> cases[] = {
        {runs_to_tell(history, first).mark, {}},
        {L"2026-12-01 07:00:00", {L"2026-12-04", L"2026-12-02", L"2031-01-01"}},
        {L"2031-01-01 07:00:00", {L"2026-12-04", L"2026-12-02"}},
        {L"2026-12-02 07:00:00 #9", {L"2026-12-04"}},
        {L"2026-12-01 12:00:00 #1", {L"2026-12-04", L"2026-12-02", L"2031-01-01"}},
    };
    for (const auto& [mark, told] : cases) EXPECT_EQ(told_days(history, mark), told) << mark;
    EXPECT_EQ(runs_to_tell(parse_history(L"junk\r\n"), first).mark, first);  // nothing readable: kept
}

// The note names a run by its place, so a later time is no later note: at exit the
// session's replaces the file's.
TEST(History, TheToldNoteOfTheSessionReplacesTheFilesAtExit) {
    const Settings start = parse_settings(L"[GENERAL SETTINGS]\r\nToldRuns=2031-01-01 07:00:00 #2\r\n");
    Settings now = start, disk = start;
    now.ToldRuns = L"2026-12-03 07:00:00 #4";
    apply_changes(disk, settings_changes(start, now));
    EXPECT_EQ(disk.ToldRuns, now.ToldRuns);
}

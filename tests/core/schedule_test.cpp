#include "core/schedule.h"

#include <gtest/gtest.h>

using namespace core;

namespace {
bool has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }
}  // namespace

TEST(ScheduleTask, EachKindHasItsTriggerAndTheSameQuotedCommand) {
    const TaskTarget target{L"C:\\Tools & <More>\\Ostrevin.exe", L"Tom's \"new\".ojf", L"C:\\Tools & <More>",
                            L"PC\\Tom"};
    const DateTime now{2026, 7, 9, 22, 15};
    const struct {
        Schedule s;
        std::vector<std::wstring> parts;
    } cases[] = {
        {{ScheduleKind::Daily, 0, 6, 30},
         {L"<StartBoundary>2026-07-09T06:30:00</StartBoundary>", L"<ScheduleByDay>", L"<DaysInterval>1<"}},
        {{ScheduleKind::Weekly, 1, 21, 5},
         {L"<StartBoundary>2026-07-09T21:05:00</StartBoundary>", L"<DaysOfWeek>\r\n          <Monday />",
          L"<WeeksInterval>1<"}},
        {{ScheduleKind::AtLogon}, {L"<LogonTrigger>\r\n      <UserId>PC\\Tom</UserId>"}},
    };
    for (const auto& c : cases) {
        const std::wstring xml = task_xml(c.s, target, now);
        for (const auto& part : c.parts) EXPECT_TRUE(has(xml, part)) << part;
        EXPECT_EQ(has(xml, L"<CalendarTrigger>"), c.s.kind != ScheduleKind::AtLogon);
        for (const wchar_t* part : {
                 L"<StartWhenAvailable>true</StartWhenAvailable>",
                 L"<LogonType>InteractiveToken</LogonType>",
                 L"<RunLevel>LeastPrivilege</RunLevel>",
                 L"<Command>C:\\Tools &amp; &lt;More&gt;\\Ostrevin.exe</Command>",
                 L"<Arguments>/run &quot;Tom&apos;s &quot;new&quot;.ojf&quot;</Arguments>",
                 L"<WorkingDirectory>C:\\Tools &amp; &lt;More&gt;</WorkingDirectory>",
             })
            EXPECT_TRUE(has(xml, part)) << schedule_text(c.s) << " lacks " << part;
    }
    EXPECT_EQ(task_xml({}, target, now), L"");
    EXPECT_EQ(task_name(L"Weekly.ojf"), L"Ostrevin - Weekly.ojf");
}

TEST(ScheduleText, RoundTripsAndRejectsAnythingElse) {
    for (const wchar_t* text :
         {L"Off", L"Daily 00:00", L"Daily 23:59", L"Weekly Sun 06:30", L"Weekly Sat 21:00", L"Logon"}) {
        const auto s = parse_schedule(text);
        ASSERT_TRUE(s) << text;
        EXPECT_EQ(schedule_text(*s), text);
    }
    EXPECT_EQ(parse_schedule(L"Weekly Mon 21:00"), (Schedule{ScheduleKind::Weekly, 1, 21, 0}));
    for (const wchar_t* bad :
         {L"", L"off", L"Daily", L"Daily 24:00", L"Daily 12:60", L"Daily 6:30", L"Daily 06:30 ", L"Daily 06-30",
          L"Weekly Mon", L"Weekly Mo 21:00", L"Weekly mon 21:00", L"Weekly Mon  21:00", L"Logon now", L"Daily +6:30"})
        EXPECT_FALSE(parse_schedule(bad)) << bad;
}

TEST(ScheduleNextRun, TodayWhenStillAheadElseTheNextDayOrWeek) {
    const struct {
        Schedule s;
        DateTime now;
        std::optional<DateTime> next;
    } cases[] = {
        {{ScheduleKind::Daily, 0, 21, 0}, {2026, 7, 9, 20, 59}, DateTime{2026, 7, 9, 21, 0}},
        {{ScheduleKind::Daily, 0, 21, 0}, {2026, 7, 9, 21, 0}, DateTime{2026, 7, 10, 21, 0}},  // same minute: gone
        {{ScheduleKind::Daily, 0, 6, 0}, {2026, 12, 31, 7, 0}, DateTime{2027, 1, 1, 6, 0}},
        {{ScheduleKind::Daily, 0, 6, 0}, {2028, 2, 28, 7, 0}, DateTime{2028, 2, 29, 6, 0}},    // leap year
        {{ScheduleKind::Daily, 0, 6, 0}, {2100, 2, 28, 7, 0}, DateTime{2100, 3, 1, 6, 0}},     // not a leap year
        {{ScheduleKind::Weekly, 4, 21, 0}, {2026, 7, 9, 20, 0}, DateTime{2026, 7, 9, 21, 0}},  // a Thursday
        {{ScheduleKind::Weekly, 4, 21, 0}, {2026, 7, 9, 21, 0}, DateTime{2026, 7, 16, 21, 0}},
        {{ScheduleKind::Weekly, 0, 9, 0}, {2026, 7, 11, 23, 59}, DateTime{2026, 7, 12, 9, 0}},  // Saturday to Sunday
        {{ScheduleKind::Weekly, 6, 9, 0}, {2026, 12, 27, 10, 0}, DateTime{2027, 1, 2, 9, 0}},   // Sunday to Saturday
        {{ScheduleKind::Weekly, 1, 8, 0}, {2026, 1, 31, 8, 0}, DateTime{2026, 2, 2, 8, 0}},
        {{ScheduleKind::AtLogon}, {2026, 7, 9, 20, 0}, std::nullopt},
        {{ScheduleKind::Off, 0, 21, 0}, {2026, 7, 9, 20, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto next = next_run(c.s, c.now);
        EXPECT_EQ(next, c.next) << schedule_text(c.s) << " from " << c.now.month << "/" << c.now.day;
    }
    EXPECT_EQ(weekday_of(2026, 7, 9), 4);
    EXPECT_EQ(weekday_of(2000, 1, 1), 6);
}

#include "core/schedule.h"

#include <array>
#include <cwchar>

namespace core {
namespace {

constexpr std::array<std::wstring_view, 7> kWeekdays = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
constexpr std::array<std::wstring_view, 7> kDayNames = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                                        L"Thursday", L"Friday", L"Saturday"};

std::wstring two_digits(int n) { return {static_cast<wchar_t>(L'0' + n / 10), static_cast<wchar_t>(L'0' + n % 10)}; }

std::wstring clock_text(int hour, int minute) { return two_digits(hour) + L":" + two_digits(minute); }

// "HH:MM", both in range.
bool parse_clock(std::wstring_view t, Schedule& s) {
    auto digit = [&](std::size_t i) { return t[i] >= L'0' && t[i] <= L'9' ? t[i] - L'0' : -1; };
    if (t.size() != 5 || t[2] != L':') return false;
    for (std::size_t i : {0, 1, 3, 4})
        if (digit(i) < 0) return false;
    s.hour = digit(0) * 10 + digit(1);
    s.minute = digit(3) * 10 + digit(4);
    return s.hour < 24 && s.minute < 60;
}

std::wstring xml_escaped(std::wstring_view text) {
    constexpr std::wstring_view kChars = L"&<>\"'";
    constexpr std::wstring_view kEntities[] = {L"&amp;", L"&lt;", L"&gt;", L"&quot;", L"&apos;"};
    std::wstring out;
    for (wchar_t c : text) {
        const std::size_t i = kChars.find(c);
        if (i == std::wstring_view::npos) out += c;
        else out += kEntities[i];
    }
    return out;
}

std::wstring trigger_xml(const Schedule& s, const TaskTarget& target, const DateTime& now) {
    if (s.kind == ScheduleKind::AtLogon)
        return L"    <LogonTrigger>\r\n      <UserId>" + xml_escaped(target.user) +
               L"</UserId>\r\n    </LogonTrigger>\r\n";
    wchar_t start[32];
    std::swprintf(start, std::size(start), L"%04d-%02d-%02dT%02d:%02d:00", now.year, now.month, now.day, s.hour,
                  s.minute);
    std::wstring out =
        L"    <CalendarTrigger>\r\n      <StartBoundary>" + std::wstring(start) + L"</StartBoundary>\r\n";
    if (s.kind == ScheduleKind::Daily) {
        out += L"      <ScheduleByDay>\r\n        <DaysInterval>1</DaysInterval>\r\n      </ScheduleByDay>\r\n";
    } else {
        out +=
            L"      <ScheduleByWeek>\r\n        <DaysOfWeek>\r\n          <" + std::wstring(day_name(s.weekday)) +
            L" />\r\n        </DaysOfWeek>\r\n        <WeeksInterval>1</WeeksInterval>\r\n      </ScheduleByWeek>\r\n";
    }
    return out + L"    </CalendarTrigger>\r\n";
}

}  // namespace

std::wstring_view weekday_name(int weekday) { return kWeekdays[static_cast<std::size_t>((weekday % 7 + 7) % 7)]; }
std::wstring_view day_name(int weekday) { return kDayNames[static_cast<std::size_t>((weekday % 7 + 7) % 7)]; }

std::wstring schedule_text(const Schedule& s) {
    switch (s.kind) {
        case ScheduleKind::Daily:
            return L"Daily " + clock_text(s.hour, s.minute);
        case ScheduleKind::Weekly:
            return L"Weekly " + std::wstring(weekday_name(s.weekday)) + L" " + clock_text(s.hour, s.minute);
        case ScheduleKind::AtLogon:
            return L"Logon";
        case ScheduleKind::Off:
            break;
    }
    return L"Off";
}

std::optional<Schedule> parse_schedule(std::wstring_view text) {
    Schedule s;
    if (text == L"Off") return s;
    if (text == L"Logon") return Schedule{ScheduleKind::AtLogon};
    if (text.starts_with(L"Daily ")) {
        s.kind = ScheduleKind::Daily;
        if (parse_clock(text.substr(6), s)) return s;
    } else if (text.starts_with(L"Weekly ") && text.size() > 11 && text[10] == L' ') {
        s.kind = ScheduleKind::Weekly;
        for (s.weekday = 0; s.weekday < 7; ++s.weekday)
            if (text.substr(7, 3) == kWeekdays[static_cast<std::size_t>(s.weekday)])
                return parse_clock(text.substr(11), s) ? std::optional(s) : std::nullopt;
    }
    return std::nullopt;
}

std::wstring task_name(std::wstring_view job_file) { return L"Ostrevin - " + std::wstring(job_file); }

std::wstring task_xml(const Schedule& s, const TaskTarget& target, const DateTime& now) {
    if (s.kind == ScheduleKind::Off) return {};
    const std::wstring user = xml_escaped(target.user);
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
           L"  <RegistrationInfo>\r\n"
           L"    <Description>Backs up the jobs of " +
           xml_escaped(target.job_file) +
           L" with Ostrevin.</Description>\r\n"
           L"  </RegistrationInfo>\r\n"
           L"  <Triggers>\r\n" +
           trigger_xml(s, target, now) +
           L"  </Triggers>\r\n"
           L"  <Principals>\r\n"
           L"    <Principal id=\"Author\">\r\n"
           L"      <UserId>" +
           user +
           L"</UserId>\r\n"
           L"      <LogonType>InteractiveToken</LogonType>\r\n"
           L"      <RunLevel>LeastPrivilege</RunLevel>\r\n"
           L"    </Principal>\r\n"
           L"  </Principals>\r\n"
           L"  <Settings>\r\n"
           L"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
           L"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
           L"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
           L"    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
           L"    <Enabled>true</Enabled>\r\n"
           L"  </Settings>\r\n"
           L"  <Actions Context=\"Author\">\r\n"
           L"    <Exec>\r\n"
           L"      <Command>" +
           xml_escaped(target.program) +
           L"</Command>\r\n"
           L"      <Arguments>" +
           xml_escaped(L"/run \"" + target.job_file + L"\"") +
           L"</Arguments>\r\n"
           L"      <WorkingDirectory>" +
           xml_escaped(target.folder) +
           L"</WorkingDirectory>\r\n"
           L"    </Exec>\r\n"
           L"  </Actions>\r\n"
           L"</Task>\r\n";
}

std::optional<DateTime> next_run(const Schedule& s, const DateTime& now) {
    if (s.kind != ScheduleKind::Daily && s.kind != ScheduleKind::Weekly) return std::nullopt;
    DateTime at = now;
    at.hour = s.hour;
    at.minute = s.minute;
    const bool still_ahead = s.hour * 60 + s.minute > now.hour * 60 + now.minute;
    int days = still_ahead ? 0 : 1;
    if (s.kind == ScheduleKind::Weekly) {
        const int today = weekday_of(now.year, now.month, now.day);
        days = (s.weekday - today + 7) % 7;
        if (days == 0 && !still_ahead) days = 7;
    }
    return add_days(at, days);
}

}  // namespace core

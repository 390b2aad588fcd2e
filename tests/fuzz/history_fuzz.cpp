// The history reader under random input: any text, and a valid history (a run's start
// line among them) cut or overwritten anywhere. Nothing crashes; what the start tells is after the note, never
// complete, last written first, at most ten with the rest counted, and told once.
#include <cstdint>
#include <cstdlib>

#include "core/history.h"

using namespace core;

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

void check(std::wstring_view text, std::wstring_view mark) {
    const auto history = parse_history(text);
    for (const auto& e : history)
        if (e.readable)
            require(parse_stamp(e.when).has_value() && !e.job_file.empty() && e.start != !e.outcome.empty() &&
                    (!e.start || !e.run.empty()));
    std::vector<HistoryEntry> failed;
    for (const auto& e : untold_runs(history, mark))
        if (e.outcome != kBackupComplete) failed.push_back(e);
    const ToTell tell = runs_to_tell(history, mark);
    require(tell.runs.size() <= 10 && tell.runs.size() + tell.more == failed.size());
    for (std::size_t i = 0; i < tell.runs.size(); ++i)  // the last written first
        require(tell.runs[i].when == failed[failed.size() - 1 - i].when);
    require(untold_runs(history, tell.mark).empty());
    told_text(tell);
    for (auto kind : {ScheduleKind::Off, ScheduleKind::Daily, ScheduleKind::Weekly, ScheduleKind::AtLogon})
        warning_line(history, L"A.ojf", kind, {2026, 12, 10, 7, 0});
}

}  // namespace

void history_properties(const uint8_t* data, size_t size) {
    if (size < 2) return;
    check(std::wstring(data, data + size), L"2026-12-01 00:00:00");
    std::wstring text =
        L"2026-12-01 07:00:00\tA.ojf\tBACKUP FAILED\tjobs 1: x\tC:\\l.log\r\n"
        L"2026-12-02 07:00:00\ta.ojf\tBACKUP COMPLETE\t-\t-\r\n"
        L"2026-12-03 07:00:00\tB.ojf\t\t-\tm.log\r\n"
        L"2026-12-03 07:00:00\tB.ojf\tBACKUP NOT FINISHED\t-\tC:\\m.log\r\n";
    for (size_t i = 1; i + 1 < size; i += 2) text[data[i] % text.size()] = data[i + 1];
    const wchar_t* marks[] = {L"", L"2026-12-02", L"2026-12-01 07:00:00 #1", L"2026-12-03 07:00:00 #9"};
    check(std::wstring_view(text).substr(0, data[0] % (text.size() + 1)), marks[data[0] % 4]);
}

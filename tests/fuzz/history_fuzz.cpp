// The history reader under random input: any text, and a valid history cut or
// overwritten anywhere. Nothing crashes; what the start tells is newer than the
// mark, never complete, newest first, at most ten with the rest counted.
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
    std::size_t expected = 0;
    for (const auto& e : history)
        if (e.readable) {
            require(parse_stamp(e.when).has_value() && !e.job_file.empty() && !e.outcome.empty());
            expected += e.when > mark && e.outcome != kBackupComplete;
        }
    const ToTell tell = runs_to_tell(history, mark);
    require(tell.runs.size() <= 10 && tell.runs.size() + tell.more == expected && tell.mark >= mark);
    for (std::size_t i = 0; i < tell.runs.size(); ++i) {
        require(tell.runs[i].when > mark && tell.runs[i].outcome != kBackupComplete);
        require(i == 0 || tell.runs[i - 1].when >= tell.runs[i].when);
    }
    told_text(tell);
    for (auto kind : {ScheduleKind::Off, ScheduleKind::Daily, ScheduleKind::Weekly, ScheduleKind::AtLogon})
        warning_line(history, L"A.ojf", kind, {2026, 12, 10, 7, 0});
}

}  // namespace

void history_properties(const uint8_t* data, size_t size) {
    if (size < 2) return;
    check(std::wstring(data, data + size), L"2026-12-01 00:00:00");
    std::wstring text = L"2026-12-01 07:00:00\tA.ojf\tBACKUP FAILED\tjobs 1: x\tC:\\l.log\r\n"
                        L"2026-12-02 07:00:00\ta.ojf\tBACKUP COMPLETE\t-\t-\r\n"
                        L"2026-12-03 07:00:00\tB.ojf\tBACKUP NOT FINISHED\t-\tC:\\m.log\r\n";
    for (size_t i = 1; i + 1 < size; i += 2) text[data[i] % text.size()] = data[i + 1];
    check(std::wstring_view(text).substr(0, data[0] % (text.size() + 1)), data[0] & 1 ? L"" : L"2026-12-02");
}

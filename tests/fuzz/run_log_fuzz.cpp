// The run log reader under random input: any bytes, and the logs of three
// languages cut anywhere and read in random pieces. The verdict never depends on
// how the log was split into reads, a section cut before the end of its closing
// line is never finished, and nothing crashes. The entry point runs the job rule's
// properties and the history reader's on the same input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/log_fixtures.h"
#include "core/run_log.h"

using namespace core;

void job_rule_properties(const uint8_t* data, size_t size);
void history_properties(const uint8_t* data, size_t size);

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

// The log read at once, and in pieces whose sizes the input picks: the reader answers the same.
RunLog same_in_pieces(std::wstring_view text, const uint8_t* sizes, size_t count) {
    RunLog whole, pieces;
    whole.finish(text);
    std::wstring pending;
    for (size_t at = 0, i = 0; at < text.size(); at += sizes[i++ % count] % 64 + 1) {
        pending += text.substr(at, sizes[i % count] % 64 + 1);
        pending.erase(0, pieces.read(pending));
    }
    pieces.finish(pending);
    require(whole.unfinished(4) == pieces.unfinished(4));
    for (int job = 1; job <= 4; ++job)
        require(whole.errors(job) == pieces.errors(job) && whole.files(job) == pieces.files(job));
    const RunProgress &a = whole.progress(), &b = pieces.progress();
    require(a.job == b.job && a.finished == b.finished && a.files == b.files && a.file == b.file);
    return whole;
}

const std::wstring& fixture(uint8_t pick) {
    static const std::wstring logs[] = {test::fixture_log("en"), test::fixture_log("de"), test::fixture_log("fr")};
    require(logs[pick % 3].size() > 3000);
    return logs[pick % 3];
}

// The input as it stands, and a fixture with the input's bytes written where the input says.
void random_logs(const uint8_t* data, size_t size) {
    if (size < 2) return;
    same_in_pieces(std::wstring(data, data + size), data, size);
    std::wstring text = fixture(data[0]);
    for (size_t i = 1; i + 2 < size; i += 3) text[(size_t{data[i]} << 8 | data[i + 1]) % text.size()] = data[i + 2];
    same_in_pieces(text, data, size);
}

// Where each job's closing line ends in a fixture: its last non-blank line
// before the next job's mark.
size_t closing_end(const std::wstring& text, int job) {
    const size_t next = text.find(std::wstring(kJobMark) + std::to_wstring(job + 1));
    const size_t last = text.find_last_not_of(L" \r\n", next - 1);
    return text.find(L'\n', last) + 1;
}

void cut_fixtures(const uint8_t* data, size_t size) {
    if (size < 4) return;
    const std::wstring& log = fixture(data[0]);
    const size_t cut = (static_cast<size_t>(data[1]) << 8 | data[2]) * (log.size() + 1) / 65536;
    const auto unfinished = same_in_pieces(std::wstring_view(log).substr(0, cut), data + 3, size - 3).unfinished(3);
    for (int job : {1, 2}) {
        const bool finished = std::find(unfinished.begin(), unfinished.end(), job) == unfinished.end();
        require(finished == (cut >= closing_end(log, job)));
    }
    require(unfinished.back() == 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    job_rule_properties(data, size);
    history_properties(data, size);
    random_logs(data, size);
    cut_fixtures(data, size);
    return 0;
}

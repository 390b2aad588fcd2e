// The run log reader under random input: any bytes, and the logs of three
// languages cut anywhere and read in random pieces. The verdict never depends on
// how the log was split into reads, a section cut before the end of its closing
// line is never finished, and nothing crashes. The entry point runs the job rule's
// properties on the same input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/log_fixtures.h"
#include "core/run_log.h"

using namespace core;

void job_rule_properties(const uint8_t* data, size_t size);

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

// Everything the reader answers, in one text.
std::wstring verdict(const RunLog& log) {
    std::wstring v;
    for (int n : log.unfinished(4)) v += std::to_wstring(n) + L",";
    for (int job = 1; job <= 4; ++job) {
        for (const auto& e : log.errors(job)) v += L"|" + e;
        if (const auto f = log.files(job))
            v += L"#" + std::to_wstring(f->total) + L"/" + std::to_wstring(f->copied) + L"/" +
                 std::to_wstring(f->failed) + L"/" + std::to_wstring(f->extras);
    }
    const RunProgress& p = log.progress();
    return v + L"@" + std::to_wstring(p.job) + L"/" + std::to_wstring(p.finished) + L"/" + std::to_wstring(p.files) +
           L"/" + p.file;
}

// The log read at once, and in pieces whose sizes the input picks.
void same_in_pieces(std::wstring_view text, const uint8_t* sizes, size_t count, RunLog& whole) {
    whole.finish(text);
    RunLog pieces;
    std::wstring pending;
    for (size_t at = 0, i = 0; at < text.size(); ++i) {
        const size_t piece = count ? sizes[i % count] % 64 + 1 : 5;
        pending += text.substr(at, piece);
        at += piece;
        pending.erase(0, pieces.read(pending));
    }
    pieces.finish(pending);
    require(verdict(whole) == verdict(pieces));
}

// Pieces of robocopy's lines and ours, so that random input meets their shapes.
std::wstring assemble(const uint8_t* data, size_t size) {
    static const std::wstring_view parts[] = {
        L"Ostrevin job 1 \r\n",
        L"Ostrevin job 2 ",
        L"-------------------------------------------------------------------------------\r\n",
        L"    Dateien:         6         5         0         0         1         0\r\n",
        L"   Bytes :    2.51 m    2,5 k         0         0     1.0 g         0\r\n",
        L"   Zeiten:   0:00:03   0:00:01                       0:00:00   0:00:01\r\n",
        L"   Speed :             150.561 MegaBytes/min.\r\n",
        L"   Beendet: Sonntag, 6. Dezember 2026 21:14:06\r\n",
        L"\t    Neue Datei\t\t   1.0 g\tOutlook.pst\r\n",
        L"\t                  41\tD:\\Music\\\r\n",
        L"2026/12/06 21:14:05 FEHLER 32 (0x00000020) Datei wird kopiert C:\\x.pst\r\n",
        L"ERROR 5 (0x00000005) Copying File C:\\y\r\n",
        L"\u00A0: ",
        L"\r\n",
        L"\t",
        L"\r",
    };
    std::wstring text;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        if (b < 16 * 8) text += parts[b / 8];
        else text += static_cast<wchar_t>(b < 0xF0 ? b : L'0' + (b & 0x0F) % 10);
    }
    return text;
}

void random_logs(const uint8_t* data, size_t size) {
    const size_t half = size / 2;
    RunLog whole;
    same_in_pieces(assemble(data, half), data + half, size - half, whole);
}

// Where each job's closing line ends in a fixture: its last non-blank line
// before the next job's mark.
size_t closing_end(const std::wstring& text, int job) {
    const size_t next = text.find(std::wstring(kJobMark) + std::to_wstring(job + 1));
    const size_t last = text.find_last_not_of(L" \r\n", next - 1);
    return text.find(L'\n', last) + 1;
}

void cut_fixtures(const uint8_t* data, size_t size) {
    static const std::wstring logs[] = {test::fixture_log("en"), test::fixture_log("de"), test::fixture_log("fr")};
    if (size < 3) return;
    const std::wstring& log = logs[data[0] % 3];
    require(log.size() > 3000);
    const size_t cut = (static_cast<size_t>(data[1]) << 8 | data[2]) * (log.size() + 1) / 65536;
    RunLog whole;
    same_in_pieces(std::wstring_view(log).substr(0, cut), data + 3, size - 3, whole);
    const auto unfinished = whole.unfinished(3);
    for (int job : {1, 2}) {
        const bool finished = std::find(unfinished.begin(), unfinished.end(), job) == unfinished.end();
        require(finished == (cut >= closing_end(log, job)));
    }
    require(unfinished.back() == 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    job_rule_properties(data, size);
    random_logs(data, size);
    cut_fixtures(data, size);
    return 0;
}

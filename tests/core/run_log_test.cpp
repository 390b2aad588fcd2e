#include "core/run_log.h"

#include <gtest/gtest.h>

#include "core/log_fixtures.h"

using namespace core;

namespace {

// Reads the log as the wait does: in pieces that cut lines anywhere, the rest at the end.
RunLog read_in_pieces(std::wstring_view text, size_t piece) {
    RunLog log;
    std::wstring pending;
    for (size_t at = 0; at < text.size(); at += piece) {
        pending += text.substr(at, piece);
        pending.erase(0, log.read(pending));
    }
    log.finish(pending);
    return log;
}

}  // namespace

TEST(RunLog, ReadsTheSystemsLogByItsShapeInEveryLanguage) {
    const struct {
        const char* language;
        const wchar_t *reason, *message;
    } languages[] = {
        {"en", L"ERROR 32 (0x00000020) Copying File C:\\Users\\Ann\\Documents\\Outlook.pst",
         L"The process cannot access the file because it is being used by another process."},
        {"de", L"FEHLER 32 (0x00000020) Datei wird kopiert C:\\Users\\Ann\\Documents\\Outlook.pst",
         L"Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird."},
        {"fr", L"ERREUR 32 (0x00000020) Copie du fichier C:\\Users\\Ann\\Documents\\Outlook.pst",
         L"Le processus ne peut pas accéder au fichier car ce fichier est utilisé par un autre processus."},
    };
    for (const auto& l : languages) {
        const std::wstring text = test::fixture_log(l.language);
        ASSERT_GT(text.size(), 3000u) << l.language;
        for (size_t piece : {text.size(), size_t{7}, size_t{1}}) {
            SCOPED_TRACE(std::string(l.language) + " in pieces of " + std::to_string(piece));
            const RunLog log = read_in_pieces(text, piece);
            EXPECT_EQ(log.unfinished(3), std::vector<int>{3});  // killed mid-copy
            // Job 1 failed on the busy file; its retry's repeat is left out.
            EXPECT_EQ(log.errors(1), (std::vector<std::wstring>{l.reason, l.message}));
            EXPECT_TRUE(log.errors(2).empty());
            EXPECT_EQ(log.files(1), (FileCounts{6, 5, 0, 0, 1, 0}));
            EXPECT_EQ(log.files(2), (FileCounts{812, 0, 812, 0, 0, 0}));
            EXPECT_EQ(log.dirs(1), (FileCounts{2, 2, 0, 0, 0, 0}));
            EXPECT_FALSE(log.files(3));
            const RunProgress& p = log.progress();
            EXPECT_EQ(std::make_tuple(p.job, p.finished, p.files, p.file), std::make_tuple(3, 2, 2, L"02 Theme.mp3"));
        }
        // As far as job 1 went: its file lines (the retry's too), folder lines not counted.
        RunLog first;
        first.finish(text.substr(0, text.find(L"Ostrevin job 2")));
        const RunProgress& p = first.progress();
        EXPECT_EQ(std::make_tuple(p.job, p.finished, p.files, p.file), std::make_tuple(1, 1, 7, L"Outlook.pst"));
        EXPECT_EQ(progress_text(p, 3, L"C:\\DOCS"), L"Job 1 of 3: C:\\DOCS \u2014 7 files: Outlook.pst");
    }
}

TEST(RunLog, OnlyASectionThatClosesAsANormalRunIsFinished) {
    // Sections as our copier writes them.
    const std::wstring rule = std::wstring(79, L'-') + L"\r\n";
    const std::wstring head = rule + L"   Ostrevin copier\r\n" + rule + L"\r\n  Started : x\r\n" + rule +
                              L"\t    New File  \t       5\tC:\\A\\a.txt\r\n\r\n" + rule;
    const std::wstring rows =
        L"\r\n               Total    Copied   Skipped  Mismatch    FAILED    Extras\r\n"
        L"      Dirs :         1         1         0         0         0         0\r\n"
        L"     Files :         2         1         0         0         0         1\r\n"
        L"     Bytes :         9         5         0         0         0         4\r\n"
        L"\r\n   Exit code : 3\r\n";
    const std::wstring end = L"   Ended : Sunday, December 6, 2026 1:27:37 PM\r\n";
    const std::wstring job1 = L"Ostrevin job 1 \r\n" + head, job2 = L"Ostrevin job 2 \r\n" + head + rows + end;
    const struct {
        std::wstring log;
        int jobs;
        std::vector<int> unfinished;
    } cases[] = {
        {job1 + rows + end, 1, {}},
        {job1 + rows + L"\r\nERROR : the copy stopped before its end.\r\n", 1, {1}},
        {job1 + rows + end.substr(0, end.size() - 1), 1, {1}},                     // cut before its line end
        {job1 + rows + end + L"ERROR 5 (0x00000005) Copying File X\r\n", 1, {1}},  // the closing line is last
        {job1 + rows.substr(0, rows.find(L"     Bytes")) + end, 1, {1}},           // a summary cut short
        {head + rows + end, 1, {1}},                                               // no mark: whose is it?
        {L"Ostrevin job 14 \r\n" + head + rows + end, 1, {1}},
        {job1 + rows + end + L"Ostrevin job 3 \r\n" + job2.substr(17), 3, {2}},  // never started
        // A killed copy leaves its last line open; the next job's mark ends it.
        {job1 + L"\t    New File  \t  1.0 g\tbig.binOstrevin job 2 \r\n" + job2.substr(17), 2, {1}},
    };
    for (const auto& c : cases) {
        RunLog log;
        log.finish(c.log);
        EXPECT_EQ(log.unfinished(c.jobs), c.unfinished) << testing::PrintToString(c.log);
    }
    RunLog log;
    log.finish(job1 + rows + end);
    EXPECT_EQ(log.files(1), (FileCounts{2, 1, 0, 0, 0, 1}));
}

// The system's robocopy gives exit code 4, which the script counts as done, when
// something of the backup is in the way (a folder where the source has a file, or the
// other way round): the summary's Mismatch column tells, in any language.
TEST(RunLog, AJobWithAMismatchInItsSummaryIsNamed) {
    for (const char* language : {"en", "de", "fr"}) {
        SCOPED_TRACE(language);
        std::wstring text = test::fixture_log(language);
        RunLog plain;
        plain.finish(text);
        EXPECT_TRUE(plain.mismatched(3).empty());
        // Job 2's Files row: 812 skipped becomes 811 skipped and 1 mismatch.
        const size_t at = text.find(L"812         0       812         0");
        ASSERT_NE(at, std::wstring::npos);
        text.replace(at, 33, L"812         0       811         1");
        RunLog log;
        log.finish(text);
        EXPECT_EQ(log.mismatched(3), std::vector<int>{2});
    }
}

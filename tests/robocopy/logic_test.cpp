// The copier's rules that need no file system: its command line, path text, copy decision and exit code.
#include <gtest/gtest.h>

#include "options.h"

using namespace robocopy;

namespace {

ParseResult parse_line(const wchar_t* line) {
    const std::vector<std::wstring> args = split_command_line(line);
    return parse_arguments({args.begin() + 1, args.end()});
}

// The raw line as the system hands it over, split and parsed as the program does.
TEST(CopierLogic, CommandLines) {
    const std::pair<const wchar_t*, void (*)(Options&)> good[] = {
        {L"rc a b", [](Options&) {}},
        {L"rc.exe  a\t b  /s /PURGE /r:3 /W:0 /np /tee /fft /l /nfl /ndl",
         [](Options& o) {
             o.subdirs = SubDirs::NonEmpty, o.retries = 3, o.wait_seconds = 0;
             o.purge = o.no_progress = o.tee = o.fat_times = o.list_only = o.no_file_list = o.no_dir_list = true;
         }},
        {L"rc a b /S /E /R:4294967295 /LOG:x.log",
         [](Options& o) { o.subdirs = SubDirs::All, o.retries = 4294967295u, o.log = L"x.log"; }},
        // A backslash before a quote is no escape, and quotes group blanks anywhere in an argument.
        {L"rc \"C:\\\" \"E:\\B K\\\" \"/LOG+:C:\\l g.txt\"",
         [](Options& o) { o.source = L"C:\\", o.target = L"E:\\B K\\", o.log = L"C:\\l g.txt", o.log_append = true; }},
        {L"rc \"a \"b c\"\"", [](Options& o) { o.source = L"a b", o.target = L"c"; }}};
    for (const auto& [line, expect] : good) {
        Options expected;
        expected.source = L"a", expected.target = L"b";
        expect(expected);
        const ParseResult r = parse_line(line);
        EXPECT_TRUE(r.ok && r.options == expected) << testing::PrintToString(std::wstring(line));
    }
    // Each refused with the start of its message.
    const std::pair<const wchar_t*, const wchar_t*> bad[] = {
        {L"rc a b /MIR", L"Invalid parameter: /MIR"}, {L"rc a b /R:", L"Invalid retry count"},
        {L"rc a b /R:x", L"Invalid retry count"},     {L"rc a b /R:4294967296", L"Invalid retry count"},
        {L"rc a b /W:-1", L"Invalid wait time"},      {L"rc a b /LOG+:", L"No log file given"},
        {L"rc", L"No source folder given"},           {L"rc /S a", L"No target folder given"},
        {L"rc a b c", L"Unexpected parameter: c"},    {L"rc \"\" b", L"Empty folder name"}};
    for (const auto& [line, error] : bad) {
        const ParseResult r = parse_line(line);
        EXPECT_TRUE(!r.ok && r.error.rfind(error, 0) == 0) << testing::PrintToString(r.error);
    }
    EXPECT_TRUE(parse_line(L"rc a /? /MIR").help);
    EXPECT_TRUE(split_command_line(L" \t ").empty());
}

TEST(CopierLogic, FolderPathsAreTidied) {
    const struct {
        const wchar_t *given, *tidied;
    } cases[] = {{L"C:\\.", L"C:\\"},
                 {L"C:\\", L"C:\\"},
                 {L"E:\\BACKUP\\\\PHOTOS\\", L"E:\\BACKUP\\PHOTOS"},
                 {L"C:/a/./b/", L"C:\\a\\b"},
                 {L"\\\\SRV\\S\\", L"\\\\SRV\\S"},
                 {L"//SRV/S/./d", L"\\\\SRV\\S\\d"},
                 {L"\\a\\\\", L"\\a"},
                 {L"C:", L"C:"},
                 {L"C:rel\\", L"C:rel"},
                 {L"rel\\.\\", L"rel"},
                 {L".", L"."},
                 {L"", L"."}};
    for (const auto& [given, tidied] : cases)
        EXPECT_EQ(normalize_folder(given), tidied) << testing::PrintToString(given);
}

// Times are FILETIME ticks; FAT stores times in 2-second steps.
TEST(CopierLogic, AFileIsCopiedWhenItsSizeOrTimeDiffers) {
    constexpr std::uint64_t s = 10'000'000, t = 1'000'000 * s;
    const struct {
        FileStamp target;
        bool fat, copied;
    } cases[] = {{{100, t}, false, false},        {{100, t}, true, false},
                 {{101, t}, true, true},          {{100, t + 1}, false, true},
                 {{100, t - 1}, false, true},     {{100, t + 2 * s}, true, false},
                 {{100, t - 2 * s}, true, false}, {{100, t + 2 * s + 1}, true, true},
                 {{100, t - 3 * s}, true, true}};
    const FileStamp source{100, t};
    for (const auto& c : cases)
        EXPECT_EQ(needs_copy(source, &c.target, c.fat), c.copied) << c.target.size << " " << c.target.last_write - t;
    EXPECT_TRUE(needs_copy(source, nullptr));
}

// Files copied, extras, mismatches and failures each set their bit; a folder made, a
// skip or a byte count sets none.
TEST(CopierLogic, ExitCodeBitsComeFromTheCounts) {
    const struct {
        std::uint64_t Tally::*column;
        int bit;
    } columns[] = {{&Tally::copied, kExitCopied},
                   {&Tally::skipped, 0},
                   {&Tally::mismatch, kExitMismatch},
                   {&Tally::failed, kExitFailed},
                   {&Tally::extra, kExitExtras}};
    for (const auto& [column, bit] : columns) {
        Counts files, dirs, bytes, all;
        files.files.*column = dirs.dirs.*column = bytes.bytes.*column = 1;
        ((all += files) += dirs) += bytes;
        EXPECT_EQ(exit_code(files), bit);
        EXPECT_EQ(exit_code(dirs), column == &Tally::copied ? 0 : bit);
        EXPECT_EQ(exit_code(bytes), 0);
        EXPECT_EQ(exit_code(all), bit);
    }
}

}  // namespace

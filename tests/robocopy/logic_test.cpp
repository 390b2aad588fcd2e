// The copier's rules that need no file system: its command line, path text, copy decision and exit code.
// Its patterns are the program's own (core/patterns_test.cpp).
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
    const auto ab = [](Options o) { return o.source = L"a", o.target = L"b", o; };
    const std::pair<const wchar_t*, Options> good[] = {
        {L"rc.exe  a\t b  /s /PURGE /r:3 /W:0",
         ab({.subdirs = SubDirs::NonEmpty, .purge = true, .retries = 3, .wait_seconds = 0})},
        {L"rc a b /np /tee /fft", ab({.tee = true, .no_progress = true, .fat_times = true})},
        {L"rc a b /l /nfl /ndl", ab({.list_only = true, .no_file_list = true, .no_dir_list = true})},
        {L"rc a b /xc /XN /xo", ab({.exclude_changed = true, .exclude_newer = true, .exclude_older = true})},
        {L"rc a b /S /E /R:4294967295 /LOG:x", ab({.subdirs = SubDirs::All, .retries = 4294967295u, .log = L"x"})},
        // A backslash before a quote is no escape, and quotes group blanks anywhere in an argument.
        {L"rc \"C:\\\" \"E:\\B K\\\" \"/LOG+:C:\\l g.txt\"",
         {.source = L"C:\\", .target = L"E:\\B K\\", .log = L"C:\\l g.txt", .log_append = true}},
        {L"rc \"a \"b c\"\"", {.source = L"a b", .target = L"c"}},
        // Patterns run up to the next option, and a later /XF adds to the first.
        {L"rc a b /xf *.tmp \"C:\\s\\a b\" /V /XD cache /XF x /S",
         ab({.subdirs = SubDirs::NonEmpty,
             .verbose = true,
             .exclude_files = {L"*.tmp", L"C:\\s\\a b", L"x"},
             .exclude_dirs = {L"cache"}})}};
    for (const auto& [line, expected] : good) {
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
    // As given, tidied.
    // clang-format off
    const wchar_t* const cases[][2] = {
        {L"C:\\.", L"C:\\"},          {L"C:\\", L"C:\\"},           {L"E:\\B\\\\P\\", L"E:\\B\\P"},
        {L"C:/a/./b/", L"C:\\a\\b"},    {L"\\\\S\\h\\", L"\\\\S\\h"}, {L"//S/h/./d", L"\\\\S\\h\\d"},
        {L"\\a\\\\", L"\\a"},         {L"C:", L"C:"},             {L"C:r\\", L"C:r"},
        {L"r\\.\\", L"r"},             {L".", L"."},               {L"", L"."}};
    // clang-format on
    for (const auto& [given, tidied] : cases)
        EXPECT_EQ(normalize_folder(given), tidied) << testing::PrintToString(given);
}

// Times are FILETIME ticks; FAT stores times in 2-second steps.
TEST(CopierLogic, AFileIsCopiedWhenItsSizeOrTimeDiffers) {
    constexpr std::uint64_t s = 10'000'000, t = 1'000'000 * s;
    const struct {
        FileStamp target;
        bool fat, copied;
    } cases[] = {{{100, t}, false, false},          {{101, t}, true, true},          {{100, t + 1}, false, true},
                 {{100, t - 1}, false, true},       {{100, t + 2 * s}, true, false}, {{100, t - 2 * s}, true, false},
                 {{100, t + 2 * s + 1}, true, true}};
    const FileStamp source{100, t};
    for (const auto& c : cases)
        EXPECT_EQ(needs_copy(source, &c.target, c.fat), c.copied) << c.target.size << " " << c.target.last_write - t;
    EXPECT_TRUE(needs_copy(source, nullptr));
    // /XC /XN /XO each leave one kind of difference alone: a size only (also within /FFT's
    // 2 seconds), a newer source, an older one.
    const Options xc{.exclude_changed = true}, xn{.exclude_newer = true}, xo{.exclude_older = true};
    EXPECT_TRUE(change_excluded(xc, source, {101, t}) && !change_excluded(xn, source, {101, t}) &&
                !change_excluded(xo, source, {101, t}));
    EXPECT_TRUE(change_excluded(xn, source, {100, t - s}) && !change_excluded(xc, source, {100, t - s}));
    EXPECT_TRUE(change_excluded(xo, source, {100, t + s}) && !change_excluded(xn, source, {100, t + s}));
    EXPECT_TRUE(change_excluded({.fat_times = true, .exclude_changed = true}, source, {101, t - s}));
}

// Files copied, extras, mismatches and failures each set their bit; a folder made, a
// skip or a byte count sets none, and parts add up.
TEST(CopierLogic, ExitCodeBitsComeFromTheCounts) {
    std::uint64_t Tally::*const columns[] = {&Tally::copied, &Tally::skipped, &Tally::mismatch, &Tally::failed,
                                             &Tally::extra};
    const int bits[] = {kExitCopied, 0, kExitMismatch, kExitFailed, kExitExtras};
    for (std::size_t i = 0; i < std::size(bits); ++i) {
        Counts files, dirs, all;
        files.files.*columns[i] = dirs.dirs.*columns[i] = all.bytes.*columns[i] = 1;
        (all += files) += dirs;
        EXPECT_EQ(exit_code(files), bits[i]);
        EXPECT_EQ(exit_code(dirs), i == 0 ? 0 : bits[i]);
        EXPECT_EQ(exit_code(all), bits[i]);
    }
}

}  // namespace

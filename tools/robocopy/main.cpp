// robocopy.exe: our stand-in for Wine's robocopy stub, which copies nothing.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "console.h"
#include "copier.h"
#include "options.h"
#include "win/case_rules.h"

namespace {

using namespace robocopy;

// The installer recognises our build by this text, so it must stay a narrow
// literal that the program really prints.
constexpr char kBanner[] = "   Ostrevin copier :: robocopy-compatible folder copier\r\n";
constexpr char kRule[] = "-------------------------------------------------------------------------------\r\n";
constexpr char kUsage[] =
    "\r\n"
    "Usage :: ROBOCOPY source destination [/S | /E] [/PURGE] [/R:n] [/W:n]\r\n"
    "                  [/LOG:file | /LOG+:file] [/TEE] [/NP] [/FFT] [/L] [/NFL] [/NDL]\r\n"
    "                  [/V] [/XF file [file]...] [/XD dirs [dirs]...]\r\n"
    "\r\n"
    "        /S :: copy Subdirectories, but not empty ones.\r\n"
    "        /E :: copy subdirectories, including Empty ones.\r\n"
    "    /PURGE :: delete dest files/dirs that no longer exist in source.\r\n"
    "      /R:n :: number of Retries on failed copies (default 1000000).\r\n"
    "      /W:n :: Wait time between retries in seconds (default 30).\r\n"
    "  /LOG:file :: output status to LOG file (overwrite existing log).\r\n"
    " /LOG+:file :: output status to LOG file (append to existing log).\r\n"
    "      /TEE :: output to console window, as well as the log file.\r\n"
    "       /NP :: No Progress - don't display percentage copied.\r\n"
    "      /FFT :: assume FAT File Times (2-second granularity).\r\n"
    "        /L :: List only - don't copy, delete or create anything.\r\n"
    "      /NFL :: No File List - don't log file names.\r\n"
    "      /NDL :: No Directory List - don't log directory names.\r\n"
    "        /V :: produce Verbose output, showing skipped files.\r\n"
    "/XF file [file]... :: eXclude Files matching given names/paths/wildcards.\r\n"
    "/XD dirs [dirs]... :: eXclude Directories matching given names/paths.\r\n"
    "\r\n"
    "The log's \"Ended :\" line is written only when the copy ran to its end.\r\n";

std::wstring full_path(const std::wstring& path) {
    const std::wstring tidy = normalize_folder(path);
    wchar_t small[MAX_PATH];
    DWORD n = GetFullPathNameW(tidy.c_str(), MAX_PATH, small, nullptr);
    if (n == 0) return tidy;
    if (n < MAX_PATH) return normalize_folder(std::wstring(small, n));
    std::wstring big(n, L'\0');
    n = GetFullPathNameW(tidy.c_str(), n, big.data(), nullptr);
    if (n == 0 || n >= big.size()) return tidy;  // not "", which would tidy to the current folder
    big.resize(n);
    return normalize_folder(big);
}

std::wstring option_text(const Options& o) {
    std::wstring text;
    if (o.no_progress) text += L"/NP ";
    if (o.tee) text += L"/TEE ";
    if (o.fat_times) text += L"/FFT ";
    if (o.subdirs == SubDirs::NonEmpty) text += L"/S ";
    if (o.subdirs == SubDirs::All) text += L"/E ";
    if (o.purge) text += L"/PURGE ";
    if (o.list_only) text += L"/L ";
    if (o.no_file_list) text += L"/NFL ";
    if (o.no_dir_list) text += L"/NDL ";
    if (o.verbose) text += L"/V ";
    wchar_t counts[64];
    std::swprintf(counts, 64, L"/R:%u /W:%u", o.retries, o.wait_seconds);
    return text + counts;
}

std::wstring summary_row(const wchar_t* label, const Tally& t) {
    wchar_t line[160];
    // A blank before every column, so that large numbers never run together.
    std::swprintf(line, 160, L"%10ls : %9llu %9llu %9llu %9llu %9llu %9llu\r\n", label,
                  static_cast<unsigned long long>(t.total), static_cast<unsigned long long>(t.copied),
                  static_cast<unsigned long long>(t.skipped), static_cast<unsigned long long>(t.mismatch),
                  static_cast<unsigned long long>(t.failed), static_cast<unsigned long long>(t.extra));
    return line;
}

// Shown with a trailing backslash, as the real tool shows folders.
std::wstring folder_text(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path : path + L"\\";
}

// "Sunday, December 6, 2026 1:27:37 PM" in the user's format.
std::wstring now_text() {
    wchar_t date[128] = L"", time[64] = L"";
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, 128, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

// The options of the command line, with full paths, and the log opened; none after
// the usage text or an error was written.
std::optional<Options> options_of_command_line(Console& console) {
    // Our own split of the raw line: the C runtime's would read "C:\" "E:\" as one
    // argument, since it takes a backslash before a quote as an escape.
    std::vector<std::wstring> args = split_command_line(GetCommandLineW());
    if (!args.empty()) args.erase(args.begin());
    ParseResult parsed = parse_arguments(args);
    if (parsed.help) {
        console.writeAscii(kUsage);
        return std::nullopt;
    }
    if (!parsed.ok) {
        console.write(L"\r\nERROR : " + parsed.error + L"\r\n");
        console.writeAscii(kUsage);
        return std::nullopt;
    }
    Options options = parsed.options;
    options.source = full_path(options.source);
    options.target = full_path(options.target);
    // A path among the patterns is matched as a full path.
    for (auto* patterns : {&options.exclude_files, &options.exclude_dirs})
        for (std::wstring& p : *patterns)
            if (p.find_first_of(L"\\/") != std::wstring::npos) p = full_path(p);
    // The banner is still unwritten, so it goes to the log.
    if (!options.log.empty()) {
        const std::wstring log = full_path(options.log);
        const DWORD error = console.openLog(log, options.log_append, options.tee);
        if (error != ERROR_SUCCESS) {
            console.write(error_text(error, L"Opening Log File", log));
            return std::nullopt;
        }
    }
    return options;
}

void write_header(Console& console, const Options& options) {
    console.write(L"\r\n  Started : " + now_text() + L"\r\n   Source : " + folder_text(options.source) +
                  L"\r\n     Dest : " + folder_text(options.target) + L"\r\n\r\n  Options : " + option_text(options) +
                  L"\r\n");
    // As the real tool shows them, one line each.
    for (const auto& [label, patterns] :
         {std::pair{L" Exc Files : ", &options.exclude_files}, std::pair{L"  Exc Dirs : ", &options.exclude_dirs}})
        for (std::size_t i = 0; i < patterns->size(); ++i)
            console.write((i == 0 ? std::wstring(label) : std::wstring(12, L' ')) + (*patterns)[i] + L"\r\n");
    console.write(L"\r\n");
    console.writeAscii(kRule);
    console.flush();
}

void write_summary(Console& console, const Counts& c, int code, bool stopped) {
    console.write(L"\r\n");
    console.writeAscii(kRule);
    console.write(L"\r\n               Total    Copied   Skipped  Mismatch    FAILED    Extras\r\n");
    console.write(summary_row(L"Dirs", c.dirs));
    console.write(summary_row(L"Files", c.files));
    console.write(summary_row(L"Bytes", c.bytes));
    wchar_t line[64];
    std::swprintf(line, 64, L"\r\n   Exit code : %d\r\n", code);
    console.write(line);
    // The proof of a normal end: a killed, crashed or stopped copy never writes it.
    if (stopped) console.write(L"\r\nERROR : the copy stopped before its end.\r\n");
    else console.write(L"   Ended : " + now_text() + L"\r\n");
    console.flush();
}

}  // namespace

int wmain(int, wchar_t**) {
    win::install_case_rules();  // "*.Ñ" leaves out "a.ñ", as the program's own walk does
    Console console;
    console.writeAscii(kRule);
    console.writeAscii(kBanner);
    console.writeAscii(kRule);
    const std::optional<Options> options = options_of_command_line(console);
    if (!options) return kExitFatal;
    write_header(console, *options);

    Copier copier(*options, console);
    const int code = copier.run();
    if ((code & kExitFatal) && !copier.stopped()) {
        console.write(L"\r\nERROR : the copy could not start; nothing was copied.\r\n");
        return code;
    }
    write_summary(console, copier.counts(), code, copier.stopped());
    // A log that could not be written proves nothing: say so where it can be seen.
    if (const unsigned long error = console.logError()) {
        console.tell(L"\r\n" + error_text(error, L"Writing Log File", options->log));
        return code | kExitFatal;
    }
    return code;
}

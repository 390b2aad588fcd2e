#include "options.h"

#include "core/patterns.h"
#include "core/versions.h"

#include <cwctype>
#include <utility>

namespace robocopy {

namespace {

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring upper(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    return text;
}

// "/R:12" with prefix "/R:" -> 12; false on no digits, junk or overflow.
bool read_count(const std::wstring& arg, std::size_t prefix, unsigned& out) {
    if (arg.size() <= prefix) return false;
    unsigned long long value = 0;
    for (std::size_t i = prefix; i < arg.size(); ++i) {
        const wchar_t c = arg[i];
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (value > 0xFFFFFFFFull) return false;
    }
    out = static_cast<unsigned>(value);
    return true;
}

// The options that only switch something on.
bool* flag(Options& o, const std::wstring& opt) {
    static constexpr std::pair<const wchar_t*, bool Options::*> kFlags[] = {
        {L"/PURGE", &Options::purge},     {L"/NP", &Options::no_progress},   {L"/FFT", &Options::fat_times},
        {L"/TEE", &Options::tee},         {L"/L", &Options::list_only},      {L"/NFL", &Options::no_file_list},
        {L"/NDL", &Options::no_dir_list}, {L"/V", &Options::verbose},      {L"/XC", &Options::exclude_changed},
        {L"/XN", &Options::exclude_newer},  {L"/XO", &Options::exclude_older}};
    for (const auto& [name, member] : kFlags)
        if (opt == name) return &(o.*member);
    return nullptr;
}

}  // namespace

std::vector<std::wstring> split_command_line(const std::wstring& line) {
    std::vector<std::wstring> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && is_blank(line[i])) ++i;
        if (i >= n) break;
        std::wstring arg;
        bool quoted = false;
        for (; i < n; ++i) {
            const wchar_t c = line[i];
            if (c == L'"') {
                quoted = !quoted;
            } else if (!quoted && is_blank(c)) {
                break;
            } else {
                arg.push_back(c);
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

ParseResult parse_arguments(const std::vector<std::wstring>& args) {
    ParseResult result;
    std::vector<std::wstring> paths;
    bool subdirs = false, empty_too = false;
    // After /XF or /XD, every argument up to the next option is one of its patterns.
    std::vector<std::wstring>* patterns = nullptr;
    for (const auto& arg : args) {
        if (!arg.empty() && arg[0] == L'/') {
            const std::wstring opt = upper(arg);
            patterns = nullptr;
            if (bool* on = flag(result.options, opt)) {
                *on = true;
            } else if (opt == L"/XF") {
                patterns = &result.options.exclude_files;
            } else if (opt == L"/XD") {
                patterns = &result.options.exclude_dirs;
            } else if (opt == L"/S") {
                subdirs = true;
            } else if (opt == L"/E") {
                empty_too = true;
            } else if (opt == L"/?") {
                result.help = true;
                return result;
            } else if (opt.rfind(L"/LOG:", 0) == 0 || opt.rfind(L"/LOG+:", 0) == 0) {
                result.options.log_append = opt[4] == L'+';
                result.options.log = arg.substr(result.options.log_append ? 6 : 5);
                if (result.options.log.empty()) {
                    result.error = L"No log file given: " + arg;
                    return result;
                }
            } else if (opt.rfind(L"/R:", 0) == 0) {
                if (!read_count(opt, 3, result.options.retries)) {
                    result.error = L"Invalid retry count: " + arg;
                    return result;
                }
            } else if (opt.rfind(L"/W:", 0) == 0) {
                if (!read_count(opt, 3, result.options.wait_seconds)) {
                    result.error = L"Invalid wait time: " + arg;
                    return result;
                }
            } else {
                result.error = L"Invalid parameter: " + arg;
                return result;
            }
        } else if (patterns != nullptr) {
            if (!arg.empty()) patterns->push_back(arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2) {
        result.error = paths.empty() ? L"No source folder given." : L"No target folder given.";
        return result;
    }
    if (paths.size() > 2) {
        result.error = L"Unexpected parameter: " + paths[2];
        return result;
    }
    if (paths[0].empty() || paths[1].empty()) {
        result.error = L"Empty folder name.";
        return result;
    }
    result.options.source = paths[0];
    result.options.target = paths[1];
    result.options.subdirs = empty_too ? SubDirs::All : subdirs ? SubDirs::NonEmpty : SubDirs::None;
    result.ok = true;
    return result;
}

std::wstring normalize_folder(const std::wstring& path) {
    std::wstring in = path;
    for (auto& c : in)
        if (c == L'/') c = L'\\';

    // Keep a UNC "\\" or a rooted "\" prefix as is; split the rest on backslashes.
    std::wstring prefix;
    std::size_t i = 0;
    if (in.size() >= 2 && in[0] == L'\\' && in[1] == L'\\') {
        prefix = L"\\\\";
        i = 2;
    } else if (!in.empty() && in[0] == L'\\') {
        prefix = L"\\";
        i = 1;
    } else if (in.size() >= 2 && in[1] == L':') {
        prefix = in.substr(0, 2);
        i = 2;
        if (i < in.size() && in[i] == L'\\') {
            prefix += L'\\';
            ++i;
        }
    }

    std::vector<std::wstring> parts;
    while (i < in.size()) {
        const std::size_t end = in.find(L'\\', i);
        const std::wstring part = in.substr(i, end == std::wstring::npos ? std::wstring::npos : end - i);
        if (!part.empty() && part != L".") parts.push_back(part);
        if (end == std::wstring::npos) break;
        i = end + 1;
    }

    std::wstring out = prefix;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (k > 0) out += L'\\';
        out += parts[k];
    }
    // "C:" alone means the current folder of drive C, "." the current folder.
    if (out.empty()) out = L".";
    return out;
}

bool needs_copy(const FileStamp& source, const FileStamp* target, bool fat_times) {
    return target == nullptr ||
           core::file_differs({source.size, source.last_write}, {target->size, target->last_write}, fat_times);
}

bool change_excluded(const Options& o, const FileStamp& source, const FileStamp& target) {
    // Times as /FFT compares them: within 2 seconds the same, and then only the size changed.
    const std::uint64_t step = o.fat_times ? 2 * 10'000'000ull : 0;
    if (source.last_write > target.last_write + step) return o.exclude_newer;
    if (source.last_write + step < target.last_write) return o.exclude_older;
    return o.exclude_changed;
}

bool wildcard_match(std::wstring_view pattern, std::wstring_view text) { return core::wildcard_match(pattern, text); }

bool excluded(const std::vector<std::wstring>& patterns, std::wstring_view name, std::wstring_view path) {
    return core::excluded(patterns, name, path);
}

namespace {

void add(Tally& into, const Tally& part) {
    into.total += part.total;
    into.copied += part.copied;
    into.skipped += part.skipped;
    into.mismatch += part.mismatch;
    into.failed += part.failed;
    into.extra += part.extra;
}

}  // namespace

Counts& operator+=(Counts& into, const Counts& part) {
    add(into.dirs, part.dirs);
    add(into.files, part.files);
    add(into.bytes, part.bytes);
    return into;
}

int exit_code(const Counts& counts) {
    int code = 0;
    if (counts.files.copied > 0) code |= kExitCopied;
    if (counts.files.extra > 0 || counts.dirs.extra > 0) code |= kExitExtras;
    if (counts.files.mismatch > 0 || counts.dirs.mismatch > 0) code |= kExitMismatch;
    if (counts.files.failed > 0 || counts.dirs.failed > 0) code |= kExitFailed;
    return code;
}

}  // namespace robocopy

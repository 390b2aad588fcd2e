#include "core/damage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <unordered_set>

namespace core {
namespace {

using namespace std::string_view_literals;

// Signatures at least 4 bytes long (or a distinct 3), so that text seldom starts with one.
constexpr Signature kSignatures[] = {
    {"zip", "PK\3\4"sv, 0, true},  // docx, xlsx, pptx, odt, ods, epub, jar and zip itself
    {"zip", "PK\5\6"sv, 0, true},  // an empty zip
    {"pdf", "%PDF-"sv, 0, false},
    {"png", "\x89PNG\r\n\x1a\n"sv, 0, true},
    {"jpeg", "\xFF\xD8\xFF"sv, 0, true},
    {"gif", "GIF8"sv, 0, true},
    {"rtf", "{\\rtf"sv, 0, false},
    {"sqlite", "SQLite format 3\0"sv, 0, false},
    {"7z", "7z\xBC\xAF\x27\x1C"sv, 0, true},
    {"rar", "Rar!\x1A\x07"sv, 0, true},
    {"gzip", "\x1F\x8B\x08"sv, 0, true},
    {"mp3", "ID3"sv, 0, true},
    {"ogg", "OggS"sv, 0, true},
    {"flac", "fLaC"sv, 0, true},
    {"riff", "RIFF"sv, 0, true},  // wav, avi, webp
    {"mp4", "ftyp"sv, 4, true},   // mp4, mov, m4a, heic
    {"matroska", "\x1A\x45\xDF\xA3"sv, 0, true},
    {"ole", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv, 0, false},  // doc, xls, ppt, msg
    {"tiff", "II*\0"sv, 0, false},
    {"tiff", "MM\0*"sv, 0, false},
};

// Formats high in entropy by nature, and the plain ones a user renames files to:
// neither kind of extension is a sign of damage.
constexpr std::wstring_view kRandomExtensions[] = {
    L"zip", L"docx", L"xlsx", L"pptx", L"odt", L"ods", L"odp",  L"epub", L"jar",  L"7z",   L"rar",  L"gz",  L"tgz",
    L"bz2", L"xz",   L"zst",  L"cab",  L"png", L"jpg", L"jpeg", L"gif",  L"webp", L"heic", L"avif", L"mp3", L"m4a",
    L"aac", L"ogg",  L"opus", L"flac", L"mp4", L"m4v", L"mov",  L"mkv",  L"webm", L"avi",  L"wmv",  L"wma", L"pdf"};
constexpr std::wstring_view kPlainExtensions[] = {
    L"txt", L"md",  L"csv", L"tsv", L"json", L"xml", L"html", L"htm", L"log", L"ini", L"cfg", L"doc", L"xls",
    L"ppt", L"rtf", L"odg", L"svg", L"bmp",  L"tif", L"tiff", L"wav", L"bak", L"old", L"tmp", L"db",  L"sqlite"};

constexpr double kTextBits = 6.0;     // text, code, markup, UTF-16: below; base64 about at it
constexpr double kRandomBits = 7.5;   // 512 random bytes: about 7.64; 4 KB: 7.95
constexpr std::size_t kJudged = 512;  // fewer bytes tell too little of their distribution

std::wstring lower(std::wstring_view s) {
    std::wstring l(s);
    for (wchar_t& c : l)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return l;
}

// The extension of a path's last name, lower case; empty for none.
std::wstring extension(std::wstring_view path) {
    const std::size_t dot = path.rfind(L'.'), slash = path.rfind(L'\\');
    if (dot == std::wstring_view::npos || (slash != std::wstring_view::npos && dot < slash) || dot + 1 == path.size())
        return {};
    return lower(path.substr(dot + 1));
}

bool listed(const std::wstring& ext, const auto& list) {
    return std::find(std::begin(list), std::end(list), ext) != std::end(list);
}

}  // namespace

const Signature* signature_of(std::string_view head) {
    for (const Signature& s : kSignatures)
        if (head.size() >= s.offset + s.magic.size() && head.substr(s.offset, s.magic.size()) == s.magic) return &s;
    return nullptr;
}

double entropy_bits(std::string_view bytes) {
    if (bytes.empty()) return 0;
    std::array<std::size_t, 256> seen{};
    for (char c : bytes) ++seen[static_cast<unsigned char>(c)];
    double bits = 0;
    const double n = static_cast<double>(bytes.size());
    for (std::size_t k : seen)
        if (k) bits -= static_cast<double>(k) / n * std::log2(static_cast<double>(k) / n);
    return bits;
}

bool random_by_nature(std::wstring_view name) { return listed(extension(name), kRandomExtensions); }

bool looks_damaged(std::wstring_view name, std::string_view backup_head, std::string_view new_head) {
    const Signature* was = signature_of(backup_head);
    const Signature* now = signature_of(new_head);
    // Saved as another known format is a user's choice, not damage.
    if (was) return !now;
    if (now || random_by_nature(name) || backup_head.size() < kJudged || new_head.size() < kJudged) return false;
    return entropy_bits(backup_head) < kTextBits && entropy_bits(new_head) >= kRandomBits;
}

Renamed renamed_to_one_extension(const std::vector<std::wstring>& gone, const std::vector<std::wstring>& added) {
    std::unordered_set<std::wstring> names, stems, old_extensions;
    for (const std::wstring& g : gone) {
        const std::wstring l = lower(g), ext = extension(l);
        names.insert(l);
        stems.insert(ext.empty() ? l : l.substr(0, l.size() - ext.size() - 1));
        old_extensions.insert(ext);
    }
    std::map<std::wstring, std::vector<std::wstring>> by_extension;
    for (const std::wstring& a : added) {
        const std::wstring l = lower(a), ext = extension(l);
        if (ext.empty() || old_extensions.contains(ext) || listed(ext, kRandomExtensions) ||
            listed(ext, kPlainExtensions))
            continue;
        const std::wstring stem = l.substr(0, l.size() - ext.size() - 1);
        if (names.contains(stem) || stems.contains(stem)) by_extension[ext].push_back(a);
    }
    Renamed most;
    for (auto& [ext, list] : by_extension)
        if (list.size() > most.names.size()) most = {ext, std::move(list)};
    return most;
}

bool damage_holds(std::size_t damaged, std::size_t looked_at) {
    return damaged >= kHoldFiles && damaged * 10 >= looked_at;
}

std::vector<std::size_t> sample_indices(std::size_t count, std::size_t at_least) {
    std::vector<std::size_t> picked;
    const std::size_t n = std::min(count, at_least);
    for (std::size_t i = 0; i < n; ++i) picked.push_back(count <= at_least ? i : i * count / n + count / n / 2);
    return picked;
}

}  // namespace core

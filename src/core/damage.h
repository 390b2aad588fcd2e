#pragma once
// Before a copy replaces the backup's files: whether the source's new copies look like
// noise (ransomware, a failing disk, a broken program) rather than edits. Only the first
// bytes of each file are read, which is enough to tell a format's signature and text
// from random bytes, so the check stays cheap.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// How much of each file the check reads: 4 KB of text and of random bytes lie far apart
// in entropy (about 5 bits per byte against 7.95).
inline constexpr std::size_t kHeadBytes = 4096;

// A format known by the bytes it starts with.
struct Signature {
    std::string_view name;
    std::string_view magic;
    std::size_t offset;  // where the magic stands (an MP4's "ftyp" after its box size)
    bool random;         // compressed or media: high in entropy by nature
};
// The format whose signature starts `head`; nullptr for none.
const Signature* signature_of(std::string_view head);

// Bits per byte of the bytes' distribution: 0 for one byte repeated, 8 for all alike often.
double entropy_bits(std::string_view bytes);

// A name whose extension is of a format high in entropy by nature (archives, media,
// office documents): its entropy alone tells nothing.
bool random_by_nature(std::wstring_view name);

// Whether the source's new copy of the file `name` looks damaged beside the backup's
// copy, by their heads: a signature the backup's copy has and the new one lost, or a
// backup copy that is text while the new one looks random and has no signature.
bool looks_damaged(std::wstring_view name, std::string_view backup_head, std::string_view new_head);

// Many files renamed to one new extension: the source's new names (`added`) that are a
// name the backup holds but the source lost (`gone`), or its stem, with one more
// extension, unknown to the check and held by none of the lost names. The largest such
// group, by that extension; empty when there is none.
struct Renamed {
    std::wstring extension;           // lower case, without the dot
    std::vector<std::wstring> names;  // the new names
};
Renamed renamed_to_one_extension(const std::vector<std::wstring>& gone, const std::vector<std::wstring>& added);

// A job is held when at least 5 of the files looked at, and at least 10% of them, look
// damaged: one file that changed its format is no alarm, nor a few among many edits.
inline constexpr std::size_t kHoldFiles = 5;
bool damage_holds(std::size_t damaged, std::size_t looked_at);

// Which of `count` files to look at: all of them up to `at_least`, else `at_least`
// spread evenly, the same ones for the same count.
inline constexpr std::size_t kSampleFiles = 256;
std::vector<std::size_t> sample_indices(std::size_t count, std::size_t at_least = kSampleFiles);

}  // namespace core

#pragma once
// How the copier takes a folder's names. The walk before the copy (what goes aside)
// takes them alike, so that what the copy leaves the walk never moves, and what it
// replaces or removes the walk never misses.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace win {

// File names compare as the file system does: ordinal, ignoring case.
int compare_names(const std::wstring& a, const std::wstring& b);
// Sorted as the file system compares, exact spelling breaking ties.
bool name_less(const std::wstring& a, const std::wstring& b);

// The name a file system that ignores case and trailing dots and blanks would store:
// two source names with one key would land on one target file.
std::wstring twin_key(const std::wstring& name);
// Which of a folder's source names have a twin: neither is copied, and the target's
// names of their keys (`keys`, sorted) are not purged.
std::vector<bool> find_twins(const std::vector<std::wstring>& names, std::vector<std::wstring>& keys);
bool has_twin_key(const std::vector<std::wstring>& keys, const std::wstring& name);

// A name no copy can bear: one the platform could not read as text (listed with U+FFFD,
// a copy would bear that), or with a character Windows forbids (a Linux name may hold one).
bool unnamable(std::wstring_view name);

// Pairs two listings sorted by name_less, by `name` of each: {i, j} for a name both hold,
// {i, npos} for one only the source holds, {npos, j} for one only the target holds. A
// target that tells case apart (Wine) may hold several spellings of one name: the exact
// one pairs, else the first; the others are extras.
inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);
template <class From, class To, class Name>
std::vector<std::pair<std::size_t, std::size_t>> pair_up(const std::vector<From>& from, const std::vector<To>& to,
                                                         Name name) {
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    pairs.reserve(from.size() + to.size());
    for (std::size_t i = 0, j = 0; i < from.size() || j < to.size();) {
        const int c = i >= from.size() ? 1 : j >= to.size() ? -1 : compare_names(name(from[i]), name(to[j]));
        if (c < 0) {
            pairs.emplace_back(i++, kNone);
        } else if (c > 0) {
            pairs.emplace_back(kNone, j++);
        } else {
            std::size_t end = j + 1, match = j;
            while (end < to.size() && compare_names(name(to[end]), name(from[i])) == 0) ++end;
            for (std::size_t k = j; k < end; ++k)
                if (name(to[k]) == name(from[i])) match = k;
            for (std::size_t k = j; k < end; ++k) pairs.emplace_back(k == match ? i : kNone, k);
            ++i;
            j = end;
        }
    }
    return pairs;
}

}  // namespace win

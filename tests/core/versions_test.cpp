#include "core/versions.h"

#include <gtest/gtest.h>

using namespace core;

// Which backup entries go aside before the copy, with and without Remove.
TEST(Versions, MovesAsideWhatTheCopyWouldReplaceOrRemove) {
    using K = Held::Kind;
    constexpr std::uint64_t kSecond = 10'000'000;
    const Held file{K::File, {100, 50 * kSecond}}, folder{K::Folder, {}}, link{K::Link, {}};
    const Held resized{K::File, {101, 50 * kSecond}}, second_on{K::File, {100, 51 * kSecond}},
        three_on{K::File, {100, 53 * kSecond}};
    const struct {
        const Held* source;
        Held backup;
        bool fat;
        Aside without_remove, with_remove;
    } cases[] = {
        {&file, file, false, Aside::Leave, Aside::Leave},      // same
        {&resized, file, false, Aside::Move, Aside::Move},     // changed size
        {&second_on, file, false, Aside::Move, Aside::Move},   // changed time
        {&second_on, file, true, Aside::Leave, Aside::Leave},  // FAT: within 2 s
        {&three_on, file, true, Aside::Move, Aside::Move},     // FAT: beyond 2 s
        {nullptr, file, false, Aside::Leave, Aside::Move},     // extra file
        {nullptr, folder, false, Aside::Leave, Aside::Move},   // extra folder, whole
        {&folder, folder, false, Aside::Walk, Aside::Walk},    // both folders: look inside
        {&file, folder, false, Aside::Leave, Aside::Move},     // a folder where the source has a file
        {&folder, file, false, Aside::Leave, Aside::Move},     // and the other way round
        {&folder, link, false, Aside::Leave, Aside::Leave},    // a link in the backup is never entered nor moved
        {nullptr, link, false, Aside::Leave, Aside::Leave},    // not even an extra one
        {&link, folder, false, Aside::Leave, Aside::Leave},    // a link in the source is not walked
    };
    for (const auto& c : cases) {
        EXPECT_EQ(aside(c.source, c.backup, false, c.fat), c.without_remove) << "case " << &c - cases;
        EXPECT_EQ(aside(c.source, c.backup, true, c.fat), c.with_remove) << "case " << &c - cases;
    }
}

constexpr std::uint64_t kDay = 864'000'000'000ull;  // FILETIME ticks

// A dated folder is old by its name, against the run's, and by its times in the file
// system: a clock set wrong for a run never has a dated folder pruned by its name alone.
TEST(Versions, DatedFoldersByNameAndAge) {
    const std::wstring run = dated_folder_name(L"2026-12-07 21:00:05");
    EXPECT_EQ(run, L"2026-12-07 21-00-05");
    EXPECT_EQ(dated_folder_after(L"2024-02-28 23-59-59"), L"2024-02-29 00-00-00");
    EXPECT_EQ(dated_folder_after(L"2026-12-31 23-59-59"), L"2027-01-01 00-00-00");
    const std::uint64_t now = 1000 * kDay;
    const struct {
        const wchar_t* name;
        bool ours, expired;
        long long made_days_ago = 40;
        const wchar_t* run_name = L"2026-12-07 21-00-05";
    } cases[] = {
        {L"2026-10-28 09-00-00", true, true},    // 40 days
        {L"2026-11-27 09-00-00", true, false},   // 10 days
        {L"2026-11-07 21-00-04", true, true},    // 30 days and a second
        {L"2026-11-07 21-00-05", true, false},   // 30 days to the second
        {L"2024-02-29 00-00-00", true, true},    // a leap day
        {L"2026-13-01 00-00-00", false, false},  // no such month
        {L"2026-10-28 09-00-00 copy", false, false},
        {L"2026-10-28 09:00:00", false, false},
        {L"Photos", false, false},
        {L"2000-01-01 00-00-05", true, false, 2},                           // filed while the clock was reset
        {L"2026-11-27 09-00-00", true, false, 10, L"2031-01-01 00-00-00"},  // a run with the clock ahead
        {L"2026-10-28 09-00-00", true, false, -1},                          // made "later" than now
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dated_folder_time(c.name).has_value(), c.ours) << "case " << &c - cases;
        const std::uint64_t made = now - static_cast<std::uint64_t>(c.made_days_ago) * kDay;
        EXPECT_EQ(dated_folder_expired(c.name, c.run_name, made, now), c.expired) << "case " << &c - cases;
    }
    // Replacing most of a backup of 10 files or more is asked about.
    EXPECT_TRUE(overwrite_needs_question(6, 10) && !overwrite_needs_question(5, 10) && !overwrite_needs_question(9, 9));
}

// Room is made for what the run needs only, oldest first; none goes when it cannot fit anyway.
TEST(Versions, RoomIsMadeOnlyForWhatTheRunNeeds) {
    const std::vector<std::uint64_t> sizes{30, 50, 100};  // oldest first
    const struct {
        std::uint64_t free, need;
        std::optional<std::size_t> remove;
    } cases[] = {
        {100, 100, 0},           // fits: a drive 99% full loses nothing
        {90, 100, 1},            // the oldest is enough
        {30, 100, 2},            // two
        {0, 180, 3},             // all
        {0, 181, std::nullopt},  // cannot fit: none goes
        {0, 0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(folders_to_free(c.free, c.need, sizes), c.remove) << "case " << &c - cases;
    EXPECT_EQ(folders_to_free(5, 6, {}), std::nullopt);
    const struct {
        std::uint64_t bytes;
        const wchar_t* text;
    } sizes_told[] = {{1, L"1 byte"},
                      {1023, L"1023 bytes"},
                      {1536, L"1.5 KB"},
                      {120ull << 20, L"120 MB"},
                      {(3ull << 30) / 2, L"1.5 GB"},
                      {5ull << 40, L"5 TB"}};
    for (const auto& s : sizes_told) EXPECT_EQ(size_text(s.bytes), s.text);
}

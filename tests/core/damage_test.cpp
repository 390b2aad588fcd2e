#include "core/damage.h"

#include <gtest/gtest.h>

#include <random>

using namespace core;
using namespace std::string_literals;

namespace {

std::mt19937 rng(7);
std::string noise(std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}
std::string words(std::size_t n) {
    static const char* const kWords[] = {"the ", "report ", "of March ", "1,204 ", "\r\n", "<p>", "Ölfaß "};
    std::string s;
    while (s.size() < n) s += kWords[rng() % std::size(kWords)];
    return s.substr(0, n);
}

}  // namespace

TEST(Damage, KnowsFormatsByTheirFirstBytes) {
    const std::pair<std::string, std::string_view> cases[] = {{"PK\3\4\x14\0"s, "zip"},
                                                              {"%PDF-1.7", "pdf"},
                                                              {"\x89PNG\r\n\x1a\n", "png"},
                                                              {"\xFF\xD8\xFF\xE0", "jpeg"},
                                                              {"GIF89a", "gif"},
                                                              {"{\\rtf1", "rtf"},
                                                              {"SQLite format 3\0"s, "sqlite"},
                                                              {"ID3\4", "mp3"},
                                                              {"\0\0\0\x18"
                                                               "ftypisom"s,
                                                               "mp4"},
                                                              {"PK", "-"},
                                                              {"hello", "-"}};
    for (const auto& [head, name] : cases) EXPECT_EQ(signature_of(head) ? signature_of(head)->name : "-", name) << head;
}

TEST(Damage, TellsTextFromRandomBytesByEntropy) {
    EXPECT_EQ(entropy_bits(std::string(4096, 'a')), 0.0);
    EXPECT_DOUBLE_EQ(entropy_bits("abababab"), 1.0);
    EXPECT_LT(entropy_bits(words(kHeadBytes)), 5.5);
    EXPECT_GT(entropy_bits(noise(kHeadBytes)), 7.9);
    EXPECT_TRUE(random_by_nature(L"Photos\\IMG_0001.JPG") && !random_by_nature(L"notes.txt"));
}

TEST(Damage, ANewCopyThatLostItsFormatOrTurnedToNoiseLooksDamaged) {
    const std::string zip = "PK\3\4"s + noise(4000), text = words(kHeadBytes), rnd = noise(kHeadBytes);
    const struct {
        const wchar_t* name;
        std::string backup, now;
        bool damaged;
    } cases[] = {
        {L"a.docx", zip, "PK\3\4"s + noise(3000), false},  // an edit
        {L"a.docx", zip, rnd, true},                       // the signature lost
        {L"a.docx", zip, "", true},                        // emptied
        {L"a.pdf", "%PDF-1.5\n" + text, words(4000), true},
        {L"a.txt", text, words(kHeadBytes), false},
        {L"a.txt", text, rnd, true},                               // text turned to noise
        {L"a.txt", words(100), noise(100), false},                 // too little to judge by
        {L"a.txt", text, "\x1f\x8b\x08\0"s + noise(4000), false},  // saved as another known format
        {L"a.dat", noise(4000), rnd, false},                       // random before too
        {L"a.jpg", text, rnd, false},                              // media: entropy alone tells nothing
    };
    for (const auto& c : cases) EXPECT_EQ(looks_damaged(c.name, c.backup, c.now), c.damaged) << "case " << &c - cases;
}

TEST(Damage, FindsManyFilesRenamedToOneUnknownExtension) {
    const std::vector<std::wstring> gone = {L"a.docx", L"B.XLSX", L"sub\\c.pdf", L"d.txt", L"e.jpg", L"f.png"};
    const Renamed r = renamed_to_one_extension(gone, {L"a.docx.locked", L"B.XLSX.LOCKED", L"sub\\c.pdf.locked",
                                                      L"d.locked", L"e.jpg.crypt", L"g.locked", L"f.jpg"});
    EXPECT_EQ(r.extension, L"locked");
    EXPECT_EQ(r.names,
              (std::vector<std::wstring>{L"a.docx.locked", L"B.XLSX.LOCKED", L"sub\\c.pdf.locked", L"d.locked"}));
    EXPECT_TRUE(renamed_to_one_extension(gone, {L"a.doc", L"d.md", L"e.jpeg", L"f.webp"}).names.empty());
}

TEST(Damage, HoldsAtFiveFilesAndATenthOfThoseLookedAt) {
    const std::size_t cases[][3] = {{4, 4, 0}, {5, 50, 1}, {5, 51, 0}, {26, 256, 1}, {25, 256, 0}, {0, 0, 0}};
    for (const auto& c : cases) EXPECT_EQ(damage_holds(c[0], c[1]), c[2] == 1) << c[0] << " of " << c[1];
    EXPECT_EQ(sample_indices(7), (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    const std::vector<std::size_t> s = sample_indices(20000);
    ASSERT_EQ(s.size(), kSampleFiles);
    EXPECT_TRUE(std::adjacent_find(s.begin(), s.end(), std::greater_equal<>()) == s.end() && s.back() > 19000);
}

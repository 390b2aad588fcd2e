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
    static const char* const kWords[] = {
        "the ",   "backup ", "report ", "of ", "March ", "1,204 ",      "and ",  "\r\n",
        "sales ", "Total: ", "draft ",  "<p>", "</p>",   "name=\"x\" ", "Ölfaß "};
    std::string s;
    while (s.size() < n) s += kWords[rng() % std::size(kWords)];
    return s.substr(0, n);
}

}  // namespace

TEST(Damage, KnowsFormatsByTheirFirstBytes) {
    const std::pair<std::string, const char*> cases[] = {
        {"PK\3\4\x14\0\6\0"s, "zip"},
        {"%PDF-1.7\n", "pdf"},
        {"\x89PNG\r\n\x1a\n\0\0", "png"},
        {"\xFF\xD8\xFF\xE0", "jpeg"},
        {"GIF89a\x10\0", "gif"},
        {"{\\rtf1\\ansi", "rtf"},
        {"SQLite format 3\0"s, "sqlite"},
        {"7z\xBC\xAF\x27\x1C\0\4", "7z"},
        {"ID3\4\0", "mp3"},
        {"\0\0\0\x18"
         "ftypisom"s,
         "mp4"},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s, "ole"},
        {"PK", nullptr},
        {"hello", nullptr},
        {"", nullptr},
    };
    for (const auto& [head, name] : cases) {
        const Signature* s = signature_of(head);
        EXPECT_EQ(s ? std::string(s->name) : "-", name ? name : "-") << head;
    }
}

TEST(Damage, TellsTextFromRandomBytesByEntropy) {
    EXPECT_EQ(entropy_bits(std::string(4096, 'a')), 0.0);
    EXPECT_DOUBLE_EQ(entropy_bits("abababab"), 1.0);
    EXPECT_LT(entropy_bits(words(kHeadBytes)), 5.5);
    EXPECT_GT(entropy_bits(noise(kHeadBytes)), 7.9);
    EXPECT_TRUE(random_by_nature(L"Photos\\IMG_0001.JPG"));
    EXPECT_FALSE(random_by_nature(L"notes.txt"));
}

TEST(Damage, ANewCopyThatLostItsFormatOrTurnedToNoiseLooksDamaged) {
    const std::string zip = "PK\3\4"s + noise(4000), pdf = "%PDF-1.5\n" + words(3000) + noise(1000);
    const std::string text = words(kHeadBytes), rnd = noise(kHeadBytes);
    const struct {
        const wchar_t* name;
        std::string backup, now;
        bool damaged;
    } cases[] = {
        {L"a.docx", zip, "PK\3\4"s + noise(3000), false},  // an edit
        {L"a.docx", zip, rnd, true},                       // the signature lost
        {L"a.docx", zip, "", true},                        // emptied
        {L"a.pdf", pdf, "%PDF-1.5\n" + words(4000), false},
        {L"a.pdf", pdf, words(4000), true},
        {L"a.txt", text, words(kHeadBytes), false},
        {L"a.txt", text, rnd, true},                               // text turned to noise
        {L"a.txt", words(100), noise(100), false},                 // too little to judge by
        {L"a.txt", text, "\x1f\x8b\x08\0"s + noise(4000), false},  // now another known format
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

// 20,000 files of everyday formats, 10% of them edited: no hold, not one file judged damaged;
// the same tree with 10% turned to noise holds.
TEST(Damage, OrdinaryEditsOfAMixedTreeRaiseNoAlarm) {
    const auto head = [](int kind) -> std::string {
        switch (kind) {
            case 0:
                return "PK\3\4\x14\0\x08\0"s + noise(kHeadBytes - 8);
            case 1:
                return "%PDF-1.7\n1 0 obj\n<< /Type /Catalog >>\n" + words(900) + noise(3000);
            case 2:
                return "\x89PNG\r\n\x1a\n"s + noise(kHeadBytes - 8);
            case 3:
                return "\xFF\xD8\xFF\xE1"s + std::string(200, '\0') + noise(kHeadBytes - 204);
            case 4:
                return "ID3\3\0"s + noise(kHeadBytes - 5);
            case 5:
                return "SQLite format 3\0"s + std::string(1000, '\0') + words(2000);
            case 6:
                return "MZ\x90\0"s + std::string(500, '\0') + noise(1500) + std::string(1000, '\0') + words(1000);
            case 7: {
                std::string u;
                for (char c : words(kHeadBytes / 2)) u += {c, '\0'};
                return u;
            }
            default:
                return words(rng() % 2 ? kHeadBytes : 600);
        }
    };
    std::size_t edited = 0, damaged = 0, noisy = 0;
    for (int i = 0; i < 20000; i += 10, ++edited) {
        const int kind = i / 10 % 10;
        const std::string before = head(kind);
        damaged += looks_damaged(L"f" + std::to_wstring(kind), before, head(kind));
        noisy += looks_damaged(L"f" + std::to_wstring(kind), before, noise(kHeadBytes));
    }
    EXPECT_EQ(damaged, 0u);
    EXPECT_FALSE(damage_holds(damaged, edited));
    EXPECT_TRUE(damage_holds(noisy, edited)) << noisy;
}

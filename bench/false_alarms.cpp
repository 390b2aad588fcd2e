// False alarms of the look for damaged files (core/damage.h): a generated tree of FILES
// files of everyday formats (their first 4 KB, as the run reads them), 1 in 10 edited
// the way their programs edit them, judged against the same tree with 1 in 10 turned
// to random bytes instead. Several seeds; each prints what it judged.
// Usage: bench_false_alarms [FILES] [SEEDS]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "core/damage.h"

namespace {

using namespace std::string_literals;

std::mt19937 rng;

std::string noise(std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}
std::string words(std::size_t n) {
    static const char* const kWords[] = {"the ", "backup ", "report ", "of ", "March ", "1,204 ", "and ", "\r\n",
                                         "sales ", "Total: ", "draft ", "<p>", "</p>", "name=\"x\" ", "Ölfaß "};
    std::string s;
    while (s.size() < n) s += kWords[rng() % std::size(kWords)];
    return s.substr(0, n);
}

constexpr int kKinds = 10;
const wchar_t* const kNames[kKinds] = {L"a.docx", L"a.pdf",  L"a.png", L"a.jpg", L"a.mp3",
                                       L"a.db",   L"a.exe", L"a.txt", L"a.csv", L"a.html"};

// The head of a file of that kind; each call a new one, as a save writes it.
std::string head(int kind) {
    const std::size_t n = core::kHeadBytes;
    switch (kind) {
        case 0: return "PK\3\4\x14\0\x08\0"s + noise(n - 8);
        case 1: return "%PDF-1.7\n1 0 obj\n<< /Type /Catalog >>\n" + words(900) + noise(3000);
        case 2: return "\x89PNG\r\n\x1a\n"s + noise(n - 8);
        case 3: return "\xFF\xD8\xFF\xE1"s + std::string(200, '\0') + noise(n - 204);
        case 4: return "ID3\3\0"s + noise(n - 5);
        case 5: return "SQLite format 3\0"s + std::string(1000, '\0') + words(2000);
        case 6: return "MZ\x90\0"s + std::string(500, '\0') + noise(1500) + std::string(1000, '\0') + words(1000);
        case 7: {  // UTF-16 text
            std::string u;
            for (char c : words(n / 2)) u += {c, '\0'};
            return u;
        }
        default: return words(rng() % 2 ? n : 300 + rng() % 700);  // long and short texts
    }
}

struct Judged {
    std::size_t damaged = 0, sampled = 0, sampled_damaged = 0;
};

// Judges the edited files: all of them, and the sample a run looks at.
Judged judge(const std::vector<std::string>& before, const std::vector<std::string>& after,
             const std::vector<int>& kinds) {
    Judged j;
    std::vector<bool> damaged;
    for (std::size_t i = 0; i < before.size(); ++i) {
        damaged.push_back(core::looks_damaged(kNames[kinds[i]], before[i], after[i]));
        j.damaged += damaged.back();
    }
    for (std::size_t i : core::sample_indices(before.size())) {
        ++j.sampled;
        j.sampled_damaged += damaged[i];
    }
    return j;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000, seeds = argc > 2 ? std::atoi(argv[2]) : 5;
    int alarms = 0, misses = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        rng.seed(static_cast<unsigned>(seed));
        std::vector<std::string> before, edited, noisy;
        std::vector<int> kinds;
        for (int i = 0; i < files; i += 10) {
            kinds.push_back(static_cast<int>(rng() % kKinds));
            before.push_back(head(kinds.back()));
            edited.push_back(head(kinds.back()));
            noisy.push_back(noise(core::kHeadBytes));
        }
        const Judged e = judge(before, edited, kinds), n = judge(before, noisy, kinds);
        const bool held = core::damage_holds(e.sampled_damaged, e.sampled),
                   noise_held = core::damage_holds(n.sampled_damaged, n.sampled);
        alarms += held;
        misses += !noise_held;  // a look that never finds anything would pass the first count
        std::printf("seed %d: %d files, %zu edited: %zu look damaged (%zu of the %zu looked at), %s; "
                    "turned to noise instead: %zu look damaged (%zu of %zu looked at), %s\n",
                    seed, files, before.size(), e.damaged, e.sampled_damaged, e.sampled, held ? "HELD" : "no hold",
                    n.damaged, n.sampled_damaged, n.sampled,
                    noise_held ? "held" : "NOT HELD");
    }
    return alarms == 0 && misses == 0 ? 0 : 1;
}

// A FAT drive keeps file times in 2-second steps: with /FFT a copy whose time
// was rounded is no change, so an unchanged tree is not copied again.
#include "harness.h"

using namespace rctest;

namespace {

TEST_F(CopyTest, FatTimesTreatTimesWithinTwoSecondsAsEqual) {
    const std::uint64_t second = 10'000'000ull;
    struct Case {
        const wchar_t* name;
        std::int64_t apart;  // target time minus source time, in seconds
        bool copied_plain, copied_fat;
    } cases[] = {{L"one_later.txt", 1, true, false},
                 {L"one_earlier.txt", -1, true, false},
                 {L"two_later.txt", 2, true, false},
                 {L"three_later.txt", 3, true, true},
                 {L"same.txt", 0, false, false}};
    for (const Case& c : cases) put(c.name, "content");
    ASSERT_EQ(run(L"/R:0 /W:0").code, static_cast<DWORD>(robocopy::kExitCopied));
    for (const bool fat : {true, false}) {
        for (const Case& c : cases) {
            const std::wstring copy = dst + L"\\" + c.name;
            write_bytes(copy, "CONTENT");
            set_write_time(copy, write_time(src + L"\\" + c.name) + static_cast<std::uint64_t>(c.apart) * second);
        }
        const RunResult r = run(fat ? L"/FFT /R:0 /W:0" : L"/R:0 /W:0");
        for (const Case& c : cases) {
            const bool copied = read_bytes(dst + L"\\" + c.name) == "content";
            EXPECT_EQ(copied, fat ? c.copied_fat : c.copied_plain)
                << (fat ? "/FFT " : "") << test::narrow(c.name) << "\n"
                << r.output;
        }
    }
}

}  // namespace

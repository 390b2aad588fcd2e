#pragma once
#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "win/dpi.h"

namespace jobs_test {

// An app with two real folders to back up and a destination drive E:.
struct JobsApp : test::App {
    std::wstring src, src2, dst;
    JobsApp() {
        src = box.path(L"Data");
        src2 = box.path(L"Photos");
        dst = box.path(L"Backup");
        test::make_dirs(src);
        test::make_dirs(src2);
        test::make_dirs(dst);
        start();
    }
    // Types a pair and leaves the destination box, then presses ADD JOB.
    void enter(const std::wstring& s, const std::wstring& d) {
        main->txtSource.setText(s);
        main->txtSource_LostFocus();
        main->txtDest.setText(d);
        main->txtDest_LostFocus();
    }
    void add(const std::wstring& s, const std::wstring& d) {
        enter(s, d);
        main->cmdAddJob_Click();
    }
    // Adds n jobs, each from a folder of its own into dst: a job list without conflicts.
    void addNumbered(int n) {
        for (int k = 1; k <= n; ++k) {
            test::make_dirs(box.path(L"J" + std::to_wstring(k)));
            add(box.path(L"J" + std::to_wstring(k)), dst);
        }
    }
    std::wstring row(int i) const { return main->rows[static_cast<size_t>(i)].text.text(); }
    int rowTopTwips(int i) const {
        RECT r = main->rows[static_cast<size_t>(i)].text.rectIn(main->hwnd());
        return win::twips(r.top);
    }
    int growthTwips() const { return main->outerHeightTwips() - main->designOuterHeightTwips(); }
    std::wstring jobFile(const std::wstring& name) const { return box.jobFolder() + L"\\" + name; }
};

inline std::wstring upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

}  // namespace jobs_test

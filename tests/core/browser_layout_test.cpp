#include <gtest/gtest.h>

#include "core/browser_layout.h"

using namespace core;

TEST(BrowserLayout, MinimumSizeAndStretching) {
    // Below the minimum, on one side or both, the window is raised to it.
    for (auto [w, h] : {std::pair{4965, 6690}, std::pair{1000, 200}, std::pair{4964, 6689}}) {
        BrowserLayout l = browser_layout(w, h);
        EXPECT_EQ(l.width, 4965);
        EXPECT_EQ(l.height, 6690);
        EXPECT_EQ(l.dirWidth, 4605);
        EXPECT_EQ(l.dirHeight, 3690);
        EXPECT_EQ(l.pathTop, 5250);
        EXPECT_EQ(l.pathWidth, 4605);
        EXPECT_EQ(l.selectTop, 5730);
        EXPECT_EQ(l.cancelTop, 5730);
        EXPECT_EQ(l.selectLeft, 3270);
    }
    EXPECT_EQ(browser_layout(3000, 9000).dirHeight, 6000);
    // Larger: the list stretches, the path box stays 120 below it, SELECT (1455 wide)
    // stays flush with the list's right edge.
    BrowserLayout l = browser_layout(9000, 8000);
    EXPECT_EQ(l.dirWidth, 8640);
    EXPECT_EQ(l.dirHeight, 5000);
    EXPECT_EQ(l.pathTop, kDirSelectorTop + l.dirHeight + 120);
    EXPECT_EQ(l.selectTop, l.pathTop + 480);
    EXPECT_EQ(l.selectLeft + 1455, kControlLeft + l.dirWidth);
    // The minimum is the design client area on the frame the rule was written for.
    EXPECT_LE(browser_layout(0, 0).selectTop + 375, kBrowserClientHeight);
    EXPECT_EQ(kBrowserClientWidth + kBrowserFrameWidth, kBrowserMinWidth);
}

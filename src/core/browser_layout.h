#pragma once
// Where the folder browser's controls go for a given window size (all in twips).
// Portable arithmetic, so the rule can be checked without a window.

namespace core {

// The browser's design client area and the outer size it had with the frame it
// was laid out for; the rule below is written for that outer size.
inline constexpr int kBrowserClientWidth = 4815;
inline constexpr int kBrowserClientHeight = 6255;
inline constexpr int kBrowserMinWidth = 4965;
inline constexpr int kBrowserMinHeight = 6690;
inline constexpr int kBrowserFrameWidth = kBrowserMinWidth - kBrowserClientWidth;     // 150
inline constexpr int kBrowserFrameHeight = kBrowserMinHeight - kBrowserClientHeight;  // 435

// Design positions of the controls that the rule moves or that it reads.
inline constexpr int kDirSelectorTop = 1440;
inline constexpr int kControlLeft = 120;

struct BrowserLayout {
    int width = 0, height = 0;  // outer size after the minimum is applied
    int dirHeight = 0, dirWidth = 0;
    int pathTop = 0, pathWidth = 0;
    int selectTop = 0, selectLeft = 0;
    int cancelTop = 0;
};

// The resize rule for an outer size W x H: W and H are first raised to the minimum.
BrowserLayout browser_layout(int width, int height);

}  // namespace core

#include "core/browser_layout.h"

namespace core {

BrowserLayout browser_layout(int width, int height) {
    BrowserLayout l;
    l.width = width < kBrowserMinWidth ? kBrowserMinWidth : width;
    l.height = height < kBrowserMinHeight ? kBrowserMinHeight : height;
    l.dirHeight = l.height - 3000;
    l.pathTop = l.height + kDirSelectorTop - 2880;
    l.selectTop = l.pathTop + 480;
    l.cancelTop = l.selectTop;
    l.dirWidth = l.width - 360;
    l.pathWidth = l.dirWidth;
    l.selectLeft = l.width - 1695;
    return l;
}

}  // namespace core

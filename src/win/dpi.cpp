#include "win/dpi.h"

namespace win {

int dpi() {
    static int cached = [] {
        HDC dc = GetDC(nullptr);
        int d = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return cached;
}

int px(int tw) { return MulDiv(tw, dpi(), 1440); }
int twips(int pixels) { return MulDiv(pixels, 1440, dpi()); }

}  // namespace win

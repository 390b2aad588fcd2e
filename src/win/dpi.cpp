#include "win/dpi.h"

#include "win/handles.h"

namespace win {

int dpi() {
    static int cached = [] {
        const WindowDc screen(nullptr);
        const int d = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
        return d > 0 ? d : 96;
    }();
    return cached;
}

int px(int tw) { return MulDiv(tw, dpi(), 1440); }
int twips(int pixels) { return MulDiv(pixels, 1440, dpi()); }

}  // namespace win

#pragma once
// Positions in windows are given in twips (1/1440 inch) and converted with the real DPI.
#include <windows.h>

namespace win {

int dpi();
int px(int twips);      // twips to pixels
int twips(int pixels);  // pixels to twips

}  // namespace win

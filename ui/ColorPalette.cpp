#include "ui/ColorPalette.h"

#include <initializer_list>

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Upper row 1..8, lower row 9..16.
constexpr uint32_t kPalette[kPaletteSize + 1] = {
    0,
    Rgb(0, 0, 0),       Rgb(255, 255, 255), Rgb(255, 0, 0),   Rgb(0, 255, 0),
    Rgb(0, 0, 255),     Rgb(255, 255, 0),   Rgb(255, 0, 255), Rgb(0, 255, 255),
    Rgb(128, 128, 128), Rgb(192, 192, 192), Rgb(128, 0, 0),   Rgb(0, 128, 0),
    Rgb(0, 0, 128),     Rgb(128, 128, 0),   Rgb(128, 0, 128), Rgb(0, 128, 128),
};

constexpr int kWhitePosition = 2;
constexpr int kBlackPosition = 1;

int PositionOf(uint32_t color) {
  for (int k = 1; k <= kPaletteSize; k++)
    if (kPalette[k] == color) return k;
  return 0;
}

}  // namespace

uint32_t ColorPaletteColor(int k) { return k >= 1 && k <= kPaletteSize ? kPalette[k] : 0; }

int ColorPaletteForegroundButton(uint32_t color) {
  int k = PositionOf(color);
  return kForegroundButtonBase + (k ? k : kWhitePosition);
}

int ColorPaletteBackgroundButton(uint32_t color) {
  int k = PositionOf(color);
  return kBackgroundButtonBase + (k ? k : kBlackPosition);
}

int ColorPalettePosition(int buttonId) {
  for (int base : {kForegroundButtonBase, kBackgroundButtonBase})
    if (buttonId > base && buttonId <= base + kPaletteSize) return buttonId - base;
  return 0;
}

uint32_t ColorPaletteMarkColor(int mark) {
  if (int k = ColorPalettePosition(mark)) return kPalette[k];
  return mark == kNoForegroundMark ? kPalette[kBlackPosition] : kPalette[kWhitePosition];
}

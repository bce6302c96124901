// What the Color dialog edits and chooses from, without its windows: the
// ColorEntry records of the list the colour scheme hands it, the sixteen
// palette colours, and which palette button stands for a colour.
//
// Button ids: foreground buttons 401..416 and background buttons 301..316,
// button 400 + k (or 300 + k) showing palette colour k. A mark is the id of the
// button drawn as chosen, or kNoForegroundMark / kNoBackgroundMark when none
// is, which stand for black text on white when a colour is needed.
#pragma once

#include <cstdint>

constexpr int kColorEntryNameSize = 40;

// One element of the scheme as the dialog edits it (the List's item, 60 bytes).
struct ColorEntry {
  char name[kColorEntryNameSize];  // display name, zero-terminated
  uint32_t foreground;             // COLORREF, edited
  uint32_t background;             // COLORREF, edited
  uint32_t defaultForeground;      // restored by "&Default Colors"
  uint32_t defaultBackground;
  int32_t element;  // scheme element 1..11
};
static_assert(sizeof(ColorEntry) == 60, "the dialog's list has items of 60 bytes");

constexpr int kPaletteSize = 16;
constexpr int kForegroundButtonBase = 400;  // + k, k = 1..16
constexpr int kBackgroundButtonBase = 300;
constexpr int kNoForegroundMark = -1;
constexpr int kNoBackgroundMark = -2;

// Palette colour k (1..16) as a COLORREF; 0 (black) outside 1..16.
uint32_t ColorPaletteColor(int k);

// The button that stands for a colour: 400 + k or 300 + k for palette colour
// k; a colour outside the palette gives the white foreground button (402) and
// the black background button (301).
int ColorPaletteForegroundButton(uint32_t color);
int ColorPaletteBackgroundButton(uint32_t color);

// 1..16 for a palette button id of either group, 0 for any other id.
int ColorPalettePosition(int buttonId);

// The colour a mark stands for: the palette colour of its button, black for
// kNoForegroundMark, white for kNoBackgroundMark (and for any other id).
uint32_t ColorPaletteMarkColor(int mark);

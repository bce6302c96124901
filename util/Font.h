// Fonts by face name and point size, with the "Arial" fallback, and the text
// measure every window of the debugger takes its line height from.
//
// The first font creation enumerates the installed font families once (and
// the point sizes of the raster ones) into the FontFamilyList, which is kept
// for the rest of the process run. Window code only.
#pragma once

#include <windows.h>

#include <cstdint>

struct List;

struct FontFamilyRecord {
  char faceName[40];      // face name of the family as enumerated
  int32_t fontType;       // RASTER_FONTTYPE 1, DEVICE_FONTTYPE 2, TRUETYPE_FONTTYPE 4
  int32_t pitchAndFamily; // the family's pitch-and-family byte
  List* pointSizes;       // by reference: the point sizes of a raster family; null otherwise
};

constexpr char kFallbackFace[] = "Arial";

// resolution 0 means the screen's. The caller owns the font and deletes it.
HFONT CreateFontByName(int resolution, const char* faceName, int pointSize, int bold, int italic,
                       int underline, int unused);

// The enumeration callback of both passes: with lParam 0 it gathers families,
// with a family record it gathers that raster family's point sizes.
extern "C" int CALLBACK FonEnumNames(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                                     LPARAM family);

// Height in the high 16 bits, width in the low 16 bits; 0 when measuring fails.
uint32_t TextExtent(HDC dc, const char* text, int length);
inline int TextExtentHeight(uint32_t extent) { return static_cast<int>(extent >> 16); }
inline int TextExtentWidth(uint32_t extent) { return static_cast<int>(extent & 0xFFFF); }

// The family list (null until the first font creation) and the screen
// resolution it was built at; for the tests.
List* FontFamilyList();
int FontScreenResolution();

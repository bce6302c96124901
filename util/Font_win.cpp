#include "util/Font.h"

#include <cstring>

#include "memory/List.h"
#include "platform/Platform.h"
#include "util/Text.h"

namespace {

List* gFamilies = nullptr;
int gScreenResolution = 96;

FontFamilyRecord* FindFamily(const char* faceName) {
  for (auto* family = static_cast<FontFamilyRecord*>(ListFirst(gFamilies)); family;
       family = static_cast<FontFamilyRecord*>(ListNext(gFamilies)))
    if (PlatformCompareNoCase(family->faceName, faceName) == 0) return family;
  return nullptr;
}

void DestroyFamilies() {
  for (auto* family = static_cast<FontFamilyRecord*>(ListFirst(gFamilies)); family;
       family = static_cast<FontFamilyRecord*>(ListNext(gFamilies)))
    ListDestroy(family->pointSizes);
  ListDestroy(gFamilies);
  gFamilies = nullptr;
}

// Families first, then the point sizes of every raster family. A failed
// enumeration leaves no list, so the next creation tries again.
void BuildFamilies() {
  HDC screen = GetDC(nullptr);
  if (!screen) return;
  gScreenResolution = GetDeviceCaps(screen, LOGPIXELSY);
  bool failed = EnumFontFamiliesA(screen, nullptr, reinterpret_cast<FONTENUMPROCA>(FonEnumNames), 0) == -1;
  ListPosition walk = nullptr;
  for (auto* family = static_cast<FontFamilyRecord*>(ListFirst(gFamilies)); family && !failed;
       family = static_cast<FontFamilyRecord*>(ListNext(gFamilies))) {
    if (!(family->fontType & RASTER_FONTTYPE)) continue;
    walk = ListGetPosition(gFamilies);
    failed = EnumFontsA(screen, family->faceName, reinterpret_cast<FONTENUMPROCA>(FonEnumNames),
                        reinterpret_cast<LPARAM>(family)) == -1;
    ListSetPosition(gFamilies, walk);
  }
  if (failed) DestroyFamilies();
  ReleaseDC(nullptr, screen);
}

}  // namespace

extern "C" int CALLBACK FonEnumNames(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                                     LPARAM family) {
  if (!font || !metrics) return 1;
  if (!family) {
    if (fontType == 0) return 1;
    if (!gFamilies) gFamilies = ListCreate(sizeof(FontFamilyRecord));
    FontFamilyRecord record{};
    TextCopy(record.faceName, sizeof record.faceName, font->lfFaceName);
    record.fontType = static_cast<int32_t>(fontType);
    record.pitchAndFamily = font->lfPitchAndFamily;
    ListLast(gFamilies);
    ListAdd(gFamilies, &record);
    return 1;
  }
  auto* record = reinterpret_cast<FontFamilyRecord*>(family);
  if (PlatformCompareNoCase(font->lfFaceName, record->faceName) != 0) return 1;
  if (!record->pointSizes) record->pointSizes = ListCreate(kListByReference);
  int resolution = gScreenResolution > 0 ? gScreenResolution : 96;
  intptr_t points = ((metrics->tmHeight - metrics->tmInternalLeading) * 72 + resolution / 2) / resolution;
  ListLast(record->pointSizes);
  ListAddRef(record->pointSizes, reinterpret_cast<void*>(points));
  return 1;
}

HFONT CreateFontByName(int resolution, const char* faceName, int pointSize, int bold, int italic,
                       int underline, int) {
  if (!gFamilies) BuildFamilies();
  int r = resolution ? resolution : gScreenResolution;
  LOGFONTA font{};
  font.lfHeight = (r * pointSize) / -72;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = italic ? 1 : 0;
  font.lfUnderline = underline ? 1 : 0;
  font.lfCharSet = ANSI_CHARSET;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DRAFT_QUALITY;
  if (const FontFamilyRecord* family = faceName ? FindFamily(faceName) : nullptr) {
    TextCopy(font.lfFaceName, LF_FACESIZE, family->faceName);
    font.lfPitchAndFamily = static_cast<BYTE>(family->pitchAndFamily);
    font.lfOutPrecision = family->fontType == DEVICE_FONTTYPE     ? OUT_DEVICE_PRECIS
                          : family->fontType == TRUETYPE_FONTTYPE ? OUT_TT_PRECIS
                                                                  : OUT_RASTER_PRECIS;
  } else {
    std::strcpy(font.lfFaceName, kFallbackFace);
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  }
  return CreateFontIndirectA(&font);
}

uint32_t TextExtent(HDC dc, const char* text, int length) {
  SIZE size;
  if (!dc || !text || length < 0 || !GetTextExtentPointA(dc, text, length, &size)) return 0;
  return (static_cast<uint32_t>(size.cy & 0xFFFF) << 16) | static_cast<uint32_t>(size.cx & 0xFFFF);
}

List* FontFamilyList() { return gFamilies; }
int FontScreenResolution() { return gScreenResolution; }

// Fonts by name: the family list, the fallback face, the heights, and the
// text measure every window takes its line height from.
#include <gtest/gtest.h>

#include <windows.h>

#include "memory/List.h"
#include "util/Font.h"

namespace {

LOGFONTA FontOf(HFONT font) {
  LOGFONTA logical{};
  GetObjectA(font, sizeof logical, &logical);
  return logical;
}

TEST(CreateFontByName, FaceThatIsNotInstalledFallsBackToArial) {
  HFONT font = CreateFontByName(0, "No Such Face Anywhere", 8, 0, 0, 0, 0);
  ASSERT_NE(font, nullptr);
  LOGFONTA logical = FontOf(font);
  EXPECT_STREQ(logical.lfFaceName, "Arial");
  EXPECT_EQ(logical.lfOutPrecision, OUT_TT_ONLY_PRECIS);
  EXPECT_EQ(logical.lfPitchAndFamily, 0x22);
  EXPECT_EQ(logical.lfQuality, DRAFT_QUALITY);
  DeleteObject(font);
}

TEST(CreateFontByName, HeightFollowsTheResolution) {
  HFONT at96 = CreateFontByName(96, "Courier", 8, 0, 0, 0, 0);
  HFONT at120 = CreateFontByName(120, "Courier", 8, 0, 0, 0, 0);
  EXPECT_EQ(FontOf(at96).lfHeight, -10);
  EXPECT_EQ(FontOf(at120).lfHeight, -13);
  DeleteObject(at96);
  DeleteObject(at120);
}

TEST(CreateFontByName, FaceNamesMatchIgnoringCaseAndTakeTheFamilysName) {
  HFONT font = CreateFontByName(0, "courier", 8, 1, 1, 1, 0);
  LOGFONTA logical = FontOf(font);
  EXPECT_STREQ(logical.lfFaceName, "Courier");  // the family as enumerated, not the text asked for
  EXPECT_NE(logical.lfOutPrecision, OUT_TT_ONLY_PRECIS);
  EXPECT_EQ(logical.lfWeight, FW_BOLD);
  EXPECT_EQ(logical.lfItalic, 1);
  EXPECT_EQ(logical.lfUnderline, 1);
  DeleteObject(font);
}

TEST(FontFamilies, RasterFamiliesCarryTheirPointSizes) {
  DeleteObject(CreateFontByName(0, "MS Sans Serif", 8, 0, 0, 0, 0));
  List* families = FontFamilyList();
  ASSERT_NE(families, nullptr);
  int raster = 0, withSizes = 0;
  for (auto* family = static_cast<FontFamilyRecord*>(ListFirst(families)); family;
       family = static_cast<FontFamilyRecord*>(ListNext(families))) {
    EXPECT_NE(family->fontType, 0) << family->faceName;
    if (family->fontType & RASTER_FONTTYPE) {
      raster++;
      if (ListCount(family->pointSizes) > 0) withSizes++;
    } else {
      EXPECT_EQ(family->pointSizes, nullptr) << family->faceName;
    }
  }
  EXPECT_GT(raster, 0);
  EXPECT_EQ(withSizes, raster);
}

TEST(TextExtent, PacksHeightAboveWidth) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontByName(0, "Courier", 8, 0, 0, 0, 0);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size;
  GetTextExtentPointA(dc, "Test String", 11, &size);
  uint32_t extent = TextExtent(dc, "Test String", 11);
  EXPECT_EQ(extent, static_cast<uint32_t>(size.cy) * 65536u + static_cast<uint32_t>(size.cx));
  EXPECT_EQ(TextExtentHeight(extent), size.cy);
  EXPECT_EQ(TextExtentWidth(extent), size.cx);
  EXPECT_EQ(TextExtent(nullptr, "T", 1), 0u);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace

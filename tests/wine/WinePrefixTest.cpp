// The private Wine prefix the Windows tests run in. A fresh prefix lacks the
// classic faces, and every font the debugger asks for by name then falls
// back; without a window manager, unmanaged windows spare a wait of about
// two seconds each time a top-level window is hidden.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

int CALLBACK NoteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool FamilyInstalled(HDC dc, const char* face) {
  bool found = false;
  EnumFontFamiliesA(dc, face, NoteFamily, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string FaceMadeFor(HDC dc, const char* face) {
  HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  HGDIOBJ old = SelectObject(dc, font);
  char made[LF_FACESIZE] = "";
  GetTextFaceA(dc, sizeof made, made);
  SelectObject(dc, old);
  DeleteObject(font);
  return made;
}

TEST(WinePrefixTest, ClassicFacesAreInstalled) {
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  // "Marlett" draws the caption buttons.
  for (const char* face : {"Courier", "MS Sans Serif", "Marlett"}) {
    EXPECT_TRUE(FamilyInstalled(dc, face)) << "EnumFontFamiliesA finds no \"" << face << "\"";
    EXPECT_EQ(FaceMadeFor(dc, face), face) << "a font asked for as \"" << face << "\" falls back";
  }
  ReleaseDC(nullptr, dc);
}

TEST(WinePrefixTest, WindowsAreUnmanaged) {
  char value[16] = "";
  DWORD size = sizeof value;
  LONG status = RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", RRF_RT_REG_SZ, nullptr,
                             value, &size);
  ASSERT_EQ(status, ERROR_SUCCESS) << "HKCU\\Software\\Wine\\X11 Driver\\Managed is not set";
  EXPECT_STREQ(value, "N");
}

}  // namespace

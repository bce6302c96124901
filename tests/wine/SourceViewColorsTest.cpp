// The colours of a painted source view, read back from its pixels: each
// element in its default colour, the marked lines' backgrounds running to the
// right edge, the current line over a breakpoint, a colour from the settings
// file, and a scheme applied again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/SourceViewTesting.h"
#include "support/WineTestSupport.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0), kBlue = RGB(0, 0, 255), kPurple = RGB(128, 0, 128),
                   kDarkRed = RGB(128, 0, 0), kDarkBlue = RGB(0, 0, 128);

// One line per element; the coloured word of each stands first.
const std::vector<std::string> kSample = {
    "// a comment line",               // 0 comment
    "STRING szName;",                  // 1 keyword, then other text
    "\"quoted\" + szName;",            // 2 string literal
    "AddProfString(szName);",          // 3 function
    "APPEND + 12;",                    // 4 constant, number
    "nResult = 1;",                    // 5 current line
    "nResult = 2;",                    // 6 breakpoint
    "nResult = 3;",                    // 7 current line and breakpoint
    "/* a comment",                    // 8 a block comment
    "STRING inside it */ STRING",      // 9 ends on this line
};

std::string SettingsPath() {
  char folder[MAX_PATH];
  GetWindowsDirectoryA(folder, sizeof folder);
  return std::string(folder) + "\\qn20dbg.ini";
}

class SourceColorsTest : public ::testing::Test {
 protected:
  static SourceTestStage* stage;
  TempDir dir;
  SourceWindow* source = nullptr;
  SourceView* view = nullptr;

  static void SetUpTestSuite() { stage = new SourceTestStage("SourceColorsTestParent", 400, 300); }
  static void TearDownTestSuite() { delete stage; }
  void SetUp() override {
    DeleteFileA(SettingsPath().c_str());
    ColorSchemeResetForTesting();
  }
  void TearDown() override {
    SourceWindowDestroy(source);
    stage->Clear();
    DeleteFileA(SettingsPath().c_str());
    ColorSchemeResetForTesting();
  }

  void Open() {
    source = stage->Open(dir.Write("sample.qn", SourceText(kSample)));
    ASSERT_NE(source, nullptr);
    view = ViewOf(source);
  }
  // Pixels of the colour in the line from pixel column `from` to column `to`.
  int Pixels(int line, COLORREF color, int from = 0, int to = 10000) {
    return CountLinePixels(view, line, color, from) - CountLinePixels(view, line, color, std::min(to, 10000));
  }
  int Chars(int count) const { return count * view->charWidth; }
};
SourceTestStage* SourceColorsTest::stage = nullptr;

TEST_F(SourceColorsTest, WithoutSettingsEachElementHasItsDefaultColour) {
  Open();
  SourceWindowShowLine(source, 6);
  SourceWindowMarkBreakpoint(source, 1, 7);
  SourceWindowMarkBreakpoint(source, 1, 8);
  SourceWindowShowLine(source, 8);  // the current line moves onto a breakpoint
  UpdateWindow(view->window);
  const int row = view->lineHeight;

  EXPECT_GT(Pixels(0, kGreen), 0);
  EXPECT_EQ(Pixels(0, kTestBlack), 0) << "a comment line is green only";
  EXPECT_GT(Pixels(1, kBlue, 0, Chars(6)), 0) << "STRING";
  EXPECT_EQ(Pixels(1, kBlue, Chars(6)), 0);
  EXPECT_GT(Pixels(1, kTestBlack, Chars(7)), 0) << "other text is black";
  EXPECT_GT(Pixels(2, kPurple, 0, Chars(8)), 0) << "the string literal";
  EXPECT_EQ(Pixels(2, kPurple, Chars(8)), 0);
  EXPECT_GT(Pixels(3, kDarkRed, 0, Chars(13)), 0) << "the function name";
  EXPECT_EQ(Pixels(3, kDarkRed, Chars(13)), 0);
  EXPECT_GT(Pixels(4, kDarkBlue, 0, Chars(6)), 0) << "the constant";
  EXPECT_EQ(Pixels(4, kDarkBlue, Chars(6)), 0);
  EXPECT_GT(Pixels(4, kTestBlack, Chars(9)), 0) << "numbers are black";
  EXPECT_EQ(Pixels(8, kTestBlack, Chars(12)), 0) << "the rest of the block comment's first line";
  EXPECT_GT(Pixels(9, kGreen, 0, Chars(19)), 0);
  EXPECT_EQ(Pixels(9, kBlue, 0, Chars(19)), 0) << "a keyword inside the comment is comment";
  EXPECT_GT(Pixels(9, kBlue, Chars(19)), 0) << "a keyword after the comment is a keyword";

  // Line 5 was the current line: white on white again. Line 6 is a
  // breakpoint: white text on red, the red running on to the right edge.
  EXPECT_GT(Pixels(5, kTestBlack, 0, Chars(8)), 0);
  EXPECT_EQ(Pixels(5, kTestRed) + Pixels(5, kTestBlack, Chars(13)), 0);
  EXPECT_GT(Pixels(6, kTestWhite, 0, Chars(12)), 0);
  EXPECT_EQ(Pixels(6, kTestRed, Chars(13)), (view->clientWidth - Chars(13)) * row);
  EXPECT_EQ(Pixels(6, kTestBlack), 0);
  // Line 7, current line and breakpoint: white on black to the edge.
  EXPECT_GT(Pixels(7, kTestWhite, 0, Chars(12)), 0);
  EXPECT_EQ(Pixels(7, kTestBlack, Chars(13)), (view->clientWidth - Chars(13)) * row);
  EXPECT_EQ(Pixels(7, kTestRed), 0) << "the current line wins over the breakpoint";
  EXPECT_EQ(view->background[kColorOther], kTestWhite);
}

TEST_F(SourceColorsTest, AKeywordForegroundOf255InTheSettingsFilePaintsKeywordsRed) {
  const std::string settings = "[Color]\r\nfg_keyword=  255 \r\nbk_string=garbage\r\n";
  HANDLE file = CreateFileA(SettingsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, settings.data(), static_cast<DWORD>(settings.size()), &written, nullptr);
  CloseHandle(file);
  Open();
  EXPECT_GT(Pixels(1, kTestRed, 0, Chars(6)), 0);
  EXPECT_EQ(Pixels(1, kBlue), 0);
  // A value that is no number reads as black: the string's cell is black.
  EXPECT_GT(Pixels(2, kTestBlack, 0, Chars(8)), Chars(8) * view->lineHeight / 2);
  EXPECT_GT(Pixels(3, kDarkRed, 0, Chars(13)), 0) << "the other elements keep their defaults";
}

TEST_F(SourceColorsTest, ApplyingTheSchemeAgainRepaintsInTheNewColours) {
  Open();
  ASSERT_GT(Pixels(3, kDarkRed), 0);
  ColorSchemeCurrent().foreground[kColorFunction] = kGreen;
  ColorSchemeCurrent().background[kColorOther] = kDarkBlue;
  UpdateWindow(view->window);
  EXPECT_EQ(Pixels(3, kGreen), 0) << "the view keeps its own copy until applied";
  SourceWindowApplyColors(source);
  EXPECT_EQ(Pixels(3, kDarkRed), 0);
  EXPECT_GT(Pixels(3, kGreen, 0, Chars(13)), 0);
  EXPECT_GT(Pixels(3, kDarkBlue, Chars(22)), (view->clientWidth - Chars(23)) * (view->lineHeight - 2))
      << "the background behind the text";
}

}  // namespace

namespace {

// A sample script as the debugger shows it, for people to look at: stopped
// on line 37 with breakpoints on lines 24 and 27.
TEST(SourceViewPicture, ASampleScriptWithACurrentLineAndTwoBreakpoints) {
  SourceTestStage stage("QuendleSourceView", 560, 26 * 13 + 2 + GetSystemMetrics(SM_CYHSCROLL));
  SetWindowTextA(stage.parent, "setup.qn");
  SourceWindow* source = stage.Open(SamplePath("setup.qn"));
  ASSERT_NE(source, nullptr);
  SourceWindowMarkBreakpoint(source, 1, 24);
  SourceWindowMarkBreakpoint(source, 1, 27);
  SourceWindowShowLine(source, 60);
  SourceWindowShowLine(source, 21);  // out of view: line 20 comes to the top
  SourceWindowShowLine(source, 37);  // in view: nothing moves
  PumpMessages();
  EXPECT_EQ(SourceWindowFirstVisibleLine(source), 19);
  EXPECT_TRUE(SaveWindowBmp(stage.parent, ScreenshotPath("source-view.bmp")));
  SourceWindowDestroy(source);
}

}  // namespace

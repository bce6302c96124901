// The source window as the debugger uses it: the view laid over the
// placeholder, the current line brought into view and marked, breakpoint
// marks, the file name, and the Script Location dialog for a missing file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "memory/MemPoolDebug.h"
#include "support/SourceViewTesting.h"
#include "support/WineTestSupport.h"

namespace {

class SourceWindowTest : public ::testing::Test {
 protected:
  static SourceTestStage* stage;
  TempDir dir;

  static void SetUpTestSuite() { stage = new SourceTestStage("SourceWindowTestParent", 500, 30 * 13 + 40); }
  static void TearDownTestSuite() { delete stage; }
  void TearDown() override { stage->Clear(); }

  std::string Numbered(int count) { return dir.Write("numbered.qn", SourceText(NumberedLines(count))); }
};
SourceTestStage* SourceWindowTest::stage = nullptr;

TEST_F(SourceWindowTest, TheViewLiesOverThePlaceholderHiddenUntilShown) {
  std::string path = Numbered(40);
  char buffer[261];
  lstrcpynA(buffer, path.c_str(), sizeof buffer);
  SourceWindow* source = SourceWindowCreate(buffer, stage->placeholder, stage->font, nullptr);
  ASSERT_NE(source, nullptr);
  HWND view = SourceWindowViewWindow(source);
  char className[32] = "";
  GetClassNameA(view, className, sizeof className);
  EXPECT_STREQ(className, "QNEDITCLS");
  EXPECT_EQ(GetParent(view), stage->parent);
  EXPECT_EQ(GetDlgCtrlID(view), 401);
  EXPECT_FALSE(IsWindowVisible(view));
  RECT frame, laid;
  GetWindowRect(stage->placeholder, &frame);
  GetWindowRect(view, &laid);
  EXPECT_TRUE(EqualRect(&frame, &laid)) << laid.left << "," << laid.top << " " << laid.right << "," << laid.bottom;
  EXPECT_EQ(ViewOf(source)->lineCount, 40);

  EXPECT_EQ(SourceWindowShow(source, 1), 1);
  EXPECT_TRUE(IsWindowVisible(view));
  EXPECT_EQ(GetWindow(stage->parent, GW_CHILD), view);  // on top of the placeholder
  EXPECT_EQ(SourceWindowShow(source, 0), 1);
  EXPECT_FALSE(IsWindowVisible(view));

  char name[261] = "?";
  EXPECT_EQ(SourceWindowFileName(source, name), 1);
  EXPECT_STREQ(name, "numbered.qn");
  EXPECT_EQ(SourceWindowDestroy(source), 1);
  PumpMessages();
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(SourceWindowDestroy(nullptr), 0);
  EXPECT_EQ(SourceWindowShow(nullptr, 1), 0);
}

TEST_F(SourceWindowTest, TheCurrentLineComesIntoViewSecondFromTheTop) {
  SourceWindow* source = stage->Open(Numbered(200));
  ASSERT_NE(source, nullptr);
  SourceView* view = ViewOf(source);
  ASSERT_GE(view->visibleLines, 21) << "line height " << view->lineHeight;

  EXPECT_EQ(SourceWindowShowLine(source, 10), 1);
  EXPECT_EQ(SourceWindowFirstVisibleLine(source), 0) << "a line in view does not scroll";
  EXPECT_EQ(SourceViewLineMark(view, 9), kColorCurrentLine);

  SourceWindowShowLine(source, 20);
  EXPECT_EQ(SourceWindowFirstVisibleLine(source), 0);
  EXPECT_EQ(SourceViewLineMark(view, 9), 0) << "the old current line loses its mark";
  EXPECT_EQ(SourceViewLineMark(view, 19), kColorCurrentLine);

  SourceWindowShowLine(source, 120);
  EXPECT_EQ(SourceWindowFirstVisibleLine(source), 118);
  EXPECT_EQ(SourceViewLineMark(view, 19), 0);
  EXPECT_EQ(SourceViewLineMark(view, 119), kColorCurrentLine);

  SourceWindowShowLine(source, 117);  // just above the view
  EXPECT_EQ(SourceWindowFirstVisibleLine(source), 115);

  SourceWindowShowLine(source, 1);
  EXPECT_EQ(SourceWindowFirstVisibleLine(source), 0);
  EXPECT_EQ(SourceViewLineMark(view, 0), kColorCurrentLine);
  // The mark is painted: line 0 is white on black to the right edge (the
  // rows of its cell that lie inside the client area).
  EXPECT_EQ(CountLinePixels(view, 0, kTestBlack, view->clientWidth - 20), 20 * (view->lineHeight - view->descent));
  SourceWindowDestroy(source);
}

TEST_F(SourceWindowTest, BreakpointMarksAreKeptOnceAndRemovedAlone) {
  SourceWindow* source = stage->Open(Numbered(50));
  ASSERT_NE(source, nullptr);
  SourceView* view = ViewOf(source);
  SourceWindowShowLine(source, 5);
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 1, 3), 1);
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 1, 3), 1);
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 1, 5), 1);
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 1, 8), 1);
  EXPECT_EQ(SourceViewLineMark(view, 2), kColorBreakpoint);
  EXPECT_EQ(SourceViewLineMark(view, 4), kColorCurrentLine) << "the current line wins over a breakpoint";
  EXPECT_GT(CountLinePixels(view, 2, kTestRed), 100);

  // Line 3 was marked once: one removal takes the mark, the next finds none.
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 0, 3), 1);
  EXPECT_EQ(SourceViewLineMark(view, 2), 0);
  EXPECT_EQ(CountLinePixels(view, 2, kTestRed), 0);
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 0, 3), 0);

  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 0, -1), 1);
  EXPECT_EQ(SourceViewLineMark(view, 7), 0);
  EXPECT_EQ(SourceViewLineMark(view, 4), kColorCurrentLine) << "removing all keeps the current line";
  EXPECT_EQ(SourceViewClearLineMark(view, 4, kMarkBreakpoint), 0) << "line 5's breakpoint mark is gone too";
  EXPECT_EQ(SourceWindowMarkBreakpoint(source, 0, 8), 0);
  EXPECT_EQ(SourceWindowMarkBreakpoint(nullptr, 1, 8), 0);
  SourceWindowDestroy(source);
}

TEST_F(SourceWindowTest, AMissingFileIsAskedForUntilAnExistingOneIsGiven) {
  std::string real = Numbered(12);
  std::string missing = dir.File("gone.qn");
  std::string wrong = dir.File("nowhere.qn");
  MessageBoxWatcher boxes;
  bool stayedOpen = false;
  std::string initialText;
  DialogDriver driver([&](HWND dialog) {
    char text[261] = "";
    GetDlgItemTextA(dialog, 103, text, sizeof text);
    initialText = text;
    SetDlgItemTextA(dialog, 103, wrong.c_str());
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    stayedOpen = IsWindowVisible(dialog) != 0;
    SetDlgItemTextA(dialog, 103, real.c_str());
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  char buffer[261];
  lstrcpynA(buffer, missing.c_str(), sizeof buffer);
  SourceWindow* source = SourceWindowCreate(buffer, stage->placeholder, stage->font, nullptr);
  ASSERT_TRUE(driver.Acted());
  EXPECT_EQ(initialText, missing);
  EXPECT_TRUE(stayedOpen) << "a wrong name keeps the dialog open";
  ASSERT_EQ(boxes.Shown().size(), 1u) << boxes.Describe();
  EXPECT_EQ(boxes.Shown()[0].caption, "Quendle Debugger");
  EXPECT_NE(boxes.Shown()[0].text.find(wrong + " script file not found."), std::string::npos) << boxes.Describe();
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(std::string(buffer), real) << "the caller's path is the corrected one";
  EXPECT_EQ(ViewOf(source)->lineCount, 12);
  char name[261] = "";
  SourceWindowFileName(source, name);
  EXPECT_STREQ(name, "numbered.qn");
  SourceWindowDestroy(source);
}

TEST_F(SourceWindowTest, CancelInTheScriptLocationDialogFailsCreationAndLeavesNothing) {
  std::string missing = dir.File("gone.qn");
  const int freeSlots = MemPoolFreeSlots();
  std::string caption;
  DialogDriver driver([&](HWND dialog) {
    char text[64] = "";
    GetWindowTextA(dialog, text, sizeof text);
    caption = text;
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  char buffer[261];
  lstrcpynA(buffer, missing.c_str(), sizeof buffer);
  SourceWindow* source = SourceWindowCreate(buffer, stage->placeholder, stage->font, nullptr);
  EXPECT_TRUE(driver.Acted());
  EXPECT_EQ(caption, "Script Location");
  EXPECT_EQ(source, nullptr);
  PumpMessages();
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots) << "the record's and the view's pools are given back";
  EXPECT_EQ(GetWindow(stage->placeholder, GW_HWNDPREV), nullptr) << "no view window is left over the placeholder";
  EXPECT_EQ(std::string(buffer), missing);
}

TEST_F(SourceWindowTest, AFileTooLongToLoadIsReportedAndFailsCreation) {
  std::string path = dir.Write("huge.qn", SourceText(NumberedLines(16100)));
  const int freeSlots = MemPoolFreeSlots();
  MessageBoxWatcher boxes;
  char buffer[261];
  lstrcpynA(buffer, path.c_str(), sizeof buffer);
  EXPECT_EQ(SourceWindowCreate(buffer, stage->placeholder, stage->font, nullptr), nullptr);
  PumpMessages();
  ASSERT_EQ(boxes.Shown().size(), 2u) << boxes.Describe();
  EXPECT_NE(boxes.Shown()[1].text.find("Unable to locate source file : " + path), std::string::npos)
      << boxes.Describe();
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
}

}  // namespace

// The QNEDITCLS control driven as a user drives it: scroll-bar requests,
// Page Up and Page Down, clicks and double-clicks at line positions, and the
// callbacks that report them; its class, metrics, marks and end.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "memory/MemPoolDebug.h"
#include "sourceview/Classifier.h"
#include "sourceview/SourceStore.h"
#include "support/SourceViewTesting.h"
#include "support/WineTestSupport.h"

namespace {

struct Call {
  SourceView* view;
  int32_t value;
  bool operator==(const Call& other) const { return view == other.view && value == other.value; }
};
std::vector<Call> gActivated, gClicked, gScrolled;
void OnActivate(SourceView* view, int32_t line) { gActivated.push_back({view, line}); }
void OnClick(SourceView* view, int32_t line) { gClicked.push_back({view, line}); }
void OnScrolled(SourceView* view, int32_t first) { gScrolled.push_back({view, first}); }
std::vector<int32_t> Values(const std::vector<Call>& calls) {
  std::vector<int32_t> values;
  for (const Call& call : calls) values.push_back(call.value);
  return values;
}

class SourceViewInputTest : public ::testing::Test {
 protected:
  static SourceTestStage* stage;
  TempDir dir;

  static void SetUpTestSuite() { stage = new SourceTestStage("SourceViewInputTestParent", 600, 500); }
  static void TearDownTestSuite() { delete stage; }
  void SetUp() override {
    gActivated.clear();
    gClicked.clear();
    gScrolled.clear();
  }
  void TearDown() override { stage->Clear(); }

  // A shown view of `lines` numbered lines, `visible` lines high, with the
  // three callbacks installed.
  SourceView* MakeView(int lines, int visible = 30, bool callbacks = true) {
    SourceView* view = SourceViewCreate(stage->parent, 401, stage->font, kSourceViewReadOnly);
    if (!view) return nullptr;
    SourceViewAddVocabulary(view);
    ColorSchemeApply(view);
    if (!SourceViewLoadFile(view, dir.Write("view.qn", SourceText(NumberedLines(lines))).c_str())) return nullptr;
    if (callbacks) {
      SourceViewSetCallback(view, kCallbackActivateLine, OnActivate);
      SourceViewSetCallback(view, kCallbackClickLine, OnClick);
      SourceViewSetCallback(view, kCallbackScrolled, OnScrolled);
    }
    const int height = visible * view->lineHeight + 2 + GetSystemMetrics(SM_CYHSCROLL);
    SetWindowPos(view->window, HWND_TOP, 10, 10, 500, height, SWP_NOACTIVATE);
    ShowWindow(view->window, SW_SHOW);
    UpdateWindow(view->window);
    PumpMessages();
    return view;
  }
  static LRESULT Scroll(SourceView* view, UINT message, int code, int position = 0) {
    return SendMessageA(view->window, message, MAKEWPARAM(code, position), 0);
  }
  static void Key(SourceView* view, WPARAM key) { SendMessageA(view->window, WM_KEYDOWN, key, 0); }
  static LPARAM AtLine(const SourceView* view, int row) {
    return MAKELPARAM(20, row * view->lineHeight + view->lineHeight / 2);
  }
  static int BarPosition(const SourceView* view, int bar) { return GetScrollPos(view->window, bar); }
  static int BarMaximum(const SourceView* view, int bar) {
    int low = 0, high = 0;
    GetScrollRange(view->window, bar, &low, &high);
    return high;
  }
};
SourceTestStage* SourceViewInputTest::stage = nullptr;

TEST_F(SourceViewInputTest, CreationRegistersTheClassOnceAndMakesAHiddenChild) {
  std::vector<LONG> created;
  SourceView *first, *second;
  {
    CreationStyles styles("QNEDITCLS");
    first = SourceViewCreate(stage->parent, 401, stage->font, kSourceViewReadOnly);
    second = SourceViewCreate(stage->parent, 402, stage->font, kSourceViewReadOnly);
    created = styles.Styles();
  }
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr) << "the class is looked up before it is registered";
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0], static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER | WS_VSCROLL | WS_HSCROLL));
  WNDCLASSA info;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "QNEDITCLS", &info));
  EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(info.lpfnWndProc, EditWndProc);
  EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_GE(info.cbWndExtra, 4);
  EXPECT_EQ(info.cbClsExtra, 4);

  HWND window = SourceViewWindow(first);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetParent(window), stage->parent);
  EXPECT_EQ(GetDlgCtrlID(window), 401);
  EXPECT_EQ(ViewOf(window), first);
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_EQ(rect.bottom - rect.top, 100);

  // The metrics come from "Test String" and a space in the view's font.
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, stage->font);
  const uint32_t test = TextExtent(dc, "Test String", 11), space = TextExtent(dc, " ", 1);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  EXPECT_EQ(first->lineHeight, TextExtentHeight(test));
  EXPECT_EQ(first->charWidth, TextExtentWidth(space));
  EXPECT_EQ(first->hRange, 1004 * first->charWidth / 3);
  EXPECT_EQ(SourceViewQuery(first, 4), 0);
  EXPECT_EQ(SourceViewQuery(nullptr, 1), 0);
  EXPECT_EQ(SourceViewSetCallback(first, 4, OnClick), 0);
  EXPECT_EQ(SourceViewSetCallback(nullptr, 1, OnClick), 0);
}

TEST_F(SourceViewInputTest, SizingMeasuresThePageAndSetsTheScrollRanges) {
  SourceView* view = MakeView(100);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(SourceViewQuery(view, kQueryVisibleLines), 30);
  EXPECT_EQ(SourceViewQuery(view, kQueryLineCount), 100);
  EXPECT_EQ(BarMaximum(view, SB_VERT), 70);
  EXPECT_EQ(BarMaximum(view, SB_HORZ), 1004 * view->charWidth / 3);
  RECT client;
  GetClientRect(view->window, &client);
  EXPECT_EQ(view->clientWidth, client.right);
}

TEST_F(SourceViewInputTest, AShortFileDoesNotScroll) {
  SourceView* view = MakeView(10);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_LINEDOWN), 0);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_PAGEDOWN), 0);
  Key(view, VK_NEXT);  // shows the last line at the top and comes back to the cursor
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 0);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_LINEDOWN), 0);
  EXPECT_EQ(Values(gScrolled), (std::vector<int32_t>{9, 0}));
}

TEST_F(SourceViewInputTest, ScrollBarRequestsMoveByLinePageAndThumb) {
  SourceView* view = MakeView(100);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_LINEDOWN), 0);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 1);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_PAGEDOWN), 0);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 31);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_LINEUP), 0);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_THUMBPOSITION, 65), 0);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_PAGEDOWN), 0);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 70);
  EXPECT_EQ(BarPosition(view, SB_VERT), 70);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_PAGEUP), 0);
  EXPECT_EQ(Values(gScrolled), (std::vector<int32_t>{1, 31, 30, 65, 70, 40}));
  EXPECT_EQ(gScrolled[0].view, view);
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_THUMBTRACK, 3), 1) << "requests it does not take answer 1";
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_ENDSCROLL), 1);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 40);
}

TEST_F(SourceViewInputTest, TheThumbAtItsPlaceChangesAndPaintsNothing) {
  SourceView* view = MakeView(100);
  ASSERT_NE(view, nullptr);
  Scroll(view, WM_VSCROLL, SB_THUMBPOSITION, 20);
  UpdateWindow(view->window);
  gScrolled.clear();
  EXPECT_EQ(Scroll(view, WM_VSCROLL, SB_THUMBPOSITION, 20), 0);
  EXPECT_FALSE(GetUpdateRect(view->window, nullptr, FALSE)) << "nothing to paint";
  EXPECT_TRUE(gScrolled.empty());
  Scroll(view, WM_VSCROLL, SB_THUMBPOSITION, 21);
  EXPECT_TRUE(GetUpdateRect(view->window, nullptr, FALSE)) << "a real move repaints";
}

// A one-line move shifts what is on screen and paints only the line it
// uncovers: a spot drawn on the window behind its back moves with the text.
TEST_F(SourceViewInputTest, OneLineMovesTheContentsAndPaintsOneLine) {
  SourceView* view = MakeView(100);
  ASSERT_NE(view, nullptr);
  const COLORREF spot = RGB(12, 200, 34);
  auto drawSpot = [&](int row) {
    HDC dc = GetDC(view->window);
    SetPixel(dc, 300, row * view->lineHeight + 5, spot);
    ReleaseDC(view->window, dc);
  };
  drawSpot(10);
  Scroll(view, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(ReadPixel(view->window, 300, 9 * view->lineHeight + 5), spot) << "moved up with its line";
  Scroll(view, WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(ReadPixel(view->window, 300, 10 * view->lineHeight + 5), spot) << "and back down";
  // The uncovered lines are painted: the top line and the bottom line show text.
  EXPECT_GT(CountLinePixels(view, 1, kTestBlack, 0), 0);
  Scroll(view, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_GT(CountLinePixels(view, 30, kTestBlack, 0), 0);

  // A page is painted anew: the spot goes.
  drawSpot(10);
  Scroll(view, WM_VSCROLL, SB_PAGEDOWN);
  UpdateWindow(view->window);
  for (int row = 0; row < 30; row++)
    ASSERT_NE(ReadPixel(view->window, 300, row * view->lineHeight + 5), spot) << "row " << row;
}

// 100 lines, 30 in view: Page Down from 60 shows 90..99 with the bar at its
// maximum; the next Page Down goes to 99 and back to the cursor on 90.
TEST_F(SourceViewInputTest, PageKeysWalkToTheEndAndBackToTheCursor) {
  SourceView* view = MakeView(100);
  ASSERT_NE(view, nullptr);
  Key(view, VK_NEXT);
  Key(view, VK_NEXT);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 60);
  EXPECT_EQ(view->cursorLine, 60);
  gScrolled.clear();
  Key(view, VK_NEXT);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 90);
  EXPECT_EQ(BarMaximum(view, SB_VERT), 70);
  EXPECT_EQ(BarPosition(view, SB_VERT), 70) << "the bar shows its maximum";
  EXPECT_GT(CountLinePixels(view, 99, kTestBlack), 0) << "line 99 is painted";
  EXPECT_EQ(CountLinePixels(view, 100, kTestBlack), 0) << "below it the window is empty";
  Key(view, VK_NEXT);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 90);
  EXPECT_EQ(Values(gScrolled), (std::vector<int32_t>{90, 99, 90})) << "two moves, each reported";
  EXPECT_EQ(view->cursorLine, 90);
  Key(view, VK_PRIOR);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 60);
  EXPECT_EQ(BarPosition(view, SB_VERT), 60);
  SendMessageA(view->window, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 60) << "other keys do nothing in a read-only view";
}

TEST_F(SourceViewInputTest, TheScrollBarLeavesTheCursorWhereItWas) {
  SourceView* view = MakeView(200);
  ASSERT_NE(view, nullptr);
  Scroll(view, WM_VSCROLL, SB_THUMBPOSITION, 100);
  gScrolled.clear();
  Key(view, VK_NEXT);
  EXPECT_EQ(Values(gScrolled), (std::vector<int32_t>{130, 30}));
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 30) << "the cursor's new line is at the top";
  EXPECT_EQ(BarPosition(view, SB_VERT), 30);
  Key(view, VK_PRIOR);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 0);
}

TEST_F(SourceViewInputTest, HorizontalStepsAreSpaceWidths) {
  SourceView* view = MakeView(40);
  ASSERT_NE(view, nullptr);
  const int space = view->charWidth;
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_LINELEFT), 0) << "already at the left";
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_LINERIGHT), 1);
  EXPECT_EQ(view->hScroll, 8 * space);
  EXPECT_EQ(BarPosition(view, SB_HORZ), 8 * space);
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_PAGERIGHT), 1);
  EXPECT_EQ(view->hScroll, 24 * space);
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_PAGELEFT), 1);
  EXPECT_EQ(view->hScroll, 8 * space);
  // The thumb's move is cut to whole spaces: from 8 spaces to 3 and a bit
  // moves back 4 spaces.
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_THUMBPOSITION, 3 * space + 2), 0);
  EXPECT_EQ(view->hScroll, 4 * space);
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_THUMBPOSITION, 60000), 0);
  EXPECT_EQ(view->hScroll, view->hRange);
  EXPECT_EQ(Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 10), 1);
  EXPECT_EQ(CountLinePixels(view, 1, kTestBlack), 0) << "the text is out of view to the left";
  // Back to the left: the thumb's move is cut to whole spaces (hRange is
  // not a whole number of them); a line step ends at 0.
  Scroll(view, WM_HSCROLL, SB_THUMBPOSITION, 0);
  EXPECT_EQ(view->hScroll, view->hRange % space);
  Scroll(view, WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(view->hScroll, 0);
  EXPECT_GT(CountLinePixels(view, 1, kTestBlack), 0);

  // A page key brings the cursor's column back towards view: 32 spaces to
  // the right, the cursor's first character lies at -31 spaces.
  Scroll(view, WM_HSCROLL, SB_PAGERIGHT);
  Scroll(view, WM_HSCROLL, SB_PAGERIGHT);
  Key(view, VK_NEXT);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 30);
  EXPECT_EQ(view->hScroll, 32 * space - 31 * space);
  EXPECT_EQ(BarPosition(view, SB_HORZ), space);
  Key(view, VK_PRIOR);  // a first character partly out: 8 spaces back, to 0
  EXPECT_EQ(view->hScroll, 0);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 0);
}

TEST_F(SourceViewInputTest, ClicksReportTheLineHit) {
  SourceView* view = MakeView(50);
  ASSERT_NE(view, nullptr);
  Scroll(view, WM_VSCROLL, SB_THUMBPOSITION, 12);
  SendMessageA(view->window, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(view, 3));
  EXPECT_EQ(GetFocus(), view->window);
  SendMessageA(view->window, WM_LBUTTONDBLCLK, MK_LBUTTON, AtLine(view, 5));
  EXPECT_EQ(gClicked, (std::vector<Call>{{view, 15}}));
  EXPECT_EQ(gActivated, (std::vector<Call>{{view, 17}}));
  DestroyWindow(view->window);

  gActivated.clear();
  SourceView* shortView = MakeView(20);
  ASSERT_NE(shortView, nullptr);
  SendMessageA(shortView->window, WM_LBUTTONDBLCLK, MK_LBUTTON, AtLine(shortView, 25));  // below the last line
  EXPECT_EQ(gActivated, (std::vector<Call>{{shortView, 19}}));
}

TEST_F(SourceViewInputTest, WithoutCallbacksClicksDoNothing) {
  SourceView* view = MakeView(50, 30, false);
  ASSERT_NE(view, nullptr);
  SendMessageA(view->window, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(view, 3));
  SendMessageA(view->window, WM_LBUTTONDBLCLK, MK_LBUTTON, AtLine(view, 3));
  Scroll(view, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_TRUE(gActivated.empty() && gClicked.empty() && gScrolled.empty());
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 1);
}

TEST_F(SourceViewInputTest, ScrollToMovesWithoutReportingAndClampsOnRequest) {
  SourceView* view = MakeView(100);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(SourceViewScrollTo(view, 50, 0), 1);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 50);
  EXPECT_EQ(BarPosition(view, SB_VERT), 50);
  EXPECT_EQ(SourceViewScrollTo(view, 100, 0), 0);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 50);
  EXPECT_EQ(SourceViewScrollTo(view, 100, 1), 1);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 70);
  EXPECT_EQ(SourceViewScrollTo(view, -5, 1), 1);
  EXPECT_EQ(SourceViewQuery(view, kQueryFirstVisibleLine), 0);
  EXPECT_TRUE(gScrolled.empty());
  EXPECT_EQ(SourceViewScrollTo(nullptr, 1, 1), 0);
}

// A mark paints its line at once, without waiting for WM_PAINT.
TEST_F(SourceViewInputTest, AMarkIsPaintedAtOnce) {
  SourceView* view = MakeView(40);
  ASSERT_NE(view, nullptr);
  auto redAtRightEdge = [&] {
    HDC dc = GetDC(view->window);
    COLORREF color = GetPixel(dc, view->clientWidth - 1, 3 * view->lineHeight + 4);
    ReleaseDC(view->window, dc);
    return color;
  };
  EXPECT_EQ(SourceViewMarkLine(view, 3, kColorBreakpoint, kMarkBreakpoint), 1);
  EXPECT_FALSE(GetUpdateRect(view->window, nullptr, FALSE));
  EXPECT_EQ(redAtRightEdge(), kTestRed);
  EXPECT_EQ(SourceViewUnmarkLine(view, 3, kMarkBreakpoint), 1);
  EXPECT_EQ(redAtRightEdge(), kTestWhite);
  EXPECT_EQ(SourceViewUnmarkLine(view, 3, kMarkBreakpoint), 0);
  EXPECT_EQ(SourceViewMarkLine(nullptr, 3, kColorBreakpoint, kMarkBreakpoint), 0);
}

TEST_F(SourceViewInputTest, ClosingDestroysTheWindowAndGivesBackThePool) {
  const int freeSlots = MemPoolFreeSlots();
  SourceView* view = MakeView(40);
  ASSERT_NE(view, nullptr);
  HWND window = view->window;
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots - 1);
  EXPECT_EQ(SourceViewClose(view), 1);
  EXPECT_TRUE(IsWindow(window)) << "closing is posted";
  PumpMessages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
  EXPECT_EQ(SourceViewClose(nullptr), 0);
}

}  // namespace

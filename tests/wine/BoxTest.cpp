// The box control as a real window under a real parent: class and styles,
// scroll bar, keys and clicks, and the pixels it paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/BoxTesting.h"
#include "support/WineTestSupport.h"
#include "ui/Box_win.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);

std::vector<int32_t> gDeleteAsked;
int32_t gDeleteAnswer = 1;

int32_t OnDelete(BoxRecord*, int32_t index, BoxLine*) {
  gDeleteAsked.push_back(index);
  return gDeleteAnswer;
}

// One parent for all cases (a top-level window takes the X server a while to
// show); each case starts with it empty.
class BoxWindowTest : public ::testing::Test {
 protected:
  static HWND parent;

  static void SetUpTestSuite() { parent = CreateTestParent("BoxTestParent", DefWindowProcA, 500, 400); }
  static void TearDownTestSuite() { DestroyWindow(parent); }
  void SetUp() override {
    ASSERT_NE(parent, nullptr);
    gDeleteAsked.clear();
  }
  void TearDown() override {
    while (HWND child = GetWindow(parent, GW_CHILD)) DestroyWindow(child);
    SetFocus(parent);
    PumpMessages();
  }

  // A shown box of `lines` numbered lines, 4 lines high, 200 pixels wide.
  static BoxRecord* MakeBox(uint32_t flags, int lines, int left = 10) {
    BoxRecord* box = BoxCreate(parent, 7, flags, 0);
    if (!box) return nullptr;
    BoxSetCallback(box, kBoxCallbackDelete, reinterpret_cast<BoxCallback>(OnDelete));
    SetWindowPos(BoxGetWindow(box), nullptr, left, 10, 200, 4 * box->lineHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < lines; i++) BoxAddLine(box, 0, ("line " + std::to_string(i)).c_str());
    BoxSetTopLine(box, 0);
    ShowWindow(BoxGetWindow(box), SW_SHOW);
    PumpMessages();
    return box;
  }
  static LPARAM AtLine(const BoxRecord* box, int line) {
    return MAKELPARAM(20, line * box->lineHeight + box->lineHeight / 2);
  }
};
HWND BoxWindowTest::parent = nullptr;

TEST_F(BoxWindowTest, CreationRegistersTheClassAndMakesAHiddenChildOfTheFlagsStyle) {
  // The styles as the windows are made: a scroll range of 0..0 takes
  // WS_VSCROLL away again at once.
  std::vector<LONG> created;
  BoxRecord* box;
  {
    CreationStyles styles("QN20BOXCLASS");
    box = BoxCreate(parent, 7, 0, 0);
    BoxCreate(parent, 8, BOX_HSCROLL | BOX_NOBORDER | BOX_NOVSCROLL, 0);
    created = styles.Styles();
  }
  ASSERT_NE(box, nullptr);
  WNDCLASSA registered;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "QN20BOXCLASS", &registered));
  EXPECT_EQ(registered.lpfnWndProc, BoxWndProc);
  EXPECT_EQ(registered.cbWndExtra, static_cast<int>(sizeof(void*)));
  HWND window = BoxGetWindow(box);
  EXPECT_EQ(reinterpret_cast<BoxRecord*>(GetWindowLongPtrA(window, 0)), box);
  EXPECT_EQ(GetDlgCtrlID(window), 7);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(box->background, GetSysColor(COLOR_BTNSHADOW));
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0], WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | WS_BORDER | WS_VSCROLL);
  EXPECT_EQ(created[1], WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | WS_HSCROLL);
}

TEST_F(BoxWindowTest, ScrollBarFollowsTheViewAndAThumbDragChangesNothing) {
  BoxRecord* box = MakeBox(0, 10);
  HWND window = BoxGetWindow(box);
  int low = -1, high = -1;
  GetScrollRange(window, SB_VERT, &low, &high);
  EXPECT_EQ(high, 6);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3), 0);
  EXPECT_EQ(box->topLine, 0);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 0);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(box->topLine, 3);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 3);
  SendMessageA(window, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 6);
}

TEST_F(BoxWindowTest, ClicksAndKeysSelectAndTheDeleteKeyAsksTheOwner) {
  BoxRecord* box = MakeBox(0, 3);
  HWND window = BoxGetWindow(box);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(box, 1));
  EXPECT_EQ(box->selected, 1);
  EXPECT_EQ(GetFocus(), window);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(box, 3));  // below the last line
  EXPECT_EQ(box->selected, 1);
  EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTALLKEYS);
  gDeleteAnswer = 0;
  SendMessageA(window, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(box->lineCount, 3);
  gDeleteAnswer = 1;
  SendMessageA(window, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(box->lineCount, 2);
  EXPECT_EQ(gDeleteAsked, (std::vector<int32_t>{1, 1}));
  SendMessageA(window, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(box->selected, 0);
}

TEST_F(BoxWindowTest, ReadOnlyBoxIgnoresKeysAndClicks) {
  BoxRecord* box = MakeBox(BOX_READONLY, 3);
  HWND window = BoxGetWindow(box);
  EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, 0, 0), 0);
  BoxSelectIndex(box, 1);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(box, 2));
  SendMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(window, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(box->selected, 1);
  EXPECT_EQ(box->lineCount, 3);
  EXPECT_NE(GetFocus(), window);
  EXPECT_TRUE(gDeleteAsked.empty());
}

TEST_F(BoxWindowTest, LinesArePaintedInTheirColoursAndTheSelectionIsInverted) {
  BoxRecord* box = MakeBox(BOX_NOBORDER, 3);
  BoxSetAttribute(box, kBoxAttributeBackground, kWhite);
  BoxSetTextColor(box, 0, kBlue);
  BoxReplaceLine(box, 2, 3, "red text");
  BoxSelectIndex(box, 1);
  InvalidateRect(BoxGetWindow(box), nullptr, TRUE);
  EXPECT_GT(CountLinePixels(box, 0, kBlue), 0);
  EXPECT_EQ(CountLinePixels(box, 0, kRed), 0);
  EXPECT_GT(CountLinePixels(box, 2, kRed), 0);
  // The selected line: black (inverted white) behind text in the background colour.
  EXPECT_GT(CountLinePixels(box, 1, RGB(0, 0, 0)), 200 * box->lineHeight / 2);
  EXPECT_GT(CountLinePixels(box, 1, kWhite), 0);
  EXPECT_EQ(CountLinePixels(box, 1, kBlue), 0);

  BoxRecord* keeping = MakeBox(BOX_NOBORDER | BOX_KEEPTEXTCOLOR, 3, 250);
  BoxSetAttribute(keeping, kBoxAttributeBackground, kWhite);
  BoxSetTextColor(keeping, 0, kBlue);
  BoxSelectIndex(keeping, 1);
  InvalidateRect(BoxGetWindow(keeping), nullptr, TRUE);
  EXPECT_GT(CountLinePixels(keeping, 1, kBlue), 0);
}

}  // namespace

// The box control as a real window under a real parent: class and styles,
// fitting, scroll bars, keys and clicks, painting, fonts and the record's life.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "support/BoxTesting.h"
#include "support/WineTestSupport.h"
#include "ui/Box_win.h"
#include "util/Font.h"

namespace {

constexpr int kBoxId = 7;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// What the parent was sent or posted.
std::vector<std::pair<WPARAM, LPARAM>> gNextControlRequests;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NEXTDLGCTL) {
    gNextControlRequests.emplace_back(wParam, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Notified {
  std::vector<int32_t> selected;
  std::vector<int32_t> deleteAsked;
  int32_t deleteAnswer = 1;
};
Notified* gNotified = nullptr;

int32_t OnSelect(BoxRecord*, int32_t index, BoxLine*) {
  gNotified->selected.push_back(index);
  return 0;
}
int32_t OnDelete(BoxRecord*, int32_t index, BoxLine*) {
  gNotified->deleteAsked.push_back(index);
  return gNotified->deleteAnswer;
}

int TextHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size;
  GetTextExtentPointA(dc, "T", 1, &size);
  if (old) SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size.cy;
}

// One parent for all cases (a top-level window takes the X server a while to
// show); each case starts with it empty.
class BoxWindowTest : public ::testing::Test {
 protected:
  static HWND parent;
  Notified notified;

  static void SetUpTestSuite() { parent = CreateTestParent("BoxTestParent", ParentProc, 500, 400); }
  static void TearDownTestSuite() { DestroyWindow(parent); }

  void SetUp() override {
    ASSERT_NE(parent, nullptr);
    gNotified = &notified;
    gNextControlRequests.clear();
  }
  void TearDown() override {
    while (HWND child = GetWindow(parent, GW_CHILD)) DestroyWindow(child);
    SetFocus(parent);
    PumpMessages();
  }

  // A shown box of `lines` numbered lines, `pageLines` lines high.
  BoxRecord* MakeBox(uint32_t flags, int lines, int pageLines = 4, int left = 10) {
    BoxRecord* box = BoxCreate(parent, kBoxId, flags, 0);
    if (!box) return nullptr;
    BoxSetCallback(box, kBoxCallbackSelect, reinterpret_cast<BoxCallback>(OnSelect));
    BoxSetCallback(box, kBoxCallbackDelete, reinterpret_cast<BoxCallback>(OnDelete));
    const int bar = (flags & BOX_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    SetWindowPos(BoxGetWindow(box), nullptr, left, 10, 200, pageLines * box->lineHeight + bar,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < lines; i++) BoxAddLine(box, 0, ("line " + std::to_string(i)).c_str());
    BoxSetTopLine(box, 0);
    ShowWindow(BoxGetWindow(box), SW_SHOW);
    UpdateWindow(BoxGetWindow(box));
    PumpMessages();
    return box;
  }

  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
};
HWND BoxWindowTest::parent = nullptr;

// ---------------------------------------------------------------------------

// The style each box window was created with, caught as it is created (a
// scroll range of 0..0 takes WS_VSCROLL away again at once).
std::vector<LONG> gCreatedBoxStyles;

LRESULT CALLBACK CatchBoxStyles(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (HIWORD(reinterpret_cast<ULONG_PTR>(create->lpszClass)) && lstrcmpA(create->lpszClass, "QN20BOXCLASS") == 0)
      gCreatedBoxStyles.push_back(create->style);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(BoxWindowTest, CreationRegistersTheClassAndMakesAHiddenChild) {
  HHOOK hook = SetWindowsHookExA(WH_CBT, CatchBoxStyles, nullptr, GetCurrentThreadId());
  BoxRecord* box = BoxCreate(parent, kBoxId, 0, 0);
  BoxRecord* bare = BoxCreate(parent, kBoxId + 1, BOX_HSCROLL | BOX_NOBORDER | BOX_NOVSCROLL, 0);
  UnhookWindowsHookEx(hook);
  ASSERT_NE(box, nullptr);
  ASSERT_NE(bare, nullptr);
  HWND window = BoxGetWindow(box);
  WNDCLASSA registered;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "QN20BOXCLASS", &registered));
  EXPECT_EQ(registered.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(registered.lpfnWndProc, BoxWndProc);
  EXPECT_EQ(registered.cbWndExtra, static_cast<int>(sizeof(void*)));
  EXPECT_EQ(registered.hbrBackground, nullptr);
  char name[32];
  GetWindowTextA(window, name, sizeof name);
  EXPECT_STREQ(name, "QN20BOXWINDOW");
  EXPECT_EQ(GetDlgCtrlID(window), kBoxId);
  EXPECT_FALSE(IsWindowVisible(window));
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 1);
  EXPECT_EQ(rect.top, 1);
  EXPECT_EQ(rect.right - rect.left, 1);
  EXPECT_EQ(reinterpret_cast<BoxRecord*>(GetWindowLongPtrA(window, 0)), box);
  EXPECT_EQ(box->lineHeight, TextHeight(window, nullptr));
  EXPECT_EQ(box->background, GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(box->parent, parent);
  EXPECT_EQ(box->selected, -1);

  ASSERT_EQ(gCreatedBoxStyles.size(), 2u);
  const LONG plain = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | WS_BORDER | WS_VSCROLL;
  EXPECT_EQ(gCreatedBoxStyles[0], plain);
  EXPECT_EQ(gCreatedBoxStyles[1], WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | WS_HSCROLL);
  int low = -1, high = -1;
  GetScrollRange(window, SB_VERT, &low, &high);
  EXPECT_EQ(high, 0);
}

TEST_F(BoxWindowTest, ResizingFitsTheHeightToWholeLines) {
  BoxRecord* box = MakeBox(BOX_NOBORDER, 10);
  ASSERT_NE(box, nullptr);
  const int line = box->lineHeight;
  HWND window = BoxGetWindow(box);
  RECT client;
  SetWindowPos(window, nullptr, 0, 0, 200, line * 26 / 10, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(window, &client);
  EXPECT_EQ(client.bottom - client.top, 3 * line) << "2.6 lines of " << line;
  EXPECT_EQ(box->pageLines, 3);
  SetWindowPos(window, nullptr, 0, 0, 200, line * 24 / 10, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(window, &client);
  EXPECT_EQ(client.bottom - client.top, 2 * line) << "2.4 lines of " << line;
  EXPECT_EQ(box->pageLines, 2);
  EXPECT_EQ(box->hScrollLimit, 200);

  BoxRecord* scrolled = MakeBox(BOX_NOBORDER | BOX_HSCROLL, 10);
  const int bar = GetSystemMetrics(SM_CYHSCROLL);
  SetWindowPos(BoxGetWindow(scrolled), nullptr, 0, 0, 200, line * 26 / 10 + bar, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(BoxGetWindow(scrolled), &client);
  EXPECT_EQ(client.bottom, 3 * line);
}

TEST_F(BoxWindowTest, ScrollBarFollowsTheLinesAndOnlyAThumbReleaseMovesTheView) {
  BoxRecord* box = MakeBox(0, 10);
  HWND window = BoxGetWindow(box);
  int low = -1, high = -1;
  GetScrollRange(window, SB_VERT, &low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 6);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3), 0);
  EXPECT_EQ(box->topLine, 0);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 0);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(box->topLine, 3);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 3);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 4);
  SendMessageA(window, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(box->topLine, 6);

  BoxDeleteLine(box, -1);
  BoxAddLine(box, 0, "alone");
  GetScrollRange(window, SB_VERT, &low, &high);
  EXPECT_EQ(high, 0);  // all lines in view: no bar
}

TEST_F(BoxWindowTest, ClicksSelectTakeTheFocusAndMissTheBlankBelow) {
  BoxRecord* box = MakeBox(0, 3);
  HWND window = BoxGetWindow(box);
  const int line = box->lineHeight;
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(20, line + line / 2));
  EXPECT_EQ(box->selected, 1);
  EXPECT_EQ(GetFocus(), window);
  EXPECT_EQ(notified.selected, (std::vector<int32_t>{1}));
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 3 * line + 2));  // below the last line
  EXPECT_EQ(box->selected, 1);
  EXPECT_EQ(notified.selected.size(), 1u);
  SendMessageA(window, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(box->selected, 0);
}

TEST_F(BoxWindowTest, DeleteKeyAsksTheOwnerOnRelease) {
  BoxRecord* box = MakeBox(0, 3);
  HWND window = BoxGetWindow(box);
  BoxSelectIndex(box, 1);
  notified.deleteAnswer = 0;
  SendMessageA(window, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(box->lineCount, 3);
  notified.deleteAnswer = 1;
  SendMessageA(window, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(box->lineCount, 3);
  SendMessageA(window, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(box->lineCount, 2);
  EXPECT_STREQ(BoxLineAt(box, 1)->text, "line 2");
  EXPECT_EQ(notified.deleteAsked, (std::vector<int32_t>{1, 1}));
}

TEST_F(BoxWindowTest, TabAsksTheParentForTheNextControl) {
  BoxRecord* box = MakeBox(0, 3);
  HWND window = BoxGetWindow(box);
  SendMessageA(window, WM_CHAR, '\t', 0);
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(window, WM_CHAR, '\t', 0);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  SendMessageA(window, WM_CHAR, 'x', 0);
  PumpMessages();
  ASSERT_EQ(gNextControlRequests.size(), 2u);
  EXPECT_EQ(gNextControlRequests[0], std::make_pair(WPARAM{0}, LPARAM{0}));
  EXPECT_EQ(gNextControlRequests[1], std::make_pair(WPARAM{1}, LPARAM{0}));
}

TEST_F(BoxWindowTest, ReadOnlyBoxIgnoresKeysAndClicks) {
  BoxRecord* normal = MakeBox(0, 3);
  EXPECT_EQ(SendMessageA(BoxGetWindow(normal), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTALLKEYS);
  SetFocus(parent);
  BoxRecord* box = MakeBox(BOX_READONLY, 3);
  HWND window = BoxGetWindow(box);
  EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, 0, 0), 0);
  BoxSelectIndex(box, 1);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 2));
  SendMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(window, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(box->selected, 1);
  EXPECT_EQ(box->lineCount, 3);
  EXPECT_NE(GetFocus(), window);
  EXPECT_TRUE(notified.selected.empty());
  EXPECT_TRUE(notified.deleteAsked.empty());
}

// ---------------------------------------------------------------------------

TEST_F(BoxWindowTest, LinesArePaintedInTheirColoursAndTheSelectionIsInverted) {
  BoxRecord* box = MakeBox(BOX_NOBORDER, 3);
  BoxSetAttribute(box, kBoxAttributeBackground, kWhite);
  BoxSetTextColor(box, 0, RGB(0, 0, 255));
  BoxReplaceLine(box, 2, 3, "red text");
  BoxSelectIndex(box, 1);
  InvalidateRect(BoxGetWindow(box), nullptr, TRUE);
  const int halfLine = 200 * box->lineHeight / 2;
  EXPECT_GT(CountLinePixels(box, 0, RGB(0, 0, 255)), 0);
  EXPECT_EQ(CountLinePixels(box, 0, RGB(255, 0, 0)), 0);
  EXPECT_GT(CountLinePixels(box, 2, RGB(255, 0, 0)), 0);
  // The selected line: black (inverted white) behind text in the background colour.
  EXPECT_GT(CountLinePixels(box, 1, RGB(0, 0, 0)), halfLine);
  EXPECT_GT(CountLinePixels(box, 1, kWhite), 0);
  EXPECT_EQ(CountLinePixels(box, 1, RGB(0, 0, 255)), 0);

  BoxRecord* keeping = MakeBox(BOX_NOBORDER | BOX_KEEPTEXTCOLOR, 3, 4, 250);
  BoxSetAttribute(keeping, kBoxAttributeBackground, kWhite);
  BoxSetTextColor(keeping, 0, RGB(0, 0, 255));
  BoxSelectIndex(keeping, 1);
  InvalidateRect(BoxGetWindow(keeping), nullptr, TRUE);
  EXPECT_GT(CountLinePixels(keeping, 1, RGB(0, 0, 255)), 0);
}

TEST_F(BoxWindowTest, FontSetsTheLineHeightAndANullFontIsIgnored) {
  BoxRecord* box = MakeBox(BOX_NOBORDER, 20, 6);
  HWND window = BoxGetWindow(box);
  const int before = box->lineHeight;
  EXPECT_EQ(SendMessageA(window, WM_SETFONT, 0, TRUE), 0);
  EXPECT_EQ(box->lineHeight, before);
  HFONT big = CreateFontByName(0, "Courier", 24, 0, 0, 0, 0);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
  const int height = TextHeight(window, big);
  EXPECT_EQ(box->lineHeight, height);
  EXPECT_NE(height, before);
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ((rect.bottom - rect.top) % height, 0) << "refitted to whole lines of " << height;
  EXPECT_EQ(box->pageLines, (rect.bottom - rect.top) / height);
  DestroyWindow(window);
  DeleteObject(big);
}

TEST_F(BoxWindowTest, DestroyedBoxGivesItsRecordToTheNextOne) {
  BoxRecord* box = MakeBox(0, 5);
  HWND window = BoxGetWindow(box);
  DestroyWindow(window);
  EXPECT_EQ(BoxGetWindow(box), nullptr);
  BoxRecord* next = BoxCreate(parent, kBoxId, BOX_SORTED, 0);
  EXPECT_EQ(next, box);
  EXPECT_EQ(next->lineCount, 0);
  EXPECT_EQ(next->flags, BOX_SORTED);
  EXPECT_EQ(next->onSelect, nullptr);
  EXPECT_NE(BoxGetWindow(next), window);
}

}  // namespace

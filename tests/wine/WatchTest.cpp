// The watch window as a real window: its two boxes kept in step by clicks,
// scrolling and the Delete key, values drawn red when they cannot be found,
// the layout, fonts, and many windows made and destroyed without a trace.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/BoxTesting.h"
#include "support/ImportPatch.h"
#include "support/WineTestSupport.h"
#include "memory/List.h"
#include "memory/MemPoolDebug.h"
#include "tests/support/WatchScript.h"
#include "ui/Box_win.h"
#include "ui/Watch_win.h"
#include "util/Font.h"
#include "util/Text.h"

namespace {

constexpr int kWatchId = 403;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

LPARAM AtLine(const BoxRecord* box, int line) { return MAKELPARAM(8, line * box->lineHeight + box->lineHeight / 2); }

class WatchWindowTest : public ::testing::Test {
 protected:
  static HWND parent;
  WatchScript script;

  static void SetUpTestSuite() { parent = CreateTestParent("WatchTestParent", DefWindowProcA, 640, 480); }
  static void TearDownTestSuite() { DestroyWindow(parent); }

  void SetUp() override { ASSERT_NE(parent, nullptr); }
  void TearDown() override {
    while (HWND child = GetWindow(parent, GW_CHILD)) DestroyWindow(child);
    PumpMessages();
  }

  // A shown watch window at (10,10) of the given size with the watches added
  // in this order (so the last one is on the first line).
  WatchRecord* MakeWatch(int width, int height, const std::vector<std::string>& globals) {
    WatchRecord* watch = WatchCreate(parent, kWatchId, 0, WatchScriptEvaluator, &script);
    if (!watch) return nullptr;
    for (const std::string& name : globals) WatchAdd(watch, 2, 1, name.c_str());
    MoveWindow(WatchGetWindow(watch), 10, 10, width, height, TRUE);
    ShowWindow(WatchGetWindow(watch), SW_SHOW);
    UpdateWindow(WatchGetWindow(watch));
    PumpMessages();
    return watch;
  }

  static std::vector<std::string> Numbered(int count) {
    std::vector<std::string> names;
    for (int i = count - 1; i >= 0; i--) names.push_back("W" + std::to_string(i));
    return names;  // added last to first: W0 ends up on top
  }
};
HWND WatchWindowTest::parent = nullptr;

RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// ---------------------------------------------------------------------------

TEST_F(WatchWindowTest, CreationLayoutAndFont) {
  WatchRecord* watch = WatchCreate(parent, kWatchId, 0, WatchScriptEvaluator, &script);
  ASSERT_NE(watch, nullptr);
  HWND window = WatchGetWindow(watch);
  WNDCLASSA registered;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "QN20WATCHCLASS", &registered));
  EXPECT_EQ(registered.lpfnWndProc, WatchWndProc);
  EXPECT_EQ(GetDlgCtrlID(window), kWatchId);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(RectInParent(window).left, 10);
  EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  EXPECT_EQ(GetDlgItem(window, 4031), BoxGetWindow(watch->namesBox));
  EXPECT_EQ(GetDlgItem(window, 4032), BoxGetWindow(watch->valuesBox));
  EXPECT_EQ(watch->namesBox->flags, 21u);
  EXPECT_EQ(watch->valuesBox->flags, 5u);
  EXPECT_TRUE(GetWindowLongA(BoxGetWindow(watch->namesBox), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongA(BoxGetWindow(watch->valuesBox), GWL_STYLE) & WS_VISIBLE);

  HFONT font = CreateFontByName(0, "Courier", 20, 0, 0, 0, 0);
  SendMessageA(window, WM_SETFONT, 0, TRUE);  // ignored
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(watch->namesBox->font, font);
  EXPECT_EQ(watch->valuesBox->font, font);
  for (const char* name : {"C", "B", "A"}) WatchAdd(watch, 2, 1, name);
  MoveWindow(window, 10, 10, 300, 150, TRUE);
  const int bar = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
  const RECT names = RectInParent(BoxGetWindow(watch->namesBox));
  const RECT values = RectInParent(BoxGetWindow(watch->valuesBox));
  EXPECT_EQ(names.left, 5);
  EXPECT_EQ(names.top, 5);
  EXPECT_EQ(values.left, 110);
  // A box that fits its height and holds fewer lines than it shows widens by a bar.
  EXPECT_TRUE(names.right == 100 - bar || names.right == 100) << names.right;
  EXPECT_TRUE(values.right == 295 - bar || values.right == 295) << values.right;
  const int line = watch->valuesBox->lineHeight;
  EXPECT_EQ((values.bottom - values.top - barHeight) % line, 0) << "whole lines of " << line;
  EXPECT_EQ(names.bottom, values.bottom);
  DestroyWindow(window);
  DeleteObject(font);
}

TEST_F(WatchWindowTest, ClickingALineInOneBoxSelectsItInTheOther) {
  WatchRecord* watch = MakeWatch(300, 150, Numbered(10));
  SendMessageA(BoxGetWindow(watch->namesBox), WM_LBUTTONDOWN, MK_LBUTTON, AtLine(watch->namesBox, 3));
  EXPECT_EQ(watch->namesBox->selected, 3);
  EXPECT_EQ(watch->valuesBox->selected, 3);
  SendMessageA(BoxGetWindow(watch->valuesBox), WM_LBUTTONDOWN, MK_LBUTTON, AtLine(watch->valuesBox, 1));
  EXPECT_EQ(watch->namesBox->selected, 1);
  EXPECT_EQ(GetFocus(), BoxGetWindow(watch->valuesBox));
  SendMessageA(BoxGetWindow(watch->valuesBox), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(watch->namesBox->selected, 2);
}

TEST_F(WatchWindowTest, ScrollingOneBoxScrollsTheOther) {
  WatchRecord* watch = MakeWatch(300, 80, Numbered(20));
  ASSERT_LT(watch->valuesBox->pageLines, 20);
  HWND values = BoxGetWindow(watch->valuesBox), names = BoxGetWindow(watch->namesBox);
  SendMessageA(values, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  EXPECT_EQ(watch->namesBox->topLine, 1);
  SendMessageA(values, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 6), 0);
  EXPECT_EQ(watch->namesBox->topLine, 6);
  SendMessageA(values, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 9), 0);
  EXPECT_EQ(watch->valuesBox->topLine, 6);
  EXPECT_EQ(watch->namesBox->topLine, 6);
  SendMessageA(names, WM_KEYDOWN, VK_PRIOR, 0);  // the names box has no bar but scrolls
  EXPECT_EQ(watch->valuesBox->topLine, 6 - watch->namesBox->pageLines);
  EXPECT_EQ(GetScrollPos(values, SB_VERT), watch->valuesBox->topLine);
}

TEST_F(WatchWindowTest, DeleteKeyRemovesTheWatchFromBothBoxesAndTheList) {
  WatchRecord* watch = MakeWatch(300, 150, {"C", "B", "A"});
  HWND values = BoxGetWindow(watch->valuesBox), names = BoxGetWindow(watch->namesBox);
  SendMessageA(values, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(watch->valuesBox, 1));  // "B"
  SendMessageA(values, WM_KEYUP, VK_DELETE, 0);
  ASSERT_EQ(watch->namesBox->lineCount, 2);
  EXPECT_EQ(watch->valuesBox->lineCount, 2);
  EXPECT_STREQ(BoxLineAt(watch->namesBox, 1)->text, "C");
  EXPECT_EQ(ListCount(watch->watches), 2u);
  EXPECT_STREQ(static_cast<WatchItem*>(ListLast(watch->watches))->name, "C");

  SendMessageA(names, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(watch->namesBox, 0));  // "A", from the names box
  SendMessageA(names, WM_KEYUP, VK_DELETE, 0);
  EXPECT_EQ(watch->valuesBox->lineCount, 1);
  EXPECT_STREQ(static_cast<WatchItem*>(ListFirst(watch->watches))->name, "C");
  EXPECT_STREQ(BoxLineAt(watch->valuesBox, 0)->text, "<variable not found>");
}

// A dozen watches in the dialog font, one not found, one selected: checked and
// kept as a screenshot (watch-window.bmp).
TEST_F(WatchWindowTest, DozenWatchesWithOneMissingAndOneSelected) {
  script.globals = {{"SRCDIR", "C:\\QUENDLE\\SOURCE"}, {"TARGETDIR", "C:\\Program Files\\Quendle"},
                    {"nFiles", "42"},  {"szTitle", "Quendle 2.0 Setup"},
                    {"nResult", "0"},  {"szComponent", "Program Files"},
                    {"nDiskSpace", "18432"}, {"szLangDir", "english"},
                    {"bReboot", "1"},  {"szUser", "Administrator"},
                    {"nCount", "7"}};
  std::vector<std::string> order = {"nCount", "szUser", "bReboot", "szLangDir", "nDiskSpace", "szTempPath",
                                    "szComponent", "nResult", "szTitle", "nFiles", "SRCDIR", "TARGETDIR"};
  HFONT font = CreateFontByName(0, "MS Sans Serif", 8, 0, 0, 0, 0);
  WatchRecord* watch = WatchCreate(parent, kWatchId, 0, WatchScriptEvaluator, &script);
  ASSERT_NE(watch, nullptr);
  SendMessageA(WatchGetWindow(watch), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  for (const std::string& name : order) WatchAdd(watch, 2, 1, name.c_str());
  MoveWindow(WatchGetWindow(watch), 10, 10, 420, 12 * watch->valuesBox->lineHeight + 30, TRUE);
  ShowWindow(WatchGetWindow(watch), SW_SHOW);
  PumpMessages();
  ASSERT_GE(watch->valuesBox->pageLines, 12);
  SendMessageA(BoxGetWindow(watch->valuesBox), WM_LBUTTONDOWN, MK_LBUTTON, AtLine(watch->valuesBox, 3));
  PumpMessages();

  const int missing = 6;  // szTempPath
  EXPECT_STREQ(BoxLineAt(watch->valuesBox, missing)->text, "<variable not found>");
  EXPECT_GT(CountLinePixels(watch->valuesBox, missing, kRed), 0);
  for (int line = 0; line < 12; line++) {
    if (line == missing) continue;
    EXPECT_EQ(CountLinePixels(watch->valuesBox, line, kRed), 0) << "line " << line;
  }
  // The selected line in both boxes: white behind inverted into black.
  const int lineArea = watch->valuesBox->lineHeight * 100;
  EXPECT_GT(CountLinePixels(watch->valuesBox, 3, kBlack), lineArea);
  EXPECT_GT(CountLinePixels(watch->namesBox, 3, kBlack), lineArea / 2);
  EXPECT_TRUE(SaveWindowBmp(WatchGetWindow(watch), ScreenshotPath("watch-window.bmp")));
  // A value found is black; lost at a refresh, its line turns red.
  EXPECT_GT(CountLinePixels(watch->valuesBox, 0, kBlack), 0);
  script.globals.erase("TARGETDIR");
  WatchRefresh(watch);
  EXPECT_GT(CountLinePixels(watch->valuesBox, 0, kRed), 0);
  EXPECT_EQ(CountLinePixels(watch->valuesBox, 0, kBlack), 0);
  DestroyWindow(WatchGetWindow(watch));
  DeleteObject(font);
}

// ---------------------------------------------------------------------------
// Leaks. The library's code is linked into this program, so its calls to
// CreatePen and GetDC go through this program's import table: patched, they
// show every pen made and every device context taken.

GdiObjectTracker* gPens = nullptr;
decltype(&CreatePen) gCreatePen = nullptr;

HPEN WINAPI TrackedCreatePen(int style, int width, COLORREF color) {
  HPEN pen = gCreatePen(style, width, color);
  if (pen) gPens->Track(pen, "pen");
  return pen;
}

TEST_F(WatchWindowTest, ManyWatchWindowsLeaveNoWindowNoGdiObjectAndUseOnePoolEach) {
  GdiObjectTracker pens;
  gPens = &pens;
  gCreatePen = reinterpret_cast<decltype(&CreatePen)>(
      PatchImport("gdi32.dll", "CreatePen", reinterpret_cast<void*>(TrackedCreatePen)));
  DcBalance dcs;
  ASSERT_TRUE(gCreatePen && dcs.Installed());

  script.globals = {{"A", "1"}};
  auto makeUseAndDestroy = [&] {
    WatchRecord* watch = MakeWatch(300, 100, {"A", "B", "C", "D", "E", "F", "G"});
    ASSERT_NE(watch, nullptr);
    HWND values = BoxGetWindow(watch->valuesBox);
    SendMessageA(values, WM_LBUTTONDOWN, MK_LBUTTON, AtLine(watch->valuesBox, 1));
    SendMessageA(values, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(values, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    WatchRefresh(watch);
    RedrawWindow(WatchGetWindow(watch), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND window = WatchGetWindow(watch);
    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(values));
    EXPECT_EQ(WatchGetWindow(watch), nullptr);
  };
  makeUseAndDestroy();  // the first window makes the pools
  const int freeSlots = MemPoolFreeSlots();
  const MemPoolHandle boxPool = BoxMemoryPool(), watchPool = WatchMemoryPool();
  const int boxSegments = MemPoolSegmentCount(boxPool), watchSegments = MemPoolSegmentCount(watchPool);
  for (int i = 0; i < 100; i++) makeUseAndDestroy();
  PumpMessages();

  PatchImport("gdi32.dll", "CreatePen", reinterpret_cast<void*>(gCreatePen));
  EXPECT_GE(pens.Count(), 200u) << "the frames of every painted window were seen";
  EXPECT_EQ(pens.Alive().substr(0, 300), "");
  EXPECT_EQ(dcs.Balance(), 0);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
  EXPECT_EQ(BoxMemoryPool(), boxPool);
  EXPECT_EQ(WatchMemoryPool(), watchPool);
  EXPECT_EQ(MemPoolSegmentCount(boxPool), boxSegments);
  EXPECT_EQ(MemPoolSegmentCount(watchPool), watchSegments);
  EXPECT_EQ(MemPoolCheck(boxPool), 1);
}

}  // namespace

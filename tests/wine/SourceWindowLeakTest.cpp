// A thousand source windows made, used and destroyed in one process: no pool
// slot, no window, no device context and no GDI object is left behind, also
// when a creation fails in the Script Location dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "memory/MemPoolDebug.h"
#include "support/SourceViewTesting.h"
#include "support/WineTestSupport.h"

namespace {

// The library's calls to CreateSolidBrush, GetDC and ReleaseDC go through
// this program's import table: patched, they show every brush made and every
// device context taken.
GdiObjectTracker* gBrushes = nullptr;
decltype(&CreateSolidBrush) gCreateSolidBrush = nullptr;

HBRUSH WINAPI TrackedCreateSolidBrush(COLORREF color) {
  HBRUSH brush = gCreateSolidBrush(color);
  if (brush) gBrushes->Track(brush, "brush");
  return brush;
}

int ChildCount(HWND parent) {
  int count = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) count++;
  return count;
}

TEST(SourceWindowLeaks, AThousandSourceWindowsLeaveNothingBehind) {
  SourceTestStage stage("SourceWindowLeakParent", 500, 40 * 13);
  TempDir dir;
  const std::string path = SamplePath("setup.qn");
  const std::string missing = dir.File("missing.qn");

  GdiObjectTracker brushes;
  gBrushes = &brushes;
  gCreateSolidBrush = reinterpret_cast<decltype(&CreateSolidBrush)>(
      PatchImport("gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(TrackedCreateSolidBrush)));
  DcBalance dcs;
  ASSERT_TRUE(gCreateSolidBrush && dcs.Installed());

  const int freeSlots = MemPoolFreeSlots();
  const int children = ChildCount(stage.parent);
  int made = 0, cancelled = 0;
  for (int i = 0; i < 1000; i++) {
    if (i % 50 == 49) {  // now and then a file that is not there, and Cancel
      DialogDriver driver([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
      if (stage.Open(missing) == nullptr && driver.Acted()) cancelled++;
      continue;
    }
    SourceWindow* source = stage.Open(path);
    ASSERT_NE(source, nullptr) << "window " << i;
    made++;
    SourceWindowShowLine(source, 30 + i % 50);
    SourceWindowMarkBreakpoint(source, 1, 31 + i % 50);
    SourceWindowMarkBreakpoint(source, 1, 40);
    SendMessageA(SourceWindowViewWindow(source), WM_KEYDOWN, VK_NEXT, 0);
    SendMessageA(SourceWindowViewWindow(source), WM_VSCROLL, SB_LINEUP, 0);
    UpdateWindow(SourceWindowViewWindow(source));
    SourceWindowMarkBreakpoint(source, 0, -1);
    EXPECT_EQ(SourceWindowDestroy(source), 1);
    PumpMessages();
    ASSERT_EQ(MemPoolFreeSlots(), freeSlots) << "window " << i;
  }

  PatchImport("gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(gCreateSolidBrush));
  EXPECT_EQ(made, 980);
  EXPECT_EQ(cancelled, 20);
  EXPECT_GE(brushes.Count(), 40u * 980) << "every painted line was seen";
  EXPECT_EQ(brushes.Alive().substr(0, 300), "");
  EXPECT_EQ(dcs.Balance(), 0);
  EXPECT_EQ(ChildCount(stage.parent), children);
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
}

}  // namespace

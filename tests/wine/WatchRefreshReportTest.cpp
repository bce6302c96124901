// A report, not a timed test: the cost of WatchRefresh on a real watch window
// of 200 watches of which 5 change between refreshes, and the number of value
// lines it redraws. Only the count of redrawn lines is checked; the times are
// printed (and kept as test properties) for the README.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/BoxTesting.h"
#include "support/WineTestSupport.h"
#include "ui/Box_win.h"
#include "ui/Watch_win.h"
#include "util/Font.h"
#include "util/Text.h"

namespace {

constexpr int kWatches = 200;
constexpr int kRefreshes = 2000;
constexpr int kChanged[] = {2, 51, 100, 149, 198};  // list positions of the watches that change

std::unordered_map<std::string, std::string> gValues;

int32_t MapEvaluator(void*, const char* name, int32_t*, int32_t*, char* buffer) {
  auto found = gValues.find(name);
  if (found == gValues.end()) {
    TextCopy(buffer, 1024, "<variable not found>");
    return -1;
  }
  TextCopy(buffer, 1024, found->second.c_str());
  return 0;
}

// The values box's own view, with every line redraw counted on the way.
const BoxView* gWindowView = nullptr;
int gRedrawn = 0;
int gRedrawnInView = 0;

void CountedRedraw(BoxRecord* box, int32_t index) {
  gRedrawn++;
  if (index >= box->topLine && index < box->topLine + box->pageLines) gRedrawnInView++;
  gWindowView->redrawLine(box, index);
}

std::string Name(int position) { return "V" + std::to_string(kWatches - 1 - position); }  // list order

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

TEST(WatchRefreshReport, TwoHundredWatchesFiveChanged) {
  HWND parent = CreateTestParent("WatchReportParent", DefWindowProcA, 500, 300);
  ASSERT_NE(parent, nullptr);
  HFONT font = CreateFontByName(0, "MS Sans Serif", 8, 0, 0, 0, 0);
  WatchRecord* watch = WatchCreate(parent, 403, 0, MapEvaluator, nullptr);
  ASSERT_NE(watch, nullptr);
  SendMessageA(WatchGetWindow(watch), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (int i = 0; i < kWatches; i++) {
    gValues["V" + std::to_string(i)] = "value " + std::to_string(i);
    WatchAdd(watch, 2, 1, ("V" + std::to_string(i)).c_str());
  }
  // The size of the main window's watch area.
  MoveWindow(WatchGetWindow(watch), 10, 10, 411, 103, TRUE);
  ShowWindow(WatchGetWindow(watch), SW_SHOW);
  PumpMessages();

  gWindowView = watch->valuesBox->view;
  BoxView counting = *gWindowView;
  counting.redrawLine = CountedRedraw;
  watch->valuesBox->view = &counting;

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRefreshes; i++) WatchRefresh(watch);
  QueryPerformanceCounter(&end);
  const double unchanged = Seconds(start, end) / kRefreshes;
  EXPECT_EQ(gRedrawn, 0);

  gRedrawn = gRedrawnInView = 0;
  double changed = 0;
  for (int i = 0; i < kRefreshes; i++) {
    for (int position : kChanged) gValues[Name(position)] = "changed " + std::to_string(i);
    QueryPerformanceCounter(&start);
    WatchRefresh(watch);
    QueryPerformanceCounter(&end);
    changed += Seconds(start, end);
  }
  changed /= kRefreshes;
  EXPECT_EQ(gRedrawn, 5 * kRefreshes);
  for (int position : kChanged)
    EXPECT_EQ(BoxLineAt(watch->valuesBox, position)->text, "changed " + std::to_string(kRefreshes - 1));

  std::printf("WatchRefresh, %d watches, %d lines in view:\n", kWatches, watch->valuesBox->pageLines);
  std::printf("  nothing changed: %.1f us a refresh, 0 lines redrawn\n", unchanged * 1e6);
  std::printf("  5 changed:       %.1f us a refresh, %.1f lines redrawn (%.1f of them in view)\n", changed * 1e6,
              static_cast<double>(gRedrawn) / kRefreshes, static_cast<double>(gRedrawnInView) / kRefreshes);
  RecordProperty("microsecondsUnchanged", std::to_string(unchanged * 1e6));
  RecordProperty("microsecondsFiveChanged", std::to_string(changed * 1e6));
  RecordProperty("linesRedrawn", std::to_string(gRedrawn / kRefreshes));

  watch->valuesBox->view = gWindowView;
  DestroyWindow(parent);
  DeleteObject(font);
}

}  // namespace

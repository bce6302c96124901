// The watch window (see Watch_win.h). The record lives in the window's first
// extra word from WatchCreate until WM_DESTROY. A window is destroyed before
// its children, so the record is given back (and forgets its boxes) before
// the boxes give back theirs.
#include "ui/Watch_win.h"

#include "platform/Platform.h"
#include "ui/ControlClass_win.h"
#include "ui/Box_win.h"

namespace {

constexpr uint32_t kNamesBoxFlags = BOX_HSCROLL | BOX_NOBORDER | BOX_NOVSCROLL;  // 21
constexpr uint32_t kValuesBoxFlags = BOX_HSCROLL | BOX_NOBORDER;                 // 5
constexpr int kMargin = 5;
constexpr int kValuesGap = 10;   // from a third of the width to the values box
constexpr int kFrameOutset = 2;  // the sunken frame lies this far outside a box

WatchRecord* RecordOf(HWND window) { return reinterpret_cast<WatchRecord*>(GetWindowLongPtrA(window, 0)); }
HWND WindowOf(const WatchRecord* watch) { return static_cast<HWND>(watch->window); }

void MoveBox(BoxRecord* box, int left, int top, int right, int bottom) {
  SetWindowPos(BoxGetWindow(box), nullptr, left, top, right > left ? right - left : 0,
               bottom > top ? bottom - top : 0, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Names on the left third, values on the rest; each box then fits itself to
// whole lines on the size message this sends it.
LRESULT WatchLayout(WatchRecord* watch) {
  RECT client;
  GetClientRect(WindowOf(watch), &client);
  const int width = client.right, height = client.bottom;
  const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
  MoveBox(watch->namesBox, kMargin, kMargin, width / 3 - scrollBar, height - kMargin);
  MoveBox(watch->valuesBox, width / 3 + kValuesGap, kMargin, width - kMargin - scrollBar, height - kMargin);
  return 0;
}

void Polyline3(HDC dc, int x0, int y0, int x1, int y1, int x2, int y2) {
  const POINT points[3] = {{x0, y0}, {x1, y1}, {x2, y2}};
  Polyline(dc, points, 3);
}

// A sunken frame round the box: two dark lines at the top and left, two white
// ones at the bottom and right.
void DrawSunkenFrame(HWND watchWindow, HDC dc, BoxRecord* box, HPEN shadow, HPEN light) {
  HWND boxWindow = BoxGetWindow(box);
  if (!boxWindow) return;
  RECT r;
  GetWindowRect(boxWindow, &r);
  MapWindowPoints(nullptr, watchWindow, reinterpret_cast<POINT*>(&r), 2);
  const int L = r.left - kFrameOutset, T = r.top - kFrameOutset;
  const int R = r.right + kFrameOutset, B = r.bottom + kFrameOutset - 1;
  SelectObject(dc, shadow);
  Polyline3(dc, R, T, L, T, L, B + 1);
  Polyline3(dc, R - 1, T + 1, L + 1, T + 1, L + 1, B);
  SelectObject(dc, light);
  Polyline3(dc, R, T + 1, R, B, L, B);
  Polyline3(dc, R - 1, T + 2, R - 1, B - 1, L + 1, B - 1);
}

LRESULT WatchPaint(WatchRecord* watch) {
  HWND window = WindowOf(watch);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return 0;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN light = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  int saved = SaveDC(dc);
  DrawSunkenFrame(window, dc, watch->namesBox, shadow, light);
  DrawSunkenFrame(window, dc, watch->valuesBox, shadow, light);
  RestoreDC(dc, saved);
  DeleteObject(shadow);
  DeleteObject(light);
  EndPaint(window, &paint);
  return 0;
}

LRESULT WatchSetFont(WatchRecord* watch, WPARAM font, LPARAM redraw) {
  if (!font) return 0;
  SendMessageA(BoxGetWindow(watch->namesBox), WM_SETFONT, font, redraw);
  SendMessageA(BoxGetWindow(watch->valuesBox), WM_SETFONT, font, redraw);
  return 0;
}

LRESULT WatchDestroy(HWND window, WatchRecord* watch) {
  SetWindowLongPtrA(window, 0, 0);
  WatchRecordRelease(watch);
  return 0;
}

void ShowBox(BoxRecord* box) {
  BoxSetAttribute(box, kBoxAttributeBackground, GetSysColor(COLOR_WINDOW));
  ShowWindow(BoxGetWindow(box), SW_SHOW);
  UpdateWindow(BoxGetWindow(box));
}

}  // namespace

WatchRecord* WatchCreate(HWND parent, int32_t controlId, INT_PTR, WatchEvaluator evaluator, void* context) {
  if (!ControlClassEnsure(kWatchClassName, WatchWndProc)) return nullptr;
  auto instance = static_cast<HINSTANCE>(PlatformModule());
  WatchRecord* watch = WatchRecordTake(evaluator, context, controlId);
  if (!watch) return nullptr;
  HWND window = CreateWindowA(kWatchClassName, kWatchWindowName, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              10, 10, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                              instance, nullptr);
  if (!window) {
    WatchRecordRelease(watch);
    return nullptr;
  }
  watch->parent = parent;
  watch->window = window;
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(watch));
  BoxRecord* names = BoxCreate(window, controlId * 10 + 1, kNamesBoxFlags, 0);
  BoxRecord* values = BoxCreate(window, controlId * 10 + 2, kValuesBoxFlags, 0);
  if (!names || !values) {
    DestroyWindow(window);  // takes the box that was made with it and gives the record back
    return nullptr;
  }
  WatchAttachBoxes(watch, names, values);
  WatchLayout(watch);
  ShowBox(names);
  ShowBox(values);
  return watch;
}

HWND WatchGetWindow(const WatchRecord* watch) { return watch ? WindowOf(watch) : nullptr; }

extern "C" LRESULT CALLBACK WatchWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WatchRecord* watch = RecordOf(window);
  if (!watch) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY: return WatchDestroy(window, watch);
    case WM_SIZE: return WatchLayout(watch);
    case WM_PAINT: return WatchPaint(watch);
    case WM_SETFONT: return WatchSetFont(watch, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

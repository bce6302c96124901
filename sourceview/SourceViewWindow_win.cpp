// The source view control's window (see SourceViewWindow_win.h). The record
// is in the window's first extra word from creation until WM_DESTROY, which
// frees it with its pool; a message that finds the word empty goes straight
// to DefWindowProcA.
//
// The view's pointer also travels as the creation parameter and is stored on
// WM_NCCREATE: CreateWindowExA already sends WM_SIZE, and a view that took
// its metrics there has its horizontal range ready when the owner first sizes
// it, so that first sizing already shows the horizontal scroll bar.
#include "sourceview/SourceViewWindow_win.h"

#include <algorithm>

#include "platform/Platform.h"
#include "resources/resource.h"
#include "sourceview/SourceStore.h"
#include "sourceview/SourceViewLayout.h"
#include "util/Font.h"

static_assert(kScrollLineUp == SB_LINEUP && kScrollLineDown == SB_LINEDOWN && kScrollPageUp == SB_PAGEUP &&
                  kScrollPageDown == SB_PAGEDOWN && kScrollThumbPosition == SB_THUMBPOSITION &&
                  SB_LINELEFT == SB_LINEUP && SB_PAGERIGHT == SB_PAGEDOWN,
              "the layout's scroll codes are the platform's");

namespace {

constexpr DWORD kViewStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER | WS_VSCROLL | WS_HSCROLL;
constexpr int kCreatedSize = 100;

// The view whose window CreateWindowExA is making: a window that fails after
// WM_NCCREATE is destroyed (and its view freed) before the call returns.
SourceView* gCreating = nullptr;

SourceView* RecordOf(HWND window) { return reinterpret_cast<SourceView*>(GetWindowLongPtrA(window, 0)); }

bool EnsureClass(uint32_t styleFlags) {
  auto instance = static_cast<HINSTANCE>(PlatformModule());
  WNDCLASSA windowClass;
  if (GetClassInfoA(instance, kSourceViewClassName, &windowClass)) return true;
  windowClass = WNDCLASSA{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = EditWndProc;
  windowClass.cbClsExtra = 4;
  windowClass.cbWndExtra = sizeof(void*);  // the record pointer: 8 bytes on 64-bit builds
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, (styleFlags & kSourceViewReadOnly) ? IDC_ARROW : IDC_IBEAM);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kSourceViewClassName;
  return RegisterClassA(&windowClass) != 0;
}

void SetVerticalBar(SourceView* view) {
  SetScrollRange(view->window, SB_VERT, 0, SourceViewScrollMax(view), TRUE);
  SetScrollPos(view->window, SB_VERT, view->firstVisibleLine, TRUE);
}

// Brings a bar up to date, touching it only where it differs (each change
// repaints the bar).
void SyncBar(HWND window, int bar, int32_t maximum, int32_t position) {
  int low = 0, high = 0;
  GetScrollRange(window, bar, &low, &high);
  if (low != 0 || high != maximum) SetScrollRange(window, bar, 0, maximum, TRUE);
  if (GetScrollPos(window, bar) != position) SetScrollPos(window, bar, position, TRUE);
}

void Notify(SourceView* view, SourceViewCallback callback, int32_t value) {
  if (callback) callback(view, value);
}

// --- Message handlers

LRESULT SourceViewSize(SourceView* view) {
  HDC dc = GetDC(view->window);
  if (dc) {
    int saved = SaveDC(dc);
    SourceViewSelectFont(view, dc);
    char text[64];
    int length = PlatformLoadString(IDS_TEST_STRING, text, sizeof text);
    view->lineHeight = TextExtentHeight(TextExtent(dc, text, length));
    view->charWidth = TextExtentWidth(TextExtent(dc, " ", 1));
    RestoreDC(dc, saved);
    ReleaseDC(view->window, dc);
  }
  RECT client{};
  GetClientRect(view->window, &client);
  view->visibleLines = client.bottom / SourceViewLineStep(view);
  SetVerticalBar(view);
  SetScrollRange(view->window, SB_HORZ, 0, view->hRange, TRUE);
  SetScrollPos(view->window, SB_HORZ, 0, TRUE);
  // Setting the bars may have shown or hidden one (a nested WM_SIZE has then
  // measured the view): the width is the client's as it is now.
  GetClientRect(view->window, &client);
  view->clientWidth = client.right;
  view->hRange = 1004 * view->charWidth / 3;
  return 0;
}

LRESULT SourceViewVerticalScroll(SourceView* view, WPARAM request) {
  const int code = LOWORD(request);
  const int32_t target = SourceViewVerticalTarget(view, code, static_cast<int16_t>(HIWORD(request)));
  if (target < 0) return 1;
  const int32_t moved = target - view->firstVisibleLine;
  if (moved == 0) return 0;
  view->firstVisibleLine = target;
  SetScrollPos(view->window, SB_VERT, target, TRUE);
  Notify(view, view->onScrolled, target);
  if ((code == SB_LINEUP || code == SB_LINEDOWN) && (moved == 1 || moved == -1)) {
    // One line: move what stays and paint only the line uncovered.
    RECT rest{};
    GetClientRect(view->window, &rest);
    const int32_t step = SourceViewLineStep(view);
    if (moved > 0)
      rest.top += step;
    else
      rest.bottom -= step;
    ScrollWindow(view->window, 0, -moved * step, &rest, nullptr);
    UpdateWindow(view->window);
  } else {
    InvalidateRect(view->window, nullptr, TRUE);
  }
  return 0;
}

LRESULT SourceViewHorizontalScroll(SourceView* view, WPARAM request) {
  const int code = LOWORD(request);
  const int32_t target = SourceViewHorizontalTarget(view, code, HIWORD(request));
  if (target < 0) return 1;
  const int32_t old = view->hScroll;
  if (target == old) return 0;
  view->hScroll = target;
  SetScrollPos(view->window, SB_HORZ, target, TRUE);
  if (code == SB_THUMBPOSITION) {
    InvalidateRect(view->window, nullptr, TRUE);
    return 0;
  }
  RECT client{};
  GetClientRect(view->window, &client);
  ScrollWindow(view->window, old - target, 0, nullptr, &client);
  UpdateWindow(view->window);
  return 1;
}

// Moves the view to `move`, moving what stays on screen and painting the rest.
void SourceViewMoveTo(SourceView* view, SourcePageMove move) {
  const int32_t lines = move.firstLine - view->firstVisibleLine;
  const int32_t pixels = move.hScroll - view->hScroll;
  view->firstVisibleLine = move.firstLine;
  view->hScroll = move.hScroll;
  Notify(view, view->onScrolled, move.firstLine);
  if (lines != 0 || pixels != 0) {
    ScrollWindow(view->window, -pixels, -lines * SourceViewLineStep(view), nullptr, nullptr);
    UpdateWindow(view->window);
  }
  SyncBar(view->window, SB_VERT, SourceViewScrollMax(view), view->firstVisibleLine);
  SyncBar(view->window, SB_HORZ, view->hRange, view->hScroll);
}

int32_t FirstCharWidth(SourceView* view, int32_t index) {
  const SourceLine* line = SourceViewLine(view, index);
  if (!line || line->length == 0) return 0;
  HDC dc = GetDC(view->window);
  if (!dc) return 0;
  int saved = SaveDC(dc);
  if (view->font) SelectObject(dc, static_cast<HFONT>(view->font));
  const int32_t bytes = static_cast<int32_t>(SourceCharNext(line->text) - line->text);
  SIZE size{};
  GetTextExtentPoint32A(dc, line->text, bytes, &size);
  RestoreDC(dc, saved);
  ReleaseDC(view->window, dc);
  return size.cx;
}

void SourceViewPageKey(SourceView* view, bool down) {
  SourceViewMoveTo(view, SourceViewPageMove(view, down));
  const int32_t width = FirstCharWidth(view, view->cursorLine);
  if (SourceViewCursorHidden(view, width)) SourceViewMoveTo(view, SourceViewCursorMove(view, down, width));
}

LRESULT SourceViewKeyDown(SourceView* view, WPARAM key, LPARAM lParam) {
  if (key == VK_PRIOR || key == VK_NEXT) SourceViewPageKey(view, key == VK_NEXT);
  return DefWindowProcA(view->window, WM_KEYDOWN, key, lParam);
}

LRESULT SourceViewMouseDown(SourceView* view, WPARAM wParam, LPARAM position) {
  SetFocus(view->window);
  Notify(view, view->onClickLine, SourceViewHitLine(view, HIWORD(position)));
  return DefWindowProcA(view->window, WM_LBUTTONDOWN, wParam, position);
}

LRESULT SourceViewDoubleClick(SourceView* view, WPARAM wParam, LPARAM position) {
  Notify(view, view->onActivateLine, SourceViewHitLine(view, HIWORD(position)));
  return DefWindowProcA(view->window, WM_LBUTTONDBLCLK, wParam, position);
}

LRESULT SourceViewDestroy(SourceView* view) {
  if (view == gCreating) gCreating = nullptr;
  SetWindowLongPtrA(view->window, 0, 0);
  SourceViewFree(view);
  return 0;
}

}  // namespace

SourceView* SourceViewCreate(HWND parent, int32_t controlId, HFONT font, uint32_t styleFlags) {
  SourceView* view = SourceViewNew(parent, controlId, font, styleFlags);
  if (!view) return nullptr;
  if (!EnsureClass(styleFlags)) {
    SourceViewFree(view);
    return nullptr;
  }
  gCreating = view;
  HWND window = CreateWindowExA(0, kSourceViewClassName, kSourceViewClassName, kViewStyle, 0, 0, kCreatedSize,
                                kCreatedSize, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                static_cast<HINSTANCE>(PlatformModule()), view);
  const bool freed = gCreating == nullptr;
  gCreating = nullptr;
  if (!window) {
    if (!freed) SourceViewFree(view);
    return nullptr;
  }
  view->window = window;
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(view));
  SetVerticalBar(view);
  SetScrollRange(window, SB_HORZ, 0, 0, TRUE);
  SetScrollPos(window, SB_HORZ, 0, TRUE);
  return view;
}

int SourceViewClose(SourceView* view) {
  if (!view) return 0;
  if (view->window && IsWindow(view->window)) PostMessageA(view->window, WM_CLOSE, 0, 0);
  return 1;
}

HWND SourceViewWindow(SourceView* view) { return view ? view->window : nullptr; }

int SourceViewMarkLine(SourceView* view, int32_t line, int element, int selector) {
  if (!view) return 0;
  SourceViewSetLineMark(view, line, static_cast<uint8_t>(element), selector);
  SourceViewPaintLines(view, line, line);
  return 1;
}

int SourceViewUnmarkLine(SourceView* view, int32_t line, int selector) {
  if (!view) return 0;
  int removed = SourceViewClearLineMark(view, line, selector);
  SourceViewPaintLines(view, line, line);
  return removed;
}

int32_t SourceViewQuery(SourceView* view, int what) {
  if (!view) return 0;
  switch (what) {
    case kQueryFirstVisibleLine: return view->firstVisibleLine;
    case kQueryVisibleLines: return view->visibleLines;
    case kQueryLineCount: return view->lineCount;
    default: return 0;
  }
}

int SourceViewScrollTo(SourceView* view, int32_t line, int clamp) {
  if (!view) return 0;
  const int32_t target = SourceViewScrollTarget(view, line, clamp);
  if (target < 0) return 0;
  view->firstVisibleLine = target;
  if (view->window) {
    InvalidateRect(view->window, nullptr, TRUE);
    SetVerticalBar(view);
  }
  return 1;
}

int SourceViewSetCallback(SourceView* view, int which, SourceViewCallback function) {
  if (!view) return 0;
  switch (which) {
    case kCallbackActivateLine: view->onActivateLine = function; return 1;
    case kCallbackClickLine: view->onClickLine = function; return 1;
    case kCallbackScrolled: view->onScrolled = function; return 1;
    default: return 0;
  }
}

extern "C" LRESULT CALLBACK EditWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* view = static_cast<SourceView*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (view) {
      view->window = window;
      SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(view));
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  SourceView* view = RecordOf(window);
  if (!view) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      SourceViewSize(view);
      break;
    case WM_PAINT:
      return SourceViewPaint(view);
    case WM_VSCROLL:
      return SourceViewVerticalScroll(view, wParam);
    case WM_HSCROLL:
      return SourceViewHorizontalScroll(view, wParam);
    case WM_KEYDOWN:
      return SourceViewKeyDown(view, wParam, lParam);
    case WM_LBUTTONDOWN:
      return SourceViewMouseDown(view, wParam, lParam);
    case WM_LBUTTONDBLCLK:
      return SourceViewDoubleClick(view, wParam, lParam);
    case WM_DESTROY:
      return SourceViewDestroy(view);
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

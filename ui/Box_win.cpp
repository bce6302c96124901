// The box control's window (see Box_win.h). The record lives in the window's
// first extra word from BoxCreate until WM_DESTROY, which gives it back to the
// model to keep for the next box; before and after, every message goes to
// DefWindowProcA.
//
// Drawing makes no GDI objects: line backgrounds are filled with an opaque
// empty ExtTextOutA in the background colour, and every change to a device
// context is undone by RestoreDC.
#include "ui/Box_win.h"

#include <windowsx.h>

#include <cstring>

#include "platform/Platform.h"
#include "ui/ControlClass_win.h"
#include "util/Font.h"

static_assert(kBoxKeyPageUp == VK_PRIOR && kBoxKeyPageDown == VK_NEXT && kBoxKeyUp == VK_UP &&
                  kBoxKeyDown == VK_DOWN && kBoxKeyDelete == VK_DELETE,
              "the model's key codes are the platform's");
static_assert(kBoxScrollLineUp == SB_LINEUP && kBoxScrollLineDown == SB_LINEDOWN &&
                  kBoxScrollPageUp == SB_PAGEUP && kBoxScrollPageDown == SB_PAGEDOWN &&
                  kBoxScrollThumbPosition == SB_THUMBPOSITION && kBoxScrollThumbTrack == SB_THUMBTRACK,
              "the model's scroll codes are the platform's");

namespace {

constexpr int kTextIndent = 3;
constexpr LRESULT kBoxDialogCode = DLGC_WANTARROWS | DLGC_WANTALLKEYS;

HWND WindowOf(const BoxRecord* box) { return static_cast<HWND>(box->window); }
BoxRecord* RecordOf(HWND window) { return reinterpret_cast<BoxRecord*>(GetWindowLongPtrA(window, 0)); }

DWORD WindowStyle(uint32_t flags) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP;
  if (!(flags & BOX_NOBORDER)) style |= WS_BORDER;
  if (!(flags & BOX_NOVSCROLL)) style |= WS_VSCROLL;
  if (flags & BOX_HSCROLL) style |= WS_HSCROLL;
  return style;
}

// The height of "T" in the box's font.
int32_t MeasureLineHeight(BoxRecord* box) {
  HWND window = WindowOf(box);
  HDC dc = GetDC(window);
  if (!dc) return box->lineHeight;
  int saved = SaveDC(dc);
  if (box->font) SelectObject(dc, static_cast<HFONT>(box->font));
  int32_t height = TextExtentHeight(TextExtent(dc, "T", 1));
  RestoreDC(dc, saved);
  ReleaseDC(window, dc);
  return height > 0 ? height : box->lineHeight;
}

void FillOpaque(HDC dc, const RECT& rect, COLORREF color) {
  SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
}

bool BoxLineInView(const BoxRecord* box, int32_t index) {
  return index >= box->topLine && index <= box->topLine + box->pageLines;
}

// Draws line index in its place (a line outside the view is not drawn).
void BoxDrawLine(BoxRecord* box, HDC dc, int32_t index, bool focused) {
  const BoxLine* line = BoxLineAt(box, index);
  if (!line || !BoxLineInView(box, index)) return;
  RECT client;
  GetClientRect(WindowOf(box), &client);
  int saved = SaveDC(dc);
  if (box->font) SelectObject(dc, static_cast<HFONT>(box->font));
  const int y = box->lineHeight * (index - box->topLine);
  const RECT rect = {0, y, client.right, y + box->lineHeight};
  const int x = kTextIndent - box->hScrollPos;
  COLORREF textColor = BoxLineColor(box, line);
  FillOpaque(dc, rect, box->background);
  const bool selected = index == box->selected;
  if (selected) {
    InvertRect(dc, &rect);
    if (!(box->flags & BOX_KEEPTEXTCOLOR)) textColor = box->background;
  }
  SetTextColor(dc, textColor);
  SetBkMode(dc, TRANSPARENT);
  const RECT clip = {0, y, (box->column2 > 0 ? box->column2 : client.right) - 1, y + box->lineHeight};
  ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, line->text, static_cast<UINT>(std::strlen(line->text)), nullptr);
  if (box->flags & BOX_TWOCOLUMN)
    ExtTextOutA(dc, x + box->column2, y, 0, nullptr, line->text2, static_cast<UINT>(std::strlen(line->text2)),
                nullptr);
  if (selected && focused) DrawFocusRect(dc, &rect);
  RestoreDC(dc, saved);
}

void BoxRedrawLineNow(BoxRecord* box, int32_t index, bool focused) {
  HWND window = WindowOf(box);
  if (!window || !BoxLineInView(box, index)) return;
  HDC dc = GetDC(window);
  if (!dc) return;
  BoxDrawLine(box, dc, index, focused);
  ReleaseDC(window, dc);
}

// --- The view the model draws through

void ViewRedrawLine(BoxRecord* box, int32_t index) {
  BoxRedrawLineNow(box, index, GetFocus() == WindowOf(box));
}

void ViewInvalidate(BoxRecord* box, int erase) {
  if (box->window) InvalidateRect(WindowOf(box), nullptr, erase);
}

void ViewScrollContents(BoxRecord* box, int32_t dx, int32_t dy) {
  if (!box->window) return;
  ScrollWindow(WindowOf(box), dx, dy, nullptr, nullptr);
  UpdateWindow(WindowOf(box));
}

void ViewSetVerticalScroll(BoxRecord* box, int32_t maximum, int32_t position) {
  if (!box->window) return;
  SetScrollRange(WindowOf(box), SB_VERT, 0, maximum, TRUE);
  SetScrollPos(WindowOf(box), SB_VERT, position, TRUE);
}

void ViewSetHorizontalScroll(BoxRecord* box, int32_t maximum, int32_t position) {
  if (!box->window) return;
  SetScrollRange(WindowOf(box), SB_HORZ, 0, maximum, TRUE);
  SetScrollPos(WindowOf(box), SB_HORZ, position, TRUE);
}

void ViewResize(BoxRecord* box, int32_t width, int32_t height) {
  if (box->window)
    SetWindowPos(WindowOf(box), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

constexpr BoxView kWindowView = {ViewRedrawLine,          ViewInvalidate,          ViewScrollContents,
                                 ViewSetVerticalScroll,   ViewSetHorizontalScroll, ViewResize};

// --- Message handlers

LRESULT BoxPaint(BoxRecord* box) {
  HWND window = WindowOf(box);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return 0;
  RECT client;
  GetClientRect(window, &client);
  FillOpaque(dc, client, box->background);
  const bool focused = GetFocus() == window;
  for (int32_t i = box->topLine; i < box->lineCount && i < box->topLine + box->pageLines; i++)
    BoxDrawLine(box, dc, i, focused);
  EndPaint(window, &paint);
  return 0;
}

LRESULT BoxLayout(BoxRecord* box) {
  if (box->resizing) return 0;
  RECT outer;
  GetWindowRect(WindowOf(box), &outer);
  box->lineHeight = MeasureLineHeight(box);
  BoxFitHeight(box, outer.right - outer.left, outer.bottom - outer.top, GetSystemMetrics(SM_CYHSCROLL),
               GetSystemMetrics(SM_CXVSCROLL));
  return 0;
}

// A font given with the redraw flag also repaints the box, as controls do.
LRESULT BoxSetFont(BoxRecord* box, HFONT font, BOOL redraw) {
  if (!font) return 0;
  box->font = font;
  BoxLayout(box);
  if (redraw) BoxInvalidate(box, 1);
  return 0;
}

LRESULT BoxFocusChanged(BoxRecord* box, bool focused) {
  if (box->selected >= 0) BoxRedrawLineNow(box, box->selected, focused);
  return 0;
}

LRESULT BoxGetDialogCode(const BoxRecord* box) { return (box->flags & BOX_READONLY) ? 0 : kBoxDialogCode; }

LRESULT BoxChar(BoxRecord* box, WPARAM character, LPARAM lParam) {
  if (character != '\t') return DefWindowProcA(WindowOf(box), WM_CHAR, character, lParam);
  PostMessageA(static_cast<HWND>(box->parent), WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
  return 0;
}

LRESULT BoxMouseDown(BoxRecord* box, LPARAM position) {
  if (box->flags & BOX_READONLY) return 0;
  SetFocus(WindowOf(box));
  BoxClick(box, GET_Y_LPARAM(position));
  return 0;
}

LRESULT BoxHorizontalScroll(BoxRecord* box, WPARAM request) {
  RECT client;
  GetClientRect(WindowOf(box), &client);
  BoxScrollHorizontal(box, LOWORD(request), HIWORD(request), client.right);
  return 0;
}

LRESULT BoxDestroy(HWND window, BoxRecord* box) {
  SetWindowLongPtrA(window, 0, 0);
  BoxRecordRelease(box);
  return 0;
}

}  // namespace

BoxRecord* BoxCreate(HWND parent, int32_t controlId, uint32_t flags, INT_PTR) {
  if (!ControlClassEnsure(kBoxClassName, BoxWndProc)) return nullptr;
  auto instance = static_cast<HINSTANCE>(PlatformModule());
  BoxRecord* box = BoxRecordTake(flags);
  if (!box) return nullptr;
  HWND window = CreateWindowA(kBoxClassName, kBoxWindowName, WindowStyle(flags), 1, 1, 1, 1, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
  if (!window) {
    BoxRecordRelease(box);
    return nullptr;
  }
  box->parent = parent;
  box->window = window;
  box->background = GetSysColor(COLOR_BTNSHADOW);
  box->view = &kWindowView;
  box->lineHeight = MeasureLineHeight(box);
  BoxUpdateScrollBar(box);
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(box));
  return box;
}

HWND BoxGetWindow(const BoxRecord* box) { return box ? WindowOf(box) : nullptr; }

extern "C" LRESULT CALLBACK BoxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  BoxRecord* box = RecordOf(window);
  if (!box) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY: return BoxDestroy(window, box);
    case WM_SIZE: return BoxLayout(box);
    case WM_SETFOCUS: return BoxFocusChanged(box, true);
    case WM_KILLFOCUS: return BoxFocusChanged(box, false);
    case WM_PAINT: return BoxPaint(box);
    case WM_SETFONT: return BoxSetFont(box, reinterpret_cast<HFONT>(wParam), LOWORD(lParam));
    case WM_GETDLGCODE: return BoxGetDialogCode(box);
    case WM_KEYDOWN: BoxKeyDown(box, static_cast<int32_t>(wParam)); return 0;
    case WM_KEYUP: BoxKeyUp(box, static_cast<int32_t>(wParam)); return 0;
    case WM_CHAR: return BoxChar(box, wParam, lParam);
    case WM_HSCROLL: return BoxHorizontalScroll(box, wParam);
    case WM_VSCROLL: BoxScrollVertical(box, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: return BoxMouseDown(box, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

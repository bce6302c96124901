#include "ui/RaisedFrame_win.h"

namespace {

// Top and left edge, `inset` pixels inside the border.
void LightEdge(HDC dc, const RECT& r, int inset) {
  MoveToEx(dc, r.right - 1 - inset, r.top + inset, nullptr);
  LineTo(dc, r.left + inset, r.top + inset);
  LineTo(dc, r.left + inset, r.bottom - 1 - inset);
}

// Right and bottom edge, `inset` pixels inside the border.
void ShadowEdge(HDC dc, const RECT& r, int inset) {
  MoveToEx(dc, r.right - 1 - inset, r.top + inset, nullptr);
  LineTo(dc, r.right - 1 - inset, r.bottom - 1 - inset);
  LineTo(dc, r.left + inset - 1, r.bottom - 1 - inset);
}

}  // namespace

void PaintRaisedFrame(HWND window, HDC dc) {
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ old = SelectObject(dc, white);
  LightEdge(dc, r, 0);
  LightEdge(dc, r, 1);
  SelectObject(dc, shadow);
  ShadowEdge(dc, r, 0);
  ShadowEdge(dc, r, 1);
  SelectObject(dc, old);
  DeleteObject(white);
  DeleteObject(shadow);
}

void PaintRaisedFrameMessage(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  PaintRaisedFrame(window, dc);
  EndPaint(window, &ps);
}

INT_PTR FaceControlColor(UINT message, WPARAM wParam, HBRUSH face) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetBkMode(dc, TRANSPARENT);
  if (message == WM_CTLCOLORSTATIC) SetTextColor(dc, RGB(0, 0, 0));
  return reinterpret_cast<INT_PTR>(face ? face : GetSysColorBrush(COLOR_BTNFACE));
}

void PaintEtchedGroupBox(HDC dc, const RECT& client, const char* caption, int length, int captionX) {
  SIZE extent{};
  GetTextExtentPoint32A(dc, caption, length, &extent);
  const int top = client.top + 2 * extent.cy / 5 + 1;
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ oldPen = SelectObject(dc, white);
  Rectangle(dc, client.left + 1, top, client.right - 1, client.bottom - 1);
  SelectObject(dc, shadow);
  Rectangle(dc, client.left, top - 1, client.right - 2, client.bottom - 2);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(white);
  DeleteObject(shadow);
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  TextOutA(dc, captionX, 1, caption, length);
}

// TEMPORARY until the source window lands on main; delete on merge. Just
// enough for the main window to link and open a session: not the source
// window's real behaviour.
#include <windows.h>

#include "platform/Platform.h"
#include "resources/resource.h"
#include "sourceview/SourceWindow.h"

struct SourceWindow {
  HWND view;
  int firstVisible;
};

static LRESULT CALLBACK PendingViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<SourceWindow*>(GetWindowLongPtrA(view, GWLP_USERDATA));
  if (message == WM_VSCROLL && LOWORD(wParam) == SB_THUMBPOSITION && window) window->firstVisible = HIWORD(wParam);
  return DefWindowProcA(view, message, wParam, lParam);
}

SourceWindow* SourceWindowCreate(char*, HWND placeholder, HFONT, HFONT dialogFont) {
  HWND parent = GetParent(placeholder);
  RECT r;
  GetWindowRect(placeholder, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  HWND view = CreateWindowA("STATIC", "(temporary source view)", WS_CHILD | WS_BORDER, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SOURCE_VIEW)),
                            static_cast<HINSTANCE>(PlatformModule()), nullptr);
  if (!view) return nullptr;
  SendMessageA(view, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
  auto* window = new SourceWindow{view, 0};
  SetWindowLongPtrA(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  SetWindowLongPtrA(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PendingViewProc));
  return window;
}
int SourceWindowDestroy(SourceWindow* window) {
  if (!window) return 0;
  if (IsWindow(window->view)) DestroyWindow(window->view);
  delete window;
  return 1;
}
int SourceWindowShow(SourceWindow* window, int show) {
  if (!window || !IsWindow(window->view)) return 0;
  ShowWindow(window->view, show ? SW_SHOW : SW_HIDE);
  return 1;
}
HWND SourceWindowViewWindow(SourceWindow* window) { return window ? window->view : nullptr; }
int SourceWindowShowLine(SourceWindow* window, int32_t line) {
  if (window) window->firstVisible = line > 0 ? line - 1 : 0;
  return 1;
}
int SourceWindowMarkBreakpoint(SourceWindow*, int, int32_t) { return 1; }
int SourceWindowFirstVisibleLine(SourceWindow* window) { return window ? window->firstVisible : 0; }
int SourceWindowFileName(SourceWindow*, char* buffer) {
  buffer[0] = 0;
  return 1;
}
void SourceWindowApplyColors(SourceWindow*) {}

// What painting the source view costs under Wine: a full repaint of a view
// of 40 lines of a real script, token by token, and one page key (which
// moves what stays on screen and paints the page it uncovers).
//
//   scripts/wine-run.sh wine build/win64/bin/winbench_SourceViewBench.exe
#include <windows.h>

#include <string>

#include "WineBench.h"
#include "platform/Platform.h"
#include "sourceview/SourceViewWindow_win.h"
#include "sourceview/SourceWindow.h"
#include "sourceview/Vocabulary.h"
#include "util/Font.h"

namespace {

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

int main() {
  PlatformSetModule(GetModuleHandleA(nullptr));
  VocabularyLoad();
  HFONT font = CreateFontByName(0, "Courier", 8, 0, 0, 0, 0);
  WNDCLASSA parentClass{};
  parentClass.lpfnWndProc = DefWindowProcA;
  parentClass.hInstance = GetModuleHandleA(nullptr);
  parentClass.lpszClassName = "SourceViewBench";
  RegisterClassA(&parentClass);
  HWND parent = CreateWindowA("SourceViewBench", "SourceViewBench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                              0, 0, 700, 700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  // A placeholder as tall as 40 lines and the horizontal bar.
  HDC dc = GetDC(parent);
  SelectObject(dc, font);
  const int lineHeight = TextExtentHeight(TextExtent(dc, "Test String", 11));
  ReleaseDC(parent, dc);
  HWND placeholder = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 10, 10, 640,
                                   40 * lineHeight + 2 + GetSystemMetrics(SM_CYHSCROLL), parent, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s", (std::string("Z:") + QN_BENCH_SOURCE_DIR + "\\samples\\setup.qn").c_str());
  for (char* c = path; *c; c++)
    if (*c == '/') *c = '\\';
  SourceWindow* source = SourceWindowCreate(path, placeholder, font, nullptr);
  if (!source) {
    std::printf("no source window for %s\n", path);
    return 1;
  }
  SourceWindowShow(source, 1);
  SourceWindowShowLine(source, 12);
  SourceWindowMarkBreakpoint(source, 1, 20);
  HWND view = SourceWindowViewWindow(source);
  Pump();
  UpdateWindow(view);
  auto* record = reinterpret_cast<SourceView*>(GetWindowLongPtrA(view, 0));
  std::printf("%d lines of %s, %d in view, %d pixels each\n\n", record->lineCount, "samples/setup.qn",
              record->visibleLines, record->lineHeight);

  std::printf("| operation | ms |\n|---|---|\n");
  WineBenchRow("full repaint of the view (invalidate, erase, paint)", WineBenchNsPerCall(200, [&] {
                 InvalidateRect(view, nullptr, TRUE);
                 UpdateWindow(view);
               }) / 1e6);
  WineBenchRow("painting its lines at once (the mark-change path)", WineBenchNsPerCall(200, [&] {
                 SourceViewPaintLines(record, 0, 100);
               }) / 1e6);
  WineBenchRow("one page key (Page Down and Page Up in turn)", WineBenchNsPerCall(200, [&, down = true]() mutable {
                 SendMessageA(view, WM_KEYDOWN, down ? VK_NEXT : VK_PRIOR, 0);
                 down = !down;
               }) / 1e6);
  WineBenchRow("a source window made, shown, painted and destroyed", WineBenchNsPerCall(20, [&] {
                 char again[MAX_PATH];
                 std::snprintf(again, sizeof again, "%s", path);
                 SourceWindow* other = SourceWindowCreate(again, placeholder, font, nullptr);
                 SourceWindowShow(other, 1);
                 UpdateWindow(SourceWindowViewWindow(other));
                 SourceWindowDestroy(other);
                 Pump();
               }) / 1e6);
  SourceWindowDestroy(source);
  Pump();
  DestroyWindow(parent);
  DeleteObject(font);
  return 0;
}

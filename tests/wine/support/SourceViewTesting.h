// Helpers of the source view and source window tests: a parent window with a
// placeholder frame, source files in a temporary folder, the view behind a
// source window, and the pixels of its lines. Header-only, so that this
// folder's .cpp files stay the harness's own.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ImportPatch.h"
#include "WineTestSupport.h"
#include "sourceview/ColorScheme.h"
#include "sourceview/SourceView.h"
#include "sourceview/SourceViewLayout.h"
#include "sourceview/SourceViewWindow_win.h"
#include "sourceview/SourceWindow.h"
#include "sourceview/Vocabulary.h"
#include "util/Font.h"

constexpr COLORREF kTestWhite = RGB(255, 255, 255), kTestBlack = RGB(0, 0, 0), kTestRed = RGB(255, 0, 0);

#ifdef QN_SOURCE_DIR
// A committed sample script, as a Windows path through Wine's Z: drive.
inline std::string SamplePath(const std::string& name) {
  std::string path = std::string("Z:") + QN_SOURCE_DIR + "/samples/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
#endif

// The lines joined with CR LF, as script files are written.
inline std::string SourceText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// `count` lines "line 0", "line 1", ...
inline std::vector<std::string> NumberedLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; i++) lines.push_back("line " + std::to_string(i));
  return lines;
}

inline SourceView* ViewOf(HWND window) {
  return window ? reinterpret_cast<SourceView*>(GetWindowLongPtrA(window, 0)) : nullptr;
}
inline SourceView* ViewOf(SourceWindow* source) { return ViewOf(SourceWindowViewWindow(source)); }

// A shown top-level window with a placeholder frame at (10, 20) of the given
// size, as the main window has; the vocabulary and the source font.
class SourceTestStage {
 public:
  SourceTestStage(const char* className, int width, int height) {
    if (!KeywordList) VocabularyLoad();
    // The scheme's first load makes the profile helpers' pool: done here, it
    // is not counted against the first source window of a test.
    ColorSchemeSetDefaults();
    ColorSchemeLoad();
    parent = CreateTestParent(className, DefWindowProcA, width + 40, height + 80);
    placeholder = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 10, 20, width, height, parent,
                                reinterpret_cast<HMENU>(402), GetModuleHandleA(nullptr), nullptr);
    font = CreateFontByName(0, "Courier", 8, 0, 0, 0, 0);
    PumpMessages();
  }
  ~SourceTestStage() {
    DestroyWindow(parent);
    PumpMessages();
    DeleteObject(font);
  }
  // Destroys every child but the placeholder.
  void Clear() const {
    for (HWND child = GetWindow(parent, GW_CHILD); child;) {
      HWND next = GetWindow(child, GW_HWNDNEXT);
      if (child != placeholder) DestroyWindow(child);
      child = next;
    }
    PumpMessages();
  }

  // A source window of the file, shown and painted; null when creation failed.
  SourceWindow* Open(const std::string& path) const {
    char buffer[261];
    lstrcpynA(buffer, path.c_str(), sizeof buffer);
    SourceWindow* source = SourceWindowCreate(buffer, placeholder, font, nullptr);
    if (!source) return nullptr;
    SourceWindowShow(source, 1);
    UpdateWindow(SourceWindowViewWindow(source));
    PumpMessages();
    return source;
  }

  HWND parent = nullptr;
  HWND placeholder = nullptr;
  HFONT font = nullptr;
};

// Pixels of exactly `color` in the text cell of line `line` (in view), from
// column `from` to the client's right edge. The cell is where the line is
// drawn, raised by the font's descent; of the top line only the rows inside
// the client area count.
inline int CountLinePixels(const SourceView* view, int line, COLORREF color, int from = 0) {
  UpdateWindow(view->window);
  RECT client;
  GetClientRect(view->window, &client);
  HDC dc = GetDC(view->window);
  if (!dc) return 0;
  int count = 0;
  const int top = SourceViewLineTop(view, line);
  for (int y = std::max(0, top); y < top + view->lineHeight && y < client.bottom; y++)
    for (int x = from; x < client.right; x++)
      if (GetPixel(dc, x, y) == color) count++;
  ReleaseDC(view->window, dc);
  return count;
}


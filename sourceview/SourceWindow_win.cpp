// The source window of one source file (see SourceWindow.h), and the Script
// Location dialog that asks for a file that is not where the debug
// information says.
//
// The record and its list of breakpoint lines live in a 1000-byte pool of
// their own; the view has its own pool, freed when its window is destroyed.
// A creation that fails after the pool was made gives back the pool and
// destroys the view's window at once, so that a cancelled or unreadable file
// leaves nothing behind.
#include "sourceview/SourceWindow.h"

#include "memory/List.h"
#include "memory/MemPool.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "session/BreakpointTable.h"
#include "session/DebugSession.h"
#include "session/SessionWindows.h"
#include "session/ShowMessage.h"
#include "sourceview/Classifier.h"
#include "sourceview/ColorScheme.h"
#include "sourceview/SourceStore.h"
#include "sourceview/SourceViewWindow_win.h"
#include "sourceview/Vocabulary.h"
#include "util/Path.h"
#include "util/Text.h"

namespace {

constexpr uint32_t kWindowPoolSize = 1000;
constexpr uint32_t kWindowPoolFlags = 0x1003;
constexpr int32_t kViewControlId = 401;
constexpr int kPathSize = 261;  // the caller's path buffer: 260 characters and the terminator

}  // namespace

struct SourceWindow {
  List* breakpointLines;  // int32_t lines (from 1) marked as breakpoints, in the order marked
  SourceView* view;       // the control
  HFONT dialogFont;       // handed to the Color dialog
  HWND placeholder;       // the frame the view lies over; the view's parent is its parent
  HWND viewWindow;        // the view's window
  int32_t currentLine;    // line (from 1) marked as the current line; 0 at first
  MemPoolHandle pool;     // the record's own pool
  char path[264];         // the file shown, as the user may have corrected it
};

namespace {

// A double-click on a line sets or clears a breakpoint there, in the file
// where the script stands (the only file whose view is shown).
void OnActivateLine(SourceView*, int32_t line) {
  DebugSession* session = DebugSessionCurrent();
  if (session && session->breakpoints) ToggleBreakpoint(session->breakpoints, line + 1, session->currentFileIndex);
}

// The "Source :" label follows the first visible line of the shown view.
void OnScrolled(SourceView*, int32_t) {
  if (DebugSession* session = DebugSessionCurrent()) SessionWindowsUpdateSourceLabel(session);
}

void LayOver(HWND view, HWND placeholder) {
  RECT frame{};
  GetWindowRect(placeholder, &frame);
  POINT corner{frame.left, frame.top};
  ScreenToClient(GetParent(placeholder), &corner);
  SetWindowPos(view, nullptr, corner.x, corner.y, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Gives back what a failed creation made: the view's window (which frees the
// view) and the record's pool.
SourceWindow* FailCreation(SourceWindow* window) {
  if (window->viewWindow && IsWindow(window->viewWindow)) DestroyWindow(window->viewWindow);
  MemPoolDestroy(window->pool);
  return nullptr;
}

}  // namespace

// The Script Location dialog. Its creation parameter is the caller's path
// buffer, kept in the dialog's user word (rather than process-wide) so that
// nothing limits the dialogs to one at a time.
extern "C" INT_PTR CALLBACK ScriptDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      HWND edit = GetDlgItem(dialog, IDC_SCRIPT_PATH);
      SendMessageA(edit, EM_LIMITTEXT, kPathSize - 1, 0);
      SetWindowTextA(edit, reinterpret_cast<const char*>(lParam));
      // The user's first act is typing a better name: start there.
      SetFocus(edit);
      SendMessageA(edit, EM_SETSEL, 0, -1);
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char typed[kPathSize];
        GetDlgItemTextA(dialog, IDC_SCRIPT_PATH, typed, sizeof typed);
        if (!PlatformFileExists(typed)) {
          ShowMessage(IDS_SCRIPT_NOT_FOUND, typed);
          break;
        }
        TextCopy(reinterpret_cast<char*>(GetWindowLongPtrA(dialog, DWLP_USER)), kPathSize, typed);
        EndDialog(dialog, 1);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
      }
      break;
    default:
      break;
  }
  return 0;
}

SourceWindow* SourceWindowCreate(char* path, HWND placeholder, HFONT viewFont, HFONT dialogFont) {
  MemPoolHandle pool = MemPoolCreate(kWindowPoolSize, kWindowPoolFlags);
  if (pool == kMemPoolFailed) return nullptr;
  auto* window = static_cast<SourceWindow*>(MemPoolAlloc(pool, sizeof(SourceWindow)));
  if (!window) {
    MemPoolDestroy(pool);
    return nullptr;
  }
  *window = SourceWindow{};
  window->pool = pool;
  window->breakpointLines = ListCreateInPool(sizeof(int32_t), pool);
  window->placeholder = placeholder;
  window->dialogFont = dialogFont;
  if (!window->breakpointLines) return FailCreation(window);

  ColorSchemeSetDefaults();
  ColorSchemeLoad();

  window->view = SourceViewCreate(GetParent(placeholder), kViewControlId, viewFont, kSourceViewReadOnly);
  if (!window->view) return FailCreation(window);
  window->viewWindow = SourceViewWindow(window->view);

  if (!SourceViewAddWords(window->view, KeywordList, kColorKeyword) ||
      !SourceViewAddWords(window->view, FunctionNameList, kColorFunction) ||
      !SourceViewAddWords(window->view, ConstantList, kColorConstant))
    return FailCreation(window);

  SourceWindowApplyColors(window);
  SourceViewSetCallback(window->view, kCallbackActivateLine, OnActivateLine);
  SourceViewSetCallback(window->view, kCallbackScrolled, OnScrolled);

  if (!PlatformFileExists(path)) {
    MessageBeep(0);
    INT_PTR chosen = DialogBoxParamA(static_cast<HINSTANCE>(PlatformModule()), MAKEINTRESOURCEA(IDD_SCRIPT_LOCATION),
                                     placeholder, ScriptDlgProc, reinterpret_cast<LPARAM>(path));
    if (chosen != 1) return FailCreation(window);
  }

  if (!SourceViewLoadFile(window->view, path)) {
    ShowMessage(IDS_SOURCE_NOT_FOUND, path);
    return FailCreation(window);
  }
  LayOver(window->viewWindow, placeholder);
  TextCopy(window->path, sizeof window->path, path);
  return window;
}

int SourceWindowDestroy(SourceWindow* window) {
  if (!window) return 0;
  ListDestroy(window->breakpointLines);
  if (window->viewWindow && IsWindow(window->viewWindow)) {
    ShowWindow(window->viewWindow, SW_HIDE);
    SourceViewClose(window->view);
  }
  MemPoolDestroy(window->pool);
  return 1;
}

int SourceWindowShow(SourceWindow* window, int show) {
  if (!window || !window->viewWindow || !IsWindow(window->viewWindow)) return 0;
  if (!show) {
    ShowWindow(window->viewWindow, SW_HIDE);
    return 1;
  }
  ShowWindow(window->viewWindow, SW_SHOW);
  SetWindowPos(window->viewWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  return 1;
}

HWND SourceWindowViewWindow(SourceWindow* window) { return window ? window->viewWindow : nullptr; }

int SourceWindowShowLine(SourceWindow* window, int32_t line) {
  if (!window) return 0;
  SourceView* view = window->view;
  const int32_t first = SourceViewQuery(view, kQueryFirstVisibleLine);
  const int32_t visible = SourceViewQuery(view, kQueryVisibleLines);
  if (line - 1 < first || line - 1 > first + visible) SourceViewScrollTo(view, line - 2, 1);
  SourceViewUnmarkLine(view, window->currentLine - 1, kMarkCurrentLine);
  window->currentLine = line;
  SourceViewMarkLine(view, line - 1, kColorCurrentLine, kMarkCurrentLine);
  return 1;
}

int SourceWindowMarkBreakpoint(SourceWindow* window, int add, int32_t line) {
  if (!window) return 0;
  List* lines = window->breakpointLines;
  if (add) {
    for (auto* marked = static_cast<int32_t*>(ListFirst(lines)); marked; marked = static_cast<int32_t*>(ListNext(lines)))
      if (*marked == line) return 1;
    ListLast(lines);
    if (!ListAdd(lines, &line)) return 0;
    SourceViewMarkLine(window->view, line - 1, kColorBreakpoint, kMarkBreakpoint);
    return 1;
  }
  if (line == -1) {
    while (auto* marked = static_cast<int32_t*>(ListFirst(lines))) {
      SourceViewUnmarkLine(window->view, *marked - 1, kMarkBreakpoint);
      ListRemove(lines);
    }
    return 1;
  }
  for (auto* marked = static_cast<int32_t*>(ListFirst(lines)); marked; marked = static_cast<int32_t*>(ListNext(lines))) {
    if (*marked == line) {
      ListRemove(lines);
      SourceViewUnmarkLine(window->view, line - 1, kMarkBreakpoint);
      return 1;
    }
  }
  return 0;
}

int SourceWindowFirstVisibleLine(SourceWindow* window) {
  return window ? SourceViewQuery(window->view, kQueryFirstVisibleLine) : 0;
}

int SourceWindowFileName(SourceWindow* window, char* buffer) {
  if (!window || !buffer) return 0;
  PathFileName(window->path, buffer, kPathSize);
  return 1;
}

void SourceWindowApplyColors(SourceWindow* window) {
  if (!window) return;
  ColorSchemeApply(window->view);
  if (window->viewWindow) InvalidateRect(window->viewWindow, nullptr, TRUE);
}

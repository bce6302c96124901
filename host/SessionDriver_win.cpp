// The driver works the debugger's windows only through what a user has: the
// buttons are clicked (BM_CLICK, which presses and releases them as the mouse
// does, so a disabled button cannot be used), names are chosen in the lists
// (with the selection-change notice the list sends for a choice made by
// hand), text is typed character by character, and the focus moves on.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "SessionDriver.h"

namespace {

// The timer procedure has no user argument; one session per process.
SessionDriver* gDriver = nullptr;

constexpr UINT kTickMs = 15;

// Ids of the debugger's windows (its resources/resource.h): the main window
// and the Set Breakpoints dialog.
constexpr int kGlobalValue = 101, kLocalValue = 102;
constexpr int kGlobalNames = 301, kLocalNames = 302;
constexpr int kStep = 501, kStepInto = 502, kGo = 503, kStop = 504, kExit = 505, kBreak = 506;
constexpr int kWatchLocal = 507, kWatchGlobal = 508;
constexpr int kSourceView = 401;  // every file's view has it; the shown one is visible
constexpr int kBreakList = 401, kBreakFunctions = 601, kBreakAt = 701, kBreakSet = 301, kBreakClose = 304;

enum Outcome { kDone, kWait, kResumed, kFailed };

void Note(SessionDriver* d, const std::string& line) {
  if (d->note) d->note(line);
}

Outcome Fail(SessionDriver* d, const std::string& what) {
  if (d->failure.empty()) d->failure = what;
  Note(d, "FAILED: " + what);
  return kFailed;
}

HWND MainWindow(SessionDriver* d) { return d->link ? d->link->mainWindow : nullptr; }

std::string LastComponent(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Where(const SessionStop& stop) {
  return LastComponent(stop.file) + "(" + std::to_string(stop.line) + ")";
}

std::string WindowText(HWND window) {
  char text[1100] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ListItems(HWND list, UINT countMessage, UINT textMessage, UINT lengthMessage) {
  std::string all;
  LRESULT count = SendMessageA(list, countMessage, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageA(list, lengthMessage, i, 0);
    if (length < 0 || length > 1000) continue;
    std::string item(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, textMessage, i, reinterpret_cast<LPARAM>(&item[0]));
    item.resize(static_cast<size_t>(length));
    all += (all.empty() ? "" : ", ") + item;
  }
  return all.empty() ? "nothing" : all;
}

std::string ComboItems(HWND combo) { return ListItems(combo, CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN); }
std::string ListBoxItems(HWND list) { return ListItems(list, LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN); }

// A control that a user can reach: there, visible and enabled.
HWND Usable(SessionDriver* d, HWND parent, int id, const std::string& name) {
  HWND control = parent ? GetDlgItem(parent, id) : nullptr;
  if (!control) {
    Fail(d, "there is no " + name + " (control " + std::to_string(id) + ")");
    return nullptr;
  }
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
    Fail(d, "the " + name + " is " + (IsWindowVisible(control) ? "disabled" : "hidden"));
    return nullptr;
  }
  return control;
}

// Presses and releases a button. Posted when the script is to go on, so that
// the command reaches the debugger through the host's loop as a click does.
bool Click(SessionDriver* d, HWND parent, int id, const std::string& name, bool post) {
  HWND button = Usable(d, parent, id, name);
  if (!button) return false;
  if (post) PostMessageA(button, BM_CLICK, 0, 0);
  else SendMessageA(button, BM_CLICK, 0, 0);
  return true;
}

// Types `text` over whatever the edit holds.
void Type(HWND edit, const std::string& text) {
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  if (text.empty()) SendMessageA(edit, WM_CHAR, VK_BACK, 1);
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Chooses an item of a combo box as a click in its list does: the
// selection, then the notice to the parent.
bool Choose(SessionDriver* d, HWND parent, HWND combo, int id, const std::string& item, const std::string& what) {
  LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
  if (index == CB_ERR) {
    Fail(d, item + " is not in the " + what + " (it holds " + ComboItems(combo) + ")");
    return false;
  }
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return true;
}

bool SaveScreenBmp(const std::string& path) {
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up rows, as the file keeps them
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  header.biSizeImage = stride * static_cast<DWORD>(height);
  std::string pixels(header.biSizeImage, '\0');
  bool ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0],
                      reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!ok) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
       std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  return std::fclose(out) == 0 && ok;
}

Outcome Shot(SessionDriver* d, const std::string& name) {
  if (d->shotsFolder.empty()) return kDone;
  // Whatever is still to be painted first: the picture shows the stop.
  for (HWND window : {MainWindow(d), d->dialog}) {
    if (window && IsWindow(window))
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  // What the windows painted reaches the display when the thread next waits
  // for messages; wait once without taking any, so nothing is dispatched here.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  std::string path = d->shotsFolder + "\\" + name + ".bmp";
  if (!SaveScreenBmp(path)) return Fail(d, "cannot write the screenshot " + path);
  Note(d, "  shot " + path);
  return kDone;
}

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM found) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  auto* result = reinterpret_cast<HWND*>(found);
  if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == result[0]) {
    result[1] = window;
    return FALSE;
  }
  return TRUE;
}

bool TimedOut(SessionDriver* d) { return GetTickCount() - d->phaseStart > static_cast<DWORD>(d->windowTimeoutMs); }

void NextPhase(SessionDriver* d) {
  d->phase++;
  d->phaseStart = GetTickCount();
}

// breakpoint line N | breakpoint function NAME: Break, fill in the place, Set,
// (a screenshot), Close; the dialog is worked from inside its modal loop.
Outcome Breakpoint(SessionDriver* d, const SessionCommand& c) {
  HWND main = MainWindow(d);
  switch (d->phase) {
    case 0:
      if (!Click(d, main, kBreak, "Break button", true)) return kFailed;
      NextPhase(d);
      return kWait;
    case 1: {
      HWND found[2] = {main, nullptr};
      EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(found));
      if (!found[1]) return TimedOut(d) ? Fail(d, "the Set Breakpoints dialog did not open") : kWait;
      HWND dialog = d->dialog = found[1];
      std::string place = c.kind == kSessionBreakAtLine ? std::to_string(c.number) : c.name;
      HWND edit = Usable(d, dialog, kBreakAt, "\"Set Break At:\" edit of the Set Breakpoints dialog");
      if (!edit) return kFailed;
      if (c.kind == kSessionBreakAtLine) {
        Type(edit, place);
      } else {
        HWND functions = Usable(d, dialog, kBreakFunctions, "\"Functions:\" list of the Set Breakpoints dialog");
        if (!functions || !Choose(d, dialog, functions, kBreakFunctions, c.name, "\"Functions:\" list")) return kFailed;
        if (WindowText(edit) != c.name)
          return Fail(d, "choosing " + c.name + " in \"Functions:\" left \"" + WindowText(edit) + "\" in \"Set Break At:\"");
      }
      HWND list = GetDlgItem(dialog, kBreakList);
      std::string before = ListBoxItems(list);
      LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
      if (!Click(d, dialog, kBreakSet, "Set button of the Set Breakpoints dialog", false)) return kFailed;
      if (SendMessageA(list, LB_GETCOUNT, 0, 0) <= count)
        return Fail(d, "Set added no breakpoint for " + place + " (the list holds " + before + ")");
      Note(d, "  breakpoints: " + ListBoxItems(list));
      if (!c.shot.empty() && Shot(d, c.shot) == kFailed) return kFailed;
      if (!Click(d, dialog, kBreakClose, "Close button of the Set Breakpoints dialog", false)) return kFailed;
      NextPhase(d);
      return kWait;
    }
    default:
      if (IsWindow(d->dialog) && IsWindowVisible(d->dialog))
        return TimedOut(d) ? Fail(d, "the Set Breakpoints dialog did not close") : kWait;
      d->dialog = nullptr;
      return kDone;
  }
}

HWND ShownView(HWND main) {
  for (HWND child = main ? GetWindow(main, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == kSourceView && IsWindowVisible(child)) return child;
  }
  return nullptr;
}

// Lines of a file as the source view counts them: CR LF, a lone CR and a
// lone LF each end one; a last line without an end counts too. -1 when the
// file cannot be read.
int32_t CountLines(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return -1;
  int32_t lines = 0;
  int previous = '\n', c;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\r' || (c == '\n' && previous != '\r')) lines++;
    previous = c;
  }
  if (previous != '\n' && previous != '\r') lines++;
  std::fclose(file);
  return lines;
}

// toggle N: the view is scrolled (as by its thumb) so that line N is in
// sight, then the line is double-clicked. Where a line lies on the screen
// follows from what the view shows: its scroll range ends at the line count
// less the lines that fit, so the line height is one of the whole numbers
// that make that many lines fit the client area; the click goes where every
// such height puts line N.
Outcome Toggle(SessionDriver* d, const SessionCommand& c) {
  HWND view = ShownView(MainWindow(d));
  if (!view || !IsWindowEnabled(view)) return Fail(d, "there is no source view to double-click");
  if (!(GetClassLongPtrA(view, GCL_STYLE) & CS_DBLCLKS)) return Fail(d, "the source view does not take double-clicks");
  const std::string& file = d->stops.back().file;
  const int32_t lines = CountLines(file);
  if (lines < c.number) return Fail(d, "line " + std::to_string(c.number) + " is not in " + file);
  int low = 0, high = 0;
  GetScrollRange(view, SB_VERT, &low, &high);
  RECT client{};
  GetClientRect(view, &client);
  const int visible = lines - high;
  if (high <= 0 || visible <= 0) return Fail(d, "the whole file fits the view: where its lines lie cannot be told");
  int top = c.number - 1 - visible / 2;
  top = top < 0 ? 0 : (top > high ? high : top);
  SendMessageA(view, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, top), 0);
  top = GetScrollPos(view, SB_VERT);
  const int row = c.number - 1 - top;
  if (row < 0 || row >= visible) return Fail(d, "scrolling did not bring line " + std::to_string(c.number) + " into view");
  int first = 0, last = client.bottom;  // the band of y where every possible height puts the row
  bool any = false;
  for (int height = 1; height <= client.bottom; ++height) {
    if (client.bottom / height != visible) continue;
    any = true;
    first = std::max(first, row * height);
    last = std::min(last, (row + 1) * height - 1);
  }
  if (!any || first > last) return Fail(d, "the line height of the source view cannot be told");
  const LPARAM at = MAKELPARAM(8, (first + last) / 2);
  SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(view, WM_LBUTTONUP, 0, at);
  SendMessageA(view, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(view, WM_LBUTTONUP, 0, at);
  Note(d, "  double-clicked line " + std::to_string(c.number) + " of " + LastComponent(file));
  return kDone;
}

// global NAME = VALUE | local NAME = VALUE: the name chosen, the value typed,
// then Tab, which the host's loop hands to the dialog manager: the focus
// moves on and the edit, losing it, writes the value to the script.
Outcome Assign(SessionDriver* d, const SessionCommand& c) {
  const bool global = c.kind == kSessionSetGlobal;
  const std::string row = global ? "global" : "local";
  HWND main = MainWindow(d);
  if (d->phase == 0) {
    HWND names = Usable(d, main, global ? kGlobalNames : kLocalNames, row + " variable list");
    HWND edit = names ? Usable(d, main, global ? kGlobalValue : kLocalValue, row + " value edit") : nullptr;
    if (!edit || !Choose(d, main, names, global ? kGlobalNames : kLocalNames, c.name, row + " variable list"))
      return kFailed;
    d->shownBefore = WindowText(edit);
    Type(edit, c.value);
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(edit, WM_KEYUP, VK_TAB, 0xC00F0001);
    NextPhase(d);
    return kWait;
  }
  HWND edit = GetDlgItem(main, global ? kGlobalValue : kLocalValue);
  if (GetFocus() == edit) return TimedOut(d) ? Fail(d, "Tab did not move the focus out of the " + row + " value edit") : kWait;
  Note(d, "  " + row + " " + c.name + ": was " + d->shownBefore + ", typed " + c.value + ", shows " + WindowText(edit));
  return kDone;
}

// watch global NAME | watch local NAME
Outcome Watch(SessionDriver* d, const SessionCommand& c) {
  const bool global = c.kind == kSessionWatchGlobal;
  const std::string row = global ? "global" : "local";
  HWND main = MainWindow(d);
  HWND names = Usable(d, main, global ? kGlobalNames : kLocalNames, row + " variable list");
  if (!names || !Choose(d, main, names, global ? kGlobalNames : kLocalNames, c.name, row + " variable list"))
    return kFailed;
  return Click(d, main, global ? kWatchGlobal : kWatchLocal, row + " watch button", false) ? kDone : kFailed;
}

Outcome Pause(SessionDriver* d, const SessionCommand& c) {
  if (d->phase == 0) NextPhase(d);
  return GetTickCount() - d->phaseStart >= static_cast<DWORD>(c.number) ? kDone : kWait;
}

Outcome Expect(SessionDriver* d, const SessionCommand& c) {
  const SessionStop& stop = d->stops.back();
  if (SessionExpectMatches(c, stop.file, stop.line)) return kDone;
  return Fail(d, "stop " + std::to_string(stop.number) + " is at " + Where(stop) + ", the session script (line " +
                     std::to_string(c.sourceLine) + ") expects " + LastComponent(c.name) + "(" +
                     std::to_string(c.number) + ")");
}

Outcome Resume(SessionDriver* d, const SessionCommand& c) {
  static const struct {
    SessionCommandKind kind;
    int id;
    const char* name;
  } kButtons[] = {{kSessionStep, kStep, "Step button"},
                  {kSessionStepInto, kStepInto, "StepInto button"},
                  {kSessionGo, kGo, "Go button"},
                  {kSessionExit, kExit, "Exit button"}};
  for (const auto& button : kButtons) {
    if (button.kind == c.kind) return Click(d, MainWindow(d), button.id, button.name, true) ? kResumed : kFailed;
  }
  return kFailed;
}

Outcome Run(SessionDriver* d, const SessionCommand& c) {
  switch (c.kind) {
    case kSessionStop: return Fail(d, "stop (line " + std::to_string(c.sourceLine) + ") is for a running script, not a stop");
    case kSessionStep:
    case kSessionStepInto:
    case kSessionGo:
    case kSessionExit: return Resume(d, c);
    case kSessionBreakAtLine:
    case kSessionBreakAtFunction: return Breakpoint(d, c);
    case kSessionToggleLine: return Toggle(d, c);
    case kSessionSetGlobal:
    case kSessionSetLocal: return Assign(d, c);
    case kSessionWatchGlobal:
    case kSessionWatchLocal: return Watch(d, c);
    case kSessionExpect: return Expect(d, c);
    case kSessionShot: return Shot(d, c.name);
    case kSessionPause: return Pause(d, c);
  }
  return kFailed;
}

void EndStop(SessionDriver* d) { d->stopDone = true; }

// Ends the script: Exit as a user would press it, or, when even that cannot
// be done, straight through the link so that an unattended run never hangs.
void ForceExit(SessionDriver* d) {
  EndStop(d);
  HWND main = MainWindow(d);
  HWND exitButton = main ? GetDlgItem(main, kExit) : nullptr;
  if (exitButton && IsWindowEnabled(exitButton)) {
    PostMessageA(exitButton, BM_CLICK, 0, 0);
    return;
  }
  d->link->exitRequested = true;
  QnVmRequestStop(d->link->vm);
}

// The system's message box: its dialog procedure lives in USER32.
bool IsMessageBox(HWND window) {
  // Asked in Unicode: the ANSI answer for a Unicode dialog is a thunk, not the procedure.
  auto procedure = reinterpret_cast<LPCSTR>(GetWindowLongPtrW(window, DWLP_DLGPROC));
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     procedure, &module);
  return module && module == GetModuleHandleA("user32.dll");
}

struct FoundDialogs {
  std::vector<HWND> windows;
};

BOOL CALLBACK FindDialogs(HWND window, LPARAM found) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window))
    reinterpret_cast<FoundDialogs*>(found)->windows.push_back(window);
  return TRUE;
}

std::string StaticTexts(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[16] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && !WindowText(child).empty()) text += (text.empty() ? "" : " ") + WindowText(child);
  }
  return text;
}

// The Set Breakpoints dialog is expected from the click on Break until the
// command has worked it.
bool BreakpointDialogExpected(SessionDriver* d) {
  if (!d->atStop || d->next >= d->script.commands.size() || d->phase < 1) return false;
  SessionCommandKind kind = d->script.commands[d->next].kind;
  return kind == kSessionBreakAtLine || kind == kSessionBreakAtFunction;
}

// Message boxes are answered with OK so that an unattended run goes on; the
// script's own are only noted, the debugger's (its title) fail the session.
// Any other dialog that opens unasked (the debugger asking where a source
// file is, say) fails the session and is cancelled.
void AnswerDialogs(SessionDriver* d) {
  FoundDialogs found;
  EnumThreadWindows(GetCurrentThreadId(), FindDialogs, reinterpret_cast<LPARAM>(&found));
  for (HWND box : found.windows) {
    if (box == MainWindow(d) || box == d->dialog) continue;
    bool seen = false;
    for (HWND answered : d->answered) seen = seen || answered == box;
    if (seen) continue;
    if (!IsMessageBox(box) && BreakpointDialogExpected(d) && GetWindow(box, GW_OWNER) == MainWindow(d)) continue;
    d->answered.push_back(box);
    std::string what = "\"" + WindowText(box) + "\": " + StaticTexts(box);
    if (!IsMessageBox(box)) {
      Fail(d, "the debugger opened the dialog " + what);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDCANCEL)));
      continue;
    }
    if (WindowText(box) == "Quendle Debugger") Fail(d, "the debugger showed the message box " + what);
    else Note(d, "  message box " + what);
    HWND ok = GetDlgItem(box, IDOK) ? GetDlgItem(box, IDOK) : GetDlgItem(box, IDCANCEL);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(ok ? GetDlgCtrlID(ok) : IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  }
}

void RunCommands(SessionDriver* d) {
  while (!d->stopDone) {
    if (!d->failure.empty()) d->next = d->script.commands.size();  // nothing more after a failure
    if (d->next >= d->script.commands.size()) {
      Note(d, d->failure.empty() ? "  no command left: exit" : "  exit");
      ForceExit(d);
      break;
    }
    const SessionCommand& c = d->script.commands[d->next];
    if (d->phase == 0) Note(d, "  > " + SessionCommandText(c));
    Outcome outcome = Run(d, c);
    if (outcome == kWait) break;
    d->next++;
    d->phase = 0;
    if (outcome == kResumed) EndStop(d);
    if (outcome == kFailed && d->dialog && IsWindow(d->dialog)) EndDialog(d->dialog, 0);
    if (outcome == kFailed) d->dialog = nullptr;
  }
}

// stop: Stop pressed while the script runs. The timer ticks then only when
// the host looks at its queue, which it does while the script runs so that
// this button works.
void PressStop(SessionDriver* d) {
  const SessionCommand& c = d->script.commands[d->next];
  Note(d, "  > " + SessionCommandText(c));
  d->next++;
  d->busy = true;
  Click(d, MainWindow(d), kStop, "Stop button", false);
  d->busy = false;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  SessionDriver* d = gDriver;
  if (!d) return;
  // Also from inside a box that a command of ours brought up.
  AnswerDialogs(d);
  if (d->running && !d->busy && d->failure.empty() && d->next < d->script.commands.size() &&
      d->script.commands[d->next].kind == kSessionStop)
    PressStop(d);
  if (d->busy || !d->atStop || d->stopDone) return;
  d->busy = true;
  RunCommands(d);
  d->busy = false;
}

void WaitAtStop(DebuggerLink* link) {
  SessionDriver* d = static_cast<SessionDriver*>(link->user);
  SessionStop stop;
  stop.number = static_cast<int>(d->stops.size()) + 1;
  QnActivation here;
  if (QnVmGetActivation(link->vm, 0, &here)) {
    stop.file = here.file;
    stop.line = here.line;
    stop.block = here.block;
    stop.offset = here.offset;
    stop.depth = here.depth;
    stop.function = here.function;
  }
  d->stops.push_back(stop);
  Note(d, "stop " + std::to_string(stop.number) + ": " + Where(stop) + " in " + stop.function + ", depth " +
              std::to_string(stop.depth));
  if (d->onStop) d->onStop(stop, link->mainWindow);

  d->stopDone = false;
  d->phase = 0;
  if (!link->mainWindow) {
    Fail(d, "the debugger stopped the script but has no main window to work");
    ForceExit(d);
    return;
  }
  d->running = false;
  d->atStop = true;
  DebuggerMessageLoop(link);
  d->atStop = false;
  d->stopDone = true;
  d->running = true;
}

}  // namespace

void SessionDriverAttach(SessionDriver* driver, DebuggerLink* link) {
  gDriver = driver;
  driver->link = link;
  link->user = driver;
  link->waitWhileSuspended = WaitAtStop;
  if (!link->pollMessages) link->pollMessages = DebuggerPollMessages;
  driver->timer = SetTimer(nullptr, 0, kTickMs, Tick);
}

bool SessionDriverFinish(SessionDriver* driver) {
  if (driver->next < driver->script.commands.size() && driver->failure.empty()) {
    const SessionCommand& c = driver->script.commands[driver->next];
    Fail(driver, "the script ended after " + std::to_string(driver->stops.size()) +
                     " stop(s), before the session script's line " + std::to_string(c.sourceLine) + " (" +
                     SessionCommandText(c) + ")");
  }
  if (driver->timer) KillTimer(nullptr, driver->timer);
  driver->timer = 0;
  if (gDriver == driver) gDriver = nullptr;
  return driver->failure.empty();
}

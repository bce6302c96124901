// The main debugger window (see MainWindow_win.h).
//
// Choices of our own:
// - A face is loaded from the resources each time a button is drawn and
//   deleted right after, so the window keeps no GDI object between paints
//   and nothing is left to give back when it goes.
// - The system commands of our own (Set Colors, About, Close) answer TRUE, so
//   the dialog manager does nothing more with them; the others (move,
//   minimise) go on to it.
// - The caption statics keep no procedure of their own: all but their
//   painting goes to the default window procedure.
#include "ui/MainWindow_win.h"

#include <cstdio>

#include "debuginfo/SourceFileViews.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "session/DebugSession.h"
#include "session/ExecutionControl.h"
#include "session/HostLink.h"
#include "session/Session.h"
#include "session/SessionWindows.h"
#include "ui/AboutBox_win.h"
#include "ui/ColorDialog_win.h"
#include "ui/RaisedFrame_win.h"
#include "ui/VariablesPanel_win.h"
#include "ui/Watch_win.h"
#include "util/Font.h"

namespace {

// The group box's own procedure, which the subclass hands everything but the
// painting; and the label's words before a line number was put after them.
WNDPROC gGroupBoxProc = nullptr;
char gSourceLabel[kTextSize];

constexpr int kGroupCaptionSize = 90;  // two blanks, 85 characters, two blanks, the terminator

// The controls that take the control font, in the order the window gives it.
constexpr int kFontControls[] = {
    IDC_EXIT,        IDC_STEP,        IDC_STEP_INTO,    IDC_GO,           IDC_SOURCE_PLACEHOLDER,
    IDC_GLOBAL_NAMES, IDC_LOCAL_NAMES, IDC_GLOBAL_VALUE, IDC_LOCAL_VALUE, IDC_BREAK,
    IDC_STOP,        IDC_GO_CAPTION,  IDC_STOP_CAPTION, IDC_STEP_CAPTION, IDC_STEP_INTO_CAPTION,
    IDC_EXIT_CAPTION, IDC_BREAK_CAPTION, IDC_VARIABLES_GROUP, IDC_SOURCE_LABEL, IDC_WATCH_LABEL,
    IDC_GLOBAL_LABEL, IDC_LOCAL_LABEL};

constexpr int kCaptionStatics[] = {IDC_GO_CAPTION,        IDC_STOP_CAPTION, IDC_STEP_CAPTION,
                                   IDC_STEP_INTO_CAPTION, IDC_EXIT_CAPTION, IDC_BREAK_CAPTION};

HINSTANCE Module() { return static_cast<HINSTANCE>(PlatformModule()); }

void AddSystemMenuEntries(HWND dialog) {
  HMENU menu = GetSystemMenu(dialog, FALSE);
  if (!menu) return;
  char text[kTextSize];
  PlatformLoadString(IDS_SET_COLORS, text, sizeof text);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_SET_COLORS, text);
  PlatformLoadString(IDS_ABOUT, text, sizeof text);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUT, text);
}

// The watch window over its placeholder, with the two directories every
// script has.
void MakeWatchWindow(HWND dialog, DebugSession* session) {
  WatchRecord* watch = WatchCreate(dialog, IDC_WATCH_WINDOW, 0, VariablesPanelWatchValue, session);
  if (session) session->watch = watch;
  HWND window = WatchGetWindow(watch);
  if (!window) return;
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(SessionControlFont()), FALSE);
  RECT r;
  GetWindowRect(GetDlgItem(dialog, IDC_WATCH_PLACEHOLDER), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  WatchAdd(watch, 2, 1, "SRCDIR");
  WatchAdd(watch, 2, 1, "TARGETDIR");
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
}

INT_PTR InitDialog(HWND dialog) {
  DebugSession* session = DebugSessionCurrent();
  if (session) session->mainWindow = dialog;
  GetDlgItemTextA(dialog, IDC_SOURCE_LABEL, gSourceLabel, sizeof gSourceLabel);
  AddSystemMenuEntries(dialog);
  const WPARAM font = reinterpret_cast<WPARAM>(SessionControlFont());
  for (int id : kFontControls) SendDlgItemMessageA(dialog, id, WM_SETFONT, font, FALSE);
  HWND group = GetDlgItem(dialog, IDC_VARIABLES_GROUP);
  gGroupBoxProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(group, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QNdbgStaticSubclass)));
  for (int id : kCaptionStatics)
    SetWindowLongPtrA(GetDlgItem(dialog, id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QNdbgStaticSubclass));
  ShowWindow(GetDlgItem(dialog, IDC_SOURCE_PLACEHOLDER), SW_HIDE);
  ShowWindow(GetDlgItem(dialog, IDC_WATCH_PLACEHOLDER), SW_HIDE);
  MakeWatchWindow(dialog, session);
  return FALSE;  // the dialog manager sets no focus of its own
}

// The face of an owner-drawn button: the third one while disabled (whatever
// else its state), the second while pressed; centred, the rest of the button
// in the face colour, the focus rectangle inside the face.
void DrawButton(const DRAWITEMSTRUCT* item) {
  if (item->CtlType != ODT_BUTTON) return;
  const int normal = MainWindowFaceOf(static_cast<int>(item->CtlID));
  if (!normal) return;
  if (!(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS))) return;
  int faceId = normal;
  if (item->itemState & ODS_DISABLED) faceId += 2;
  else if (item->itemState & ODS_SELECTED) faceId += 1;
  HBITMAP face = LoadBitmapA(Module(), MAKEINTRESOURCEA(faceId));
  if (!face) return;
  BITMAP info;
  GetObjectA(face, sizeof info, &info);
  const RECT& r = item->rcItem;
  const int left = r.left + (r.right - r.left - info.bmWidth) / 2;
  const int top = r.top + (r.bottom - r.top - info.bmHeight) / 2;
  HDC memory = CreateCompatibleDC(item->hDC);
  if (memory) {
    HGDIOBJ old = SelectObject(memory, face);
    BitBlt(item->hDC, left, top, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  const int saved = SaveDC(item->hDC);
  ExcludeClipRect(item->hDC, left, top, left + info.bmWidth, top + info.bmHeight);
  RECT client;
  GetClientRect(item->hwndItem, &client);
  FillRect(item->hDC, &client, GetSysColorBrush(COLOR_BTNFACE));
  RestoreDC(item->hDC, saved);
  if (item->itemState & ODS_FOCUS) {
    RECT focus = {left + 4, top + 4, left + info.bmWidth - 4, top + info.bmHeight - 4};
    DrawFocusRect(item->hDC, &focus);
  }
  DeleteObject(face);
}

void Command(DebugSession* session, int id, int notification) {
  switch (id) {
    case IDC_GO:
    case IDC_GO_CAPTION:
      CommandGo(session);
      break;
    case IDC_STOP:
    case IDC_STOP_CAPTION:
      CommandStop(session);
      break;
    case IDC_STEP:
    case IDC_STEP_CAPTION:
      CommandStep(session);
      break;
    case IDC_STEP_INTO:
    case IDC_STEP_INTO_CAPTION:
      CommandStepInto(session);
      break;
    case IDC_EXIT:
    case IDC_EXIT_CAPTION:
      CommandExit(session);
      break;
    case IDC_BREAK:
    case IDC_BREAK_CAPTION:
      CommandBreak(session);
      break;
    case IDC_WATCH_GLOBAL:
    case IDC_WATCH_LOCAL:
    case IDC_GLOBAL_NAMES:
    case IDC_LOCAL_NAMES:
      if (session) VariablesPanelCommand(session, id, notification);
      break;
    default:
      break;
  }
}

// 1 when the system command was the debugger's own.
int SystemCommand(HWND dialog, DebugSession* session, WPARAM command) {
  if (command == IDM_SET_COLORS) {
    // Cancel leaves the views as they are: nothing is repainted.
    if (ColorSchemeRunDialog(dialog, SessionControlFont()) == 1 && session)
      SourceFileListApplyColors(session->sourceFiles);
    return 1;
  }
  if (command == IDM_ABOUT) {
    AboutBoxRun(dialog);
    return 1;
  }
  if ((command & 0xFFF0) == SC_CLOSE) {
    // Closing asks the host to end the script; the window stays until
    // QNdbgExit takes it down.
    CommandExit(session);
    return 1;
  }
  return 0;
}

// The group box's frame, etched, with its caption across the top line.
void PaintGroupBox(HWND window) {
  char text[kGroupCaptionSize - 4] = "";
  GetWindowTextA(window, text, sizeof text);
  char caption[kGroupCaptionSize];
  const int length = std::snprintf(caption, sizeof caption, "  %s  ", text);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  HFONT font = reinterpret_cast<HFONT>(CallWindowProcA(gGroupBoxProc, window, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = SelectObject(dc, font ? font : SessionControlFont());
  RECT r;
  GetClientRect(window, &r);
  PaintEtchedGroupBox(dc, r, caption, length, TextExtentWidth(TextExtent(dc, "Test", 4)));
  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

// A caption under a command button: its string, centred, the mnemonic
// underlined.
void PaintCaption(HWND window) {
  char text[kTextSize];
  PlatformLoadString(static_cast<uint32_t>(GetDlgCtrlID(window)), text, sizeof text);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, SessionControlFont());
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

}  // namespace

int MainWindowFaceOf(int controlId) {
  switch (controlId) {
    case IDC_EXIT: return IDB_EXIT_FACE;
    case IDC_STOP: return IDB_STOP_FACE;
    case IDC_STEP_INTO: return IDB_STEP_INTO_FACE;
    case IDC_STEP: return IDB_STEP_FACE;
    case IDC_GO: return IDB_GO_FACE;
    case IDC_BREAK: return IDB_BREAK_FACE;
    case IDC_WATCH_GLOBAL:
    case IDC_WATCH_LOCAL: return IDB_WATCH_FACE;
    default: return 0;
  }
}

const char* MainWindowSourceLabel() { return gSourceLabel; }

int MainWindowCreate(DebugSession* session, HWND* outMainWindow) {
  HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr, QNdbgDlgProc, 0);
  if (outMainWindow) *outMainWindow = dialog;
  if (!dialog) return 0;
  session->mainWindow = dialog;
  VariablesPanelSubclassEdits(session);
  GetWindowTextA(dialog, session->title, sizeof session->title);
  SourceFileListCreateViews(session->sourceFiles, SessionSourceFont(), SessionControlFont(),
                            GetDlgItem(dialog, IDC_SOURCE_PLACEHOLDER));
  session->currentSource = SourceFileListFind(session->sourceFiles, 0, 0, session->currentFileName,
                                              sizeof session->currentFileName, &session->currentFileIndex);
  if (!session->currentSource) return 0;
  SessionWindowsUpdateCaption(session);
  HostCall(session, kHostSetOneShot, 0, 0);
  VariablesPanelFill(session);
  ShowWindow(dialog, SW_SHOW);
  return 1;
}

extern "C" INT_PTR CALLBACK QNdbgDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DebugSession* session = DebugSessionCurrent();
  // A handled message answers TRUE to the dialog manager, whose own result
  // for it is then 0; the colour messages answer the brush itself.
  switch (message) {
    case WM_INITDIALOG:
      return InitDialog(dialog);
    case WM_PAINT:
      PaintRaisedFrameMessage(dialog);
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_DRAWITEM:
      DrawButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      Command(session, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      return SystemCommand(dialog, session, wParam);
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return FaceControlColor(message, wParam, SessionFaceBrush());
    default:
      return FALSE;
  }
}

extern "C" LRESULT CALLBACK QNdbgStaticSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const int id = GetDlgCtrlID(window);
  if (id == IDC_VARIABLES_GROUP) {
    if (message == WM_PAINT) {
      PaintGroupBox(window);
      return 0;
    }
    return gGroupBoxProc ? CallWindowProcA(gGroupBoxProc, window, message, wParam, lParam)
                         : DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_PAINT) {
    PaintCaption(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

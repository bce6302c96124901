// The Win32 side of what execution control and the breakpoint table ask of
// the debugger's windows: the main window, its variables panel, the watch
// window and the source windows. A window that does not exist (a session
// whose main window could not be made) is simply not changed.
#include "session/SessionWindows.h"

#include <windows.h>

#include <cstdio>

#include "debuginfo/SourceFileList.h"
#include "resources/resource.h"
#include "session/DebugSession.h"
#include "sourceview/SourceWindow.h"
#include "ui/BreakpointsDialog_win.h"
#include "ui/MainWindow_win.h"
#include "ui/VariablesPanel_win.h"
#include "ui/Watch_win.h"
#include "util/Path.h"
#include "util/Text.h"

namespace {

// What the user may touch only while the script is stopped.
constexpr int kStoppedControls[] = {IDC_STEP,         IDC_STEP_INTO,   IDC_GO,           IDC_WATCH_LOCAL,
                                    IDC_WATCH_GLOBAL, IDC_GLOBAL_NAMES, IDC_LOCAL_NAMES, IDC_GLOBAL_VALUE,
                                    IDC_LOCAL_VALUE,  IDC_BREAK};

void EnableView(SourceWindow* source, void* stopped) {
  EnableWindow(SourceWindowViewWindow(source), *static_cast<int*>(stopped));
}

}  // namespace

void SessionWindowsReleaseCapture() { ReleaseCapture(); }

void SessionWindowsRaise(DebugSession* session, int show) {
  if (!session->mainWindow) return;
  SetWindowPos(session->mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (show) ShowWindow(session->mainWindow, SW_SHOW);
}

void SessionWindowsEnable(DebugSession* session, int stopped) {
  session->stopped = stopped;
  HWND main = session->mainWindow;
  if (!main) return;
  for (int id : kStoppedControls) EnableWindow(GetDlgItem(main, id), stopped);
  // Every file's view carries the id of the source view; the one shown and
  // the hidden ones follow the state alike.
  SourceFileListVisitViews(session->sourceFiles, EnableView, &stopped);
  EnableWindow(WatchGetWindow(session->watch), stopped);
  EnableWindow(GetDlgItem(main, IDC_STOP), !stopped);
}

void SessionWindowsEnableStop(DebugSession* session) {
  if (session->mainWindow) EnableWindow(GetDlgItem(session->mainWindow, IDC_STOP), TRUE);
}

void SessionWindowsSwitchSource(SourceWindow* shown, SourceWindow* hidden) {
  if (hidden && hidden != shown) SourceWindowShow(hidden, 0);
  if (shown) SourceWindowShow(shown, 1);
}

void SessionWindowsUpdateCaption(DebugSession* session) {
  if (!session->mainWindow) return;
  char name[kTextSize], caption[2 * kTextSize + 4];
  PathFileName(session->currentFileName, name, sizeof name);
  std::snprintf(caption, sizeof caption, "%s - %s", session->title, name);
  SetWindowTextA(session->mainWindow, caption);
}

void SessionWindowsShowLine(SourceWindow* source, int32_t line) {
  if (source) SourceWindowShowLine(source, line);
}

void SessionWindowsUpdateSourceLabel(DebugSession* session) {
  if (!session->mainWindow || !session->currentSource) return;
  char text[kTextSize + 16];
  std::snprintf(text, sizeof text, "%s %d ", MainWindowSourceLabel(),
                SourceWindowFirstVisibleLine(session->currentSource) + 1);
  SetDlgItemTextA(session->mainWindow, IDC_SOURCE_LABEL, text);
}

void SessionWindowsRefreshVariables(DebugSession* session) { VariablesPanelRefresh(session); }

void SessionWindowsRefreshWatch(DebugSession* session) { WatchRefresh(session->watch); }

void SessionWindowsOpenBreakpoints(DebugSession* session) {
  if (session) BreakpointsDialogRun(session->mainWindow, session->breakpoints);
}

void SessionWindowsSourceFileName(SourceWindow* source, char* name) {
  name[0] = 0;
  if (source) SourceWindowFileName(source, name);
}

void SessionWindowsMarkBreakpoint(SourceWindow* source, int add, int32_t line) {
  if (source) SourceWindowMarkBreakpoint(source, add, line);
}

void SessionWindowsInvalidateSource(SourceWindow* source) {
  if (HWND view = SourceWindowViewWindow(source)) InvalidateRect(view, nullptr, TRUE);
}

void SessionWindowsDialogAddLabel(HWND dialog, const char* label) {
  SendDlgItemMessageA(dialog, IDC_BREAK_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
}

void SessionWindowsDialogRemoveLabel(HWND dialog, const char* label) {
  LRESULT index = SendDlgItemMessageA(dialog, IDC_BREAK_LIST, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(label));
  if (index != LB_ERR) SendDlgItemMessageA(dialog, IDC_BREAK_LIST, LB_DELETESTRING, index, 0);
}

void SessionWindowsDialogClearLabels(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_BREAK_LIST, LB_RESETCONTENT, 0, 0);
}

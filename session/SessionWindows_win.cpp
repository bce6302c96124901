// The Win32 side of what execution control and the breakpoint table ask of
// the debugger's windows. The main window, its variables panel and the source
// windows each fill in their part here as they are built; until a window
// exists, asking it to change does nothing.
#include "session/SessionWindows.h"

#include <windows.h>

#include <cstdio>

#include "session/DebugSession.h"
#include "sourceview/SourceWindow.h"
#include "ui/BreakpointsDialog_win.h"
#include "ui/VariablesPanel_win.h"
#include "util/Path.h"
#include "util/Text.h"

namespace {

constexpr int kBreakpointList = 401;  // list box of the Set Breakpoints dialog

}  // namespace

void SessionWindowsReleaseCapture() { ReleaseCapture(); }

void SessionWindowsRaise(DebugSession* session, int show) {
  if (!session->mainWindow) return;
  SetWindowPos(session->mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (show) ShowWindow(session->mainWindow, SW_SHOW);
}

void SessionWindowsEnable(DebugSession* session, int stopped) { session->stopped = stopped; }

void SessionWindowsEnableStop(DebugSession*) {}

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

void SessionWindowsUpdateSourceLabel(DebugSession*) {}

void SessionWindowsRefreshVariables(DebugSession* session) { VariablesPanelRefresh(session); }

void SessionWindowsRefreshWatch(DebugSession*) {}

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
  SendDlgItemMessageA(dialog, kBreakpointList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
}

void SessionWindowsDialogRemoveLabel(HWND dialog, const char* label) {
  LRESULT index = SendDlgItemMessageA(dialog, kBreakpointList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(label));
  if (index != LB_ERR) SendDlgItemMessageA(dialog, kBreakpointList, LB_DELETESTRING, index, 0);
}

void SessionWindowsDialogClearLabels(HWND dialog) {
  SendDlgItemMessageA(dialog, kBreakpointList, LB_RESETCONTENT, 0, 0);
}

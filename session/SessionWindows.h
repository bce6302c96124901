// What the session's logic (execution control and the breakpoint table) asks
// of the debugger's windows. The logic itself is window-free; these narrow
// operations are its only way to the screen. SessionWindows_win.cpp carries
// them out on the real windows; the native tests of the logic supply their
// own, which record what was asked.
#pragma once

#include <cstdint>

#include "qndbgc.h"  // HWND

struct DebugSession;
struct SourceWindow;

// Releases a mouse capture held by the debugger's windows.
void SessionWindowsReleaseCapture();
// Raises the main window to the top without moving or sizing it; `show` also
// shows it (a breakpoint stop does, a trace stop does not).
void SessionWindowsRaise(DebugSession* session, int show);
// Sets `stopped` and enables the controls for that state: the commands, the
// source view, the watch window and the variables panel while stopped, only
// Stop while running.
void SessionWindowsEnable(DebugSession* session, int stopped);
// Enables the Stop button and nothing else changes: Step lets the script run
// with the other controls as they were.
void SessionWindowsEnableStop(DebugSession* session);
// Shows one source window's view and hides another's (either may be null).
void SessionWindowsSwitchSource(SourceWindow* shown, SourceWindow* hidden);
// The main window's caption: the title, " - ", the shown file's last component.
void SessionWindowsUpdateCaption(DebugSession* session);
// Makes the line (from 1) the current line of the source window, in view.
void SessionWindowsShowLine(SourceWindow* source, int32_t line);
// The "Source :" label from the first visible line of the current source.
void SessionWindowsUpdateSourceLabel(DebugSession* session);
// The user variables panel and then the watch window, after a stop.
void SessionWindowsRefreshVariables(DebugSession* session);
void SessionWindowsRefreshWatch(DebugSession* session);
// Runs the Set Breakpoints dialog modally, owned by the main window.
void SessionWindowsOpenBreakpoints(DebugSession* session);

// The last component of the source window's path into `name` (261 bytes).
void SessionWindowsSourceFileName(SourceWindow* source, char* name);
// Adds (add nonzero) or removes the breakpoint mark of a line (from 1; -1
// with add 0 removes every mark of the source window).
void SessionWindowsMarkBreakpoint(SourceWindow* source, int add, int32_t line);
// Repaints the source window's view.
void SessionWindowsInvalidateSource(SourceWindow* source);
// The list of labels in the open Set Breakpoints dialog.
void SessionWindowsDialogAddLabel(HWND dialog, const char* label);
void SessionWindowsDialogRemoveLabel(HWND dialog, const char* label);
void SessionWindowsDialogClearLabels(HWND dialog);

// The Set Breakpoints dialog (template 501): the list of breakpoint labels,
// the functions of the script, and Set, Clear, Clear All and Close over the
// session's BreakpointTable. Window code only.
#pragma once

#include <windows.h>

struct BreakpointTable;

// Runs the dialog modally, owned by `owner`, until the user closes it.
void BreakpointsDialogRun(HWND owner, BreakpointTable* table);

extern "C" INT_PTR CALLBACK BreakDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

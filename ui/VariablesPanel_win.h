// The user variables panel at the foot of the main window: a row for the
// globals (combo box 301, value edit 101, WG 508) and one for the locals of
// the function the script stopped in (302, 102, WL 507). Values go to and
// come from the host's variable callbacks. Window code only.
#pragma once

#include <windows.h>

#include <cstdint>

struct DebugSession;

// Fills combo box 301 with the global names and empties 302 (creation).
void VariablesPanelFill(DebugSession* session);
// The refresh after a stop: both rows by selection and by typed name, with
// the local row following the current function.
void VariablesPanelRefresh(DebugSession* session);
// WM_COMMAND of the panel's controls (301, 302, 507, 508): 1 when handled.
int VariablesPanelCommand(DebugSession* session, int id, int notification);
// Subclasses the value edits 101 and 102 with QNdbgSubWndProc, and puts the
// previous procedures back.
void VariablesPanelSubclassEdits(DebugSession* session);
void VariablesPanelRestoreEdits(DebugSession* session);
// The watch window's value provider (a WatchEvaluator; context = session).
int32_t VariablesPanelWatchValue(void* session, const char* name, int32_t* global, int32_t* kind, char* buffer);

extern "C" LRESULT CALLBACK QNdbgSubWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

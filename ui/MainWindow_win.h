// The main debugger window: a modeless dialog from template 500 with the
// source of the script above, the watch window, the user variables panel and
// the six command buttons drawn from bitmaps. The host's message loop drives
// it; its commands are carried out by session/ExecutionControl. Window code
// only.
#pragma once

#include <windows.h>

struct DebugSession;

// Makes the main window for the open session (step 10 of QNdbgInit): the
// dialog, the source windows over the placeholder, the current source at the
// first statement, the one-shot breakpoint there, the global names; then
// shows it. The handle (or null) goes to *outMainWindow when that is given.
// 1, or 0 when the dialog cannot be made or no source window holds (0, 0).
int MainWindowCreate(DebugSession* session, HWND* outMainWindow);

// The normal face (a bitmap id; pressed +1, disabled +2) of an owner-drawn
// button of the main window, or 0 for an id without a face.
int MainWindowFaceOf(int controlId);

// The text the "Source :" label had when the window was made (the label's
// own words, before any line number was added to it).
const char* MainWindowSourceLabel();

extern "C" INT_PTR CALLBACK QNdbgDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
extern "C" LRESULT CALLBACK QNdbgStaticSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

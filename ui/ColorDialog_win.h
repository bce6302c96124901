// The Color dialog (template 502): a foreground and a background out of 16
// colours for each element of the source view's colour scheme, shown on a
// sample. Window code only.
#pragma once

#include <windows.h>

#include "memory/List.h"

// Runs the dialog over a list of ColorEntry items, which it edits in place:
// 1 when the user pressed OK, 0 otherwise.
int ColorDialogRun(HWND owner, List* entries, HFONT font, INT_PTR ignored);

// The "Set Colors..." command: runs the dialog over a working copy of the
// current scheme; on OK copies it back and saves it. Returns the dialog's
// result; on 1 the caller applies the scheme to every source window.
int ColorSchemeRunDialog(HWND owner, HFONT font);

extern "C" INT_PTR CALLBACK SclrDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
extern "C" LRESULT CALLBACK SclrStaticSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

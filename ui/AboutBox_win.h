// The About box (template 504). Window code only.
#pragma once

#include <windows.h>

// Runs the box modally, owned by `owner`.
void AboutBoxRun(HWND owner);

extern "C" INT_PTR CALLBACK QNdbgAboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

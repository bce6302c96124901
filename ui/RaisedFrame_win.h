// The raised frame that the main window, the Set Breakpoints dialog and the
// About box paint over their client area.
#pragma once

#include <windows.h>

// Fills the client rectangle with the button face colour and draws a raised
// edge two pixels wide: white top and left, shadow right and bottom.
void PaintRaisedFrame(HWND window, HDC dc);

// WM_PAINT of such a window: BeginPaint, the frame, EndPaint.
void PaintRaisedFrameMessage(HWND window);

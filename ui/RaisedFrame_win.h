// The face the debugger's own windows share: the raised frame that the main
// window, the Set Breakpoints dialog and the About box paint over their
// client area, and the controls drawn straight onto the button face.
#pragma once

#include <windows.h>

// Fills the client rectangle with the button face colour and draws a raised
// edge two pixels wide: white top and left, shadow right and bottom.
void PaintRaisedFrame(HWND window, HDC dc);

// WM_PAINT of such a window: BeginPaint, the frame, EndPaint.
void PaintRaisedFrameMessage(HWND window);

// WM_CTLCOLORBTN and WM_CTLCOLORSTATIC of such a window: the control's
// background left transparent (static text in black) and the face brush
// returned, `face` or the system's when that is null.
INT_PTR FaceControlColor(UINT message, WPARAM dc, HBRUSH face);

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

// A group box drawn on the face: an etched frame whose top line runs through
// the middle of the caption's height, and the caption (already padded with
// blanks) drawn over that line, opaque on the face colour, at x = captionX,
// in the font selected into dc.
void PaintEtchedGroupBox(HDC dc, const RECT& client, const char* caption, int length, int captionX);

// WM_CTLCOLORBTN and WM_CTLCOLORSTATIC of such a window: the control's
// background left transparent (static text in black) and the face brush
// returned, `face` or the system's when that is null.
INT_PTR FaceControlColor(UINT message, WPARAM dc, HBRUSH face);

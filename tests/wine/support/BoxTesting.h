// Helpers of the box and watch window tests: the parent window they live in,
// and the pixels of a box's lines read back from its window. Header-only, so
// that this folder's .cpp files stay the harness's own.
#pragma once

#include <windows.h>

#include "WineTestSupport.h"
#include "ui/Box_win.h"

// Pixels of exactly `color` in the rectangle of line `index` (which must be in view).
inline int CountLinePixels(BoxRecord* box, int index, COLORREF color) {
  HWND window = BoxGetWindow(box);
  UpdateWindow(window);
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  if (!dc) return 0;
  int count = 0;
  const int top = (index - box->topLine) * box->lineHeight;
  for (int y = top; y < top + box->lineHeight; y++)
    for (int x = 0; x < client.right; x++)
      if (GetPixel(dc, x, y) == color) count++;
  ReleaseDC(window, dc);
  return count;
}

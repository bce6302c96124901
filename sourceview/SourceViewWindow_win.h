// The source view control's window: class QNEDITCLS, window procedure
// EditWndProc. The owner (the source window) makes a view, drives it by
// direct calls on the record and hears of double-clicks, clicks and vertical
// scrolling through the three callbacks; the control defines no window
// messages of its own.
//
// Window code only. The record, the store, the colouriser and the runs of
// painting are window-free (SourceView.h, SourceStore.h, Classifier.h,
// SourceViewLayout.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "sourceview/SourceView.h"

constexpr char kSourceViewClassName[] = "QNEDITCLS";

// The pool, the record and its tables, the class (registered unless
// GetClassInfoA finds it) and the hidden 100 x 100 child window; null when any
// of them cannot be made (nothing is left behind).
SourceView* SourceViewCreate(HWND parent, int32_t controlId, HFONT font, uint32_t styleFlags);
// Posts WM_CLOSE to the view's window if it still exists; its WM_DESTROY frees
// the view. 1, or 0 for a null view.
int SourceViewClose(SourceView* view);
HWND SourceViewWindow(SourceView* view);

// Marks (or unmarks) a line in the current-line marks (selector 1) or the
// breakpoint marks (selector 0) and repaints it at once when it is in view.
int SourceViewMarkLine(SourceView* view, int32_t line, int element, int selector);
// The mark tables' removal result.
int SourceViewUnmarkLine(SourceView* view, int32_t line, int selector);

enum SourceViewQueryKind : int {
  kQueryFirstVisibleLine = 1,
  kQueryVisibleLines = 2,
  kQueryLineCount = 3,
};
int32_t SourceViewQuery(SourceView* view, int what);

// Makes the line the first visible one: a line outside the file does nothing
// (result 0) unless clamp is set, which goes to the top or the last page. The
// window is repainted and the scroll bar set; onScrolled is not called. 1
// when the view was moved.
int SourceViewScrollTo(SourceView* view, int32_t line, int clamp);

enum SourceViewCallbackKind : int {
  kCallbackActivateLine = 1,  // double-click, with the line hit
  kCallbackClickLine = 2,     // left-button press, with the line hit
  kCallbackScrolled = 3,      // after vertical scrolling, with the new first line
};
// 1, or 0 for another kind or a null view.
int SourceViewSetCallback(SourceView* view, int which, SourceViewCallback function);

extern "C" LRESULT CALLBACK EditWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Painting (SourcePaint_win.cpp). WM_PAINT's handler:
LRESULT SourceViewPaint(SourceView* view);
// Paints lines first..last (limited to those in view) at once on a device
// context of the view's own.
void SourceViewPaintLines(SourceView* view, int32_t first, int32_t last);
// Selects the view's font (when it has one) into the device context and
// refreshes the view's descent from it.
void SourceViewSelectFont(SourceView* view, HDC dc);

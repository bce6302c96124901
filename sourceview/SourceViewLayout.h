// The arithmetic of the source view's window, without the window: which lines
// a paint covers, where a line is drawn, how far each scroll request moves the
// view, which line a click hits, and the two moves of the page keys. The
// window code (SourceViewWindow_win.cpp) carries the moves out on the screen.
//
// Everything here reads and writes fields of the SourceView record only:
// firstVisibleLine, lineCount, lineHeight, charWidth, descent, hScroll,
// hRange, visibleLines, clientWidth, cursorLine.
#pragma once

#include <cstdint>

struct SourceView;

// Request codes of the scroll bars (the platform's values).
enum SourceScrollCode : int {
  kScrollLineUp = 0,      // also line left
  kScrollLineDown = 1,    // also line right
  kScrollPageUp = 2,      // also page left
  kScrollPageDown = 3,    // also page right
  kScrollThumbPosition = 4,
};

// Lines counted from 0, both ends included; empty when last < first.
struct SourceLineRange {
  int32_t first;
  int32_t last;
};

// A line height of 0 (a font that measured nothing) divides as 1.
int32_t SourceViewLineStep(const SourceView* view);

// The lines a paint of client rows top..bottom draws: from top / lineHeight
// to bottom / lineHeight + 1 below the first visible line, and none at or past
// lineCount.
SourceLineRange SourceViewPaintRange(const SourceView* view, int32_t top, int32_t bottom);
// The lines of first..last that range painting after a mark change draws:
// those from the first visible line to visibleLines + 1 below it, and none at
// or past lineCount.
SourceLineRange SourceViewVisibleRange(const SourceView* view, int32_t first, int32_t last);
// Client row at which line's text is drawn: its slot's top raised by the
// font's descent. The text then sits on the slot's baseline; the price is
// that the top line shows its tallest glyphs a few rows short, and that a
// click in the lowest rows of a line's text hits the slot of the line below.
int32_t SourceViewLineTop(const SourceView* view, int32_t line);

// Highest first visible line the scroll bar reaches: max(0, lineCount - visibleLines).
int32_t SourceViewScrollMax(const SourceView* view);

// The first visible line a vertical scroll request leads to (clamped to
// 0..SourceViewScrollMax); -1 for a request code the view does not take.
int32_t SourceViewVerticalTarget(const SourceView* view, int code, int32_t thumb);
// The hScroll a horizontal request leads to: steps of 8 and 16 space widths,
// the delta cut to whole space widths, clamped to 0..hRange; -1 for a request
// code the view does not take.
int32_t SourceViewHorizontalTarget(const SourceView* view, int code, int32_t thumb);

// The line under client row y (taken as an unsigned 16-bit value); past the
// last line, the last line (0 in an empty file).
int32_t SourceViewHitLine(const SourceView* view, uint32_t y);

// The first visible line SourceViewScrollTo makes, or -1 when it leaves the
// view alone (a line outside the file without clamp).
int32_t SourceViewScrollTarget(const SourceView* view, int32_t line, int clamp);

// The page keys. The first move scrolls a page (the first line limited to
// 0..lineCount-1, so the last page can show lines up to the end and empty
// space below) and takes the cursor the same number of lines when that line
// exists. When the cursor is then out of view a second move follows.
struct SourcePageMove {
  int32_t firstLine;  // firstVisibleLine after the move
  int32_t hScroll;    // hScroll after the move
};
// The first move; updates view->cursorLine.
SourcePageMove SourceViewPageMove(SourceView* view, bool down);
// True when the cursor (column 0 of cursorLine, whose first character is
// firstCharWidth pixels wide) is not wholly in view.
bool SourceViewCursorHidden(const SourceView* view, int32_t firstCharWidth);
// The second move that brings the cursor back into view.
SourcePageMove SourceViewCursorMove(const SourceView* view, bool down, int32_t firstCharWidth);

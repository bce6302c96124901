// The source view's window arithmetic (see SourceViewLayout.h).
#include "sourceview/SourceViewLayout.h"

#include <algorithm>

#include "sourceview/SourceView.h"

namespace {

constexpr int32_t kLineSteps = 8;    // a horizontal line step, in space widths
constexpr int32_t kPageSteps = 16;   // a horizontal page step
constexpr int32_t kCursorSteps = 8;  // the least sideways move that brings the cursor back

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return std::max(low, std::min(value, high)); }

int32_t SpaceWidth(const SourceView* view) { return view->charWidth > 0 ? view->charWidth : 1; }

}  // namespace

int32_t SourceViewLineStep(const SourceView* view) { return view->lineHeight > 0 ? view->lineHeight : 1; }

SourceLineRange SourceViewPaintRange(const SourceView* view, int32_t top, int32_t bottom) {
  const int32_t step = SourceViewLineStep(view);
  SourceLineRange range{top / step + view->firstVisibleLine, bottom / step + 1 + view->firstVisibleLine};
  range.last = std::min(range.last, view->lineCount - 1);
  return range;
}

SourceLineRange SourceViewVisibleRange(const SourceView* view, int32_t first, int32_t last) {
  SourceLineRange range{std::max(first, view->firstVisibleLine),
                        std::min(last, view->firstVisibleLine + view->visibleLines + 1)};
  range.last = std::min(range.last, view->lineCount - 1);
  return range;
}

int32_t SourceViewLineTop(const SourceView* view, int32_t line) {
  return (line - view->firstVisibleLine) * view->lineHeight - view->descent;
}

int32_t SourceViewScrollMax(const SourceView* view) { return std::max(0, view->lineCount - view->visibleLines); }

int32_t SourceViewVerticalTarget(const SourceView* view, int code, int32_t thumb) {
  int32_t delta;
  switch (code) {
    case kScrollLineUp: delta = -1; break;
    case kScrollLineDown: delta = 1; break;
    case kScrollPageUp: delta = -view->visibleLines; break;
    case kScrollPageDown: delta = view->visibleLines; break;
    case kScrollThumbPosition: delta = thumb - view->firstVisibleLine; break;
    default: return -1;
  }
  return Clamp(view->firstVisibleLine + delta, 0, SourceViewScrollMax(view));
}

int32_t SourceViewHorizontalTarget(const SourceView* view, int code, int32_t thumb) {
  const int32_t space = SpaceWidth(view);
  int32_t delta;
  switch (code) {
    case kScrollLineUp: delta = -kLineSteps * space; break;
    case kScrollLineDown: delta = kLineSteps * space; break;
    case kScrollPageUp: delta = -kPageSteps * space; break;
    case kScrollPageDown: delta = kPageSteps * space; break;
    case kScrollThumbPosition: delta = thumb - view->hScroll; break;
    default: return -1;
  }
  delta = delta / space * space;
  return Clamp(view->hScroll + delta, 0, std::max(0, view->hRange));
}

int32_t SourceViewHitLine(const SourceView* view, uint32_t y) {
  const int32_t line = static_cast<int32_t>(y & 0xFFFF) / SourceViewLineStep(view) + view->firstVisibleLine;
  return std::max(0, std::min(line, view->lineCount - 1));
}

int32_t SourceViewScrollTarget(const SourceView* view, int32_t line, int clamp) {
  if (line >= 0 && line < view->lineCount) return line;
  if (!clamp) return -1;
  return line < 0 ? 0 : SourceViewScrollMax(view);
}

SourcePageMove SourceViewPageMove(SourceView* view, bool down) {
  const int32_t delta = down ? view->visibleLines : -view->visibleLines;
  const int32_t first = Clamp(view->firstVisibleLine + delta, 0, std::max(0, view->lineCount - 1));
  const int32_t cursor = view->cursorLine + delta;
  if (cursor >= 0 && cursor < view->lineCount) view->cursorLine = cursor;
  return {first, view->hScroll};
}

bool SourceViewCursorHidden(const SourceView* view, int32_t firstCharWidth) {
  const int32_t line = view->cursorLine;
  if (line < view->firstVisibleLine || line >= view->firstVisibleLine + view->visibleLines) return true;
  return view->hScroll > 0 || firstCharWidth > view->clientWidth;
}

SourcePageMove SourceViewCursorMove(const SourceView* view, bool down, int32_t firstCharWidth) {
  const int32_t step = SourceViewLineStep(view);
  const int32_t space = SpaceWidth(view);

  // Lines: put the cursor on the top line when it is above the view, on the
  // last visible line when below it.
  const int32_t v = (view->cursorLine - view->firstVisibleLine) * step;
  const int32_t bottom = step * view->visibleLines - 1;
  int32_t lines = 0;
  if (v < 0)
    lines = (v - (step - 1)) / step;
  else if (v > bottom)
    lines = 1 + (v - bottom) / step;
  else if (v >= bottom / 2 && down && bottom - v < step)
    lines = 1;

  // Columns: the cursor stays in column 0, so its character comes back into
  // view by scrolling left, by 8 spaces at least.
  const int32_t x = firstCharWidth - view->hScroll;
  int32_t columns = 0;
  if (x < 0)
    columns = std::min((x - (space - 1)) / space, -kCursorSteps);
  else if (x < space)
    columns = -kCursorSteps;
  else if (x > view->clientWidth)
    columns = std::max(1 + (x - view->clientWidth) / space, kCursorSteps);

  return {Clamp(view->firstVisibleLine + lines, 0, std::max(0, view->lineCount - 1)),
          std::max(0, view->hScroll + columns * space)};
}

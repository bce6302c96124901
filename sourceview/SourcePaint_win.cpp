// Painting of the source view: each line is its runs (SourceView.cpp), one
// text call per run in the run's colour pair, and behind the end of its text a
// rectangle in the background colour of the line's mark (or of other text)
// that runs to the right edge. Each line's text cell fills its slot, the
// rows that a click on it hits, so that a marked line is one band of its
// colour.
//
// Painting makes one GDI object per line, the brush of that rectangle, and
// deletes it before the next line; every device-context change is undone by
// RestoreDC.
#include <windows.h>

#include "sourceview/SourceViewLayout.h"
#include "sourceview/SourceViewWindow_win.h"

namespace {

int32_t MeasureWidth(HDC dc, const char* text, int32_t length) {
  SIZE size{};
  if (length <= 0 || !GetTextExtentPoint32A(dc, text, length, &size)) return 0;
  return size.cx;
}

void SourceViewPaintLine(SourceView* view, HDC dc, int32_t index, int32_t clientWidth) {
  const SourceLine* line = SourceViewLine(view, index);
  if (!line) return;
  int32_t x = -view->hScroll;
  const int32_t y = SourceViewLineTop(view, index);

  // The background behind the end of the text, to the right edge.
  uint8_t mark = SourceViewLineMark(view, index);
  const uint8_t fill = mark ? mark : static_cast<uint8_t>(kColorOther);
  const int32_t end = MeasureWidth(dc, line->text, line->length) - view->hScroll;
  if (HBRUSH brush = CreateSolidBrush(view->background[fill])) {
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, brush);
    Rectangle(dc, end, y, clientWidth + 2, y + view->lineHeight + 1);
    RestoreDC(dc, saved);
    DeleteObject(brush);
  }

  const int32_t runs = SourceViewLineRuns(view, index);
  for (int32_t i = 0; i < runs; i++) {
    const DrawRun& run = view->runs[i];
    int saved = SaveDC(dc);
    SetTextColor(dc, view->foreground[run.element]);
    SetBkColor(dc, view->background[run.element]);
    TextOutA(dc, x, y, run.text, run.length);
    RestoreDC(dc, saved);
    x += MeasureWidth(dc, run.text, run.length);
  }
}

int32_t ClientWidth(SourceView* view) {
  RECT client{};
  GetClientRect(view->window, &client);
  return client.right;
}

}  // namespace

void SourceViewSelectFont(SourceView* view, HDC dc) {
  if (view->font) SelectObject(dc, static_cast<HFONT>(view->font));
  TEXTMETRICA metrics;
  if (GetTextMetricsA(dc, &metrics)) view->descent = metrics.tmDescent;
}

LRESULT SourceViewPaint(SourceView* view) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(view->window, &paint);
  if (!dc) return 0;
  SourceViewSelectFont(view, dc);
  const int32_t width = ClientWidth(view);
  const SourceLineRange range = SourceViewPaintRange(view, paint.rcPaint.top, paint.rcPaint.bottom);
  for (int32_t line = range.first; line <= range.last; line++) SourceViewPaintLine(view, dc, line, width);
  EndPaint(view->window, &paint);
  return 0;
}

void SourceViewPaintLines(SourceView* view, int32_t first, int32_t last) {
  if (!view || !view->window) return;
  const SourceLineRange range = SourceViewVisibleRange(view, first, last);
  if (range.last < range.first) return;
  HDC dc = GetDC(view->window);
  if (!dc) return;
  int saved = SaveDC(dc);
  SourceViewSelectFont(view, dc);
  const int32_t width = ClientWidth(view);
  for (int32_t line = range.first; line <= range.last; line++) SourceViewPaintLine(view, dc, line, width);
  RestoreDC(dc, saved);
  ReleaseDC(view->window, dc);
}

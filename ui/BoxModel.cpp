// The box control's line model (see BoxModel.h for the slots, the pool and the
// invariants).
//
// Moving lines (sorted insertion, deletion, sorting a fill) moves the slot
// pointers, not the 516-byte records: each record stays owned by exactly one
// slot, so the records of the slots past lineCount are still there to reuse.
#include "ui/BoxModel.h"

#include <cstring>

#include "memory/List.h"
#include "platform/Platform.h"
#include "ui/ControlPool.h"
#include "util/Text.h"

namespace {

constexpr char kLineLimitText[] = "Exceeded allowed line limit per box";
constexpr char kLineLimitCaption[] = "Warning";
constexpr int32_t kCutAddedText = 254;  // an added text over 255 characters keeps 254
constexpr int32_t kHorizontalLineStep = 4;

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red | green << 8 | blue << 16; }
constexpr uint32_t kDefaultTextColors[kBoxColorCount] = {Rgb(0, 0, 255), Rgb(0, 255, 0), Rgb(255, 255, 0),
                                                         Rgb(255, 0, 0)};

ControlPool gBoxPool = {kBoxPoolSize, kBoxPoolFlags, kMemPoolFailed};
BoxRecord* gSpareBoxes = nullptr;
// Decides whether an overflowing fill shows its warning: the 1st, then every 39th.
int32_t gOverflowCounter = 0;

void* BoxAlloc(uint32_t size) { return ControlPoolAlloc(&gBoxPool, size); }

// --- Slots

BoxLine** SlotAddress(const BoxRecord* box, int32_t index) {
  BoxLine** page = box->lines[index / kBoxSlotsPerPage];
  return page ? &page[index % kBoxSlotsPerPage] : nullptr;
}

BoxLine* SlotLine(const BoxRecord* box, int32_t index) {
  BoxLine** slot = SlotAddress(box, index);
  return slot ? *slot : nullptr;
}

// The record of slot index, allocated on first use; null when memory runs out.
BoxLine* SlotEnsure(BoxRecord* box, int32_t index) {
  BoxLine**& page = box->lines[index / kBoxSlotsPerPage];
  if (!page) page = static_cast<BoxLine**>(BoxAlloc(sizeof(BoxLine*) * kBoxSlotsPerPage));
  if (!page) return nullptr;
  BoxLine*& slot = page[index % kBoxSlotsPerPage];
  if (!slot) slot = static_cast<BoxLine*>(BoxAlloc(sizeof(BoxLine)));
  return slot;
}

// Moves the record of slot `from` to slot `to`; the records between shift by
// one towards `from`. Both slots and those between hold records.
void SlotMove(BoxRecord* box, int32_t from, int32_t to) {
  BoxLine* moving = SlotLine(box, from);
  int32_t step = from < to ? 1 : -1;
  for (int32_t i = from; i != to; i += step) *SlotAddress(box, i) = SlotLine(box, i + step);
  *SlotAddress(box, to) = moving;
}

// --- The window, through the view

void ViewRedrawLine(BoxRecord* box, int32_t index) {
  if (index < 0 || index >= box->lineCount) return;
  if (box->view && box->view->redrawLine) box->view->redrawLine(box, index);
}

void ViewInvalidate(BoxRecord* box, int erase) {
  if (box->view && box->view->invalidate) box->view->invalidate(box, erase);
}

void ViewScrollContents(BoxRecord* box, int32_t dx, int32_t dy) {
  if (box->view && box->view->scrollContents) box->view->scrollContents(box, dx, dy);
}

void ViewSetVerticalScroll(BoxRecord* box, int32_t maximum, int32_t position) {
  if (box->view && box->view->setVerticalScroll) box->view->setVerticalScroll(box, maximum, position);
}

void ViewSetHorizontalScroll(BoxRecord* box) {
  if (!(box->flags & BOX_HSCROLL)) return;
  if (box->view && box->view->setHorizontalScroll)
    box->view->setHorizontalScroll(box, box->hScrollLimit, box->hScrollPos);
}

void ViewResize(BoxRecord* box, int32_t width, int32_t height) {
  if (box->view && box->view->resize) box->view->resize(box, width, height);
}

// --- Notifications

void NotifySelect(BoxRecord* box, int32_t index) {
  if (box->onSelect) box->onSelect(box, index, BoxLineAt(box, index));
}

void NotifyScroll(BoxRecord* box) {
  if (box->onScroll) box->onScroll(box, box->topLine);
}

// --- Helpers of the operations

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

int32_t FindText(const BoxRecord* box, const char* text) {
  for (int32_t i = 0; i < box->lineCount; i++)
    if (PlatformCompareNoCase(SlotLine(box, i)->text, text) == 0) return i;
  return -1;
}

void ShowLineLimitWarning() { PlatformMessageBox(nullptr, kLineLimitText, kLineLimitCaption, kMessageBoxOk); }

void CountOverflowingFill() {
  if (gOverflowCounter == 0 || gOverflowCounter == 1) {
    ShowLineLimitWarning();
    gOverflowCounter++;
  }
  if (++gOverflowCounter > 40) gOverflowCounter = 1;
}

// Index of the first line whose text is greater than the text ignoring case
// (so that it goes after its equals), or lineCount. A search from the top:
// replaced lines may have broken the order.
int32_t InsertPosition(const BoxRecord* box, const char* text) {
  int32_t index = 0;
  while (index < box->lineCount && PlatformCompareNoCase(SlotLine(box, index)->text, text) <= 0) index++;
  return index;
}

// The same for lines 0..count-1 that are in order, by halving.
int32_t SortedPosition(const BoxRecord* box, int32_t count, const char* text) {
  int32_t low = 0, high = count;
  while (low < high) {
    int32_t middle = low + (high - low) / 2;
    if (PlatformCompareNoCase(SlotLine(box, middle)->text, text) > 0) high = middle;
    else low = middle + 1;
  }
  return low;
}

// The view stands at the very end: the last page is shown and lines lie above it.
bool ViewAtEnd(const BoxRecord* box) {
  return box->topLine == box->lineCount - box->pageLines && box->pageLines < box->lineCount;
}

// Brings an added line into view: one line by the scroll bar's way when it is
// just outside the view, else a jump that centres it.
void MakeVisible(BoxRecord* box, int32_t index) {
  if (index >= box->topLine && index < box->topLine + box->pageLines) return;
  if (box->topLine - index == 1) {
    BoxScrollVertical(box, kBoxScrollLineUp, 0);
    return;
  }
  if (index == box->topLine + box->pageLines) {
    BoxScrollVertical(box, kBoxScrollLineDown, 0);
    return;
  }
  int32_t top = index - box->pageLines / 2;
  if (top + box->pageLines > box->lineCount) top = box->lineCount - box->pageLines + 1;
  if (top < 0) top = 0;
  box->topLine = top;
  BoxUpdateScrollBar(box);
  NotifyScroll(box);
  ViewInvalidate(box, 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

BoxRecord* BoxRecordTake(uint32_t flags) {
  BoxRecord* box = gSpareBoxes;
  if (box) gSpareBoxes = box->nextSpare;
  else box = static_cast<BoxRecord*>(BoxAlloc(sizeof(BoxRecord)));
  if (!box) return nullptr;
  BoxLine** pages[kBoxSlotPages];
  std::memcpy(pages, box->lines, sizeof pages);
  *box = BoxRecord{};
  std::memcpy(box->lines, pages, sizeof pages);
  box->selected = -1;
  box->previousSelected = -1;
  box->flags = flags;
  std::memcpy(box->textColors, kDefaultTextColors, sizeof box->textColors);
  return box;
}

void BoxRecordRelease(BoxRecord* box) {
  if (!box) return;
  box->window = nullptr;
  box->view = nullptr;
  box->onSelect = nullptr;
  box->onDelete = nullptr;
  box->onScroll = nullptr;
  box->owner = nullptr;
  box->lineCount = 0;
  box->nextSpare = gSpareBoxes;
  gSpareBoxes = box;
}

MemPoolHandle BoxMemoryPool() { return gBoxPool.current; }

// ---------------------------------------------------------------------------
// Operations

int BoxSetLines(BoxRecord* box, List* items) {
  if (!box || !items || items->itemSize != static_cast<int32_t>(sizeof(BoxLine))) return 0;
  const bool sorted = box->flags & BOX_SORTED;
  int32_t taken = 0;
  bool dropped = false;
  for (auto* item = static_cast<const BoxLine*>(ListFirst(items)); item;
       item = static_cast<const BoxLine*>(ListNext(items))) {
    BoxLine* line = taken < kBoxMaxLines ? SlotEnsure(box, taken) : nullptr;
    if (!line) {
      dropped = true;
      break;
    }
    std::memcpy(line, item, sizeof *line);
    line->text[kBoxTextSize - 1] = 0;
    line->text2[kBoxTextSize - 1] = 0;
    // A stable insertion sort: the new line goes after every line equal to it.
    if (sorted) SlotMove(box, taken, SortedPosition(box, taken, line->text));
    taken++;
  }
  if (dropped && taken == kBoxMaxLines) CountOverflowingFill();
  box->lineCount = taken;
  box->topLine = 0;
  box->selected = -1;
  box->previousSelected = -1;
  BoxUpdateScrollBar(box);
  ViewInvalidate(box, 1);
  return dropped ? 0 : 1;
}

int BoxAddLine(BoxRecord* box, int32_t colorIndex, const char* text) {
  if (!box) return 0;
  if (box->lineCount >= kBoxMaxLines) {
    ShowLineLimitWarning();
    return 0;
  }
  BoxLine* line = SlotEnsure(box, box->lineCount);
  if (!line) return 0;
  if (!text) text = "";
  size_t length = std::strlen(text);
  if (length >= kBoxTextSize) length = kCutAddedText;
  std::memcpy(line->text, text, length);
  line->text[length] = 0;
  line->colorIndex = colorIndex;
  int32_t index = box->lineCount;
  if (box->flags & BOX_SORTED) {
    index = InsertPosition(box, line->text);
    if (index < box->lineCount) {
      SlotMove(box, box->lineCount, index);
      ViewInvalidate(box, 1);
      // The selection stays on its line, as it does when a line is deleted.
      if (box->selected >= index) box->selected++;
      if (box->previousSelected >= index) box->previousSelected++;
    }
  }
  box->lineCount++;
  MakeVisible(box, index);
  BoxUpdateScrollBar(box);
  // An appended line that was already in view is drawn at once, not at the
  // next repaint.
  ViewRedrawLine(box, index);
  return 1;
}

int BoxSelectIndex(BoxRecord* box, int32_t index) {
  if (!box) return 0;
  int32_t old = box->selected;
  if (index < 0) {
    box->previousSelected = -1;
    box->selected = -1;
    ViewRedrawLine(box, old);
    return 1;
  }
  if (index == old) return 1;
  box->selected = index;
  box->previousSelected = old;
  ViewRedrawLine(box, old);
  ViewRedrawLine(box, index);
  return 1;
}

int BoxSelectText(BoxRecord* box, const char* text) {
  if (!box) return 0;
  if (!text) return BoxSelectIndex(box, -1);
  int32_t index = FindText(box, text);
  return index < 0 ? 0 : BoxSelectIndex(box, index);
}

int BoxSetLineColorByText(BoxRecord* box, const char* text, int32_t colorIndex) {
  if (!box || !text) return 0;
  int32_t index = FindText(box, text);
  if (index < 0) return 0;
  BoxLine* line = SlotLine(box, index);
  if (line->colorIndex != colorIndex) {
    line->colorIndex = colorIndex;
    ViewRedrawLine(box, index);
  }
  return 1;
}

int BoxSetCallback(BoxRecord* box, int32_t kind, BoxCallback function) {
  if (!box) return 0;
  switch (kind) {
    case kBoxCallbackSelect:
      box->onSelect = reinterpret_cast<BoxSelectNotify>(function);
      return 1;
    case kBoxCallbackScroll:
      box->onScroll = reinterpret_cast<BoxScrollNotify>(function);
      return 1;
    case kBoxCallbackDelete:
      box->onDelete = reinterpret_cast<BoxDeleteRequest>(function);
      return 1;
    default:
      return 0;
  }
}

// Deleting a line other than the selected one keeps the selection on its line:
// a line deleted above it moves it up by one. (The user sees the line he chose
// stay chosen, whichever line went away.)
int BoxDeleteLine(BoxRecord* box, int32_t index) {
  if (!box) return 0;
  if (index == -1) {
    box->selected = -1;
    box->previousSelected = -1;
    box->topLine = 0;
    box->lineCount = 0;
    BoxUpdateScrollBar(box);
    ViewInvalidate(box, 1);
    return 1;
  }
  if (index < 0 || index >= box->lineCount) return 0;
  const bool atEnd = index >= box->topLine && ViewAtEnd(box);
  SlotMove(box, index, box->lineCount - 1);
  box->lineCount--;
  ViewInvalidate(box, 1);
  if (box->lineCount == 0) {
    box->selected = -1;
    box->previousSelected = -1;
    box->topLine = 0;
  } else {
    if (index != box->selected) {
      if (atEnd) box->topLine--;
      if (index < box->selected) box->selected--;
      if (index == box->previousSelected) box->previousSelected = -1;
      else if (index < box->previousSelected) box->previousSelected--;
    } else if (atEnd) {
      box->previousSelected = -1;
      box->selected--;
      box->topLine--;
    }
    if (box->selected >= box->lineCount) {
      box->previousSelected = -1;
      box->selected--;
    }
    if (box->topLine >= box->lineCount) box->topLine--;
  }
  BoxUpdateScrollBar(box);
  return 1;
}

int BoxDeleteText(BoxRecord* box, const char* text) {
  if (!box || !text) return 0;
  int32_t index = FindText(box, text);
  return index < 0 ? 0 : BoxDeleteLine(box, index);
}

int32_t BoxGetPageLines(const BoxRecord* box) { return box ? box->pageLines : 0; }

int32_t BoxGetTopLine(const BoxRecord* box, char* buffer) {
  if (!box) return 0;
  if (buffer) {
    const BoxLine* line = BoxLineAt(box, box->topLine);
    TextCopy(buffer, kBoxTextSize, line ? line->text : "");
  }
  return box->topLine;
}

// A negative index is refused as well: the top line is never above line 0.
int BoxSetTopLine(BoxRecord* box, int32_t index) {
  if (!box) return 0;
  if (index == box->topLine) return 1;
  if (index < 0 || index >= box->lineCount || index + box->pageLines > box->lineCount) return 0;
  box->topLine = index;
  BoxUpdateScrollBar(box);
  return 1;
}

int BoxSetAttribute(BoxRecord* box, int32_t kind, uint32_t value) {
  if (!box) return 0;
  switch (kind) {
    case kBoxAttributeBackground:
      box->background = value;
      return 1;
    case kBoxAttributeColumn2:
      box->column2 = static_cast<int32_t>(value);
      return 1;
    default:
      return 0;
  }
}

int BoxSetTextColor(BoxRecord* box, int32_t colorIndex, uint32_t color) {
  if (!box || colorIndex < 0 || colorIndex >= kBoxColorCount) return 0;
  box->textColors[colorIndex] = color;
  return 1;
}

int BoxSetOwner(BoxRecord* box, void* owner) {
  if (!box) return 0;
  box->owner = owner;
  return 1;
}

void* BoxGetOwner(const BoxRecord* box) { return box ? box->owner : nullptr; }

int BoxReplaceLine(BoxRecord* box, int32_t index, int32_t colorIndex, const char* text) {
  BoxLine* line = BoxLineAt(box, index);
  if (!line) return 0;
  line->colorIndex = colorIndex;
  TextCopy(line->text, kBoxTextSize, text);
  ViewRedrawLine(box, index);
  return 1;
}

int BoxReplaceLine2(BoxRecord* box, int32_t index, int32_t colorIndex, const char* text, const char* text2) {
  BoxLine* line = BoxLineAt(box, index);
  if (!line) return 0;
  TextCopy(line->text2, kBoxTextSize, text2);
  return BoxReplaceLine(box, index, colorIndex, text);
}

BoxLine* BoxLineAt(const BoxRecord* box, int32_t index) {
  if (!box || index < 0 || index >= box->lineCount) return nullptr;
  return SlotLine(box, index);
}

uint32_t BoxLineColor(const BoxRecord* box, const BoxLine* line) {
  int32_t index = line->colorIndex;
  return box->textColors[index >= 0 && index < kBoxColorCount ? index : 0];
}

int BoxInvalidate(BoxRecord* box, int erase) {
  if (!box) return 0;
  ViewInvalidate(box, erase);
  return 1;
}

// ---------------------------------------------------------------------------
// Input and layout

// A box whose lines all fit does not scroll, unless deletions left its view
// below line 0: then it may scroll back, or the lines above could never be
// reached again.
int BoxScrollVertical(BoxRecord* box, int32_t code, int32_t thumb) {
  if (!box || (box->pageLines >= box->lineCount && box->topLine == 0)) return 0;
  int32_t target;
  switch (code) {
    case kBoxScrollLineUp: target = box->topLine - 1; break;
    case kBoxScrollLineDown: target = box->topLine + 1; break;
    case kBoxScrollPageUp: target = box->topLine - box->pageLines; break;
    case kBoxScrollPageDown: target = box->topLine + box->pageLines; break;
    case kBoxScrollThumbPosition: target = thumb; break;
    default: return 0;  // a thumb drag, top, bottom and the end of scrolling move nothing
  }
  const int32_t maximum = box->lineCount > box->pageLines ? box->lineCount - box->pageLines : 0;
  target = Clamp(target, 0, maximum);
  if (target == box->topLine) return 0;
  const int32_t moved = target - box->topLine;
  box->topLine = target;
  if (!(box->flags & BOX_NOVSCROLL)) ViewSetVerticalScroll(box, maximum, target);
  if ((code == kBoxScrollLineUp || code == kBoxScrollLineDown) && (moved == 1 || moved == -1)) {
    ViewScrollContents(box, 0, -moved * box->lineHeight);
    ViewRedrawLine(box, box->selected);
  } else {
    ViewInvalidate(box, 1);
  }
  NotifyScroll(box);
  return 1;
}

int BoxScrollHorizontal(BoxRecord* box, int32_t code, int32_t thumb, int32_t clientWidth) {
  if (!box) return 0;
  int32_t target;
  switch (code) {
    case kBoxScrollLineUp: target = box->hScrollPos - kHorizontalLineStep; break;
    case kBoxScrollLineDown: target = box->hScrollPos + kHorizontalLineStep; break;
    case kBoxScrollPageUp: target = box->hScrollPos - clientWidth / 8; break;
    case kBoxScrollPageDown: target = box->hScrollPos + clientWidth / 8; break;
    case kBoxScrollThumbPosition: target = thumb; break;
    default: return 0;
  }
  target = Clamp(target, 0, box->hScrollLimit > 0 ? box->hScrollLimit : 0);
  if (target == box->hScrollPos) return 0;
  const int32_t moved = target - box->hScrollPos;
  box->hScrollPos = target;
  ViewSetHorizontalScroll(box);
  if (code == kBoxScrollThumbPosition) {
    ViewInvalidate(box, 1);
  } else {
    ViewScrollContents(box, -moved, 0);
    ViewRedrawLine(box, box->selected);
  }
  return 1;
}

int BoxKeyDown(BoxRecord* box, int32_t key) {
  if (!box || (box->flags & BOX_READONLY)) return 0;
  switch (key) {
    case kBoxKeyUp:
    case kBoxKeyDown: {
      if (box->lineCount == 0) return 0;
      const bool up = key == kBoxKeyUp;
      int32_t target = box->selected < 0 ? 0 : box->selected + (up ? -1 : 1);
      target = Clamp(target, 0, box->lineCount - 1);
      BoxSelectIndex(box, target);
      NotifySelect(box, target);
      while (target < box->topLine && BoxScrollVertical(box, kBoxScrollLineUp, 0)) {
      }
      while (target >= box->topLine + box->pageLines && BoxScrollVertical(box, kBoxScrollLineDown, 0)) {
      }
      return 1;
    }
    case kBoxKeyPageUp:
      return BoxScrollVertical(box, kBoxScrollPageUp, 0);
    case kBoxKeyPageDown:
      return BoxScrollVertical(box, kBoxScrollPageDown, 0);
    default:
      return 0;
  }
}

int BoxKeyUp(BoxRecord* box, int32_t key) {
  if (!box || (box->flags & BOX_READONLY) || key != kBoxKeyDelete) return 0;
  const int32_t index = box->selected;
  BoxLine* line = BoxLineAt(box, index);
  if (!line) return 0;
  if (box->onDelete && box->onDelete(box, index, line) == 0) return 0;
  return BoxDeleteLine(box, index);
}

int BoxClick(BoxRecord* box, int32_t y) {
  if (!box || (box->flags & BOX_READONLY) || y < 0 || box->lineHeight <= 0) return 0;
  const int32_t index = box->topLine + y / box->lineHeight;
  if (index >= box->lineCount) return 0;
  BoxSelectIndex(box, index);
  NotifySelect(box, index);
  return 1;
}

int BoxUpdateScrollBar(BoxRecord* box) {
  if (!box) return 0;
  if (box->flags & BOX_NOVSCROLL) return 1;
  if (box->lineCount > box->pageLines) ViewSetVerticalScroll(box, box->lineCount - box->pageLines, box->topLine);
  else ViewSetVerticalScroll(box, 0, 0);
  return 1;
}

// The horizontal range is set to 0..hScrollLimit, so that a thumb drag reaches
// as far as the arrow buttons do (the platform's default range of 0..100 would
// stop the thumb short of a wide box's limit, and tie it to no unit at all).
int BoxFitHeight(BoxRecord* box, int32_t outerWidth, int32_t outerHeight, int32_t hScrollHeight,
                 int32_t vScrollWidth) {
  if (!box || box->resizing) return 0;
  const int32_t barHeight = (box->flags & BOX_HSCROLL) ? hScrollHeight : 0;
  box->hScrollLimit = outerWidth;
  box->hScrollPos = Clamp(box->hScrollPos, 0, outerWidth > 0 ? outerWidth : 0);
  const int32_t height = outerHeight - barHeight;
  const int32_t lines = BoxFitLines(height, box->lineHeight);
  if (lines * box->lineHeight != height) {
    const int32_t width = outerWidth + (box->lineCount < box->pageLines ? vScrollWidth : 0);
    box->resizing = 1;
    ViewResize(box, width, lines * box->lineHeight + barHeight);
    box->resizing = 0;
  }
  box->pageLines = lines;
  BoxUpdateScrollBar(box);
  ViewSetHorizontalScroll(box);
  return 1;
}

int32_t BoxFitLines(int32_t height, int32_t lineHeight) {
  if (height <= 0 || lineHeight <= 0) return 0;
  int32_t lines = height / lineHeight;
  if (height % lineHeight > lineHeight / 2) lines++;
  return lines;
}

// The box control's line model: the lines, the selection, the top line and
// page size, sorted insertion, deletion and the scroll arithmetic, without any
// window. Box_win.cpp is the thin window over it (painting, messages, scroll
// bars); the watch window drives boxes through the operations declared here.
//
// Lines live in 10000 slots addressed by index. A slot's BoxLine record is
// allocated the first time the slot is used and then kept: deleting, clearing
// and refilling only move records between slots and rewrite texts. The slots
// are grouped in pages of kBoxSlotsPerPage pointers, allocated on first use,
// because a flat table of 10000 pointers is 80000 bytes on a 64-bit build,
// more than the largest block a 64000-byte pool can give.
//
// What the model needs of its window (redraw a line, invalidate, move the
// contents, set the scroll bars, resize) goes through the record's BoxView;
// a record without a view changes its state and draws nothing. The owner's
// notifications (onSelect, onDelete, onScroll) are called by the model.
//
// Memory: every record and line comes from the box control's pool, which the
// first box creates (64000 bytes, flags 0x1003: zero-filled, growing) and
// which is kept, with everything in it, while the library is loaded (see
// ui/ControlPool.h for when a new one is made). Records are never freed: the
// record of a destroyed box is kept as a spare, with its line slots, and
// serves the next box that is created. So any number of boxes made and
// destroyed one after the other costs one pool slot and the memory of the
// most boxes alive at one time. The pointer a creator holds is good until
// the box's window is destroyed.
//
// Invariants after every operation that changes lineCount: 0 <= lineCount <=
// 10000; 0 <= topLine; selected is -1 or an index below lineCount.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"

struct List;
struct BoxRecord;

constexpr int32_t kBoxMaxLines = 10000;
constexpr int32_t kBoxSlotsPerPage = 500;
constexpr int32_t kBoxSlotPages = kBoxMaxLines / kBoxSlotsPerPage;
constexpr int32_t kBoxTextSize = 256;  // 255 characters and the terminator
constexpr int32_t kBoxColorCount = 4;
constexpr uint32_t kBoxPoolSize = 64000;
constexpr uint32_t kBoxPoolFlags = 0x1003;

// Creation flags; the owner passes their sum.
constexpr uint32_t BOX_HSCROLL = 1;         // horizontal scroll bar
constexpr uint32_t BOX_READONLY = 2;        // keys and clicks are ignored
constexpr uint32_t BOX_NOBORDER = 4;        // no border
constexpr uint32_t BOX_KEEPTEXTCOLOR = 8;   // the selected line keeps its text colour
constexpr uint32_t BOX_NOVSCROLL = 16;      // no vertical scroll bar
constexpr uint32_t BOX_TWOCOLUMN = 32;      // text2 drawn as a second column
constexpr uint32_t BOX_SORTED = 64;         // ascending order of text, ignoring case

// A line: the record in a slot, and the item format of a list handed to
// BoxSetLines.
struct BoxLine {
  char text[kBoxTextSize];   // first column, at most 255 characters
  int32_t colorIndex;        // index into textColors, 0..3
  char text2[kBoxTextSize];  // second column, drawn only with BOX_TWOCOLUMN
};
static_assert(sizeof(BoxLine) == 516, "a box line is 516 bytes");

// The owner's notifications, all called with the box first.
// After the user selected the line at index by mouse or arrow key; the result is ignored.
typedef int32_t (*BoxSelectNotify)(BoxRecord* box, int32_t index, BoxLine* line);
// Before the Delete key removes the selected line; 0 vetoes the deletion.
typedef int32_t (*BoxDeleteRequest)(BoxRecord* box, int32_t index, BoxLine* line);
// After the view scrolled (scroll bar, arrow and paging keys, an added line brought into view).
typedef int32_t (*BoxScrollNotify)(BoxRecord* box, int32_t topLine);

// The untyped form in which BoxSetCallback takes any of the three.
typedef void (*BoxCallback)(void);
enum BoxCallbackKind : int32_t {
  kBoxCallbackSelect = 1,
  kBoxCallbackScroll = 2,
  kBoxCallbackDelete = 3,
};

// What the model asks of its window. Every entry may be null.
struct BoxView {
  void (*redrawLine)(BoxRecord* box, int32_t index);  // draw line index now
  void (*invalidate)(BoxRecord* box, int erase);     // repaint the whole window later
  // Move the drawn contents by dx, dy pixels and paint what was uncovered.
  void (*scrollContents)(BoxRecord* box, int32_t dx, int32_t dy);
  // Vertical scroll bar range 0..maximum and position.
  void (*setVerticalScroll)(BoxRecord* box, int32_t maximum, int32_t position);
  // Horizontal scroll bar range 0..maximum and position.
  void (*setHorizontalScroll)(BoxRecord* box, int32_t maximum, int32_t position);
  // Resize the window to width x height (outer size) without moving it.
  void (*resize)(BoxRecord* box, int32_t width, int32_t height);
};

// Key codes and scroll codes as the platform numbers them.
enum BoxKey : int32_t {
  kBoxKeyPageUp = 0x21,
  kBoxKeyPageDown = 0x22,
  kBoxKeyUp = 0x26,
  kBoxKeyDown = 0x28,
  kBoxKeyDelete = 0x2E,
};
enum BoxScrollCode : int32_t {
  kBoxScrollLineUp = 0,
  kBoxScrollLineDown = 1,
  kBoxScrollPageUp = 2,
  kBoxScrollPageDown = 3,
  kBoxScrollThumbPosition = 4,
  kBoxScrollThumbTrack = 5,
};

// One per box. The window handles and the font are the platform's handles,
// held opaquely so that the model stays window-free.
struct BoxRecord {
  int32_t selected;           // selected line, -1 when none
  int32_t previousSelected;   // selection before the last change, -1 after a refill or clear
  int32_t lineCount;          // lines in use, 0..10000
  int32_t topLine;            // first visible line
  int32_t pageLines;          // whole lines the window shows, set on every resize
  int32_t lineHeight;         // pixels: the height of "T" in the box's font
  int32_t hScrollLimit;       // largest horizontal scroll position: outer width at the last resize
  int32_t hScrollPos;         // horizontal scroll position in pixels, 0..hScrollLimit
  int32_t resizing;           // set while the box resizes itself (the nested resize is ignored)
  void* parent;               // parent window
  uint32_t flags;             // creation flags
  void* window;               // the box's own window; null once it is destroyed
  uint32_t background;        // colour of every line's background
  BoxLine** lines[kBoxSlotPages];  // line slots, in pages; slot i holds line i while i < lineCount
  void* font;                 // font for drawing, none until set
  int32_t column2;            // x of the second column; also the first column's clip edge when > 0
  BoxSelectNotify onSelect;
  BoxDeleteRequest onDelete;
  BoxScrollNotify onScroll;
  void* owner;                // the owner's record
  uint32_t textColors[kBoxColorCount];  // text colour of colour index 0..3
  const BoxView* view;        // how the model reaches its window; null: nothing is drawn
  BoxRecord* nextSpare;       // next kept record of a destroyed box
};

// ---------------------------------------------------------------------------
// Records

// A record for a new box with the given flags, initialised as a fresh box (a
// spare record if there is one, else a new one from the box pool); null when
// memory runs out.
BoxRecord* BoxRecordTake(uint32_t flags);
// The box's window is gone: keep the record (and its line slots) for the next box.
void BoxRecordRelease(BoxRecord* box);
// The pool the box records come from now; -1 before the first record.
MemPoolHandle BoxMemoryPool();

// ---------------------------------------------------------------------------
// Operations (every operation on a null record returns 0 and does nothing)

// Replaces all lines with copies of the list's BoxLine items; 1 when all were
// taken, 0 when some were dropped (beyond 10000 lines, or memory ran out) and
// when the list is null or holds items of another size (the box is then left
// as it was).
int BoxSetLines(BoxRecord* box, List* items);
// Appends (with BOX_SORTED: inserts in order) one line; 0 at 10000 lines.
int BoxAddLine(BoxRecord* box, int32_t colorIndex, const char* text);
// -1 (or any negative index) clears the selection; the index is not checked
// against lineCount and the view does not scroll.
int BoxSelectIndex(BoxRecord* box, int32_t index);
int BoxSelectText(BoxRecord* box, const char* text);
int BoxSetLineColorByText(BoxRecord* box, const char* text, int32_t colorIndex);
int BoxSetCallback(BoxRecord* box, int32_t kind, BoxCallback function);
// -1 clears the box.
int BoxDeleteLine(BoxRecord* box, int32_t index);
int BoxDeleteText(BoxRecord* box, const char* text);
int32_t BoxGetPageLines(const BoxRecord* box);
// With a buffer (kBoxTextSize bytes), the top line's text is copied into it.
int32_t BoxGetTopLine(const BoxRecord* box, char* buffer);
// 0 when the index would leave the view past the last line; the caller repaints.
int BoxSetTopLine(BoxRecord* box, int32_t index);
enum BoxAttribute : int32_t { kBoxAttributeBackground = 1, kBoxAttributeColumn2 = 2 };
int BoxSetAttribute(BoxRecord* box, int32_t kind, uint32_t value);
int BoxSetTextColor(BoxRecord* box, int32_t colorIndex, uint32_t color);
int BoxSetOwner(BoxRecord* box, void* owner);
void* BoxGetOwner(const BoxRecord* box);
int BoxReplaceLine(BoxRecord* box, int32_t index, int32_t colorIndex, const char* text);
int BoxReplaceLine2(BoxRecord* box, int32_t index, int32_t colorIndex, const char* text, const char* text2);

// Line index while index < lineCount, else null.
BoxLine* BoxLineAt(const BoxRecord* box, int32_t index);
// The text colour a line is drawn in (an index outside 0..3 counts as 0).
uint32_t BoxLineColor(const BoxRecord* box, const BoxLine* line);
// Asks the window to repaint itself.
int BoxInvalidate(BoxRecord* box, int erase);

// ---------------------------------------------------------------------------
// Input and layout, called by the window procedure

// A vertical scroll request; 1 when the top line moved.
int BoxScrollVertical(BoxRecord* box, int32_t code, int32_t thumb);
// A horizontal scroll request; 1 when the position moved.
int BoxScrollHorizontal(BoxRecord* box, int32_t code, int32_t thumb, int32_t clientWidth);
// Arrow and paging keys (key down) and the Delete key (key up); nothing with BOX_READONLY.
int BoxKeyDown(BoxRecord* box, int32_t key);
int BoxKeyUp(BoxRecord* box, int32_t key);
// A click at y pixels from the top of the client area; nothing with BOX_READONLY.
int BoxClick(BoxRecord* box, int32_t y);
// The vertical scroll bar follows lineCount, pageLines and topLine.
int BoxUpdateScrollBar(BoxRecord* box);
// Fits the box to whole lines after a resize (outer size of the window, the
// platform's scroll bar sizes); skipped while the box resizes itself.
int BoxFitHeight(BoxRecord* box, int32_t outerWidth, int32_t outerHeight, int32_t hScrollHeight,
                 int32_t vScrollWidth);
// Whole lines in a height, rounded to the nearest line (2.6 lines give 3, 2.4 give 2).
int32_t BoxFitLines(int32_t height, int32_t lineHeight);

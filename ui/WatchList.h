// The watch list: the watched variables, their last values, and the two boxes
// that show them (names on the left, values on the right, one line per watch in
// list order), without any window. Watch_win.cpp makes the window and the two
// boxes and hands them over here.
//
// Values come from the evaluator the creator supplies. Adding a watch rebuilds
// both boxes; a refresh re-evaluates every watch and rewrites only the value
// lines whose text changed. The two boxes keep selection, scrolling and
// deletion in step through their notification callbacks (WatchSelectSync,
// WatchScrollSync, WatchDeleteSync), which find the watch record as the
// boxes' owner.
//
// Memory: watch records come from the watch control's pool (6000 bytes, flags
// 0x1003), made by the first watch window and kept while the library is
// loaded; as with the boxes, the record of a destroyed watch window is kept as
// a spare for the next one, so windows made one after the other use one pool
// slot. The watches themselves are a List in the shared list pool; it is
// destroyed with the window (nothing can reach it afterwards).
#pragma once

#include <cstdint>

#include "memory/MemPool.h"

struct List;
struct BoxLine;
struct BoxRecord;

constexpr int32_t kWatchNameSize = 80;     // 79 characters and the terminator
constexpr int32_t kWatchValueSize = 1024;  // what the evaluator may write, terminator included
constexpr int32_t kWatchFailedColor = 3;   // the box's red
constexpr uint32_t kWatchPoolSize = 6000;
constexpr uint32_t kWatchPoolFlags = 0x1003;
// With more than this many watches, adding one first moves the list's current
// position to its last watch.
constexpr uint32_t kWatchManyWatches = 25;

struct WatchItem {
  char name[kWatchNameSize];    // variable name, at most 79 characters
  int32_t kind;                 // VariableKind as given when added (1 number, 2 string)
  int32_t global;               // nonzero for a global, 0 for a local of the current function
  char value[kWatchValueSize];  // text last obtained from the evaluator
};

// Writes the value text of the variable `name`, or a failure text, into the
// buffer (kWatchValueSize bytes); 0 when the buffer holds the value, nonzero
// when it does not. `global` and `kind` point into the watch.
typedef int32_t (*WatchEvaluator)(void* context, const char* name, int32_t* global, int32_t* kind,
                                  char* buffer);

struct WatchRecord {
  void* parent;            // the main debugger window
  void* window;            // the watch window; null once it is destroyed
  WatchEvaluator evaluator;
  int32_t controlId;       // the boxes get controlId * 10 + 1 and + 2
  void* context;           // handed unchanged to the evaluator
  List* watches;           // WatchItem copies, first item = top line
  BoxRecord* namesBox;     // left box
  BoxRecord* valuesBox;    // right box
  WatchRecord* nextSpare;  // next kept record of a destroyed window
};

// A record with an empty watch list (a spare one if there is one, else one
// from the watch pool); null when memory runs out.
WatchRecord* WatchRecordTake(WatchEvaluator evaluator, void* context, int32_t controlId);
// The window is gone: the watches are destroyed, the boxes forgotten (they go
// with their windows) and the record kept for the next watch window.
void WatchRecordRelease(WatchRecord* watch);
// The pool the watch records come from now; -1 before the first record.
MemPoolHandle WatchMemoryPool();

// Hands the two boxes to the watch list: owner, the three callbacks, text
// colour 0 black.
int WatchAttachBoxes(WatchRecord* watch, BoxRecord* namesBox, BoxRecord* valuesBox);

// Adds a watch on the first line of both boxes; 0 for a null record or name.
int WatchAdd(WatchRecord* watch, int32_t kind, int32_t global, const char* name);
// Re-evaluates every watch and rewrites the value lines whose text changed.
int WatchRefresh(WatchRecord* watch);

// The boxes' callbacks.
int32_t WatchSelectSync(BoxRecord* box, int32_t index, BoxLine* line);
int32_t WatchDeleteSync(BoxRecord* box, int32_t index, BoxLine* line);
int32_t WatchScrollSync(BoxRecord* box, int32_t topLine);

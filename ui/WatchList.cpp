// The watch list and its refresh rules (see WatchList.h).
//
// The list is not bounded: with more than 25 watches an addition only moves
// the list's current position to the last watch before inserting at the top,
// which changes nothing that can be seen. Watches are added one at a time by
// the user, so the boxes' 10000-line limit is the only bound that can matter.
//
// Values are compared byte for byte (case-sensitively): any change in a value,
// if only of case, is shown. A watch whose text did not change keeps its line,
// colour included.
#include "ui/WatchList.h"

#include <cstring>

#include "memory/List.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "ui/BoxModel.h"
#include "ui/ControlPool.h"
#include "util/Text.h"

namespace {

constexpr uint32_t kBlack = 0;

ControlPool gWatchPool = {kWatchPoolSize, kWatchPoolFlags, kMemPoolFailed};
WatchRecord* gSpareWatches = nullptr;

// The watch's value text into the buffer; the colour index of its line. Without
// an evaluator every watch is a variable that cannot be found.
int32_t Evaluate(WatchRecord* watch, WatchItem* item, char* buffer) {
  std::memset(buffer, 0, kWatchValueSize);
  int32_t result = 1;
  if (watch->evaluator) result = watch->evaluator(watch->context, item->name, &item->global, &item->kind, buffer);
  else PlatformLoadString(IDS_VARIABLE_NOT_FOUND, buffer, kWatchValueSize);
  buffer[kWatchValueSize - 1] = 0;
  return result != 0 ? kWatchFailedColor : 0;
}

// Fills the names box with one line per watch, in list order.
void RebuildNames(WatchRecord* watch) {
  List* lines = ListCreate(sizeof(BoxLine));
  BoxLine line{};
  for (auto* item = static_cast<WatchItem*>(ListFirst(watch->watches)); item;
       item = static_cast<WatchItem*>(ListNext(watch->watches))) {
    TextCopy(line.text, kBoxTextSize, item->name);
    ListAdd(lines, &line);
  }
  BoxSetLines(watch->namesBox, lines);
  ListDestroy(lines);
}

// Evaluates every watch, stores its value and fills the values box.
void RebuildValues(WatchRecord* watch) {
  List* lines = ListCreate(sizeof(BoxLine));
  BoxLine line{};
  char buffer[kWatchValueSize];
  for (auto* item = static_cast<WatchItem*>(ListFirst(watch->watches)); item;
       item = static_cast<WatchItem*>(ListNext(watch->watches))) {
    line.colorIndex = Evaluate(watch, item, buffer);
    TextCopy(line.text, kBoxTextSize, buffer);
    std::memcpy(item->value, buffer, kWatchValueSize);
    ListAdd(lines, &line);
  }
  BoxSetLines(watch->valuesBox, lines);
  ListDestroy(lines);
}

WatchRecord* OwnerOf(BoxRecord* box) { return static_cast<WatchRecord*>(BoxGetOwner(box)); }

// The other box of the same watch window; null for a box that is not one of its two.
BoxRecord* SiblingOf(const WatchRecord* watch, const BoxRecord* box) {
  if (!watch) return nullptr;
  if (box == watch->namesBox) return watch->valuesBox;
  if (box == watch->valuesBox) return watch->namesBox;
  return nullptr;
}

}  // namespace

WatchRecord* WatchRecordTake(WatchEvaluator evaluator, void* context, int32_t controlId) {
  WatchRecord* watch = gSpareWatches;
  if (watch) gSpareWatches = watch->nextSpare;
  else watch = static_cast<WatchRecord*>(ControlPoolAlloc(&gWatchPool, sizeof(WatchRecord)));
  if (!watch) return nullptr;
  *watch = WatchRecord{};
  watch->watches = ListCreate(sizeof(WatchItem));
  if (!watch->watches) {
    WatchRecordRelease(watch);
    return nullptr;
  }
  watch->evaluator = evaluator;
  watch->context = context;
  watch->controlId = controlId;
  return watch;
}

void WatchRecordRelease(WatchRecord* watch) {
  if (!watch) return;
  ListDestroy(watch->watches);
  *watch = WatchRecord{};
  watch->nextSpare = gSpareWatches;
  gSpareWatches = watch;
}

MemPoolHandle WatchMemoryPool() { return gWatchPool.current; }

int WatchAttachBoxes(WatchRecord* watch, BoxRecord* namesBox, BoxRecord* valuesBox) {
  if (!watch || !namesBox || !valuesBox) return 0;
  watch->namesBox = namesBox;
  watch->valuesBox = valuesBox;
  BoxRecord* const boxes[] = {namesBox, valuesBox};
  for (BoxRecord* box : boxes) {
    BoxSetOwner(box, watch);
    BoxSetCallback(box, kBoxCallbackSelect, reinterpret_cast<BoxCallback>(WatchSelectSync));
    BoxSetCallback(box, kBoxCallbackDelete, reinterpret_cast<BoxCallback>(WatchDeleteSync));
    BoxSetCallback(box, kBoxCallbackScroll, reinterpret_cast<BoxCallback>(WatchScrollSync));
    BoxSetTextColor(box, 0, kBlack);
  }
  return 1;
}

int WatchAdd(WatchRecord* watch, int32_t kind, int32_t global, const char* name) {
  if (!watch || !name) return 0;
  WatchItem item{};
  TextCopy(item.name, kWatchNameSize, name);
  item.kind = kind;
  item.global = global;
  if (ListCount(watch->watches) > kWatchManyWatches) ListLast(watch->watches);
  if (!ListInsertFirst(watch->watches, &item)) return 0;
  RebuildNames(watch);
  RebuildValues(watch);
  BoxInvalidate(watch->namesBox, 1);
  BoxInvalidate(watch->valuesBox, 1);
  return 1;
}

int WatchRefresh(WatchRecord* watch) {
  if (!watch) return 0;
  char buffer[kWatchValueSize];
  int32_t index = 0;
  for (auto* item = static_cast<WatchItem*>(ListFirst(watch->watches)); item;
       item = static_cast<WatchItem*>(ListNext(watch->watches)), index++) {
    const int32_t color = Evaluate(watch, item, buffer);
    if (std::strcmp(buffer, item->value) == 0) continue;
    std::memcpy(item->value, buffer, kWatchValueSize);
    BoxReplaceLine(watch->valuesBox, index, color, buffer);
  }
  return 0;
}

int32_t WatchSelectSync(BoxRecord* box, int32_t index, BoxLine*) {
  BoxSelectIndex(SiblingOf(OwnerOf(box), box), index);
  return 1;
}

// Deletes the line in the other box and the watch; 1 lets the asking box
// delete its own line.
int32_t WatchDeleteSync(BoxRecord* box, int32_t index, BoxLine*) {
  WatchRecord* watch = OwnerOf(box);
  BoxRecord* sibling = SiblingOf(watch, box);
  if (!sibling || index < 0) return 0;
  BoxDeleteLine(sibling, index);
  void* item = ListFirst(watch->watches);
  for (int32_t i = 0; item && i < index; i++) item = ListNext(watch->watches);
  if (!item) return 0;
  ListRemove(watch->watches);
  return 1;
}

int32_t WatchScrollSync(BoxRecord* box, int32_t topLine) {
  BoxRecord* sibling = SiblingOf(OwnerOf(box), box);
  BoxSetTopLine(sibling, topLine);
  BoxInvalidate(sibling, 1);
  return 1;
}

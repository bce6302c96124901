// LineTable. The records list owns the LineRecord copies; both hash tables
// hold their addresses. Each copy knows its own list node, so that
// LineTableNextLine can start its walk right after the record it looked up
// instead of searching the list for it.
#include "debuginfo/LineTable.h"

#include "debuginfo/SymbolTableBase.h"

LineTable* LineTableCreate() {
  MemPoolHandle pool;
  auto* table = static_cast<LineTable*>(SymbolTableNewHeader(sizeof(LineTable), &pool));
  if (!table) return nullptr;
  table->pool = pool;
  table->byLine = HashCreate(kHashBuckets, 4, 0);
  table->byAddress = HashCreate(kHashBuckets, 4, 0);
  table->records = ListCreate(sizeof(LineRecord));
  return table;
}

namespace {

LineAddressAnswer& RecentSlot(LineTable* table, int32_t block, int32_t offset) {
  return table->recent[LineAddressSlot(block, offset)];
}

}  // namespace

int LineTableAdd(LineTable* table, int32_t line, int32_t fileIndex, int32_t block, int32_t offset) {
  if (!table) return 0;
  LineRecord record{line, static_cast<uint8_t>(fileIndex), block, offset, nullptr};
  ListLast(table->records);
  if (!ListAdd(table->records, &record)) return 0;
  auto* stored = static_cast<LineRecord*>(ListCurrent(table->records));
  stored->position = ListGetPosition(table->records);
  // A key already present keeps its first record (insert without replacing).
  HashInsert(table->byLine, SymbolKeyOfPair(stored->line, stored->fileIndex).text,
             reinterpret_cast<intptr_t>(stored), 0);
  HashInsert(table->byAddress, SymbolKeyOfPair(block, offset).text, reinterpret_cast<intptr_t>(stored), 0);
  RecentSlot(table, block, offset).known = false;
  return 1;
}

namespace {

const LineRecord* Lookup(const HashTable* hash, int32_t first, int32_t second) {
  intptr_t value = 0;
  if (!HashLookup(hash, SymbolKeyOfPair(first, second).text, &value)) return nullptr;
  return reinterpret_cast<const LineRecord*>(value);
}

}  // namespace

const LineRecord* LineTableLookUpAddress(LineTable* table, int32_t block, int32_t offset) {
  LineAddressAnswer& recent = RecentSlot(table, block, offset);
  recent = {block, offset, Lookup(table->byAddress, block, offset), true};
  return recent.record;
}

int LineTableFindAddress(LineTable* table, int32_t line, int32_t fileIndex, int32_t* block, int32_t* offset) {
  if (!table) return 0;
  const LineRecord* record = Lookup(table->byLine, line, fileIndex);
  if (!record) return 0;
  if (block) *block = record->block;
  if (offset) *offset = record->offset;
  return 1;
}

int LineTableNextLine(LineTable* table, int32_t line, int32_t fileIndex, int32_t* nextLine) {
  if (!table) return 0;
  const LineRecord* record = Lookup(table->byLine, line, fileIndex);
  if (!record) return 0;
  ListSetPosition(table->records, record->position);
  while (auto* next = static_cast<const LineRecord*>(ListNext(table->records))) {
    if (next->fileIndex == fileIndex) {
      if (nextLine) *nextLine = next->line;
      return 1;
    }
  }
  return 0;
}

void LineTableDestroy(LineTable* table) {
  if (!table) return;
  HashDestroy(table->byLine);
  HashDestroy(table->byAddress);
  ListDestroy(table->records);
  MemPoolDestroy(table->pool);
}

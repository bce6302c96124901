// LineTable: statement addresses to source lines and back, for the whole
// script. One record per line record of the debug information, kept in file
// order; two hash tables find a record by (line, file index) and by statement
// address (block, offset). The first record under a key stays in the lookups;
// later ones with the same key are only in the ordered list.
//
// Every lookup on the way of a running script (each QNdbgBreak looks up its
// statement address) is one hash lookup of a short key; only
// LineTableNextLine walks the list. In front of the address lookup stands a
// small cache of recent answers by the number pair itself: a traced loop asks
// for the same few addresses over and over, and the cache answers without
// formatting a key. It holds what the hash table answered (a record, or none)
// and forgets an address whenever a record is added.
#pragma once

#include <cstdint>

#include "memory/HashTable.h"
#include "memory/List.h"
#include "memory/MemPool.h"

struct LineRecord {
  int32_t line;           // source line, 0..32767
  uint8_t fileIndex;      // source file; 8 bits, as line records carry it
  int32_t block;          // statement address
  int32_t offset;
  ListPosition position;  // this record's own node in LineTable::records
};

struct LineAddressAnswer {
  int32_t block;             // the address asked for
  int32_t offset;
  const LineRecord* record;  // the answer: the record, or null for none
  bool known;                // the slot holds an answer
};

constexpr int kLineAddressCacheSize = 16;  // a power of two; a loop's statements fall into distinct slots

struct LineTable {
  HashTable* byLine;     // "%d-%d" of (line, file index) -> LineRecord*
  HashTable* byAddress;  // "%d-%d" of (block, offset) -> LineRecord*
  List* records;         // LineRecord copies, in file order (the shared list pool)
  MemPoolHandle pool;    // holds this header
  LineAddressAnswer recent[kLineAddressCacheSize];  // recent answers of LineTableFindLine
};

LineTable* LineTableCreate();
// Appends the record and enters it under both keys: 1, or 0 when it could not
// be stored.
int LineTableAdd(LineTable* table, int32_t line, int32_t fileIndex, int32_t block, int32_t offset);
inline uint32_t LineAddressSlot(int32_t block, int32_t offset) {
  return (static_cast<uint32_t>(offset) + 7u * static_cast<uint32_t>(block)) & (kLineAddressCacheSize - 1);
}
// The hash table's answer for (block, offset), kept in its cache slot.
const LineRecord* LineTableLookUpAddress(LineTable* table, int32_t block, int32_t offset);

// 1 with the line and file index of the statement at (block, offset), or 0.
// Inline: QNdbgBreak asks before every traced statement, mostly the cache.
inline int LineTableFindLine(LineTable* table, int32_t block, int32_t offset, int32_t* line, int32_t* fileIndex) {
  if (!table) return 0;
  const LineAddressAnswer& recent = table->recent[LineAddressSlot(block, offset)];
  const LineRecord* record = recent.known && recent.block == block && recent.offset == offset
                                 ? recent.record
                                 : LineTableLookUpAddress(table, block, offset);
  if (!record) return 0;
  if (line) *line = record->line;
  if (fileIndex) *fileIndex = record->fileIndex;
  return 1;
}
// 1 with the statement address of the first statement on that line, or 0.
int LineTableFindAddress(LineTable* table, int32_t line, int32_t fileIndex, int32_t* block, int32_t* offset);
// 1 with the line of the next statement of the same file after the first
// statement on (line, file index), in file order; 0 when there is none or the
// line has no statement.
int LineTableNextLine(LineTable* table, int32_t line, int32_t fileIndex, int32_t* nextLine);
void LineTableDestroy(LineTable* table);

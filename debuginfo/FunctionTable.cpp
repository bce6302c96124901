// FunctionTable. Records come from the table's own pool and are found through
// the two hash tables; they are also chained newest first, so that the
// destruction gives back the locals of every function, even one whose name and
// block were both taken by an earlier function.
#include "debuginfo/FunctionTable.h"

#include "debuginfo/SymbolTableBase.h"
#include "util/Text.h"

FunctionTable* FunctionTableCreate() {
  MemPoolHandle pool;
  auto* table = static_cast<FunctionTable*>(SymbolTableNewHeader(sizeof(FunctionTable), &pool));
  if (!table) return nullptr;
  table->pool = pool;
  table->lastMade = nullptr;
  table->byName = HashCreate(kHashBuckets, 4, 0);
  table->byBlock = HashCreate(kHashBuckets, 4, 0);
  table->extents = ListCreate(sizeof(FunctionExtent));
  return table;
}

int FunctionTableAdd(FunctionTable* table, const char* name, int32_t block) {
  if (!table || !name) return 0;
  auto* record = static_cast<FunctionRecord*>(MemPoolAlloc(table->pool, sizeof(FunctionRecord)));
  if (!record) return 0;
  TextCopy(record->name, sizeof record->name, name);
  record->block = block;
  record->locals = VariableTableCreate();
  record->nextMade = table->lastMade;
  table->lastMade = record;
  HashInsert(table->byName, record->name, reinterpret_cast<intptr_t>(record), 0);
  HashInsert(table->byBlock, SymbolKeyOfNumber(block).text, reinterpret_cast<intptr_t>(record), 0);
  return 1;
}

int FunctionTableAddExtent(FunctionTable* table, int32_t block, int32_t firstLine, int32_t fileIndex) {
  if (!table) return 0;
  FunctionExtent extent{block, firstLine, fileIndex};
  ListLast(table->extents);
  return ListAdd(table->extents, &extent);
}

namespace {

FunctionRecord* ByName(const FunctionTable* table, const char* name) {
  intptr_t value = 0;
  return HashLookup(table->byName, name, &value) ? reinterpret_cast<FunctionRecord*>(value) : nullptr;
}

FunctionRecord* ByBlock(const FunctionTable* table, int32_t block) {
  intptr_t value = 0;
  return HashLookup(table->byBlock, SymbolKeyOfNumber(block).text, &value) ? reinterpret_cast<FunctionRecord*>(value)
                                                                           : nullptr;
}

}  // namespace

int FunctionTableAddLocal(FunctionTable* table, const char* functionName, const char* variableName, int32_t index,
                          int32_t kind) {
  if (!table) return 0;
  FunctionRecord* record = ByName(table, functionName);
  return record ? VariableTableAdd(record->locals, variableName, index, kind) : 0;
}

int FunctionTableFindBlock(FunctionTable* table, const char* name, int32_t* block) {
  if (!table) return 0;
  FunctionRecord* record = ByName(table, name);
  if (!record) return 0;
  if (block) *block = record->block;
  return 1;
}

int FunctionTableGetName(FunctionTable* table, int32_t block, char* out, size_t size) {
  if (!table) return 0;
  FunctionRecord* record = ByBlock(table, block);
  if (!record) return 0;
  TextCopy(out, size, record->name);
  return 1;
}

VariableTable* FunctionTableGetLocals(FunctionTable* table, int32_t block) {
  if (!table) return nullptr;
  FunctionRecord* record = ByBlock(table, block);
  return record ? record->locals : nullptr;
}

int32_t FunctionTableBlockAtLine(FunctionTable* table, int32_t line, int32_t fileIndex) {
  if (!table) return 0;
  int32_t block = 0;
  for (auto* extent = static_cast<const FunctionExtent*>(ListFirst(table->extents)); extent;
       extent = static_cast<const FunctionExtent*>(ListNext(table->extents))) {
    if (extent->fileIndex != fileIndex) continue;
    if (extent->firstLine > line) break;
    block = extent->block;
  }
  return block;
}

int32_t FunctionTableGetExtent(FunctionTable* table, int32_t block, int32_t* fileIndex) {
  if (!table) return 0;
  for (auto* extent = static_cast<const FunctionExtent*>(ListFirst(table->extents)); extent;
       extent = static_cast<const FunctionExtent*>(ListNext(table->extents))) {
    if (extent->block == block) {
      if (fileIndex) *fileIndex = extent->fileIndex;
      return extent->firstLine;
    }
  }
  return 0;
}

int FunctionTableListNames(FunctionTable* table, const NameSink& sink) {
  if (!table) return 0;
  sink.reset(sink.context);
  for (auto* extent = static_cast<const FunctionExtent*>(ListFirst(table->extents)); extent;
       extent = static_cast<const FunctionExtent*>(ListNext(table->extents))) {
    if (FunctionRecord* record = ByBlock(table, extent->block)) sink.add(sink.context, record->name);
  }
  return 1;
}

void FunctionTableDestroy(FunctionTable* table) {
  if (!table) return;
  for (FunctionRecord* record = table->lastMade; record; record = record->nextMade)
    VariableTableDestroy(record->locals);
  HashDestroy(table->byName);
  HashDestroy(table->byBlock);
  ListDestroy(table->extents);
  MemPoolDestroy(table->pool);
}

#include "debuginfo/VariableTable.h"

namespace {

// Shared by every variable table and never destroyed: a table of locals is
// made per function, and one pool for all of them keeps the pool slots free.
MemPoolHandle gVariablePool = kMemPoolFailed;

}  // namespace

VariableTable* VariableTableCreate() {
  if (gVariablePool == kMemPoolFailed) gVariablePool = MemPoolCreate(kVariablePoolSize, kVariablePoolFlags);
  if (gVariablePool == kMemPoolFailed) return nullptr;
  auto* table = static_cast<VariableTable*>(MemPoolAlloc(gVariablePool, sizeof(VariableTable)));
  if (!table) return nullptr;
  table->pool = gVariablePool;
  table->byName = HashCreateInPool(kHashBuckets, 4, 0, gVariablePool);
  table->names = ListCreate(kListStrings);
  return table;
}

int VariableTableAdd(VariableTable* table, const char* name, int32_t index, int32_t kind) {
  if (!table || !name) return 0;
  intptr_t packed = static_cast<intptr_t>(kind) * 65536 + (index & 0xFFFF);
  HashInsert(table->byName, name, packed, 0);
  ListLast(table->names);
  return ListAdd(table->names, name);
}

int VariableTableFind(VariableTable* table, const char* name, int32_t* index, int32_t* kind) {
  if (!table) return 0;
  intptr_t packed = 0;
  if (!HashLookup(table->byName, name, &packed)) return 0;
  if (index) *index = static_cast<int32_t>(packed & 0xFFFF);
  if (kind) *kind = static_cast<int32_t>(packed >> 16);
  return 1;
}

int VariableTableListNames(VariableTable* table, const NameSink& sink) {
  sink.reset(sink.context);
  if (!table) return 0;
  for (auto* name = static_cast<const char*>(ListFirst(table->names)); name;
       name = static_cast<const char*>(ListNext(table->names)))
    sink.add(sink.context, name);
  return 1;
}

void VariableTableDestroy(VariableTable* table) {
  if (!table) return;
  HashDestroy(table->byName);
  ListDestroy(table->names);
  MemPoolFree(table->pool, table);
}

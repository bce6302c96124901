// VariableTable: the variables of the script, by name, with the index and kind
// by which the host engine knows them. One global table per session and one
// local table per script function.
//
// A name maps to a packed value, kind x 65536 + (index & 0xFFFF): kind 1 is a
// number variable and 2 a string variable; the index is 0, 1, ... for globals
// and -101, -102, ... for locals (each counted per kind). Lookups give the
// index back as the unsigned low 16 bits, so local -101 comes back as 65435;
// the host engine takes it as it comes. The first variable of a name stays in
// the lookups, but every name added is listed, in the order it was added.
//
// The headers and hash tables of all variable tables live in one shared
// 10000-byte pool, made by the first VariableTableCreate and kept until the
// library is unloaded.
#pragma once

#include <cstdint>

#include "debuginfo/NameSink.h"
#include "memory/HashTable.h"
#include "memory/List.h"
#include "memory/MemPool.h"

enum VariableKind : int32_t {
  kVariableNumber = 1,
  kVariableString = 2,
};

struct VariableTable {
  HashTable* byName;   // name -> packed value, in the shared pool
  List* names;         // strings, in the order they were added (the shared list pool)
  MemPoolHandle pool;  // the shared variable pool
};

constexpr uint32_t kVariablePoolSize = 10000;
constexpr uint32_t kVariablePoolFlags = 0x1003;

VariableTable* VariableTableCreate();
// 1 when the name was listed (the first variable of a name stays in lookups).
int VariableTableAdd(VariableTable* table, const char* name, int32_t index, int32_t kind);
// 1 with the index (unsigned low 16 bits) and kind of the named variable, or 0.
int VariableTableFind(VariableTable* table, const char* name, int32_t* index, int32_t* kind);
// Empties the sink and, for a non-null table, gives it every name in the order
// the names were added (a name added twice is listed twice): what
// VariableTableFillList shows in a combo box. 1, or 0 for a null table.
int VariableTableListNames(VariableTable* table, const NameSink& sink);
void VariableTableDestroy(VariableTable* table);

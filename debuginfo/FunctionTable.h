// FunctionTable: the script's functions, by name and by block number, with
// each function's local variables, and the extents (block, first line, file)
// in file order from which the function that holds a line is found.
//
// The first function under a name or a block stays in the lookups; a later
// one with the same key is kept (and given back on destruction) but only its
// extent can be reached.
#pragma once

#include <cstddef>
#include <cstdint>

#include "debuginfo/NameSink.h"
#include "debuginfo/VariableTable.h"
#include "memory/HashTable.h"
#include "memory/List.h"
#include "memory/MemPool.h"

constexpr size_t kFunctionNameSize = 67;

struct FunctionRecord {
  char name[kFunctionNameSize];  // the function's name, cut to fit
  int32_t block;                 // block number by which the host names the function
  VariableTable* locals;         // the function's local variables, made with the record
  FunctionRecord* nextMade;      // the record made before this one, so destruction reaches all
};

struct FunctionExtent {
  int32_t block;      // the function's block number
  int32_t firstLine;  // line of its first statement
  int32_t fileIndex;  // the file that holds it
};

struct FunctionTable {
  HashTable* byName;          // name -> FunctionRecord*
  HashTable* byBlock;         // "%d" of the block -> FunctionRecord*
  List* extents;              // FunctionExtent copies, in file order (the shared list pool)
  MemPoolHandle pool;         // holds this header and the records
  FunctionRecord* lastMade;   // every record, newest first
};

FunctionTable* FunctionTableCreate();
// Makes the function's record with an empty table of locals: 1, or 0.
int FunctionTableAdd(FunctionTable* table, const char* name, int32_t block);
int FunctionTableAddExtent(FunctionTable* table, int32_t block, int32_t firstLine, int32_t fileIndex);
// VariableTableAdd on the locals of the named function; 0 when it is unknown.
int FunctionTableAddLocal(FunctionTable* table, const char* functionName, const char* variableName, int32_t index,
                          int32_t kind);
// 1 with the block number of the named function, or 0.
int FunctionTableFindBlock(FunctionTable* table, const char* name, int32_t* block);
// 1 with the name of the function with that block copied into `out`, or 0.
int FunctionTableGetName(FunctionTable* table, int32_t block, char* out, size_t size);
// The local variables of the function with that block, or null.
VariableTable* FunctionTableGetLocals(FunctionTable* table, int32_t block);
// The block of the function of that file that begins last at or before the
// line; 0 (the main program) when none does.
int32_t FunctionTableBlockAtLine(FunctionTable* table, int32_t line, int32_t fileIndex);
// The first line of the function with that block, with its file index; 0 (and
// the file index untouched) when the block is unknown.
int32_t FunctionTableGetExtent(FunctionTable* table, int32_t block, int32_t* fileIndex);
// Empties the sink and gives it the name of every function, in extent order:
// what FunctionTableFillList shows in a combo box. 1, or 0 for a null table.
int FunctionTableListNames(FunctionTable* table, const NameSink& sink);
void FunctionTableDestroy(FunctionTable* table);

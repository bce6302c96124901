// BreakpointTable: the user's breakpoints. A breakpoint is entered as a
// location text (a line number in a source file, or a script function's name)
// and is held in three places at once: as a record here, as a persistent
// breakpoint in the host engine, and as a mark on the line in its file's
// source window. The table is not consulted while the script runs: the host
// keeps the breakpoints and reports reaching one with QNdbgBreak mode 1.
//
// Invariants: no two records have the same label (compared with case); every
// record has a statement address, at which the host holds a breakpoint.
#pragma once

#include <cstdint>

#include "memory/List.h"
#include "memory/MemPool.h"
#include "qndbgc.h"

struct DebugSession;
struct FunctionTable;
struct LineTable;

enum BreakpointKind : int32_t {
  kBreakpointLine = 1,
  kBreakpointFunction = 2,
};

constexpr int kBreakpointLabelSize = 48;  // 47 characters and the terminator

struct BreakpointRecord {
  int32_t kind;                      // BreakpointKind
  int32_t line;                      // source line; a function's first line
  int32_t fileIndex;                 // the line's file
  char label[kBreakpointLabelSize];  // shown in the dialog; identifies the record
};
static_assert(sizeof(BreakpointRecord) == 60, "a breakpoint record is 60 bytes");

struct BreakpointTable {
  List* records;                 // BreakpointRecord copies, in the order of entry
  HWND dialog;                   // the open Set Breakpoints dialog, or null
  DebugSession* session;
  LineTable* lineTable;
  FunctionTable* functionTable;
  MemPoolHandle pool;            // holds the header and the records
};

BreakpointTable* BreakpointTableCreate(FunctionTable* functions, LineTable* lines, DebugSession* session);
int BreakpointTableDestroy(BreakpointTable* table);  // leaves the host's breakpoints alone

// 1, or 0 when the text names a function that does not exist. A line without
// a statement, or a label that already exists, sets nothing.
int SetBreakpointAt(BreakpointTable* table, const char* text, int32_t fileIndex);
int ClearBreakpointByLabel(BreakpointTable* table, const char* label);
int ClearAllBreakpoints(BreakpointTable* table);
// Clears the breakpoint on the line (of either kind) or sets one there, then
// repaints the file's view: what a double-click on a source line does.
int ToggleBreakpoint(BreakpointTable* table, int32_t line, int32_t fileIndex);

BreakpointRecord* BreakpointTableFindLabel(BreakpointTable* table, const char* label);
BreakpointRecord* BreakpointTableFindLine(BreakpointTable* table, int32_t line, int32_t fileIndex);

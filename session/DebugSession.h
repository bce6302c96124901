// The one debugging session: what QNdbgInit sets up and QNdbgExit takes down.
// Exactly one exists at a time; DebugSessionCurrent() names it (null when no
// session is open). It lives, zero-filled, in a pool of its own.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"
#include "qndbgc.h"

struct LineTable;
struct FunctionTable;
struct VariableTable;
struct SourceFileList;
struct SourceWindow;
struct BreakpointTable;
struct WatchRecord;

constexpr int kTextSize = 261;               // names, paths and captions: 260 and the terminator
constexpr uint32_t kSessionPoolSize = 1848;

struct DebugSession {
  INT_PTR hostContext;             // QNdbgInit argument 1: first argument of the control callbacks
  INT_PTR hostArg4;                // QNdbgInit argument 4: kept, not interpreted
  INT_PTR hostArg3;                // QNdbgInit argument 3: kept, not interpreted
  HWND mainWindow;                 // the main dialog; null when destroyed
  WatchRecord* watch;              // the watch window, made when the main dialog initialises
  HostCallbacks callbacks;         // copied from QNdbgInit; all null after QNdbgExit
  MemPoolHandle pool;              // the pool that holds this record
  LineTable* lineTable;            // statement address <-> (line, file index)
  SourceWindow* currentSource;     // source window of the file where the script last stopped
  int32_t currentFileIndex;        // file index of currentSource
  FunctionTable* functionTable;    // script functions, their extents and locals
  BreakpointTable* breakpoints;    // user breakpoints
  SourceFileList* sourceFiles;     // source files with their source windows
  VariableTable* globals;          // global variables
  VariableTable* locals;           // locals of currentFunction, or null
  int32_t currentFunction;         // block of the function holding the current line; 0 for none
  char title[kTextSize];           // the main dialog's caption as loaded from its template
  char scriptFileName[kTextSize];  // main script source file, as the debug information names it
  char currentFileName[kTextSize]; // path of the file shown in currentSource
  int32_t currentLine;             // source line of the last stop; 0 at start
  int32_t stopped;                 // 1 while the debugger holds the script and the user may command it
  int32_t stepState;               // what the next trace call waits for (see ExecutionControl)
  int32_t stepDepth;               // call depth saved by Step
};

static_assert(sizeof(DebugSession) <= kSessionPoolSize - 4, "the session record fits its pool");

// One session at a time, process-wide. Read inline: QNdbgBreak asks for it
// before every traced statement.
extern DebugSession* gDebugSessionCurrent;
inline DebugSession* DebugSessionCurrent() { return gDebugSessionCurrent; }
void DebugSessionSetCurrent(DebugSession* session);

// QnVm: the interpreter. One loop over the program's code with one switch,
// two typed value stacks (numbers and strings) on which each frame keeps its
// locals below its expression temporaries, and a frame stack for script
// function calls. Nothing in the loop recurses, so a runaway recursion in a
// script ends in a clean runtime error at kQnMaxCallDepth.
//
// Debug hook. A host that debugs the script installs one hook function and a
// mask of the events it wants:
//
//   kQnEventStatement  before every statement, while tracing (kQnMaskTrace)
//   kQnEventBreak      before a statement that carries a breakpoint (always,
//                      while a hook is installed); a one-shot breakpoint is
//                      removed as it is reached
//   kQnEventCall       after a script function was entered (kQnMaskCall)
//   kQnEventReturn     after it returned (kQnMaskReturn)
//   kQnEventPoll       every `pollInterval` statements (kQnMaskPoll), so that
//                      a host can keep its windows alive while the script runs
//
// A statement is reported once: as a breakpoint when it carries one, else as
// a traced statement. The hook gets only the event's kind and statement
// address; QnVmGetActivation fills in the rest (line, file, function, depth)
// when the hook asks for it. The cost when nothing is reported is one test of
// the statement's flag byte or'ed with the trace flag, and a countdown.
//
// A debugger is asked about every traced statement, and asks back (the
// statement's class, the call depth, tracing on again) each time. For that
// path a host may install a statement hook beside the general one: traced
// statements then go straight to it, one call with the address; and
// QnVmDebug gives the state those questions read (a table of classes per
// block, the depth as a counter, the trace flag) for inline access.
#pragma once

#include <cstdint>
#include <string>

#include "QnProgram.h"

struct QnVm;

enum QnRunStatus : int {
  kQnRunning = 0,
  kQnFinished = 1,      // endprogram or exit
  kQnAborted = 2,       // abort
  kQnRuntimeError = 3,  // QnVmError tells what and where
  kQnStopped = 4,       // ended by the host (hook answer, QnVmRequestStop)
};

enum QnEventKind : int {
  kQnEventStatement = 1,
  kQnEventBreak = 2,
  kQnEventCall = 3,
  kQnEventReturn = 4,
  kQnEventPoll = 5,
};

enum QnHookMask : int {
  kQnMaskTrace = 1,
  kQnMaskCall = 2,
  kQnMaskReturn = 4,
  kQnMaskPoll = 8,
};

enum QnBreakKind : int {
  kQnBreakPersistent = 1,
  kQnBreakOneShot = 2,
};

struct QnHookEvent {
  int kind;
  int32_t block;   // the statement address (for calls and returns: where the script now stands)
  int32_t offset;
};

// Answers 0 to let the script go on, 1 to end it (status kQnStopped).
typedef int (*QnHook)(QnVm* vm, const QnHookEvent& event, void* user);
// The statement hook: a traced statement at (block, offset); answers as QnHook.
typedef int (*QnStatementHook)(void* user, int32_t block, int32_t offset);

// The statements' classes of one block, by offset.
struct QnClassTable {
  const uint8_t* classes = nullptr;
  uint32_t count = 0;
};

// What the debug interface reads and writes on every traced statement.
struct QnVmDebugState {
  uint8_t trace = 0;       // 1 while every statement is reported
  uint8_t hooked = 0;      // a hook is installed: tracing needs one
  int32_t depth = 0;       // call depth of the innermost frame (0: the program)
  uint32_t blockCount = 0;
  const QnClassTable* blocks = nullptr;
};

// The class of the statement at an address in per-block tables; 0 when
// there is none.
inline int QnClassAt(const QnClassTable* blocks, uint32_t blockCount, int32_t block, int32_t offset) {
  if (static_cast<uint32_t>(block) >= blockCount) return 0;
  const QnClassTable& table = blocks[block];
  return static_cast<uint32_t>(offset) < table.count ? table.classes[offset] : 0;
}
inline int QnDebugStatementClass(const QnVmDebugState* state, int32_t block, int32_t offset) {
  return QnClassAt(state->blocks, state->blockCount, block, offset);
}
// Tracing takes effect only while a hook is installed.
inline void QnDebugSetTrace(QnVmDebugState* state, bool on) { state->trace = on ? state->hooked : 0; }

struct QnActivation {
  int32_t block = 0;
  int32_t offset = 0;
  int32_t line = 0;        // 0 for a statement without a line
  int32_t depth = 0;       // call depth of this frame (0 for the program)
  int statementClass = 0;
  const char* file = "";   // source file name as shown in messages
  const char* function = "";  // block name: the function, or "program"
};

// How the script meets the outside world.
struct QnHostConfig {
  std::string srcDir;      // SRCDIR
  std::string targetDir;   // TARGETDIR
  std::string sandbox;     // the folder CreateDir and CopyFile may write in; empty: none
  bool messagesToStdout = true;  // MessageBox and SprintfBox print instead of showing a box
  bool noDelay = false;          // Delay returns at once
  // Where printed messages go; null: standard output.
  void (*print)(void* user, const std::string& text) = nullptr;
  void* printUser = nullptr;
};

QnVm* QnVmCreate(const QnProgram* program, const QnHostConfig& config);
void QnVmDestroy(QnVm* vm);
// Runs the program from its first statement to its end; the final status.
int QnVmRun(QnVm* vm);
int QnVmStatus(const QnVm* vm);
// The runtime error, "file(line): message"; empty when there was none.
const std::string& QnVmError(const QnVm* vm);
const QnProgram* QnVmProgram(const QnVm* vm);
const QnHostConfig& QnVmConfig(const QnVm* vm);

// Debug interface.
void QnVmSetHook(QnVm* vm, QnHook hook, void* user, int mask, int32_t pollInterval = 0);
// Traced statements go to `hook` instead of the general hook's
// kQnEventStatement (null: back to the general hook). Removing the general
// hook removes this one too.
void QnVmSetStatementHook(QnVm* vm, QnStatementHook hook, void* user);
void QnVmSetTrace(QnVm* vm, bool on);
bool QnVmTracing(const QnVm* vm);
// 1 when the address names a statement, else 0 (and nothing changes).
int QnVmSetBreakpoint(QnVm* vm, int kind, bool set, int32_t block, int32_t offset);
void QnVmClearBreakpoints(QnVm* vm, int kind);
// Level 0 is the innermost frame. 1, or 0 when there is no such frame.
int QnVmGetActivation(const QnVm* vm, int level, QnActivation* activation);
int32_t QnVmCallDepth(const QnVm* vm);
// The class of the statement at an address; 0 when there is none.
int QnVmStatementClass(const QnVm* vm, int32_t block, int32_t offset);
// Ends the script before its next statement.
void QnVmRequestStop(QnVm* vm);
// The state behind QnVmTracing, QnVmSetTrace, QnVmCallDepth and
// QnVmStatementClass; it lives as long as the VM.
QnVmDebugState* QnVmDebug(QnVm* vm);

// Variables by the indexes of the debug information: globals from 0, the
// innermost function's locals from -101 (-101 - i for the i-th of a kind).
// False when there is no such variable.
bool QnVmGetString(const QnVm* vm, int32_t index, std::string* value);
bool QnVmSetString(QnVm* vm, int32_t index, const std::string& value);
bool QnVmGetNumber(const QnVm* vm, int32_t index, int32_t* value);
bool QnVmSetNumber(QnVm* vm, int32_t index, int32_t value);

// For the built-ins: the variable behind a reference (see QnVarRef), the
// global string slots, and how they report a runtime error (the script ends
// after the built-in returns).
std::string* QnVmStringRef(QnVm* vm, int32_t ref);
int32_t* QnVmNumberRef(QnVm* vm, int32_t ref);
std::string* QnVmGlobalString(QnVm* vm, int32_t slot);
void QnVmFail(QnVm* vm, const std::string& message);

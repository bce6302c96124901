// Execution control: when the running script stops, and what Go, Stop, Step,
// StepInto, Exit and Break do.
//
// The host calls QNdbgBreak(1, block, offset) when it reaches a breakpoint
// and, while tracing is on, QNdbgBreak(2, block, offset) before every
// statement. The debugger answers 0 when it stopped the script there (it has
// told the host Suspend and shown the stop) and 1 when the script goes on. It
// never waits: the host holds the script and keeps its own message loop
// running, which brings the user's commands to the main window, whose buttons
// call the commands below. They set the step state and tracing and tell the
// host Resume or ExitScript.
//
// Step states: what the next trace call waits for.
//   0  each stop, Stop, start: the next statement that has a line
//   1  Step over a class 1 or 2 statement: the next statement with a line at
//      a call depth not greater than the depth saved when Step began
//   2  Step over a class 4 statement (and state 3 once its closing statement
//      came): the next statement with a line
//   3  Step over a class 5 statement: pass everything up to a class 6
//      statement at the saved depth, then behave as state 2
//   4  StepInto: the next statement with a line
#pragma once

#include <cstdint>

#include "qndbgc.h"

struct DebugSession;

enum StepState : int32_t {
  kStepNextLine = 0,
  kStepOverCall = 1,
  kStepNextStatement = 2,
  kStepOverBlock = 3,
  kStepInto = 4,
};

// Statement classes as the host gives them.
enum StatementClass : int32_t {
  kClassCall = 1,
  kClassSimple = 2,
  kClassJump = 3,
  kClassNext = 4,
  kClassBlockOpen = 5,
  kClassBlockClose = 6,
};

enum BreakMode : int32_t {
  kBreakAtBreakpoint = 1,
  kBreakTrace = 2,
};

// Brings the windows up to date for a stop at (block, offset).
void ShowStop(DebugSession* session, int32_t block, int32_t offset);

// The commands of the main window's buttons; each does nothing without a session.
void CommandGo(DebugSession* session);
void CommandStop(DebugSession* session);
void CommandStep(DebugSession* session);
void CommandStepInto(DebugSession* session);
void CommandExit(DebugSession* session);
void CommandBreak(DebugSession* session);

// Where the mouse capture is released: on the path that stops the script
// (the cheap choice) or, as the debugger once did, on every call. Only the
// benchmark switches it, to show what the per-call release costs.
enum CaptureRelease : int32_t {
  kReleaseOnStop = 0,
  kReleaseOnEveryCall = 1,
};
void ExecutionControlSetCaptureRelease(CaptureRelease when);

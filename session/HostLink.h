// The calls into the host engine. Everything the debugger asks of the running
// script, and every command it gives, goes through HostCall: an operation code
// turned into a call of one callback slot. A slot the host left empty answers
// -1 without a call; so does an unknown operation. HostCall keeps no state.
#pragma once

#include "qndbgc.h"

struct DebugSession;

enum HostOperation : int {
  kHostGetStatementClass = 1,  // (block, offset) -> class
  kHostSetBreakpoint = 2,      // persistent: (set, block, offset)
  kHostSuspend = 3,
  kHostResume = 4,
  kHostGetVarNumber = 6,       // (index) -> the number
  kHostGetVarText = 7,         // (index, char buffer[1024])
  kHostExitScript = 8,
  kHostSetTrace = 9,           // (on)
  kHostGetPosition = 10,       // (LONG* block, LONG* offset)
  kHostSetOneShot = 11,        // (block, offset): one-shot breakpoint
  kHostSetVarNumber = 12,      // (index, number)
  kHostSetVarText = 13,        // (index, text)
  kHostGetCallDepth = 14,
};

INT_PTR HostCall(const DebugSession* session, int operation, INT_PTR a = 0, INT_PTR b = 0, INT_PTR c = 0);

// The breakpoint table's own persistent request: SetBreakpoint(hostContext, 1,
// set, block, offset). 0 without a session, -1 without the callback.
INT_PTR HostSetUserBreakpoint(const DebugSession* session, INT_PTR set, INT_PTR block, INT_PTR offset);

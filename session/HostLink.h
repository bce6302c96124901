// The calls into the host engine. Everything the debugger asks of the running
// script, and every command it gives, goes through HostCall: an operation code
// turned into a call of one callback slot. A slot the host left empty answers
// -1 without a call; so does an unknown operation. HostCall keeps no state.
// It is inline: QNdbgBreak calls it three times for every traced statement,
// and with the operation known the switch folds away.
#pragma once

#include "qndbgc.h"
#include "session/DebugSession.h"

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

inline INT_PTR HostCall(const DebugSession* session, int operation, INT_PTR a = 0, INT_PTR b = 0, INT_PTR c = 0) {
  if (!session) return -1;
  const HostCallbacks& host = session->callbacks;
  const INT_PTR context = session->hostContext;
  switch (operation) {
    case kHostGetStatementClass:
      return host.GetStatementClass ? host.GetStatementClass(context, a, b) : -1;
    case kHostSetBreakpoint:
      return host.SetBreakpoint ? host.SetBreakpoint(context, 1, a, b, c) : -1;
    case kHostSuspend:
      return host.Suspend ? host.Suspend(context) : -1;
    case kHostResume:
      return host.Resume ? host.Resume(context) : -1;
    case kHostGetVarNumber: {
      if (!host.GetVarNumber) return -1;
      LONG number = 0;
      host.GetVarNumber(a, &number);
      return number;
    }
    case kHostGetVarText:
      return host.GetVarText ? host.GetVarText(a, reinterpret_cast<char*>(b)) : -1;
    case kHostExitScript:
      return host.ExitScript ? host.ExitScript(context) : -1;
    case kHostSetTrace:
      return host.SetTrace ? host.SetTrace(context, a) : -1;
    case kHostGetPosition:
      return host.GetPosition ? host.GetPosition(context, reinterpret_cast<LONG*>(a), reinterpret_cast<LONG*>(b))
                              : -1;
    case kHostSetOneShot:
      return host.SetBreakpoint ? host.SetBreakpoint(context, 0, 1, a, b) : -1;
    case kHostSetVarNumber:
      return host.SetVarNumber ? host.SetVarNumber(a, static_cast<LONG>(b)) : -1;
    case kHostSetVarText:
      return host.SetVarText ? host.SetVarText(a, reinterpret_cast<const char*>(b)) : -1;
    case kHostGetCallDepth:
      return host.GetCallDepth ? host.GetCallDepth(context) : -1;
    default:
      return -1;
  }
}


// The breakpoint table's own persistent request: SetBreakpoint(hostContext, 1,
// set, block, offset). 0 without a session, -1 without the callback.
INT_PTR HostSetUserBreakpoint(const DebugSession* session, INT_PTR set, INT_PTR block, INT_PTR offset);

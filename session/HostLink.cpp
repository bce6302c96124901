#include "session/HostLink.h"

#include "session/DebugSession.h"

INT_PTR HostCall(const DebugSession* session, int operation, INT_PTR a, INT_PTR b, INT_PTR c) {
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

INT_PTR HostSetUserBreakpoint(const DebugSession* session, INT_PTR set, INT_PTR block, INT_PTR offset) {
  if (!session) return 0;
  if (!session->callbacks.SetBreakpoint) return -1;
  return session->callbacks.SetBreakpoint(session->hostContext, 1, set, block, offset);
}

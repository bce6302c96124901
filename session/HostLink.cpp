#include "session/HostLink.h"

#include "session/DebugSession.h"

INT_PTR HostSetUserBreakpoint(const DebugSession* session, INT_PTR set, INT_PTR block, INT_PTR offset) {
  if (!session) return 0;
  if (!session->callbacks.SetBreakpoint) return -1;
  return session->callbacks.SetBreakpoint(session->hostContext, 1, set, block, offset);
}

#include "session/DebugSession.h"

namespace {
DebugSession* gSession = nullptr;  // one session at a time, process-wide
}

DebugSession* DebugSessionCurrent() { return gSession; }
void DebugSessionSetCurrent(DebugSession* session) { gSession = session; }

#include "session/DebugSession.h"

DebugSession* gDebugSessionCurrent = nullptr;

void DebugSessionSetCurrent(DebugSession* session) { gDebugSessionCurrent = session; }

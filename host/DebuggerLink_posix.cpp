// Natively there is no debugger library to load: the debugger is a Windows
// DLL. The link itself (DebuggerLink.cpp) is built and tested natively with
// an in-process stand-in for the three exports.
#include "DebuggerLink.h"

bool DebuggerLibraryLoad(const std::string& path, DebuggerApi*, std::string* error) {
  *error = "cannot load the debugger " + path + ": debugging needs the Windows build (qnrun.exe)";
  return false;
}

void DebuggerLibraryFree() {}

std::string DebuggerLibraryDefaultPath() { return "QNDBGC.DLL"; }

void DebuggerMessageLoop(DebuggerLink*) {}

void DebuggerPollMessages(DebuggerLink*) {}

// What a QNdbgBreak call that does not stop costs under Wine, next to the
// host callbacks it makes, and what releasing the mouse capture on every call
// would add (the window server is asked each time).
//
//   scripts/wine-run.sh build/win64/bin/winbench_BreakBench.exe
#include <windows.h>

#include "WineBench.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "platform/Platform.h"
#include "qndbgc.h"
#include "session/DebugSession.h"
#include "session/ExecutionControl.h"
#include "session/HostLink.h"

namespace {

LONG gDepth = 2;  // the script stands inside a call

INT_PTR WINAPI HostClass(INT_PTR, INT_PTR, INT_PTR) { return 2; }
INT_PTR WINAPI HostTrace(INT_PTR, INT_PTR) { return 1; }
INT_PTR WINAPI HostDepth(INT_PTR) { return gDepth; }

}  // namespace

int main() {
  PlatformSetModule(GetModuleHandleA(nullptr));
  DebugSession session{};
  session.callbacks.GetStatementClass = HostClass;
  session.callbacks.SetTrace = HostTrace;
  session.callbacks.GetCallDepth = HostDepth;
  session.lineTable = LineTableCreate();
  for (int offset = 0; offset < 200; offset++) LineTableAdd(session.lineTable, 10 + offset, 0, 1, offset);
  session.sourceFiles = SourceFileListCreate();
  SourceFileListAdd(session.sourceFiles, "main.qn", 0, 0, 0);
  // Step over a call from depth 1: the statements at depth 2 go on.
  session.stepState = kStepOverCall;
  session.stepDepth = 1;
  DebugSessionSetCurrent(&session);

  const long calls = 200000;
  int offset = 0;
  std::printf("| call | ns |\n|---|---|\n");
  WineBenchRow("host callbacks alone (class, trace, depth)", WineBenchNsPerCall(calls, [&] {
                 HostCall(&session, kHostGetStatementClass, 1, 0);
                 HostCall(&session, kHostSetTrace, 1);
                 HostCall(&session, kHostGetCallDepth);
               }));
  WineBenchRow("QNdbgBreak(2) at an address without a line",
               WineBenchNsPerCall(calls, [&] { QNdbgBreak(2, 7, 7); }));
  WineBenchRow("QNdbgBreak(2) at a line deeper than the step", WineBenchNsPerCall(calls, [&] {
                 QNdbgBreak(2, 1, offset);
                 offset = (offset + 1) % 8;  // a loop of eight statements
               }));
  ExecutionControlSetCaptureRelease(kReleaseOnEveryCall);
  WineBenchRow("the same, releasing the capture on every call", WineBenchNsPerCall(calls / 20, [&] {
                 QNdbgBreak(2, 1, offset);
                 offset = (offset + 1) % 8;
               }));
  ExecutionControlSetCaptureRelease(kReleaseOnStop);
  WineBenchRow("ReleaseCapture alone", WineBenchNsPerCall(calls / 20, [] { ReleaseCapture(); }));

  DebugSessionSetCurrent(nullptr);
  LineTableDestroy(session.lineTable);
  SourceFileListDestroy(session.sourceFiles);
  return 0;
}

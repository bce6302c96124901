#include "session/ExecutionControl.h"

#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "session/DebugSession.h"
#include "session/HostLink.h"
#include "session/SessionWindows.h"
#include "util/Text.h"

namespace {

CaptureRelease gCaptureRelease = kReleaseOnStop;

int32_t CallDepth(const DebugSession* session) {
  return static_cast<int32_t>(HostCall(session, kHostGetCallDepth));
}

bool HasLine(DebugSession* session, int32_t block, int32_t offset) {
  int32_t line, fileIndex;
  return LineTableFindLine(session->lineTable, block, offset, &line, &fileIndex) != 0;
}

// The stop itself, shared by both handlers: tell the host, bring the window
// up, show where the script stands, and wait for the next command afresh.
INT_PTR StopHere(DebugSession* session, int32_t block, int32_t offset, int show) {
  // The capture is released here, where a stop is about to raise the main
  // window, and not on every call: asking the window server costs tens of
  // microseconds, which a traced loop of a million statements would pay a
  // million times for nothing.
  if (gCaptureRelease == kReleaseOnStop) SessionWindowsReleaseCapture();
  HostCall(session, kHostSuspend);
  SessionWindowsRaise(session, show);
  SessionWindowsEnable(session, 1);
  ShowStop(session, block, offset);
  session->stepState = kStepNextLine;
  session->stepDepth = 0;
  return 0;
}

INT_PTR BreakpointReached(DebugSession* session, int32_t block, int32_t offset) {
  if (!HasLine(session, block, offset)) return 1;
  return StopHere(session, block, offset, 1);
}

INT_PTR StatementAhead(DebugSession* session, int32_t statementClass, int32_t block, int32_t offset) {
  if (session->stepState == kStepOverBlock) {
    if (statementClass != kClassBlockClose) return 1;
    if (CallDepth(session) != session->stepDepth) return 1;
    // The block's closing statement: from here on, the next line stops.
    session->stepState = kStepNextStatement;
    session->stepDepth = 0;
  }
  if (!HasLine(session, block, offset)) return 1;
  if (session->stepState == kStepOverCall && CallDepth(session) > session->stepDepth) return 1;
  return StopHere(session, block, offset, 0);
}

}  // namespace

void ExecutionControlSetCaptureRelease(CaptureRelease when) { gCaptureRelease = when; }

extern "C" INT_PTR WINAPI QNdbgBreak(INT_PTR mode, INT_PTR block, INT_PTR offset) {
  DebugSession* session = DebugSessionCurrent();
  if (!session) return 1;
  // Statement addresses are 16-bit pairs widened with their sign.
  const int32_t at = static_cast<int32_t>(block), within = static_cast<int32_t>(offset);
  const int32_t statementClass = static_cast<int32_t>(HostCall(session, kHostGetStatementClass, at, within));
  if (gCaptureRelease == kReleaseOnEveryCall) SessionWindowsReleaseCapture();
  HostCall(session, kHostSetTrace, 1);
  switch (mode) {
    case kBreakAtBreakpoint:
      return BreakpointReached(session, at, within);
    case kBreakTrace:
      return StatementAhead(session, statementClass, at, within);
    default:
      return 1;
  }
}

void ShowStop(DebugSession* session, int32_t block, int32_t offset) {
  char path[kSourceNameSize];
  int32_t fileIndex = 0;
  SourceWindow* source = SourceFileListFind(session->sourceFiles, block, offset, path, sizeof path, &fileIndex);
  session->currentFileIndex = fileIndex;
  if (source != session->currentSource) {
    SessionWindowsSwitchSource(source, session->currentSource);
    session->currentSource = source;
    TextCopy(session->currentFileName, sizeof session->currentFileName, path);
    SessionWindowsUpdateCaption(session);
  }
  int32_t line, lineFile;
  if (LineTableFindLine(session->lineTable, block, offset, &line, &lineFile)) session->currentLine = line;
  SessionWindowsShowLine(session->currentSource, session->currentLine);
  SessionWindowsUpdateSourceLabel(session);
  SessionWindowsRefreshVariables(session);
  SessionWindowsRefreshWatch(session);
}

void CommandGo(DebugSession* session) {
  if (!session || !session->stopped) return;
  SessionWindowsEnable(session, 0);
  HostCall(session, kHostSetTrace, 0);
  HostCall(session, kHostResume);
}

void CommandStop(DebugSession* session) {
  if (!session) return;
  HostCall(session, kHostSetTrace, 1);
  session->stepState = kStepNextLine;
  session->stepDepth = 0;
}

void CommandStep(DebugSession* session) {
  if (!session || !session->stopped) return;
  // Resume comes first: the host lets the script go on only once this
  // handler has returned to its message loop, so the position and the class
  // read below are still those of the statement being stepped over.
  HostCall(session, kHostSetTrace, 0);
  HostCall(session, kHostResume);
  LONG block = 0, offset = 0;
  HostCall(session, kHostGetPosition, reinterpret_cast<INT_PTR>(&block), reinterpret_cast<INT_PTR>(&offset));
  const int32_t statementClass = static_cast<int32_t>(HostCall(session, kHostGetStatementClass, block, offset));
  // A position without a line cannot come from a stop of ours; nothing more
  // is asked of the host then.
  if (!HasLine(session, block, offset)) return;
  switch (statementClass) {
    case kClassCall:
    case kClassSimple:
      session->stepState = kStepOverCall;
      session->stepDepth = CallDepth(session);
      HostCall(session, kHostSetTrace, 1);
      break;
    case kClassJump: {
      // A one-shot breakpoint on the next line of this file; tracing stays
      // off. With no later line in the file there is nowhere to put it, and
      // the script runs on to its next breakpoint.
      int32_t nextLine, nextBlock, nextOffset;
      if (LineTableNextLine(session->lineTable, session->currentLine, session->currentFileIndex, &nextLine) &&
          LineTableFindAddress(session->lineTable, nextLine, session->currentFileIndex, &nextBlock, &nextOffset))
        HostCall(session, kHostSetOneShot, nextBlock, nextOffset);
      break;
    }
    case kClassNext:
      session->stepState = kStepNextStatement;
      session->stepDepth = 0;
      HostCall(session, kHostSetTrace, 1);
      break;
    case kClassBlockOpen:
      session->stepState = kStepOverBlock;
      session->stepDepth = CallDepth(session);
      HostCall(session, kHostSetTrace, 1);
      break;
    default:
      // No class (6 included): the script runs to its next breakpoint, and
      // the other commands stay enabled as they were.
      break;
  }
  SessionWindowsEnableStop(session);
  session->stopped = 0;
}

void CommandStepInto(DebugSession* session) {
  if (!session || !session->stopped) return;
  HostCall(session, kHostSetTrace, 0);
  HostCall(session, kHostResume);
  HostCall(session, kHostSetTrace, 1);
  session->stepState = kStepInto;
  session->stepDepth = 0;
  session->stopped = 0;
}

void CommandExit(DebugSession* session) {
  if (session) HostCall(session, kHostExitScript);
}

void CommandBreak(DebugSession* session) {
  if (session) SessionWindowsOpenBreakpoints(session);
}

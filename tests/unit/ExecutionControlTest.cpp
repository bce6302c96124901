// When the script stops and what the commands ask of the host, checked with a
// scripted host (tests/support/ScriptedHost.h) over a small script model, and
// with the windows' side recorded (support/RecordingWindows).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "session/DebugSession.h"
#include "session/ExecutionControl.h"
#include "session/HostLink.h"
#include "support/RecordingWindows.h"
#include "tests/support/ScriptedHost.h"

namespace {

typedef std::vector<std::string> Strings;

// The script: the main program (block 0) at lines 3.., calling function 1
// (lines 20..) from line 5, and a while loop at lines 8..10 whose exit
// statement (0, 9) has no line. Function 1 lives in file 1 ("lib.qn").
struct Line {
  int32_t line, fileIndex, block, offset;
};
const Line kLines[] = {
    {3, 0, 0, 0}, {4, 0, 0, 1},  {5, 0, 0, 2},  {6, 0, 0, 3},  {8, 0, 0, 4},  {9, 0, 0, 5},
    {10, 0, 0, 6}, {12, 0, 0, 7}, {13, 0, 0, 8}, {20, 1, 1, 0}, {21, 1, 1, 1}, {22, 1, 1, 2},
};

SourceWindow* MakeView(char* path, void*) { return FakeSourceWindow(path[0] == 'l' ? 1 : 0); }
int DropView(SourceWindow*) { return 1; }

class ExecutionControl : public ::testing::Test {
 protected:
  void Open(std::vector<ScriptStatement> run) {
    Close();
    host = std::make_unique<ScriptedHost>(std::move(run));
    session.hostContext = host->Context();
    session.callbacks = host->Callbacks();
    session.stopped = 1;
    session.lineTable = LineTableCreate();
    for (const Line& line : kLines) LineTableAdd(session.lineTable, line.line, line.fileIndex, line.block, line.offset);
    session.sourceFiles = SourceFileListCreate();
    SourceFileListAdd(session.sourceFiles, "main.qn", 0, 0, 0);
    SourceFileListAdd(session.sourceFiles, "lib.qn", 1, 0, 1);
    SourceFileListMakeViews(session.sourceFiles, nullptr, MakeView, nullptr, DropView);
    DebugSessionSetCurrent(&session);
    // As the main window does when it is made: stop at the first statement.
    HostCall(&session, kHostSetOneShot, 0, 0);
    Windows() = RecordedWindows();
  }
  void Close() {
    DebugSessionSetCurrent(nullptr);
    LineTableDestroy(session.lineTable);
    SourceFileListDestroy(session.sourceFiles);
    session = DebugSession{};
    host.reset();
  }
  void TearDown() override { Close(); }
  // Runs to the next stop; the address the script stands on, or "end".
  std::string Run() {
    host->ClearCalls();
    Windows().requests.clear();
    int at = host->RunUntilStop(QNdbgBreak);
    if (at < 0) return "end";
    return std::to_string(run_[at].block) + "," + std::to_string(run_[at].offset);
  }
  std::string Start(std::vector<ScriptStatement> run) {
    run_ = run;
    Open(run);
    return Run();
  }

  DebugSession session{};
  std::unique_ptr<ScriptedHost> host;
  std::vector<ScriptStatement> run_;
};

// Statements: {block, offset, class, depth}.
const std::vector<ScriptStatement> kCallRun = {
    {0, 0, 2, 0}, {0, 1, 2, 0}, {0, 2, 1, 0}, {1, 0, 2, 1}, {1, 1, 2, 1}, {1, 2, 4, 1}, {0, 3, 2, 0}, {0, 7, 2, 0},
};

TEST_F(ExecutionControl, FirstStatementStopsThroughTheOneShotBreakpoint) {
  EXPECT_EQ(Start(kCallRun), "0,0");
  EXPECT_EQ(host->Calls(), (Strings{"GetStatementClass 0,0", "SetTrace 1", "Suspend"}));
  EXPECT_EQ(Windows().requests,
            (Strings{"ReleaseCapture", "Raise show", "Enable stopped", "Show source1 hide none", "Caption main.qn",
                     "ShowLine source1 3", "SourceLabel", "RefreshVariables", "RefreshWatch"}));
  EXPECT_EQ(session.stopped, 1);
  EXPECT_EQ(session.currentLine, 3);
  EXPECT_EQ(session.stepState, kStepNextLine);
}

TEST_F(ExecutionControl, StepOverACallPassesItsStatementsAndStopsBackAtTheSameDepth) {
  Start(kCallRun);
  CommandStep(&session);  // (0,0) is class 2: over by depth
  EXPECT_EQ(Run(), "0,1");
  CommandStep(&session);
  EXPECT_EQ(Run(), "0,2");
  host->ClearCalls();
  CommandStep(&session);  // the call
  EXPECT_EQ(host->Calls(), (Strings{"SetTrace 0", "Resume", "GetPosition", "GetStatementClass 0,2", "GetCallDepth",
                                    "SetTrace 1"}));
  EXPECT_EQ(session.stepState, kStepOverCall);
  EXPECT_EQ(session.stepDepth, 0);
  EXPECT_EQ(session.stopped, 0);
  EXPECT_TRUE(Windows().stopEnabled);
  EXPECT_EQ(Run(), "0,3");  // (1,0) (1,1) (1,2) ran at depth 1
  EXPECT_EQ(session.currentLine, 6);
  EXPECT_EQ(Windows().shown, FakeSourceWindow(0));
}

TEST_F(ExecutionControl, StepIntoStopsAtTheVeryNextLineInsideTheCall) {
  Start(kCallRun);
  CommandStep(&session);
  Run();
  CommandStep(&session);
  Run();  // at (0,2), the call
  host->ClearCalls();
  CommandStepInto(&session);
  EXPECT_EQ(host->Calls(), (Strings{"SetTrace 0", "Resume", "SetTrace 1"}));
  EXPECT_EQ(session.stepState, kStepInto);
  EXPECT_EQ(Run(), "1,0");
  // Stopping in the other file shows its source window and names it.
  EXPECT_EQ(Windows().shown, FakeSourceWindow(1));
  EXPECT_STREQ(session.currentFileName, "lib.qn");
  EXPECT_EQ(session.currentFileIndex, 1);
  EXPECT_EQ(session.currentLine, 20);
}

TEST_F(ExecutionControl, StepOnAJumpPutsAOneShotOnTheNextLineAndLeavesTracingOff) {
  // Line 4 is class 3; the next line of its file is 5 at (0,2).
  Start({{0, 0, 2, 0}, {0, 1, 3, 0}, {1, 0, 2, 1}, {0, 2, 2, 0}, {0, 3, 2, 0}});
  CommandStep(&session);
  Run();  // at (0,1)
  host->ClearCalls();
  CommandStep(&session);
  EXPECT_EQ(host->Commands(), (Strings{"SetTrace 0", "Resume", "SetBreakpoint once 1 0,2"}));
  EXPECT_FALSE(host->Tracing());
  EXPECT_EQ(Run(), "0,2");
  EXPECT_EQ(host->Calls().front(), "GetStatementClass 0,2");  // reached as a breakpoint, mode 1
}

TEST_F(ExecutionControl, StepOnAJumpWithNoLaterLineRunsToTheNextBreakpoint) {
  // (0,8) at line 13 is the last line of file 0.
  Start({{0, 0, 2, 0}, {0, 8, 3, 0}, {0, 0, 2, 0}});
  HostCall(&session, kHostSetOneShot, 0, 8);
  CommandGo(&session);
  EXPECT_EQ(Run(), "0,8");
  host->ClearCalls();
  CommandStep(&session);
  EXPECT_EQ(host->Commands(), (Strings{"SetTrace 0", "Resume"}));
  EXPECT_TRUE(Windows().stopEnabled);
  EXPECT_EQ(Run(), "end");
}

TEST_F(ExecutionControl, StepOnClassFourStopsAtTheNextStatementWithALineEvenDeeper) {
  Start({{0, 0, 4, 0}, {0, 9, 2, 1}, {1, 1, 2, 2}, {0, 1, 2, 0}});
  CommandStep(&session);
  EXPECT_EQ(session.stepState, kStepNextStatement);
  EXPECT_EQ(Run(), "1,1");  // (0,9) has no line
}

TEST_F(ExecutionControl, StepOverALoopPassesCloseStatementsAtOtherDepths) {
  // The loop opens at (0,4) (class 5); its body calls a function whose own
  // loop closes at depth 1; the loop's own close (0,6) at depth 0 stops.
  Start({{0, 0, 2, 0}, {0, 4, 5, 0}, {0, 5, 1, 0}, {1, 0, 5, 1}, {1, 1, 6, 1}, {0, 6, 6, 0}, {0, 7, 2, 0}});
  CommandStep(&session);
  Run();  // at (0,4)
  CommandStep(&session);
  EXPECT_EQ(session.stepState, kStepOverBlock);
  EXPECT_EQ(Run(), "0,6");
  EXPECT_EQ(session.stepState, kStepNextLine);
}

TEST_F(ExecutionControl, StepOverALoopWhoseCloseHasNoLineStopsAtTheNextLine) {
  Start({{0, 0, 2, 0}, {0, 4, 5, 0}, {0, 5, 2, 0}, {0, 9, 6, 0}, {0, 7, 2, 0}});
  CommandStep(&session);
  Run();
  CommandStep(&session);
  EXPECT_EQ(Run(), "0,7");
}

TEST_F(ExecutionControl, StepOnAStatementWithoutAClassRunsToTheNextBreakpointAndKeepsTheCommands) {
  Start({{0, 0, 6, 0}, {0, 1, 2, 0}, {0, 3, 2, 0}});
  HostCall(&session, kHostSetBreakpoint, 1, 0, 3);
  host->ClearCalls();
  CommandStep(&session);
  EXPECT_EQ(host->Commands(), (Strings{"SetTrace 0", "Resume"}));
  EXPECT_TRUE(Windows().commandsEnabled);  // Go, Step and StepInto stay enabled
  EXPECT_TRUE(Windows().stopEnabled);
  EXPECT_EQ(session.stopped, 0);
  EXPECT_EQ(Run(), "0,3");
}

TEST_F(ExecutionControl, MissingCallDepthActsAsEqualDepth) {
  Start(kCallRun);
  session.callbacks.GetCallDepth = nullptr;
  CommandStep(&session);
  Run();
  CommandStep(&session);
  Run();  // at the call
  CommandStep(&session);
  EXPECT_EQ(session.stepDepth, -1);
  EXPECT_EQ(Run(), "1,0");  // -1 is not greater than -1: the first line inside stops
}

TEST_F(ExecutionControl, AllCallbacksMissingStillStopsAtAMappedAddress) {
  run_ = kCallRun;
  Open(kCallRun);
  session.callbacks = HostCallbacks{};
  EXPECT_EQ(QNdbgBreak(1, 0, 1), 0);
  EXPECT_EQ(session.currentLine, 4);
  EXPECT_EQ(QNdbgBreak(2, 0, 2), 0);
  EXPECT_EQ(session.currentLine, 5);
}

TEST_F(ExecutionControl, AnAddressWithoutALineNeverStopsAndOnlySwitchesTracingOn) {
  Start(kCallRun);
  host->ClearCalls();
  Windows().requests.clear();
  int before = session.stepState;
  EXPECT_EQ(QNdbgBreak(1, 0, 9), 1);
  EXPECT_EQ(QNdbgBreak(2, 0, 9), 1);
  EXPECT_EQ(host->Calls(), (Strings{"GetStatementClass 0,9", "SetTrace 1", "GetStatementClass 0,9", "SetTrace 1"}));
  EXPECT_TRUE(Windows().requests.empty());  // not even the capture: no window server on this path
  EXPECT_EQ(session.stepState, before);
  EXPECT_EQ(session.currentLine, 3);
}

TEST_F(ExecutionControl, OtherModesAnswerGoOnButSwitchTracingOn) {
  Start(kCallRun);
  host->ClearCalls();
  EXPECT_EQ(QNdbgBreak(0, 0, 1), 1);
  EXPECT_EQ(QNdbgBreak(3, 0, 1), 1);
  EXPECT_EQ(host->Commands(), (Strings{"SetTrace 1", "SetTrace 1"}));
}

TEST_F(ExecutionControl, CommandsWhileRunningDoNothingButStopMakesTheNextLineStop) {
  Start({{0, 0, 2, 0}, {0, 1, 2, 0}, {0, 9, 2, 0}, {0, 2, 2, 0}, {0, 3, 2, 0}});
  CommandGo(&session);
  EXPECT_EQ(session.stopped, 0);
  host->ClearCalls();
  CommandGo(&session);
  CommandStep(&session);
  CommandStepInto(&session);
  EXPECT_TRUE(host->Calls().empty());
  // The script runs: Stop switches tracing on, and the next line stops it.
  host->RunUntilStop(QNdbgBreak);
  ASSERT_EQ(host->Next(), 5u);  // ran to the end without tracing
  Start({{0, 0, 2, 0}, {0, 9, 2, 0}, {0, 2, 2, 0}});
  CommandGo(&session);
  CommandStop(&session);
  EXPECT_EQ(host->Commands().back(), "SetTrace 1");
  EXPECT_EQ(Run(), "0,2");  // (0,9) has no line
}

TEST_F(ExecutionControl, ExitAndBreakAskTheirPartsOnly) {
  Start(kCallRun);
  host->ClearCalls();
  CommandExit(&session);
  EXPECT_EQ(host->Calls(), Strings{"ExitScript"});
  CommandBreak(&session);
  EXPECT_EQ(Windows().requests.back(), "OpenBreakpoints");
  EXPECT_EQ(host->Calls().size(), 1u);
}

TEST_F(ExecutionControl, CaptureIsReleasedOnlyOnTheStoppingPathUnlessAskedOtherwise) {
  Start(kCallRun);
  Windows().requests.clear();
  QNdbgBreak(2, 0, 9);
  EXPECT_TRUE(Windows().requests.empty());
  ExecutionControlSetCaptureRelease(kReleaseOnEveryCall);
  QNdbgBreak(2, 0, 9);
  ExecutionControlSetCaptureRelease(kReleaseOnStop);
  EXPECT_EQ(Windows().requests, Strings{"ReleaseCapture"});
}

}  // namespace

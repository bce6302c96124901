// Whole debugging sessions of samples/diskspace.qn under the real debugger,
// worked through its main window and its Set Breakpoints dialog: where each
// command leaves the script, and that values changed in the variables panel
// are the ones the script goes on with.
//
// The sample (lines that matter):
//   19  nFreeKb = 2000;                the program block, depth 0
//   20  nNeededKb = TotalKb();
//   21  if (nNeededKb <= nFreeKb) then
//   22    Sprintf(...);  23  MessageBox(szReport, INFORMATION);
//   28  endprogram
//   34  switch (nComponent)            in SizeOfComponent, depth 2
//   48  nTotalKb = 0;                  in TotalKb, depth 1
//   49  for nIndex = 0 to COMPONENTS - 1
//   50    nTotalKb = nTotalKb + SizeOfComponent(nIndex);
//   51  endfor;
//   52  return nTotalKb;
#include <gtest/gtest.h>

#include "E2eSession.h"
#include "resources/resource.h"

namespace {

const char kEnough[] = "[Information] Enough space: 1027 KB needed, 2000 KB free.\n";

std::string Diskspace() { return SamplePath("diskspace.qn"); }

TEST(DiskspaceSession, StepStepIntoAndStepOverALoopStopWhereAUserExpects) {
  E2eSession session(Diskspace(),
                     "step\n"        // 19, a plain assignment
                     "stepinto\n"    // 20, into TotalKb
                     "step\n"        // 48
                     "step\n"        // 49, over the whole loop
                     "step\n"        // 52, return
                     "step\n"        // 21, the if test
                     "step\n"        // 22
                     "step\n"        // 23
                     "step\n");      // 28, endprogram: the script ends
  std::vector<int32_t> totals;
  session.driver.onStop = [&](const SessionStop& stop, HWND) {
    if (stop.function == "TotalKb" && stop.line == 52) totals.push_back(session.Local("nTotalKb"));
  };
  ASSERT_EQ(kQnFinished, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ(
      "diskspace.qn(19)\ndiskspace.qn(20)\ndiskspace.qn(48)\ndiskspace.qn(49)\ndiskspace.qn(52)\n"
      "diskspace.qn(21)\ndiskspace.qn(22)\ndiskspace.qn(23)\ndiskspace.qn(28)\n",
      session.Places())
      << session.Transcript();
  ASSERT_EQ(9u, session.Stops().size());
  EXPECT_EQ(0, session.Stops()[1].depth);
  EXPECT_EQ(1, session.Stops()[2].depth);
  EXPECT_EQ("TotalKb", session.Stops()[2].function);
  EXPECT_EQ("program", session.Stops()[5].function);
  // Step over the loop ran all of it: the total of components 0 to 4.
  EXPECT_EQ(std::vector<int32_t>{1027}, totals);
  EXPECT_EQ(kEnough, session.Output());
}

TEST(DiskspaceSession, StepOverACallRunsItWhole) {
  E2eSession session(Diskspace(),
                     "expect diskspace.qn(19)\nstep\n"
                     "expect diskspace.qn(20)\nstep\n"
                     "expect diskspace.qn(21)\nexit\n");
  int32_t neededAtIf = -1;
  session.driver.onStop = [&](const SessionStop& stop, HWND) {
    if (stop.line == 21) neededAtIf = session.Global("nNeededKb");
  };
  ASSERT_EQ(kQnStopped, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ(3u, session.Stops().size()) << session.Transcript();
  EXPECT_EQ(1027, neededAtIf);
  // Exit in the middle: the script never reached its message.
  EXPECT_EQ("", session.Output());
}

TEST(DiskspaceSession, BreakpointsByLineAndByFunctionStopGoThere) {
  E2eSession session(Diskspace(),
                     "breakpoint line 50\n"
                     "go\n"
                     "expect diskspace.qn(50)\n"
                     "breakpoint function SizeOfComponent\n"
                     "go\n"
                     "expect diskspace.qn(34)\n"
                     "go\n"
                     "expect diskspace.qn(50)\n"  // the line breakpoint again, next round
                     "exit\n");
  std::vector<int32_t> indexes;
  session.driver.onStop = [&](const SessionStop& stop, HWND) {
    if (stop.function == "TotalKb") indexes.push_back(session.Local("nIndex"));
  };
  ASSERT_EQ(kQnStopped, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ("diskspace.qn(19)\ndiskspace.qn(50)\ndiskspace.qn(34)\ndiskspace.qn(50)\n", session.Places())
      << session.Transcript();
  ASSERT_EQ(4u, session.Stops().size());
  EXPECT_EQ(2, session.Stops()[2].depth);
  EXPECT_EQ("SizeOfComponent", session.Stops()[2].function);
  EXPECT_EQ((std::vector<int32_t>{0, 1}), indexes);
  // The dialog listed what was set, under the debugger's own labels.
  EXPECT_NE(std::string::npos, session.Transcript().find("Line: 0050 (diskspace.qn)")) << session.Transcript();
  EXPECT_NE(std::string::npos, session.Transcript().find("Function: SizeOfComponent")) << session.Transcript();
  EXPECT_EQ("", session.Output());
}

TEST(DiskspaceSession, DoubleClickOnALineSetsAndClearsItsBreakpoint) {
  E2eSession session(Diskspace(),
                     "toggle 50\n"  // from the program block, a line of TotalKb below the view
                     "go\n"
                     "expect diskspace.qn(50)\n"
                     "toggle 50\n"
                     "go\n");       // no breakpoint left: the script ends
  ASSERT_EQ(kQnFinished, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ("diskspace.qn(19)\ndiskspace.qn(50)\n", session.Places()) << session.Transcript();
  EXPECT_EQ(kEnough, session.Output());
}

TEST(DiskspaceSession, ChangedGlobalAndLocalAreWhatTheScriptGoesOnWith) {
  E2eSession session(Diskspace(),
                     "step\n"
                     "stepinto\n"
                     "breakpoint line 52\n"
                     "go\n"
                     "expect diskspace.qn(52)\n"
                     "local nTotalKb = 5227\n"
                     "step\n"
                     "expect diskspace.qn(21)\n"
                     "global nFreeKb = 9000\n"
                     "go\n");
  int32_t neededAtIf = -1;
  session.driver.onStop = [&](const SessionStop& stop, HWND) {
    if (stop.line == 21) neededAtIf = session.Global("nNeededKb");
  };
  ASSERT_EQ(kQnFinished, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ("[Information] Enough space: 5227 KB needed, 9000 KB free.\n", session.Output())
      << session.Transcript();
  EXPECT_EQ(5227, neededAtIf);
  EXPECT_EQ(9000, session.Global("nFreeKb"));
  // What the panel showed once the edits were left: the values written.
  EXPECT_NE(std::string::npos, session.Transcript().find("local nTotalKb: was 1027, typed 5227, shows 5227"))
      << session.Transcript();
  EXPECT_NE(std::string::npos, session.Transcript().find("global nFreeKb: was 2000, typed 9000, shows 9000"))
      << session.Transcript();
}

TEST(DiskspaceSession, MainWindowFollowsTheStops) {
  E2eSession session(Diskspace(), "step\nstepinto\nexit\n");
  std::vector<std::string> seen;
  session.driver.onStop = [&](const SessionStop&, HWND main) {
    char caption[300] = "";
    GetWindowTextA(main, caption, sizeof caption);
    HWND localNames = GetDlgItem(main, IDC_LOCAL_NAMES);
    seen.push_back(std::string(caption) + " | stopped: Step " +
                   (IsWindowEnabled(GetDlgItem(main, IDC_STEP)) ? "on" : "off") + ", Stop " +
                   (IsWindowEnabled(GetDlgItem(main, IDC_STOP)) ? "on" : "off") + " | locals " +
                   (IsWindowEnabled(localNames) ? "on" : "off") + ": " +
                   std::to_string(SendMessageA(localNames, CB_GETCOUNT, 0, 0)));
  };
  ASSERT_EQ(kQnStopped, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ((std::vector<std::string>{
                "Quendle Debugger - diskspace.qn | stopped: Step on, Stop off | locals off: 0",
                "Quendle Debugger - diskspace.qn | stopped: Step on, Stop off | locals off: 0",
                "Quendle Debugger - diskspace.qn | stopped: Step on, Stop off | locals on: 2",
            }),
            seen);
}

}  // namespace

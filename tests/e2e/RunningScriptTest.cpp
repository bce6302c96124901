// A script that would run for a long while: Stop, pressed while it runs,
// stops it at its next line. The host looks at its message queue only now and
// then while the script runs; this is what that look is for.
#include <gtest/gtest.h>

#include "E2eSession.h"

namespace {

TEST(RunningScript, StopPressedWhileItRunsStopsItAtItsNextLine) {
  E2eFolder folder;
  std::string script = folder.Write("busy.qn",
                                    "NUMBER n;\n"
                                    "program\n"
                                    "  n = 0;\n"
                                    "  while (n >= 0) n = n + 1; endwhile;\n"
                                    "  MessageBox(\"never\", INFORMATION);\n"
                                    "endprogram\n");
  E2eSession session(script, "go\nstop\nexpect busy.qn(4)\nexit\n");
  int32_t counted = -1;
  session.driver.onStop = [&](const SessionStop& stop, HWND) {
    if (stop.number == 2) counted = session.Global("n");
  };
  ASSERT_EQ(kQnStopped, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ("busy.qn(3)\nbusy.qn(4)\n", session.Places()) << session.Transcript();
  // It ran a while before Stop came, and not to its end.
  EXPECT_GT(counted, 1000);
  EXPECT_EQ("", session.Output());
}

}  // namespace

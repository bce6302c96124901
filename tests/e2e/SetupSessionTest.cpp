// A session of samples/setup.qn, a script of four source files: stepping
// into a function of an include shows that file, a breakpoint by function
// name finds a function in another include, and after Go the installation
// completes as it does without the debugger.
//
//   setup.qn(47)       LogStep("setup of " + ...);   the first statement
//   setuplib.qn(53)    nLogLines = nLogLines + 1;    LogStep's first line
//   components.qn(67)  szFiles = ComponentFiles(nComponent);
//                                                    InstallComponent's first
//   components.qn(68)  nCount = CountItems(szFiles);
#include <gtest/gtest.h>

#include "E2eSession.h"

namespace {

TEST(SetupSession, StopsFollowTheScriptAcrossItsSourceFiles) {
  E2eFolder target;
  E2eSession session(SamplePath("setup.qn"),
                     "expect setup.qn(47)\n"
                     "stepinto\n"
                     "expect setuplib.qn(53)\n"
                     "breakpoint function InstallComponent\n"
                     "go\n"
                     "expect components.qn(67)\n"
                     "breakpoint line 68\n"  // a line of the file where the script stands
                     "go\n"
                     "expect components.qn(68)\n"
                     "breakpoint line 1\n");  // a comment: refused

  session.config.sandbox = target.Path();
  session.config.targetDir = target.Path();
  std::vector<std::string> captions;
  std::vector<int32_t> components;
  session.driver.onStop = [&](const SessionStop& stop, HWND main) {
    char caption[300] = "";
    GetWindowTextA(main, caption, sizeof caption);
    captions.push_back(caption);
    if (stop.function == "InstallComponent") components.push_back(session.Local("nComponent"));
  };
  session.Run();
  // The dialog refuses a line without code without a word; the session
  // ends there.
  EXPECT_EQ("Set added no breakpoint for 1 (the list holds Function: InstallComponent, Line: 0068 (components.qn))",
            session.Problem())
      << session.Transcript();
  EXPECT_EQ("setup.qn(47)\nsetuplib.qn(53)\ncomponents.qn(67)\ncomponents.qn(68)\n", session.Places())
      << session.Transcript();
  EXPECT_EQ((std::vector<std::string>{"Quendle Debugger - setup.qn", "Quendle Debugger - setuplib.qn",
                                      "Quendle Debugger - components.qn", "Quendle Debugger - components.qn"}),
            captions);
  EXPECT_EQ((std::vector<int32_t>{1, 1}), components);
}

TEST(SetupSession, AfterGoTheInstallationCompletesUnderTheDebugger) {
  E2eFolder target;
  E2eSession session(SamplePath("setup.qn"), "go\n");
  session.config.sandbox = target.Path();
  session.config.targetDir = target.Path();
  ASSERT_EQ(kQnFinished, session.Run()) << session.Problem() << "\n" << session.Transcript();
  EXPECT_EQ("", session.Problem()) << session.Transcript();
  EXPECT_EQ(1u, session.Stops().size());
  EXPECT_NE(std::string::npos, session.Output().find("4 components, 6 files")) << session.Output();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target.Path() + "\\Brightfield\\Notes\\Help\\notes.hlp").c_str()));
}

}  // namespace

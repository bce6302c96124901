// Session scripts: what qnrun replays on the debugger's windows at each stop.
#include <gtest/gtest.h>

#include "host/SessionScript.h"

namespace {

std::string Parsed(const std::string& text) {
  SessionScript script;
  std::string error;
  if (!SessionScriptParse(text, &script, &error)) return "error: " + error;
  std::string all;
  for (const SessionCommand& c : script.commands) all += std::to_string(c.sourceLine) + " " + SessionCommandText(c) + "\n";
  return all;
}

TEST(HostSessionScript, EveryCommandReadsBackAsWritten) {
  EXPECT_EQ(
      "2 step\n3 stepinto\n4 go\n5 exit\n6 breakpoint line 38\n7 breakpoint function SizeOfComponent shot dialog\n"
      "9 global nFreeKb = 9000\n10 local szName =  two words \n11 expect diskspace.qn(44)\n"
      "12 shot 01-first\n13 pause 250\n14 watch global nFreeKb\n15 watch local nIndex\n16 toggle 50\n17 stop\n",
      Parsed("# a tour\n"
             "step\n"
             "  stepinto  \n"
             "go\r\n"
             "exit\n"
             "breakpoint line 38\n"
             "breakpoint function SizeOfComponent shot dialog\n"
             "\n"
             "global nFreeKb=9000\n"
             "local szName = \" two words \"\n"
             "expect diskspace.qn(44)\n"
             "shot 01-first\n"
             "pause 250\n"
             "watch global nFreeKb\n"
             "watch  local   nIndex\n"
             "toggle 50\n"
             "stop"));
  SessionScript script;
  std::string error;
  ASSERT_TRUE(SessionScriptParse("global szPath = C:\\Temp\\x = y\nexpect sub dir\\setup lib.qn(7)\n", &script, &error));
  EXPECT_EQ("szPath", script.commands[0].name);
  EXPECT_EQ("C:\\Temp\\x = y", script.commands[0].value);
  EXPECT_EQ("sub dir\\setup lib.qn", script.commands[1].name);
  EXPECT_EQ(7, script.commands[1].number);
}

TEST(HostSessionScript, MistakesNameTheirLine) {
  EXPECT_EQ("error: line 2: unknown command \"stepover\"", Parsed("step\nstepover\n"));
  EXPECT_EQ("error: line 1: unexpected \"now\"", Parsed("go now\n"));
  EXPECT_EQ("error: line 1: a line number must follow \"line\"", Parsed("breakpoint line x\n"));
  EXPECT_EQ("error: line 1: a line number must follow \"line\"", Parsed("breakpoint line 0\n"));
  EXPECT_EQ("error: line 1: a function name must follow \"function\"", Parsed("breakpoint function\n"));
  EXPECT_EQ("error: line 1: \"breakpoint\" takes \"line N\" or \"function NAME\"", Parsed("breakpoint 38\n"));
  EXPECT_EQ("error: line 1: only \"shot NAME\" may follow the breakpoint's place", Parsed("breakpoint line 3 go\n"));
  EXPECT_EQ("error: line 1: a name must follow \"shot\"", Parsed("breakpoint line 3 shot\n"));
  EXPECT_EQ("error: line 1: write NAME = VALUE", Parsed("global nFreeKb 9000\n"));
  EXPECT_EQ("error: line 1: one variable name must stand before \"=\"", Parsed("local a b = 1\n"));
  EXPECT_EQ("error: line 1: one variable name must stand before \"=\"", Parsed("local = 1\n"));
  EXPECT_EQ("error: line 1: write expect FILE(LINE)", Parsed("expect diskspace.qn 44\n"));
  EXPECT_EQ("error: line 1: write expect FILE(LINE) with a line number from 1", Parsed("expect a.qn(x)\n"));
  EXPECT_EQ("error: line 1: a name must follow \"shot\"", Parsed("shot\n"));
  EXPECT_EQ("error: line 1: \"watch\" takes \"global NAME\" or \"local NAME\"", Parsed("watch nIndex\n"));
  EXPECT_EQ("error: line 1: a variable name must follow \"local\"", Parsed("watch local\n"));
  EXPECT_EQ("error: line 1: unexpected \"b\"", Parsed("watch global a b\n"));
  EXPECT_EQ("error: line 1: a line number must follow \"toggle\"", Parsed("toggle\n"));
  EXPECT_EQ("error: line 1: a line number must follow \"toggle\"", Parsed("toggle 0\n"));
  EXPECT_EQ("error: line 3: a number of milliseconds must follow \"pause\"", Parsed("\n\npause -5\n"));
  // A script with a mistake gives no commands at all.
  SessionScript script;
  std::string error;
  EXPECT_FALSE(SessionScriptParse("step\nbogus\n", &script, &error));
  EXPECT_TRUE(script.commands.empty());
}

TEST(HostSessionScript, ResumingCommandsAndExpectedPlaces) {
  for (SessionCommandKind kind : {kSessionStep, kSessionStepInto, kSessionGo, kSessionExit})
    EXPECT_TRUE(SessionCommandResumes(kind)) << kind;
  for (SessionCommandKind kind : {kSessionStop, kSessionBreakAtLine, kSessionBreakAtFunction, kSessionToggleLine, kSessionSetGlobal, kSessionSetLocal,
                                  kSessionWatchGlobal, kSessionWatchLocal, kSessionExpect, kSessionShot, kSessionPause})
    EXPECT_FALSE(SessionCommandResumes(kind)) << kind;

  SessionScript script;
  std::string error;
  ASSERT_TRUE(SessionScriptParse("expect DiskSpace.qn(45)\nexpect samples/setuplib.qn(12)\n", &script, &error));
  EXPECT_TRUE(SessionExpectMatches(script.commands[0], "Z:\\work\\samples\\diskspace.qn", 45));
  EXPECT_TRUE(SessionExpectMatches(script.commands[0], "diskspace.qn", 45));
  EXPECT_FALSE(SessionExpectMatches(script.commands[0], "diskspace.qn", 46));
  EXPECT_FALSE(SessionExpectMatches(script.commands[0], "xdiskspace.qn", 45));
  EXPECT_TRUE(SessionExpectMatches(script.commands[1], "C:/other/setuplib.qn", 12));
  EXPECT_FALSE(SessionExpectMatches(script.commands[1], "C:/other/setup.qn", 12));
}

}  // namespace

// qnrun.exe --debug on scripts that are wrong or extreme: a message with file
// and line, or a clean runtime error, and the exit code that says which;
// never a crash of the host or of the debugger it loaded. Each case runs
// qnrun.exe as a user would, in a process of its own.
#include <gtest/gtest.h>

#include "E2eSession.h"

namespace {

constexpr DWORD kDone = 0, kCompileError = 1, kRuntimeError = 2, kDebuggerFailed = 4, kSessionFailed = 5,
                kUsage = 64;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// qnrun.exe --debug on a script, with a session script that lets it run.
QnrunResult Debug(const E2eFolder& folder, const std::string& script, const std::string& session = "go\n") {
  return RunQnrun("--debug --stdout-messages --no-delay --session " + Quoted(folder.Write("session.txt", session)) +
                  " " + Quoted(script));
}

TEST(QnrunBadInput, ScriptsThatDoNotCompileNeverReachTheDebugger) {
  E2eFolder folder;
  folder.Write("cycle-a.qn", "#include \"cycle-b.qn\"\n");
  folder.Write("cycle-b.qn", "\n#include \"cycle-a.qn\"\n");
  const struct {
    const char* name;
    const char* text;
    const char* message;
  } kCases[] = {
      {"syntax.qn", "NUMBER n;\nprogram\n  n = 1\nendprogram\n", "syntax.qn(3): expected ';' but found 'endprogram'"},
      {"unknown.qn", "program\n  Frobnicate(1);\nendprogram\n", "unknown.qn(2): unknown function Frobnicate"},
      {"missing.qn", "\n\n#include \"nowhere.qn\"\nprogram\nendprogram\n", "missing.qn(3): "},
      {"cycle.qn", "#include \"cycle-a.qn\"\nprogram\nendprogram\n", "include cycle: "},
  };
  for (const auto& c : kCases) {
    QnrunResult run = Debug(folder, folder.Write(c.name, c.text));
    EXPECT_EQ(kCompileError, run.code) << c.name << "\n" << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << c.name << ": " << run.err;
    EXPECT_EQ("", run.out) << c.name;  // no session: the debugger was never opened
  }
  QnrunResult missing = Debug(folder, folder.Path() + "\\missing.qn");
  EXPECT_NE(std::string::npos, missing.err.find("nowhere.qn")) << missing.err;
  QnrunResult cycle = Debug(folder, folder.Path() + "\\cycle.qn");
  // Full paths: cycle.qn -> cycle-a.qn -> cycle-b.qn -> cycle-a.qn.
  EXPECT_NE(std::string::npos, cycle.err.find("cycle-b.qn(2): include cycle: ")) << cycle.err;
  EXPECT_NE(std::string::npos, cycle.err.find("cycle-a.qn -> ")) << cycle.err;
  EXPECT_NE(std::string::npos, cycle.err.find("cycle-b.qn -> ")) << cycle.err;
}

TEST(QnrunBadInput, A20000LineScriptRunsButCannotBeDescribedToTheDebugger) {
  E2eFolder folder;
  std::string tall = "NUMBER n;\nprogram\n";
  for (int i = 0; i < 20000; ++i) tall += "  n = n + 1;\n";
  tall += "  MessageBox(\"done\", INFORMATION);\nendprogram\n";
  std::string script = folder.Write("tall.qn", tall);
  QnrunResult debugged = Debug(folder, script);
  EXPECT_EQ(kCompileError, debugged.code) << debugged.err;
  EXPECT_NE(std::string::npos, debugged.err.find("tall.qn(16384): lines beyond 16383 cannot be described to the debugger"))
      << debugged.err;
  QnrunResult plain = RunQnrun("--stdout-messages " + Quoted(script));
  EXPECT_EQ(kDone, plain.code) << plain.err;
  EXPECT_EQ("[Information] done\n", plain.out);
}

TEST(QnrunBadInput, WrongCommandLinesAndAMissingDebuggerAreToldApart) {
  E2eFolder folder;
  std::string script = folder.Write("ok.qn", "program\n  MessageBox(\"ran\", INFORMATION);\nendprogram\n");
  QnrunResult noDebugger = RunQnrun("--debug --stdout-messages --debugger " +
                                    Quoted(folder.Path() + "\\NOWHERE.DLL") + " " + Quoted(script));
  EXPECT_EQ(kDebuggerFailed, noDebugger.code) << noDebugger.err;
  EXPECT_NE(std::string::npos, noDebugger.err.find("cannot load the debugger")) << noDebugger.err;
  EXPECT_EQ("", noDebugger.out);

  QnrunResult badSession = Debug(folder, script, "step\nstep over\n");
  EXPECT_EQ(kUsage, badSession.code);
  EXPECT_NE(std::string::npos, badSession.err.find("line 2: unexpected \"over\"")) << badSession.err;

  QnrunResult sessionWithoutDebug = RunQnrun("--session " + Quoted(folder.Write("s.txt", "go\n")) + " " + Quoted(script));
  EXPECT_EQ(kUsage, sessionWithoutDebug.code);
  EXPECT_NE(std::string::npos, sessionWithoutDebug.err.find("--session needs --debug")) << sessionWithoutDebug.err;
}

// These run under the debugger's windows: the first statement stops, Go lets
// the script meet its end.
TEST(QnrunBadInput, RunawayRecursionAndLongStringsEndCleanlyUnderTheDebugger) {
  E2eFolder folder;
  QnrunResult recursion = Debug(folder, folder.Write("deep.qn",
                                                     "prototype Down(NUMBER);\n"
                                                     "function Down(n)\n"
                                                     "begin\n"
                                                     "  Down(n + 1);\n"
                                                     "end;\n"
                                                     "program\n"
                                                     "  Down(1);\n"
                                                     "endprogram\n"));
  EXPECT_EQ(kRuntimeError, recursion.code) << recursion.out << recursion.err;
  EXPECT_NE(std::string::npos, recursion.err.find("deep.qn(4): runaway recursion")) << recursion.err;
  EXPECT_NE(std::string::npos, recursion.out.find("session: stop 1: deep.qn(7)")) << recursion.out;

  std::string text(10000, 'x');
  QnrunResult longString = Debug(folder, folder.Write("long.qn",
                                                      "STRING szLong;\nNUMBER n;\n"
                                                      "program\n"
                                                      "  szLong = \"" + text + "\";\n"
                                                      "  szLong = szLong + szLong;\n"
                                                      "  n = StrLength(szLong);\n"
                                                      "  SprintfBox(INFORMATION, \"Length\", \"%d\", n);\n"
                                                      "endprogram\n"),
                                 "step\nstep\nglobal szLong = short\nstep\ngo\n");
  EXPECT_EQ(kDone, longString.code) << longString.out << longString.err;
  // The 20,000 characters were shown cut to the edit's 1023, and the value
  // typed over them is what the script measured.
  EXPECT_NE(std::string::npos, longString.out.find("global szLong: was " + text.substr(0, 1023) + ", typed short")) << longString.out;
  EXPECT_NE(std::string::npos, longString.out.find("[Length] 5\n")) << longString.out;
}

}  // namespace

namespace {

// Source files the debugger cannot show. The session never hangs on them:
// what the debugger says is answered (its own message boxes and dialogs fail
// the session), and without the main script's view it does not start.
TEST(QnrunBadInput, SourceFilesTheDebuggerCannotShowEndTheStartCleanly) {
  E2eFolder folder;
  std::string tall = "NUMBER n;\nprogram\n  n = 1;\nendprogram\n";
  for (int i = 0; i < 17000; ++i) tall += "// filler\n";
  QnrunResult overLong = Debug(folder, folder.Write("long.qn", tall));
  EXPECT_EQ(kDebuggerFailed, overLong.code) << overLong.out << overLong.err;
  EXPECT_NE(std::string::npos,
            overLong.out.find("message box \"Quendle\": File contains too many line exceeding maximum limit of 16025."))
      << overLong.out;
  EXPECT_NE(std::string::npos, overLong.out.find("FAILED: the debugger showed the message box \"Quendle Debugger\": "
                                                  "Unable to locate source file : "))
      << overLong.out;
  EXPECT_NE(std::string::npos, overLong.err.find("the debugger could not start")) << overLong.err;

  std::string gone = folder.Write("gone.qn", "program\n  MessageBox(\"ran\", INFORMATION);\nendprogram\n");
  E2eSession session(gone, "go\n");
  session.beforeOpen = [&] { DeleteFileA(gone.c_str()); };
  EXPECT_EQ(-1, session.Run());
  EXPECT_EQ(0, session.InitResult());
  EXPECT_NE(std::string::npos, session.Transcript().find("FAILED: the debugger opened the dialog ")) << session.Transcript();
  EXPECT_NE(std::string::npos, session.Transcript().find("\"Script Location\"")) << session.Transcript();
  EXPECT_EQ("", session.Output());
}

}  // namespace

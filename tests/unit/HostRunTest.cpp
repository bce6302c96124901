// What scripts do when the reference host runs them: every statement kind,
// numbers and strings, the built-ins, and the runtime errors that end a
// script cleanly.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "support/HostScript.h"

TEST(HostRun, LoopsOfEveryKind) {
  HostScript s(
      "NUMBER i, nUp, nDown, nStep, nWhile, nRepeat, nNever, nInner;\n"
      "program\n"
      "  for i = 1 to 10 nUp = nUp + i; endfor;\n"
      "  for i = 10 downto 1 step 3 nDown = nDown * 10 + i; endfor;\n"
      "  for i = 0 to 20 step 5 nStep = nStep + 1; endfor;\n"
      "  for i = 5 to 1 nNever = nNever + 1; endfor;\n"
      "  i = 0;\n"
      "  while (i < 7) i = i + 2; nWhile = nWhile + 1; endwhile;\n"
      "  repeat nRepeat = nRepeat + 1; until nRepeat >= 1;\n"
      "  for i = 1 to 3 nStep = nStep; repeat nInner = nInner + 1; until nInner % 4 = 0; endfor;\n"
      "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(55, s.Number("nUp"));
  EXPECT_EQ(10741, s.Number("nDown"));  // 10, 7, 4, 1
  EXPECT_EQ(5, s.Number("nStep"));      // 0, 5, 10, 15, 20
  EXPECT_EQ(0, s.Number("nNever"));
  EXPECT_EQ(4, s.Number("nWhile"));
  EXPECT_EQ(1, s.Number("nRepeat"));    // the body runs before the test
  EXPECT_EQ(12, s.Number("nInner"));
}

TEST(HostRun, ForLoopsEndAtTheLimitOfTheNumbers) {
  HostScript s("NUMBER i, n;\nprogram\n"
               "  for i = 2147483645 to 2147483647 n = n + 1; endfor;\n"
               "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(3, s.Number("n"));
  HostScript zero("NUMBER i;\nprogram\n  for i = 1 to 5 step 0 endfor;\nendprogram\n");
  ASSERT_EQ(kQnRuntimeError, zero.Run());
  EXPECT_EQ("main.qn(3): the step of for must be greater than 0", QnVmError(zero.vm));
}

TEST(HostRun, BranchesSwitchesAndGotos) {
  HostScript s(
      "NUMBER n, a, b, c; STRING sz, t;\n"
      "program\n"
      "  n = 2;\n"
      "  if (n = 1) then a = 1; elseif (n = 2) then a = 2; else a = 3; endif;\n"
      "  if (n > 5) then b = 1; else b = 9; endif;\n"
      "  switch (n) case 1: c = 10; case 2: c = 20; default: c = 30; endswitch;\n"
      "  switch (n + 5) case 1: c = c + 1; default: c = c + 2; endswitch;\n"
      "  switch (n) case -2: c = 0; endswitch;\n"
      "  sz = \"beta\";\n"
      "  switch (sz) case \"alpha\": t = \"A\"; case \"beta\": t = \"B\"; endswitch;\n"
      "  n = 0;\n"
      "again:\n"
      "  n = n + 1;\n"
      "  if (n < 5) then goto again; endif;\n"
      "  goto done;\n"
      "  n = 100;\n"
      "done:\n"
      "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(2, s.Number("a"));
  EXPECT_EQ(9, s.Number("b"));
  EXPECT_EQ(22, s.Number("c"));
  EXPECT_EQ("B", s.String("t"));
  EXPECT_EQ(5, s.Number("n"));
}

TEST(HostRun, FunctionsWithLocalsParametersAndResults) {
  HostScript s(
      "prototype NUMBER Fact(NUMBER);\n"
      "prototype STRING Join(STRING, STRING);\n"
      "prototype Count();\n"
      "NUMBER nFact, nCalls; STRING szPath;\n"
      "function Fact(n)\n  NUMBER nBelow;\nbegin\n"
      "  if (n <= 1) then return 1; endif;\n"
      "  nBelow = Fact(n - 1);\n"
      "  return n * nBelow;\nend;\n"
      "function Join(szA, szB)\nbegin\n  return szA + \"\\\\\" + szB;\nend;\n"
      "function Count()\n  NUMBER i;\nbegin\n"
      "  for i = 1 to 10 if (i = 4) then return; endif; nCalls = nCalls + 1; endfor;\nend;\n"
      "program\n"
      "  nFact = Fact(12);\n"
      "  szPath = Join(Join(\"C:\", \"Apps\"), \"Tool\");\n"
      "  Count();\n"
      "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(479001600, s.Number("nFact"));
  EXPECT_EQ("C:\\Apps\\Tool", s.String("szPath"));
  EXPECT_EQ(3, s.Number("nCalls"));
}

TEST(HostRun, NumbersWrapAndExpressionsShortCircuit) {
  HostScript s(
      "prototype NUMBER Bump();\n"
      "NUMBER a, b, c, d, e, f, nBumps;\n"
      "function Bump() begin nBumps = nBumps + 1; return 1; end;\n"
      "program\n"
      "  a = 2147483647 + 1;\n"
      "  b = -2147483647 - 1; c = b / -1; d = 7 % -3 + -7 / 2;\n"
      "  e = (0 && Bump()) + (1 || Bump()) * 10 + !5 + (3 > 2 && \"a\" < \"b\") * 100;\n"
      "  f = 0xFFFFFFFF + (1 + 2) * 3 - -4;\n"
      "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(INT32_MIN, s.Number("a"));
  EXPECT_EQ(INT32_MIN, s.Number("c"));
  EXPECT_EQ(1 + -3, s.Number("d"));
  EXPECT_EQ(110, s.Number("e"));
  EXPECT_EQ(0, s.Number("nBumps"));
  EXPECT_EQ(12, s.Number("f"));
}

TEST(HostRun, StringBuiltins) {
  HostScript s(
      "STRING a, b, c, d, e, f, g; NUMBER n1, n2, n3, n4, n5, n6;\n"
      "program\n"
      "  a = \"Program Files\";\n"
      "  n1 = StrLength(a);\n"
      "  StrSub(b, a, 8, 100); n2 = StrSub(c, a, 99, 1);\n"
      "  n3 = StrFind(a, \"FILES\"); n4 = StrFind(a, \"zip\");\n"
      "  StrToUpper(d, a); StrToLower(e, a);\n"
      "  StrToNum(n5, \"  -42kb\"); n6 = StrToNum(n6, \"none\");\n"
      "  NumToStr(f, -17); StrConcat(f, \"!\");\n"
      "  Sprintf(g, \"%-5s|%05d|%x|%3.2s|%%\", \"ab\", -42, 255, \"xyz\");\n"
      "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(13, s.Number("n1"));
  EXPECT_EQ("Files", s.String("b"));
  EXPECT_EQ(-1, s.Number("n2"));
  EXPECT_EQ("", s.String("c"));
  EXPECT_EQ(8, s.Number("n3"));
  EXPECT_EQ(-1, s.Number("n4"));
  EXPECT_EQ("PROGRAM FILES", s.String("d"));
  EXPECT_EQ("program files", s.String("e"));
  EXPECT_EQ(-42, s.Number("n5"));
  EXPECT_EQ(-1, s.Number("n6"));
  EXPECT_EQ("-17!", s.String("f"));
  EXPECT_EQ("ab   |-0042|ff| xy|%", s.String("g"));
}

TEST(HostRun, MessagesPrintAndExitAbortEndTheScript) {
  HostScript s(
      "NUMBER n;\nprogram\n"
      "  MessageBox(\"Ready\", INFORMATION);\n"
      "  SprintfBox(WARNING, \"Disk\", \"%d MB free on %s\", 12, \"C:\");\n"
      "  exit;\n"
      "  n = 1;\n"
      "endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ("[Information] Ready\n[Disk] 12 MB free on C:\n", s.output);
  EXPECT_EQ(0, s.Number("n"));
  EXPECT_EQ("12 MB free on C:", s.String("TEMPSTRING"));
  HostScript a("program\n  abort;\nendprogram\n");
  EXPECT_EQ(kQnAborted, a.Run());
}

TEST(HostRun, RuntimeErrorsEndTheScriptWithFileAndLine) {
  HostScript recursion("prototype Down(NUMBER);\nNUMBER nDeepest;\n"
                       "function Down(n)\nbegin\n  nDeepest = n;\n  Down(n + 1);\nend;\n"
                       "program\n  Down(1);\nendprogram\n");
  ASSERT_EQ(kQnRuntimeError, recursion.Run()) << recursion.error;
  EXPECT_EQ("main.qn(6): runaway recursion: more than 1000 nested function calls", QnVmError(recursion.vm));
  EXPECT_EQ(1000, recursion.Number("nDeepest"));

  HostScript zero("NUMBER n;\nprogram\n  n = 5 % n;\nendprogram\n");
  ASSERT_EQ(kQnRuntimeError, zero.Run());
  EXPECT_EQ("main.qn(3): division by zero", QnVmError(zero.vm));

  HostScript grow("STRING s;\nprogram\n  s = \"0123456789\";\n  while (1) s = s + s; endwhile;\nendprogram\n");
  ASSERT_EQ(kQnRuntimeError, grow.Run());
  EXPECT_EQ("main.qn(4): string longer than 1048576 characters", QnVmError(grow.vm));

  HostScript format("STRING s;\nprogram\n  Sprintf(s, \"%d\", \"text\");\nendprogram\n");
  ASSERT_EQ(kQnRuntimeError, format.Run());
  EXPECT_EQ("main.qn(3): argument 1 does not fit %d", QnVmError(format.vm));
}

TEST(HostRun, FileBuiltinsWriteOnlyInsideTheSandbox) {
  std::string root = testing::TempDir() + "qnrun_sandbox_test";
  std::string source = testing::TempDir() + "qnrun_source.txt";
  { std::ofstream(source) << "payload"; }
  HostScript s(
      "NUMBER nMade, nCopied, nOutside, nCopyOutside, nThere, nMissing, nEnv;\nSTRING szHome;\n"
      "program\n"
      "  nMade = CreateDir(TARGETDIR + \"\\\\bin\\\\sub\");\n"
      "  nCopied = CopyFile(SRCDIR, TARGETDIR + \"\\\\bin\\\\\");\n"
      "  nOutside = CreateDir(TARGETDIR + \"\\\\..\\\\escaped\");\n"
      "  nCopyOutside = CopyFile(SRCDIR, TARGETDIR + \"/../stolen.txt\");\n"
      "  nThere = ExistsDir(TARGETDIR + \"/bin/sub\");\n"
      "  nMissing = ExistsDir(TARGETDIR + \"/nothing\");\n"
      "  nEnv = GetEnvVar(\"QN_TEST_SURELY_UNSET\", szHome);\n"
      "endprogram\n");
  ASSERT_TRUE(s.Compile()) << s.error;
  s.config.sandbox = root;
  s.config.targetDir = root;
  s.config.srcDir = source;  // the file to copy, passed in through SRCDIR
  s.Prepare();
  ASSERT_EQ(kQnFinished, QnVmRun(s.vm));
  EXPECT_EQ(0, s.Number("nMade"));
  EXPECT_EQ(0, s.Number("nCopied"));
  EXPECT_EQ(-1, s.Number("nOutside"));
  EXPECT_EQ(-1, s.Number("nCopyOutside"));
  EXPECT_EQ(0, s.Number("nThere"));
  EXPECT_EQ(-1, s.Number("nMissing"));
  EXPECT_EQ(-1, s.Number("nEnv"));
  std::ifstream copied(root + "/bin/qnrun_source.txt");
  std::string content;
  copied >> content;
  EXPECT_EQ("payload", content);
  struct stat info;
  EXPECT_NE(0, stat((testing::TempDir() + "escaped").c_str(), &info));
  EXPECT_NE(0, stat((testing::TempDir() + "stolen.txt").c_str(), &info));
  std::remove((root + "/bin/qnrun_source.txt").c_str());
  std::remove(source.c_str());
}

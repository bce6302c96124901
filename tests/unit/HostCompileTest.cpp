// The compiler of the reference host: errors are reported as
// "file(line): message" before anything runs; large and strange scripts
// compile or fail cleanly.
#include <gtest/gtest.h>

#include "support/HostScript.h"

namespace {

std::string CompileError(const std::map<std::string, std::string>& files,
                         const std::string& main = "main.qn") {
  HostScript s;
  s.files = files;
  EXPECT_FALSE(s.Compile(main)) << "compiled although it should not";
  return s.error;
}

std::string CompileError(const std::string& text) { return CompileError({{"main.qn", text}}); }

}  // namespace

TEST(HostCompile, ErrorsNameTheFileAndLine) {
  EXPECT_EQ("main.qn(3): expected ';' but found 'endprogram'",
            CompileError("NUMBER n;\nprogram\n  n = 1\nendprogram\n"));
  EXPECT_EQ("main.qn(2): unknown function Frobnicate",
            CompileError("program\n  Frobnicate(1);\nendprogram\n"));
  EXPECT_EQ("main.qn(2): unknown name nMissing",
            CompileError("program\n  nMissing = 1;\nendprogram\n"));
  EXPECT_EQ("main.qn(3): the value assigned to n must be a number, not a string",
            CompileError("NUMBER n;\nprogram\n  n = \"text\";\nendprogram\n"));
  EXPECT_EQ("main.qn(3): '+' needs two numbers or two strings (NumToStr converts)",
            CompileError("STRING s;\nprogram\n  s = \"a\" + 1;\nendprogram\n"));
  EXPECT_EQ("main.qn(2): label nowhere not defined",
            CompileError("program\n  goto nowhere;\nendprogram\n"));
  EXPECT_EQ("main.qn(1): function F has no prototype",
            CompileError("function F()\nbegin\nend;\nprogram\nendprogram\n"));
  EXPECT_EQ("main.qn(2): too few arguments for StrLength",
            CompileError("program\n  StrLength();\nendprogram\n"));
  EXPECT_EQ("main.qn(3): argument 1 of NumToStr must be a STRING variable",
            CompileError("NUMBER n;\nprogram\n  NumToStr(\"x\", n);\nendprogram\n"));
  EXPECT_EQ("main.qn(2): string not closed", CompileError("program\n  MessageBox(\"oops, 1);\nendprogram\n"));
  EXPECT_EQ("main.qn(1): comment not closed", CompileError("/* never closed\nprogram\nendprogram\n"));
  EXPECT_EQ("main.qn(1): no program ... endprogram block", CompileError("NUMBER n;\n"));
  EXPECT_EQ("main.qn(2): return outside a function (exit ends the program)",
            CompileError("program\n  return;\nendprogram\n"));
  EXPECT_EQ("main.qn(2): unknown directive #ifdef", CompileError("\n#ifdef X\nprogram\nendprogram\n"));
  EXPECT_EQ("main.qn(1): 'TEMPSTRING' is reserved for the engine", CompileError("STRING TEMPSTRING;\nprogram\nendprogram\n"));
  EXPECT_EQ("main.qn(1): '__x' is reserved for the engine", CompileError("NUMBER __x;\nprogram\nendprogram\n"));
}

TEST(HostCompile, IncludesResolveAgainstTheIncludingFileAndReportTheirOwnLines) {
  HostScript ok;
  ok.files = {{"dir/main.qn", "#include \"lib/helpers.qn\"\nprogram\n  Help();\nendprogram\n"},
              {"dir/lib/helpers.qn", "#include \"../common.qn\"\nprototype Help();\nfunction Help()\nbegin\nend;\n"},
              {"dir/common.qn", "NUMBER nCommon;\n"}};
  EXPECT_TRUE(ok.Compile("dir/main.qn")) << ok.error;
  ASSERT_EQ(3u, ok.program.files.size());
  EXPECT_EQ("dir/lib/helpers.qn", ok.program.files[1].name);
  EXPECT_EQ("dir/common.qn", ok.program.files[2].name);

  EXPECT_EQ("main.qn(1): cannot open include file \"missing.qn\"",
            CompileError("#include \"missing.qn\"\nprogram\nendprogram\n"));
  EXPECT_EQ("inc.qn(2): unknown function Nope",
            CompileError({{"main.qn", "#include \"inc.qn\"\nprogram\nendprogram\n"},
                          {"inc.qn", "prototype F();\nfunction F() begin Nope(); end;\n"}}));
  EXPECT_EQ("b.qn(1): include cycle: main.qn -> a.qn -> b.qn -> a.qn",
            CompileError({{"main.qn", "#include \"a.qn\"\nprogram\nendprogram\n"},
                          {"a.qn", "#include \"b.qn\"\n"},
                          {"b.qn", "#include \"a.qn\"\n"}}));
  EXPECT_EQ("main.qn(1): include cycle: main.qn -> main.qn",
            CompileError("#include \"main.qn\"\nprogram\nendprogram\n"));
  EXPECT_EQ("missing.qn(0): cannot open the script file", CompileError({}, "missing.qn"));
}

TEST(HostCompile, DefinesAndPredefinedConstantsStandForTheirValues) {
  HostScript s("#define LIMIT 40\n#define DOWN -2\n#define NAME \"Setup\"\n#define ALIAS LIMIT\n"
               "NUMBER a, b, c; STRING n;\n"
               "program a = LIMIT + ALIAS; b = DOWN; c = TRUE + SEVERE; n = NAME; endprogram\n");
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(80, s.Number("a"));
  EXPECT_EQ(-2, s.Number("b"));
  EXPECT_EQ(4, s.Number("c"));
  EXPECT_EQ("Setup", s.String("n"));
  EXPECT_EQ("main.qn(2): X is already defined with another value",
            CompileError("#define X 1\n#define X 2\nprogram\nendprogram\n"));
}

TEST(HostCompile, LargeScriptsAndLongStringsCompile) {
  std::string big = "NUMBER n;\nprogram\n";
  for (int i = 0; i < 20000; ++i) big += "  n = n + 1;\n";
  big += "endprogram\n";
  HostScript s(big);
  ASSERT_EQ(kQnFinished, s.Run()) << s.error;
  EXPECT_EQ(20000, s.Number("n"));
  EXPECT_EQ(20001u, s.program.blocks[0].statements.size());
  EXPECT_EQ(20003, s.program.blocks[0].statements.back().line);  // endprogram

  std::string text(10000, 'x');
  HostScript l("STRING s; NUMBER n;\nprogram\n  s = \"" + text + "\";\n  s = s + s;\n  n = StrLength(s);\nendprogram\n");
  ASSERT_EQ(kQnFinished, l.Run()) << l.error;
  EXPECT_EQ(20000, l.Number("n"));
}

TEST(HostCompile, DeepNestingAndStatementLimitsFailCleanly) {
  std::string deep = "NUMBER n;\nprogram\n  n = " + std::string(5000, '(') + "1" + std::string(5000, ')') + ";\nendprogram\n";
  EXPECT_EQ("main.qn(3): nested too deeply", CompileError(deep));
  std::string ifs = "NUMBER n;\nprogram\n";
  for (int i = 0; i < 200; ++i) ifs += "if (n) then\n";
  EXPECT_NE(std::string::npos, CompileError(ifs).find("nested too deeply"));
  std::string many = "NUMBER n;\nprogram\n";
  for (int i = 0; i < 33000; ++i) many += "n = 1;";
  many += "\nendprogram\n";
  EXPECT_EQ("main.qn(3): too many statements in program", CompileError(many));
}

// The debug information the reference host writes for a compiled script:
// read back with the tests' own reader and checked against the rules the
// debugger's loader and tables rely on.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/DebugInfoReader.h"
#include "support/HostScript.h"

namespace {

const char kMain[] =
    "#include \"helpers.qn\"\n"          // 1
    "STRING szTarget;\n"                  // 2
    "NUMBER nTotal;\n"                    // 3
    "prototype NUMBER Sum(NUMBER, NUMBER);\n"
    "function Sum(a, b)\n"                // 5
    "  NUMBER nResult;\n"
    "  STRING szNote;\n"
    "begin\n"
    "  nResult = a + b;\n"                // 9
    "  return nResult;\n"                 // 10
    "end;\n"                              // 11
    "program\n"
    "  szTarget = \"x\";\n"               // 13
    "  while (nTotal < 3)\n"              // 14
    "    nTotal = Sum(nTotal, 1);\n"      // 15
    "  endwhile;\n"
    "  Show(szTarget);\n"                 // 17
    "endprogram\n";                       // 18

const char kHelpers[] =
    "prototype Show(STRING);\n"
    "function Show(szText)\n"
    "begin\n"
    "  MessageBox(szText, INFORMATION);\n"  // 4
    "end;\n";                               // 5

ReadDebugInfo Described(const HostScript& s) {
  DebugInfoDescription info;
  std::string error;
  EXPECT_EQ(1, QnDebugInfoBuild(s.program, &info, &error)) << error;
  std::vector<uint8_t> bytes;
  EXPECT_EQ(1, DebugInfoWrite(info, &bytes, &error)) << error;
  ReadDebugInfo read;
  EXPECT_EQ(1, ReadDebugInfoBytes(bytes, &read, &error)) << error;
  return read;
}

std::string Records(const ReadDebugInfo& read) {
  std::string text;
  for (const ReadRecord& r : read.records) {
    if (r.kind == 1) text += "switch " + r.name + "\n";
    if (r.kind == 2) text += "line " + std::to_string(r.line) + " at " + std::to_string(r.block) + "," + std::to_string(r.offset) + "\n";
    if (r.kind == 3) {
      text += "function " + r.name + " strings";
      for (const std::string& n : r.localStrings) text += " " + n;
      text += " numbers";
      for (const std::string& n : r.localNumbers) text += " " + n;
      text += "\n";
    }
  }
  return text;
}

}  // namespace

TEST(HostDebugInfo, MultiFileScriptGivesOrderedLineSwitchAndFunctionRecords) {
  HostScript s;
  s.files = {{"main.qn", kMain}, {"helpers.qn", kHelpers}};
  ASSERT_TRUE(s.Compile()) << s.error;
  ReadDebugInfo read = Described(s);
  EXPECT_EQ(0xF93A, read.magic);
  EXPECT_EQ("main.qn", read.mainScript);
  EXPECT_EQ((std::vector<std::string>{"SRCDIR", "TARGETDIR", "TEMPSTRING", "szTarget"}), read.globalStrings);
  EXPECT_EQ((std::vector<std::string>{"__LASTRESULT", "nTotal"}), read.globalNumbers);
  // The while loop's exit statement (0, 3) has no line record; Show, defined
  // in the include before Sum, is block 1.
  EXPECT_EQ(
      "line 13 at 0,0\nline 14 at 0,1\nline 15 at 0,2\nline 17 at 0,4\nline 18 at 0,5\n"
      "switch helpers.qn\nfunction Show strings szText numbers\nline 4 at 1,0\nline 5 at 1,1\n"
      "switch main.qn\nfunction Sum strings szNote numbers a b nResult\n"
      "line 9 at 2,0\nline 10 at 2,1\nline 11 at 2,2\n",
      Records(read));
  EXPECT_EQ(2, read.trailingBytes);
}

// The debugger finds the file of an address as the last file switch whose
// first line record's address is not above it: every statement must land in
// its own file that way, whatever the mix of includes.
TEST(HostDebugInfo, EveryStatementFallsInItsOwnFileByAddressRanges) {
  HostScript s;
  s.files = {{"main.qn", "#include \"a.qn\"\nprototype M();\nfunction M() begin A1(); end;\n"
                         "program\n  M();\n#include \"body.qn\"\n  A2();\nendprogram\n"
                         "#include \"b.qn\"\n"},
             {"a.qn", "prototype A1(); prototype A2();\nfunction A1() begin end;\nfunction A2() begin end;\n"},
             {"body.qn", "  A1();\n  A2();\n"},
             {"b.qn", "prototype B();\nfunction B() begin end;\n"}};
  ASSERT_TRUE(s.Compile()) << s.error;
  ReadDebugInfo read = Described(s);
  struct Entry { uint32_t block, offset; std::string file; };
  std::vector<Entry> entries;
  std::string current = read.mainScript;
  bool fresh = true;
  for (const ReadRecord& r : read.records) {
    if (r.kind == 1) current = r.name, fresh = true;
    if (r.kind == 2 && fresh) entries.push_back({static_cast<uint32_t>(r.block), static_cast<uint32_t>(r.offset), current}), fresh = false;
  }
  int checked = 0;
  for (size_t b = 0; b < s.program.blocks.size(); ++b) {
    for (size_t o = 0; o < s.program.blocks[b].statements.size(); ++o) {
      const QnStatement& st = s.program.blocks[b].statements[o];
      if (!st.hasLine) continue;
      std::string found = read.mainScript;
      for (const Entry& e : entries) {
        if (e.block > b || (e.block == b && e.offset > o)) break;
        found = e.file;
      }
      EXPECT_EQ(s.program.files[st.file].path, found) << "statement " << b << "," << o;
      ++checked;
    }
  }
  EXPECT_EQ(10, checked);
  EXPECT_NE(std::string::npos, Records(read).find("line 1 at 0,1\nline 2 at 0,2\nswitch main.qn\nline 7 at 0,3"));
}

TEST(HostDebugInfo, WhatTheFormatCannotCarryIsRefused) {
  std::string many = "program\n";
  std::map<std::string, std::string> files;
  for (int i = 0; i < 130; ++i) {
    many += "#include \"x.qn\"\n  MessageBox(\"\", 1);\n";
  }
  many += "endprogram\n";
  HostScript s;
  s.files = {{"main.qn", many}, {"x.qn", "  MessageBox(\"x\", 1);\n"}};
  ASSERT_TRUE(s.Compile()) << s.error;
  DebugInfoDescription info;
  std::string error;
  EXPECT_EQ(0, QnDebugInfoBuild(s.program, &info, &error));
  EXPECT_EQ("main.qn(257): the statements change their source file more than 255 times", error);

  std::string tall(20000, '\n');
  HostScript t("program" + tall + "  exit;\nendprogram\n");
  ASSERT_TRUE(t.Compile()) << t.error;
  EXPECT_EQ(0, QnDebugInfoBuild(t.program, &info, &error));
  EXPECT_EQ("main.qn(20001): lines beyond 16383 cannot be described to the debugger", error);
}

TEST(HostDebugInfo, FileGoesBesideTheScript) {
  EXPECT_EQ("samples/setup.dbg", QnDebugInfoPathFor("samples/setup.qn"));
  EXPECT_EQ("dir.v2/setup.dbg", QnDebugInfoPathFor("dir.v2/setup"));
  HostScript s;
  s.files = {{"main.qn", kMain}, {"helpers.qn", kHelpers}};
  ASSERT_TRUE(s.Compile()) << s.error;
  std::string path = testing::TempDir() + "host_debuginfo.dbg";
  std::string error;
  ASSERT_EQ(1, QnDebugInfoWrite(s.program, path, &error)) << error;
  ReadDebugInfo read;
  ASSERT_EQ(1, ReadDebugInfoFile(path.c_str(), &read, &error)) << error;
  EXPECT_EQ(14u, read.records.size());
  std::remove(path.c_str());
}

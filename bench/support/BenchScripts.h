// The scripts the benchmarks run and load, the same natively and under Wine:
// a loop of a million statements, the debug information of a large script
// (written by the debug information writer) and the text of a long
// installation script.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "DebugInfoWriter/DebugInfoWriter.h"
#include "debuginfo/DebugInfoLoader.h"
#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "debuginfo/VariableTable.h"
#include "sourceview/SourceView.h"

// The loop users feel the debugger in: a function whose loop runs a million
// statements, called once from the program.
inline constexpr char kBenchLoopScript[] =
    "prototype Work();\n"
    "function Work()\n"
    "  NUMBER n;\n"
    "begin\n"
    "  n = 0;\n"
    "  while (n < 500000)\n"
    "    n = n + 1;\n"
    "  endwhile;\n"
    "end;\n"
    "program\n"
    "  Work();\n"
    "endprogram\n";
// program: call, endprogram; Work: n = 0, 500001 tests, 500000 bodies, loop exit, end
inline constexpr double kBenchLoopStatements = 2 + 1 + 500001 + 500000 + 1 + 1;

// The large script: 50 source files, 2,000 functions (40 per file) of 95
// statements with 5 local string and 5 local number variables each, 10,000
// statements of the main program in the main script, so 200,000 line records,
// and 5,000 globals (2,500 per kind).
constexpr int kBenchFiles = 50;
constexpr int kBenchFunctionsPerFile = 40;
constexpr int kBenchStatementsPerFunction = 95;
constexpr int kBenchMainStatements = 10000;
constexpr int kBenchLocalsPerKind = 5;
constexpr int kBenchGlobalsPerKind = 2500;
constexpr int kBenchLineRecords =
    kBenchFiles * kBenchFunctionsPerFile * kBenchStatementsPerFunction + kBenchMainStatements;
static_assert(kBenchLineRecords == 200000, "the benchmark file has 200,000 line records");

struct BenchAddress {
  int32_t block, offset;
};

// The large script divided by `smallerBy`; every statement's address is
// appended to `addresses`.
inline DebugInfoDescription BenchDebugInfo(int smallerBy, std::vector<BenchAddress>* addresses) {
  DebugInfoDescription info;
  info.mainScript = "SETUP.Q";
  for (int i = 0; i < kBenchGlobalsPerKind / smallerBy; i++) {
    info.globalStrings.push_back("STR_GLOBAL_" + std::to_string(i));
    info.globalNumbers.push_back("NUM_GLOBAL_" + std::to_string(i));
  }
  int block = 1;
  for (int file = 0; file < kBenchFiles; file++) {
    if (file > 0) DebugInfoAddSwitch(&info, "INCLUDE" + std::to_string(file) + ".QH");
    int line = 1;
    if (file == 0)
      for (int offset = 0; offset < kBenchMainStatements / smallerBy; offset++) {
        DebugInfoAddLine(&info, line++, 0, offset);
        addresses->push_back({0, offset});
      }
    for (int function = 0; function < kBenchFunctionsPerFile / smallerBy; function++, block++) {
      std::vector<std::string> strings, numbers;
      for (int i = 0; i < kBenchLocalsPerKind; i++) {
        strings.push_back("text" + std::to_string(i));
        numbers.push_back("count" + std::to_string(i));
      }
      DebugInfoAddFunctionRecord(&info, "Function" + std::to_string(block), strings, numbers);
      for (int offset = 0; offset < kBenchStatementsPerFunction; offset++) {
        DebugInfoAddLine(&info, line++, block, offset);
        addresses->push_back({block, offset});
      }
    }
  }
  return info;
}

// Lines of the kind installation scripts are made of: declarations, calls of
// built-in functions with strings and constants, control keywords, numbers,
// line and block comments, blank lines.
inline const char* const kBenchScriptLines[] = {
    "// ---------------------------------------------------------------------",
    "//  Part %d: copies the program files and registers the components",
    "function InstallPart%d(szSource, szTarget)",
    "  STRING  szFile, szKey, szMsg;",
    "  NUMBER  nResult, nCount, nSize;",
    "  LIST    listFiles;",
    "begin",
    "  szKey = \"Software\\\\Sample\\\\Part%d\";",
    "  nResult = RegDBCreateKeyEx(szKey, \"\");",
    "  if (nResult < 0) then",
    "    MessageBox(\"Unable to create the key \" + szKey, SEVERE);",
    "    return -1;",
    "  endif;",
    "",
    "  /* Copy every file of the part, keeping newer files that are",
    "     already there, and count what was copied. */",
    "  listFiles = ListCreate(STRINGLIST);",
    "  nResult = FindAllFiles(szSource, \"*.*\", szFile, RESET);",
    "  while (nResult = 0)",
    "    ListAddString(listFiles, szFile, AFTER);",
    "    nResult = FindAllFiles(szSource, \"*.*\", szFile, CONTINUE);",
    "  endwhile;",
    "  nCount = ListCount(listFiles);",
    "  SetStatusWindow(10 + %d, \"Copying files...\");  // progress",
    "  nResult = XCopyFile(szSource ^ \"*.*\", szTarget, COMP_NORMAL | INCLUDE_SUBDIR);",
    "  switch (nResult)",
    "    case 0: StatusUpdate(ON, 100);",
    "    case COMP_ERR_TARGET: SprintfBox(WARNING, \"Setup\", \"Target %%s busy\", szTarget);",
    "    default: nSize = 0x%X;",
    "  endswitch;",
    "  GetDiskSpace(szTarget);",
    "  ListDestroy(listFiles);",
    "  return nCount;",
    "end;",
    "",
};

// A script of 16025 lines (the most a view takes), CR LF line ends.
inline std::string BenchSourceScript() {
  std::string script;
  char line[256];
  for (int n = 0; n < kSourceMaxLines; n++) {
    int part = n / static_cast<int>(std::size(kBenchScriptLines));
    std::snprintf(line, sizeof line, kBenchScriptLines[n % std::size(kBenchScriptLines)], part);
    script += line;
    script += "\r\n";
  }
  return script;
}

// The four symbol tables of a session, loaded from a debug information file
// as QNdbgInit loads them, and destroyed with the object.
struct BenchTables {
  FunctionTable* functions = FunctionTableCreate();
  VariableTable* globals = VariableTableCreate();
  LineTable* lines = LineTableCreate();
  SourceFileList* files = SourceFileListCreate();
  int loaded = 0;
  explicit BenchTables(const std::string& path) {
    char script[kDebugFileNameSize];
    loaded = LoadDebugInfo(functions, globals, lines, files, path.c_str(), script);
    SourceFileListSetMain(files, script);
  }
  ~BenchTables() {
    LineTableDestroy(lines);
    VariableTableDestroy(globals);
    FunctionTableDestroy(functions);
    SourceFileListDestroy(files);
  }
  BenchTables(const BenchTables&) = delete;
  BenchTables& operator=(const BenchTables&) = delete;
};

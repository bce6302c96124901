// A small two-file script on disk for the tests that open whole sessions: its
// source files, its debug information file, and the run a ScriptedHost makes
// of it. Header-only.
//
//   MAIN.QN  the main program, lines 3..10 at (0, 0)..(0, 6); line 5 calls F
//   INC.QN   function F, lines 2 and 3 at (1, 0) and (1, 1)
#pragma once

#include <string>
#include <vector>

#include "tools/DebugInfoWriter/DebugInfoWriter.h"
#include "tests/support/ScriptedHost.h"
#include "support/WineTestSupport.h"

class SessionScript {
 public:
  SessionScript() {
    std::string main;
    for (int line = 1; line <= kMainLines; line++) main += "// main line " + std::to_string(line) + "\r\n";
    mainPath = folder.Write("MAIN.QN", main);
    incPath = folder.Write("INC.QN", "function F()\r\nbegin\r\n  x = 1;\r\nend;\r\n");

    DebugInfoDescription info;
    info.mainScript = mainPath;
    info.globalStrings = {"SRCDIR", "TARGETDIR", "szName"};
    info.globalNumbers = {"nCount"};
    const int mainLines[] = {3, 4, 5, 6, 7, 9, 10};
    for (int offset = 0; offset < 7; offset++) DebugInfoAddLine(&info, mainLines[offset], 0, offset);
    DebugInfoAddSwitch(&info, incPath);
    DebugInfoAddFunction(&info, "F", {"szLocal"}, {"nLocal"}, 2, 1, 0);
    DebugInfoAddLine(&info, 3, 1, 1);
    std::string error;
    debugPath = folder.File("MAIN.DBG");
    written = DebugInfoWriteFile(info, debugPath.c_str(), &error) == 1;
  }

  // The statements in the order the script runs them (class, call depth).
  static std::vector<ScriptStatement> Run() {
    return {{0, 0, 2, 0}, {0, 1, 2, 0}, {0, 2, 1, 0}, {1, 0, 2, 1}, {1, 1, 2, 1},
            {0, 3, 2, 0}, {0, 4, 2, 0}, {0, 5, 2, 0}, {0, 6, 2, 0}};
  }

  static constexpr int kMainLines = 40;
  TempDir folder;
  std::string mainPath, incPath, debugPath;
  bool written = false;
};

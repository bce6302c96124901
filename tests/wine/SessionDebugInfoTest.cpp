// QNdbgInit reads the debug information into the session's tables, fails
// with the debugger's message when the file is missing, and QNdbgExit gives
// the tables back, session after session.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "debuginfo/VariableTable.h"
#include "memory/MemPoolDebug.h"
#include "qndbgc.h"
#include "session/DebugSession.h"
#include "support/WineTestSupport.h"

namespace {

// A script of one global, a main program line and one function.
std::string MinimalFile() {
  const unsigned char bytes[] = {0x0E, 0x00, 0x00, 0x00, 0x3A, 0xF9, 0x06, 0x00, 'M',  'A',  'I',
                                 'N',  '.',  'Q',  0x01, 0x00, 0x01, 0x00, 'S',  0x00, 0x00, 0x05,
                                 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 'F',  0x00,
                                 0x00, 0x00, 0x00, 0x09, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST(SessionDebugInfo, InitLoadsTheTablesAndExitGivesThemBack) {
  TempDir folder;
  std::string path = folder.Write("SETUP.DBG", MinimalFile());
  // The main window shows the main script, which the debug information names
  // without a folder: it is found in the current one.
  folder.Write("MAIN.Q", "program\r\nend;\r\n");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(folder.Path().c_str());
  HostCallbacks callbacks{};
  HWND mainWindow = nullptr;
  int freeSlots = -1;
  for (int session = 0; session < 5; session++) {
    ASSERT_EQ(QNdbgInit(1, &callbacks, 0, 0, path.c_str(), &mainWindow), 1);
    DebugSession* current = DebugSessionCurrent();
    ASSERT_NE(current, nullptr);
    EXPECT_STREQ(current->scriptFileName, "MAIN.Q");
    EXPECT_STREQ(current->currentFileName, "MAIN.Q");  // the main window shows the main script
    int32_t line = 0, file = -1, block = 0;
    ASSERT_EQ(LineTableFindLine(current->lineTable, 1, 0, &line, &file), 1);
    EXPECT_EQ(line, 9);
    ASSERT_EQ(FunctionTableFindBlock(current->functionTable, "F", &block), 1);
    EXPECT_EQ(block, 1);
    EXPECT_EQ(VariableTableFind(current->globals, "S", &line, &file), 1);
    char name[kSourceNameSize];
    SourceFileListFind(current->sourceFiles, 0, 0, name, sizeof name, &file);
    EXPECT_STREQ(name, "MAIN.Q");

    EXPECT_EQ(QNdbgExit(), 1);
    EXPECT_EQ(DebugSessionCurrent(), nullptr);
    if (session == 0) freeSlots = MemPoolFreeSlots();
    EXPECT_EQ(MemPoolFreeSlots(), freeSlots) << "session " << session << " kept a pool";
  }
  SetCurrentDirectoryA(previous);
}

TEST(SessionDebugInfo, MissingFileFailsWithTheDebuggersMessage) {
  TempDir folder;
  std::string path = folder.File("MISSING.DBG");
  HostCallbacks callbacks{};
  HWND mainWindow = reinterpret_cast<HWND>(1);
  MessageBoxWatcher boxes;
  EXPECT_EQ(QNdbgInit(1, &callbacks, 0, 0, path.c_str(), &mainWindow), 0);
  EXPECT_EQ(mainWindow, nullptr);
  ASSERT_EQ(boxes.Shown().size(), 1u) << boxes.Describe();
  EXPECT_EQ(boxes.Shown()[0].caption, "Quendle Debugger");
  EXPECT_NE(boxes.Shown()[0].text.find("Unable to locate debug file : " + path), std::string::npos)
      << boxes.Describe();
  EXPECT_EQ(QNdbgExit(), 1);
}

}  // namespace

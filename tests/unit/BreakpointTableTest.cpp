// The breakpoint table keeps three places in step: its records, the host's
// persistent breakpoints and the marks of the source windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "session/BreakpointTable.h"
#include "session/DebugSession.h"
#include "support/RecordingWindows.h"
#include "tests/support/ScriptedHost.h"

namespace {

typedef std::vector<std::string> Strings;

SourceWindow* MakeView(char* path, void*) { return FakeSourceWindow(path[0] == 'l' ? 1 : 0); }
int DropView(SourceWindow*) { return 1; }

const std::string kLongName(50, 'F');

class BreakpointTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.hostContext = host.Context();
    session.callbacks = host.Callbacks();
    session.lineTable = LineTableCreate();
    LineTableAdd(session.lineTable, 7, 0, 0, 0);
    LineTableAdd(session.lineTable, 12, 0, 0, 1);
    LineTableAdd(session.lineTable, 20, 1, 1, 0);
    LineTableAdd(session.lineTable, 30, 1, 2, 0);
    session.functionTable = FunctionTableCreate();
    FunctionTableAdd(session.functionTable, "Helper", 1);
    FunctionTableAddExtent(session.functionTable, 1, 20, 1);
    FunctionTableAdd(session.functionTable, kLongName.c_str(), 2);
    FunctionTableAddExtent(session.functionTable, 2, 30, 1);
    session.sourceFiles = SourceFileListCreate();
    SourceFileListAdd(session.sourceFiles, "main.qn", 0, 0, 0);
    SourceFileListAdd(session.sourceFiles, "lib.qn", 1, 0, 1);
    SourceFileListMakeViews(session.sourceFiles, nullptr, MakeView, nullptr, DropView);
    table = BreakpointTableCreate(session.functionTable, session.lineTable, &session);
    ASSERT_NE(table, nullptr);
    Windows() = RecordedWindows();
  }
  void TearDown() override {
    BreakpointTableDestroy(table);
    LineTableDestroy(session.lineTable);
    FunctionTableDestroy(session.functionTable);
    SourceFileListDestroy(session.sourceFiles);
  }
  Strings Labels() {
    Strings labels;
    for (auto* record = static_cast<BreakpointRecord*>(ListFirst(table->records)); record;
         record = static_cast<BreakpointRecord*>(ListNext(table->records)))
      labels.push_back(record->label);
    return labels;
  }

  ScriptedHost host{{}};
  DebugSession session{};
  BreakpointTable* table = nullptr;
};

TEST_F(BreakpointTableTest, TheSameLineTwiceIsOneRecordAndOneHostBreakpoint) {
  EXPECT_EQ(SetBreakpointAt(table, "12", 0), 1);
  EXPECT_EQ(SetBreakpointAt(table, "12", 0), 1);
  EXPECT_EQ(Labels(), Strings{"Line: 0012 (source1.qn)"});
  EXPECT_EQ(host.Commands(), Strings{"SetBreakpoint user 1 0,1"});
  EXPECT_EQ(Windows().requests, Strings{"Mark source1 12"});
}

TEST_F(BreakpointTableTest, LineNumbersComeFromLeadingDigitsAndShowFourDigits) {
  SetBreakpointAt(table, "7th line", 0);
  EXPECT_EQ(Labels(), Strings{"Line: 0007 (source1.qn)"});
  EXPECT_EQ(host.Persistent().count({0, 0}), 1u);
}

TEST_F(BreakpointTableTest, LineWithoutAStatementOrEmptyTextSetsNothing) {
  EXPECT_EQ(SetBreakpointAt(table, "8", 0), 1);
  EXPECT_EQ(SetBreakpointAt(table, "", 0), 1);
  EXPECT_EQ(SetBreakpointAt(table, "20", 0), 1);  // line 20 is in file 1, not 0
  EXPECT_TRUE(Labels().empty());
  EXPECT_TRUE(host.Commands().empty());
  EXPECT_TRUE(Windows().requests.empty());
}

TEST_F(BreakpointTableTest, FunctionNamesGoToTheFunctionsFirstLineInItsOwnFile) {
  EXPECT_EQ(SetBreakpointAt(table, "Helper", 0), 1);
  EXPECT_EQ(Labels(), Strings{"Function: Helper"});
  EXPECT_EQ(host.Commands(), Strings{"SetBreakpoint user 1 1,0"});
  EXPECT_EQ(Windows().requests, Strings{"Mark source2 20"});
  EXPECT_EQ(SetBreakpointAt(table, "NoSuchFunction", 0), 0);
  EXPECT_EQ(Labels().size(), 1u);
}

TEST_F(BreakpointTableTest, LabelsAreCutToFortySevenCharacters) {
  SetBreakpointAt(table, kLongName.c_str(), 0);
  ASSERT_EQ(Labels().size(), 1u);
  EXPECT_EQ(Labels()[0], ("Function: " + kLongName).substr(0, 47));
}

TEST_F(BreakpointTableTest, TogglingAFunctionsFirstLineRemovesTheFunctionBreakpoint) {
  SetBreakpointAt(table, "Helper", 0);
  host.ClearCalls();
  Windows().requests.clear();
  EXPECT_EQ(ToggleBreakpoint(table, 20, 1), 1);
  EXPECT_TRUE(Labels().empty());
  EXPECT_EQ(host.Commands(), Strings{"SetBreakpoint user 0 1,0"});
  EXPECT_EQ(Windows().requests, (Strings{"Unmark source2 20", "Invalidate source2"}));
  ToggleBreakpoint(table, 20, 1);
  EXPECT_EQ(Labels(), Strings{"Line: 0020 (source2.qn)"});
}

TEST_F(BreakpointTableTest, ClearAllIsOneHostCallAndClearsEveryWindowsMarks) {
  SetBreakpointAt(table, "7", 0);
  SetBreakpointAt(table, "Helper", 0);
  host.ClearCalls();
  Windows().requests.clear();
  EXPECT_EQ(ClearAllBreakpoints(table), 1);
  EXPECT_TRUE(Labels().empty());
  EXPECT_EQ(host.Commands(), Strings{"SetBreakpoint user 0 -1,-1"});
  EXPECT_TRUE(host.Persistent().empty());
  EXPECT_EQ(Windows().requests, (Strings{"Unmark source1 -1", "Unmark source2 -1"}));
  SetBreakpointAt(table, "7", 0);  // the table works on afterwards
  EXPECT_EQ(Labels().size(), 1u);
}

TEST_F(BreakpointTableTest, ClearingAnUnknownLabelChangesNothing) {
  SetBreakpointAt(table, "7", 0);
  host.ClearCalls();
  EXPECT_EQ(ClearBreakpointByLabel(table, "Line: 0012 (source1.qn)"), 1);
  EXPECT_EQ(ClearBreakpointByLabel(table, ""), 1);
  EXPECT_EQ(Labels().size(), 1u);
  EXPECT_TRUE(host.Commands().empty());
}

TEST_F(BreakpointTableTest, AnOpenDialogListsEveryChange) {
  table->dialog = reinterpret_cast<HWND>(1);
  SetBreakpointAt(table, "12", 0);
  ClearBreakpointByLabel(table, "Line: 0012 (source1.qn)");
  SetBreakpointAt(table, "7", 0);
  ClearAllBreakpoints(table);
  Strings dialog;
  for (const std::string& request : Windows().requests)
    if (request.rfind("Dialog", 0) == 0) dialog.push_back(request);
  EXPECT_EQ(dialog, (Strings{"DialogAdd Line: 0012 (source1.qn)", "DialogRemove Line: 0012 (source1.qn)",
                             "DialogAdd Line: 0007 (source1.qn)", "DialogClear"}));
}

TEST_F(BreakpointTableTest, NullTableAnswersZero) {
  EXPECT_EQ(SetBreakpointAt(nullptr, "7", 0), 0);
  EXPECT_EQ(ClearBreakpointByLabel(nullptr, "x"), 0);
  EXPECT_EQ(ClearAllBreakpoints(nullptr), 0);
  EXPECT_EQ(ToggleBreakpoint(nullptr, 7, 0), 0);
  EXPECT_EQ(BreakpointTableDestroy(nullptr), 0);
}

}  // namespace

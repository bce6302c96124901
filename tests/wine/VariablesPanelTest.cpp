// The user variables panel in a real main window (template 500, a small test
// dialog procedure routing WM_COMMAND as the debugger's does) over a session
// with symbol tables loaded from a written debug information file, a scripted
// host that holds the variables, and real stops through QNdbgBreak.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "memory/List.h"
#include "resources/resource.h"
#include "session/ExecutionControl.h"
#include "session/HostLink.h"
#include "support/SessionTesting.h"
#include "ui/VariablesPanel_win.h"
#include "ui/Watch_win.h"

namespace {

typedef std::vector<std::string> Strings;

// Host indexes: globals by kind from 0; locals -101, -102, ... as the table
// gives them back (low 16 bits).
constexpr INT_PTR kCount = 0, kTotal = 1, kName = 2, kFirstLocal = 65435, kSecondLocal = 65434;

// main.qn: the main program on lines 3..6; InstallFiles (block 1) on lines
// 20..22 with locals szDir, nFiles, i; Cleanup (block 2) on 30..31 with
// szFile, nLeft. The run: main calls InstallFiles, then Cleanup.
DebugInfoDescription Script() {
  DebugInfoDescription info;
  info.mainScript = "main.qn";
  info.globalStrings = {"SRCDIR", "TARGETDIR", "szName"};
  info.globalNumbers = {"nCount", "nTotal"};
  for (int i = 0; i < 4; i++) DebugInfoAddLine(&info, 3 + i, 0, i);
  DebugInfoAddFunction(&info, "InstallFiles", {"szDir"}, {"nFiles", "i"}, 20, 1, 0);
  DebugInfoAddLine(&info, 21, 1, 1);
  DebugInfoAddLine(&info, 22, 1, 2);
  DebugInfoAddFunction(&info, "Cleanup", {"szFile"}, {"nLeft"}, 30, 2, 0);
  DebugInfoAddLine(&info, 31, 2, 1);
  return info;
}

const std::vector<ScriptStatement> kRun = {{0, 0, 2, 0}, {0, 1, 1, 0}, {1, 0, 2, 1}, {1, 1, 2, 1}, {1, 2, 2, 1},
                                           {0, 2, 1, 0}, {2, 0, 2, 1}, {2, 1, 2, 1}, {0, 3, 2, 0}};

INT_PTR CALLBACK TestMainProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) VariablesPanelCommand(DebugSessionCurrent(), LOWORD(wParam), HIWORD(wParam));
  return FALSE;
}

INT_PTR WINAPI PositionWithoutLine(INT_PTR, LONG* block, LONG* offset) {
  *block = 9;
  *offset = 9;
  return 1;
}

class VariablesPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(test.Open(Script(), kRun));
    test.host->texts = {{0, "C:\\SRC"}, {1, "C:\\DEST"}, {kName, "Setup"}, {kFirstLocal, "C:\\LOCAL"}};
    test.host->numbers = {{kCount, 42}, {kTotal, 7}, {kFirstLocal, 3}};
    window = test.OpenMainWindow(TestMainProc);
    ASSERT_NE(window, nullptr);
    session.watch = WatchCreate(window, IDC_WATCH_WINDOW, 0, VariablesPanelWatchValue, &session);
    editProc = GetWindowLongPtrA(Item(IDC_GLOBAL_VALUE), GWLP_WNDPROC);
    VariablesPanelFill(&session);
    VariablesPanelSubclassEdits(&session);
    SetFocus(Item(IDC_GLOBAL_NAMES));
  }
  void TearDown() override { VariablesPanelRestoreEdits(&session); }

  HWND Item(int id) const { return GetDlgItem(window, id); }
  std::string Text(int id) const {
    char text[1024];
    GetWindowTextA(Item(id), text, sizeof text);
    return text;
  }
  Strings Names(int id) const { return ComboItems(Item(id)); }
  std::string Selected(int id) const {
    char name[kTextSize] = "";
    LRESULT item = SendMessageA(Item(id), CB_GETCURSEL, 0, 0);
    if (item != CB_ERR) SendMessageA(Item(id), CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(name));
    return name;
  }
  void Select(int id, const char* name) { ComboChoose(Item(id), name); }
  void Type(int id, const std::string& text) { TypeInto(FindWindowExA(Item(id), nullptr, "Edit", nullptr), text); }
  void PressEnter(int id) {
    SetFocus(Item(id));
    host->ClearCalls();
    PressKey(window, VK_RETURN);
  }
  // Runs the script to the statement (block, offset) and stops there.
  void StopAt(int32_t block, int32_t offset) {
    HostCall(&session, kHostSetOneShot, block, offset);
    host->ClearCalls();
    CommandGo(&session);
    ASSERT_GE(host->RunUntilStop(QNdbgBreak), 0);
  }
  // What the panel asked of the host: positions and variables.
  Strings VariableCalls() const {
    Strings calls;
    for (const std::string& call : host->Calls())
      if (call.find("Var") != std::string::npos || call == "GetPosition") calls.push_back(call);
    return calls;
  }
  const WatchItem* Watch(int index) const {
    auto* item = static_cast<WatchItem*>(ListFirst(session.watch->watches));
    while (item && index--) item = static_cast<WatchItem*>(ListNext(session.watch->watches));
    return item;
  }
  bool LabelFits() const {
    HDC dc = GetDC(Item(IDC_LOCAL_LABEL));
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(Item(IDC_LOCAL_LABEL), WM_GETFONT, 0, 0)));
    std::string text = Text(IDC_LOCAL_LABEL);
    SIZE size;
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(Item(IDC_LOCAL_LABEL), dc);
    RECT client;
    GetClientRect(Item(IDC_LOCAL_LABEL), &client);
    return size.cx <= client.right;
  }

  TestSession test;
  DebugSession& session = test.session;
  std::unique_ptr<ScriptedHost>& host = test.host;
  HWND window = nullptr;
  LONG_PTR editProc = 0;
};

TEST_F(VariablesPanel, GlobalNamesAreListedAndATypedNameShowsItsValueOnlyOnceComplete) {
  EXPECT_EQ(Names(IDC_GLOBAL_NAMES), (Strings{"nCount", "nTotal", "SRCDIR", "szName", "TARGETDIR"}));
  EXPECT_EQ(Names(IDC_LOCAL_NAMES), Strings{});
  SetWindowTextA(Item(IDC_GLOBAL_VALUE), "stale");
  Type(IDC_GLOBAL_NAMES, "szNam");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "");
  Type(IDC_GLOBAL_NAMES, "szName");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "Setup");
  Type(IDC_GLOBAL_NAMES, "nCount");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "42");
  // A selection shows its value; a typed name that is not a variable then
  // empties the edit, and picking the same item again shows it back.
  Select(IDC_GLOBAL_NAMES, "TARGETDIR");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "C:\\DEST");
  Type(IDC_GLOBAL_NAMES, "TARGETDI");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "");
}

TEST_F(VariablesPanel, LocalRowFollowsTheFunctionTheScriptStopsIn) {
  Select(IDC_GLOBAL_NAMES, "szName");
  StopAt(1, 0);
  EXPECT_EQ(session.currentFunction, 1);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_LOCAL_NAMES)) && IsWindowEnabled(Item(IDC_LOCAL_VALUE)) &&
              IsWindowEnabled(Item(IDC_WATCH_LOCAL)));
  EXPECT_EQ(Names(IDC_LOCAL_NAMES), (Strings{"i", "nFiles", "szDir"}));
  EXPECT_EQ(Text(IDC_LOCAL_LABEL), "Local  InstallFiles ");
  EXPECT_TRUE(LabelFits());
  Select(IDC_LOCAL_NAMES, "nFiles");
  EXPECT_EQ(Text(IDC_LOCAL_VALUE), "3");

  // Again in the same function: the list and the selection stay, the values
  // are read afresh.
  host->numbers[kFirstLocal] = 4;
  host->texts[kName] = "Setup 2";
  StopAt(1, 2);
  // By selection, global then (after the local row's update) local; then by typed name.
  EXPECT_EQ(VariableCalls(), (Strings{"GetVarText 2", "GetPosition", "GetVarNumber 65435", "GetVarText 2",
                                      "GetVarNumber 65435"}));
  EXPECT_EQ(Names(IDC_LOCAL_NAMES), (Strings{"i", "nFiles", "szDir"}));
  EXPECT_EQ(Selected(IDC_LOCAL_NAMES), "nFiles");
  EXPECT_EQ(Text(IDC_LOCAL_VALUE), "4");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "Setup 2");
  EXPECT_TRUE(SaveWindowBmp(window, ScreenshotPath("variables-panel.bmp")));

  // Outside any function the row is disabled and empty.
  StopAt(0, 2);
  EXPECT_EQ(session.currentFunction, 0);
  EXPECT_EQ(session.locals, nullptr);
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_LOCAL_NAMES)) || IsWindowEnabled(Item(IDC_LOCAL_VALUE)) ||
               IsWindowEnabled(Item(IDC_WATCH_LOCAL)));
  EXPECT_EQ(Names(IDC_LOCAL_NAMES), Strings{});
  EXPECT_EQ(Text(IDC_LOCAL_VALUE), "");
  EXPECT_EQ(Text(IDC_LOCAL_LABEL), "Local  (Not in function) ");
  EXPECT_TRUE(LabelFits());

  // Another function refills the list, with nothing selected.
  StopAt(2, 0);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_LOCAL_NAMES)));
  EXPECT_EQ(Names(IDC_LOCAL_NAMES), (Strings{"nLeft", "szFile"}));
  EXPECT_EQ(Selected(IDC_LOCAL_NAMES), "");
  EXPECT_EQ(Text(IDC_LOCAL_LABEL), "Local  Cleanup ");
}

TEST_F(VariablesPanel, EnterOrLeavingAnEditWritesBothRowsBackBetweenTwoWatchRefreshes) {
  StopAt(1, 0);
  WatchAdd(session.watch, kVariableNumber, 1, "nTotal");
  Select(IDC_GLOBAL_NAMES, "nCount");
  Select(IDC_LOCAL_NAMES, "szDir");
  SetWindowTextA(Item(IDC_GLOBAL_VALUE), "17abc");
  SetWindowTextA(Item(IDC_LOCAL_VALUE), "D:\\Apps");
  PressEnter(IDC_LOCAL_VALUE);
  const Strings commit = {"GetVarNumber 1", "SetVarNumber 0 17", "SetVarText 65435", "GetVarNumber 0",
                          "GetPosition",    "GetVarText 65435",  "GetVarNumber 1"};
  EXPECT_EQ(host->Calls(), commit);
  EXPECT_EQ(host->texts[kFirstLocal], "D:\\Apps");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "17");

  // Letters alone are the number 0; leaving the edit commits as Enter does.
  SetFocus(Item(IDC_GLOBAL_VALUE));
  SetWindowTextA(Item(IDC_GLOBAL_VALUE), "abc");
  host->ClearCalls();
  SetFocus(Item(IDC_GLOBAL_NAMES));
  Strings zero = commit;
  zero[1] = "SetVarNumber 0 0";
  EXPECT_EQ(host->Calls(), zero);
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "0");

  // With the previous procedures back, leaving an edit writes nothing.
  VariablesPanelRestoreEdits(&session);
  EXPECT_EQ(GetWindowLongPtrA(Item(IDC_GLOBAL_VALUE), GWLP_WNDPROC), editProc);
  SetFocus(Item(IDC_GLOBAL_VALUE));
  host->ClearCalls();
  SetFocus(Item(IDC_GLOBAL_NAMES));
  EXPECT_EQ(host->Calls(), Strings{});
}

TEST_F(VariablesPanel, WatchButtonsAddTheNamedVariableOrSayNoneIsSelected) {
  {
    MessageBoxWatcher boxes;
    Type(IDC_GLOBAL_NAMES, "nope");
    SendMessageA(Item(IDC_WATCH_GLOBAL), BM_CLICK, 0, 0);
    PumpMessages();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].caption, "Quendle Debugger");
    EXPECT_EQ(boxes.Shown()[0].text, "Unable to add watch point, no variable is selected.");
    EXPECT_EQ(Watch(0), nullptr);
  }
  Type(IDC_GLOBAL_NAMES, "szName");
  SendMessageA(Item(IDC_WATCH_GLOBAL), BM_CLICK, 0, 0);
  StopAt(1, 0);
  Type(IDC_LOCAL_NAMES, "nFiles");
  SendMessageA(Item(IDC_WATCH_LOCAL), BM_CLICK, 0, 0);
  ASSERT_NE(Watch(1), nullptr);
  EXPECT_STREQ(Watch(0)->name, "nFiles");
  EXPECT_EQ(Watch(0)->global, 0);
  EXPECT_EQ(Watch(0)->kind, kVariableNumber);
  EXPECT_STREQ(Watch(1)->name, "szName");
  EXPECT_EQ(Watch(1)->global, 1);
  EXPECT_EQ(Watch(1)->kind, kVariableString);
  WatchRefresh(session.watch);
  EXPECT_STREQ(Watch(0)->value, "3");
  EXPECT_STREQ(Watch(1)->value, "Setup");

  // Outside the function its local is not found; the global still is.
  StopAt(0, 2);
  WatchRefresh(session.watch);
  EXPECT_STREQ(Watch(0)->value, "<variable not found>");
  EXPECT_STREQ(Watch(1)->value, "Setup");
}

TEST_F(VariablesPanel, NoLineMeansNoFunctionAndMissingCallbacksShowWhatTheyMay) {
  StopAt(1, 1);
  ASSERT_TRUE(IsWindowEnabled(Item(IDC_LOCAL_NAMES)));
  // The host now stands where the line table has no line.
  session.callbacks.GetPosition = PositionWithoutLine;
  SetFocus(Item(IDC_LOCAL_VALUE));
  SetFocus(Item(IDC_GLOBAL_NAMES));
  EXPECT_EQ(session.currentFunction, 0);
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_LOCAL_NAMES)));
  EXPECT_EQ(Text(IDC_LOCAL_LABEL), "Local  (Not in function) ");

  session.callbacks.GetVarNumber = nullptr;
  session.callbacks.GetVarText = nullptr;
  Select(IDC_GLOBAL_NAMES, "nTotal");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "-1");
  Select(IDC_GLOBAL_NAMES, "SRCDIR");
  EXPECT_EQ(Text(IDC_GLOBAL_VALUE), "");
  char buffer[kWatchValueSize];
  int32_t global = 1, kind = kVariableString;
  EXPECT_EQ(VariablesPanelWatchValue(&session, "SRCDIR", &global, &kind, buffer), 0);
  EXPECT_STREQ(buffer, "<variable not found>");
  EXPECT_EQ(VariablesPanelWatchValue(&session, "nowhere", &global, &kind, buffer), -1);
}

}  // namespace

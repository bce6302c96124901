// A whole debugging session as a host lives it with QNDBGC.DLL: the library
// loaded by name, the script run by a scripted host through the three
// exports, the user's commands given by clicking the main window's buttons.
// What the host saw, call by call, is the result.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "qndbgc.h"
#include "resources/resource.h"
#include "support/SessionScript.h"
#include "support/SessionTesting.h"
#include "support/WineTestSupport.h"

namespace {

class DllSessionTest : public testing::Test {
 protected:
  void SetUp() override {
    library = LoadLibraryA(DebuggerDllPath().c_str());
    ASSERT_NE(library, nullptr) << DebuggerDllPath() << ": error " << GetLastError();
    init = reinterpret_cast<decltype(&QNdbgInit)>(GetProcAddress(library, "QNdbgInit"));
    debuggerBreak = reinterpret_cast<decltype(&QNdbgBreak)>(GetProcAddress(library, "QNdbgBreak"));
    exit = reinterpret_cast<decltype(&QNdbgExit)>(GetProcAddress(library, "QNdbgExit"));
    ASSERT_TRUE(init && debuggerBreak && exit);
  }
  // The library stays loaded: its window classes stay registered for the
  // process, as with a host that keeps it.

  // Clicks a button of the main window as the mouse would.
  void Click(int id) { SendMessageA(GetDlgItem(main, id), BM_CLICK, 0, 0); }
  std::string Caption() const {
    char text[300] = "";
    GetWindowTextA(main, text, sizeof text);
    return text;
  }
  // The host's commands since the last look, without the reads of variable
  // values (the watch window and the panel read them at every stop).
  std::vector<std::string> Seen() {
    std::vector<std::string> seen;
    for (const std::string& call : host.Commands())
      if (call.rfind("GetVar", 0) != 0) seen.push_back(call);
    host.ClearCalls();
    return seen;
  }
  // The reads of a variable's value since the last look at them.
  int ReadsOf(int index) const {
    int reads = 0;
    for (const std::string& call : host.Calls()) reads += call == "GetVarText " + std::to_string(index);
    return reads;
  }
  typedef std::vector<std::string> Calls;

  HMODULE library = nullptr;
  decltype(&QNdbgInit) init = nullptr;
  decltype(&QNdbgBreak) debuggerBreak = nullptr;
  decltype(&QNdbgExit) exit = nullptr;
  SessionScript script;
  ScriptedHost host{SessionScript::Run()};
  HWND main = nullptr;
};

TEST_F(DllSessionTest, StopStepStepIntoBreakpointAndExit) {
  ASSERT_TRUE(script.written);
  host.texts = {{0, "C:\\SOURCE"}, {1, "C:\\TARGET"}, {2, "Ann"}};
  {
    // The host's table may go once QNdbgInit has returned.
    HostCallbacks callbacks = host.Callbacks();
    ASSERT_EQ(init(host.Context(), &callbacks, 0, 0, script.debugPath.c_str(), &main), 1);
  }
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Seen(), (Calls{"SetBreakpoint once 1 0,0"}));

  // The first statement stops through the one-shot breakpoint; the watch
  // window reads its two directories.
  EXPECT_EQ(host.RunUntilStop(debuggerBreak), 0);
  EXPECT_GE(ReadsOf(0), 1);
  EXPECT_GE(ReadsOf(1), 1);
  EXPECT_EQ(Seen(), (Calls{"SetTrace 1", "Suspend"}));
  EXPECT_EQ(Caption(), "Quendle Debugger - MAIN.QN");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, IDC_STOP)));
  char label[100];
  GetDlgItemTextA(main, IDC_SOURCE_LABEL, label, sizeof label);
  EXPECT_STREQ(label, "Source :  1 ");

  // The user shows szName, changes it and watches it.
  ComboChoose(GetDlgItem(main, IDC_GLOBAL_NAMES), "szName");
  char value[100];
  GetDlgItemTextA(main, IDC_GLOBAL_VALUE, value, sizeof value);
  EXPECT_STREQ(value, "Ann");
  SetFocus(GetDlgItem(main, IDC_GLOBAL_VALUE));
  TypeInto(GetDlgItem(main, IDC_GLOBAL_VALUE), "Bob");
  PressKey(main, VK_RETURN);
  EXPECT_EQ(host.texts[2], "Bob");
  EXPECT_EQ(Seen(), (Calls{"SetVarText 2"}));
  Click(IDC_WATCH_GLOBAL);  // the edit, losing the focus, writes its value again
  Seen();

  // A breakpoint on line 9 of the main script, set in the Set Breakpoints dialog.
  {
    DialogDriver driver([](HWND dialog) {
      SetDlgItemTextA(dialog, 701, "9");
      SendMessageA(GetDlgItem(dialog, 301), BM_CLICK, 0, 0);
      SendMessageA(GetDlgItem(dialog, 304), BM_CLICK, 0, 0);
    });
    Click(IDC_BREAK);
    EXPECT_TRUE(driver.Acted()) << "the Set Breakpoints dialog did not open";
  }
  EXPECT_EQ(Seen(), (Calls{"SetBreakpoint user 1 0,5"}));

  // Step over line 3, StepInto line 4 and then into the call on line 5.
  Click(IDC_STEP);
  EXPECT_EQ(Seen(), (Calls{"SetTrace 0", "Resume", "SetTrace 1"}));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_STOP)));
  EXPECT_EQ(host.RunUntilStop(debuggerBreak), 1);
  EXPECT_GE(ReadsOf(2), 1) << "the new watch is read at the stop";
  EXPECT_EQ(Seen(), (Calls{"SetTrace 1", "Suspend"}));
  Click(IDC_STEP_INTO);
  EXPECT_EQ(Seen(), (Calls{"SetTrace 0", "Resume", "SetTrace 1"}));
  EXPECT_EQ(host.RunUntilStop(debuggerBreak), 2);
  Click(IDC_STEP_INTO);
  EXPECT_EQ(host.RunUntilStop(debuggerBreak), 3);
  EXPECT_EQ(Caption(), "Quendle Debugger - INC.QN") << "the stop inside F shows its file";
  Seen();

  // Go runs out of the function to the breakpoint.
  Click(IDC_GO);
  EXPECT_EQ(Seen(), (Calls{"SetTrace 0", "Resume"}));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, IDC_STEP)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_STOP)));
  EXPECT_EQ(host.RunUntilStop(debuggerBreak), 7);
  EXPECT_EQ(Seen(), (Calls{"SetTrace 1", "Suspend"}));
  EXPECT_EQ(Caption(), "Quendle Debugger - MAIN.QN");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_STEP)));

  // Exit asks the host to end the script; the host then ends the session.
  Click(IDC_EXIT);
  EXPECT_EQ(Seen(), (Calls{"ExitScript"}));
  EXPECT_TRUE(host.Exited());
  EXPECT_TRUE(IsWindow(main)) << "the window stays until QNdbgExit";
  EXPECT_EQ(exit(), 1);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(Seen(), Calls{});
}

}  // namespace

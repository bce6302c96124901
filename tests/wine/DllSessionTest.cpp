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
#include "support/WineTestSupport.h"

namespace {

std::string DllPath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string program(path, length);
  return program.substr(0, program.find_last_of("\\/") + 1) + "QNDBGC.DLL";
}

class DllSessionTest : public testing::Test {
 protected:
  void SetUp() override {
    library = LoadLibraryA(DllPath().c_str());
    ASSERT_NE(library, nullptr) << DllPath() << ": error " << GetLastError();
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
  // The host's calls since the last look.
  std::vector<std::string> Seen() {
    std::vector<std::string> seen = host.Commands();
    host.ClearCalls();
    return seen;
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
  {
    // The host's table may go once QNdbgInit has returned.
    HostCallbacks callbacks = host.Callbacks();
    ASSERT_EQ(init(host.Context(), &callbacks, 0, 0, script.debugPath.c_str(), &main), 1);
  }
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Seen(), (Calls{"SetBreakpoint once 1 0,0"}));

  // The first statement stops through the one-shot breakpoint.
  EXPECT_EQ(host.RunUntilStop(debuggerBreak), 0);
  EXPECT_EQ(Seen(), (Calls{"SetTrace 1", "Suspend"}));
  EXPECT_EQ(Caption(), "Quendle Debugger - MAIN.QN");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, IDC_STOP)));
  char label[100];
  GetDlgItemTextA(main, IDC_SOURCE_LABEL, label, sizeof label);
  EXPECT_STREQ(label, "Source :  1 ");

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

// The Set Breakpoints dialog, opened as the Break command opens it (owned by
// the main window, over the session's BreakpointTable) and worked from
// inside its modal loop as a user does: choosing a function, typing a
// location, pressing Set, Enter, Clear, Clear All, Escape and Close.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "memory/List.h"
#include "qndbgc.h"
#include "resources/resource.h"
#include "session/Session.h"
#include "session/SessionWindows.h"
#include "support/SessionTesting.h"

namespace {

typedef std::vector<std::string> Strings;
typedef std::set<std::pair<int32_t, int32_t>> Addresses;

// main.qn: lines 3, 4, 5, 12 of the main program, InstallFiles (block 1) on
// lines 20 and 21; lib.qn: LibHelper (block 2) on lines 5 and 6.
DebugInfoDescription Script() {
  DebugInfoDescription info;
  info.mainScript = "main.qn";
  int offset = 0;
  for (int line : {3, 4, 5, 12}) DebugInfoAddLine(&info, line, 0, offset++);
  DebugInfoAddFunction(&info, "InstallFiles", {}, {}, 20, 1, 0);
  DebugInfoAddLine(&info, 21, 1, 1);
  DebugInfoAddSwitch(&info, "lib.qn");
  DebugInfoAddFunction(&info, "LibHelper", {}, {}, 5, 2, 0);
  DebugInfoAddLine(&info, 6, 2, 1);
  return info;
}

INT_PTR CALLBACK OwnerProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class BreakpointsDialog : public ::testing::Test {
 protected:
  // The fonts and the brush every window of a session uses: QNdbgInit makes
  // them before it reads the debug information, and keeps them when the file
  // turns out to be no debug information (it then opens no window).
  static void SetUpTestSuite() {
    std::string path = fontFolder->Write("NOTDEBUG.DBG", std::string(64, 'x'));
    HostCallbacks none{};
    HWND mainWindow;
    QNdbgInit(0, &none, 0, 0, path.c_str(), &mainWindow);
    fontSession = DebugSessionCurrent();
  }
  static void TearDownTestSuite() {
    DebugSessionSetCurrent(fontSession);
    QNdbgExit();
  }

  void SetUp() override {
    ASSERT_NE(SessionControlFont(), nullptr);
    ASSERT_NO_FATAL_FAILURE(test.Open(Script(), {}));
    test.OpenMainWindow(OwnerProc);
  }

  // Opens the dialog as the Break command does and acts on it from inside its loop.
  void Open(const std::function<void()>& act) {
    DialogDriver driver([&](HWND opened) {
      dialog = opened;
      act();
    });
    SessionWindowsOpenBreakpoints(&session);
    EXPECT_TRUE(driver.Acted());
  }

  HWND Item(int id) const { return GetDlgItem(dialog, id); }
  Strings Labels() const {
    Strings labels;
    char label[kBreakpointLabelSize];
    for (LRESULT i = 0; i < SendMessageA(Item(IDC_BREAK_LIST), LB_GETCOUNT, 0, 0); i++) {
      SendMessageA(Item(IDC_BREAK_LIST), LB_GETTEXT, i, reinterpret_cast<LPARAM>(label));
      labels.push_back(label);
    }
    return labels;
  }
  Strings Records() const {
    Strings labels;
    for (auto* record = static_cast<BreakpointRecord*>(ListFirst(session.breakpoints->records)); record;
         record = static_cast<BreakpointRecord*>(ListNext(session.breakpoints->records)))
      labels.push_back(record->label);
    std::sort(labels.begin(), labels.end());
    return labels;
  }
  std::string Location() const {
    char text[64];
    GetDlgItemTextA(dialog, IDC_BREAK_LOCATION, text, sizeof text);
    return text;
  }
  void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
  void TypeLocation(const std::string& text) {
    SetFocus(Item(IDC_BREAK_LOCATION));
    TypeInto(Item(IDC_BREAK_LOCATION), text);
  }
  bool Open() const { return IsWindow(dialog) && IsWindowVisible(dialog); }

  static TempDir* fontFolder;
  static DebugSession* fontSession;
  TestSession test;
  DebugSession& session = test.session;
  std::unique_ptr<ScriptedHost>& host = test.host;
  HWND dialog = nullptr;
};
TempDir* BreakpointsDialog::fontFolder = new TempDir;
DebugSession* BreakpointsDialog::fontSession = nullptr;

TEST_F(BreakpointsDialog, OpensOverTheTableWithItsLabelsAndTheFunctions) {
  SetBreakpointAt(session.breakpoints, "4", 0);
  ToggleBreakpoint(session.breakpoints, 21, 0);  // a double-click on line 21
  Open([&] {
    EXPECT_EQ(session.breakpoints->dialog, dialog);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), session.mainWindow);
    char caption[64];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Set Breakpoints");
    EXPECT_EQ(Labels(), Records());
    EXPECT_EQ(Labels().size(), 2u);
    EXPECT_EQ(ComboItems(Item(IDC_BREAK_FUNCTIONS)), (Strings{"InstallFiles", "LibHelper"}));
    for (int id : {IDC_BREAK_SET, IDC_BREAK_CLEAR, IDC_BREAK_CLEAR_ALL, IDC_BREAK_CLOSE, IDC_BREAK_LIST,
                   IDC_BREAK_LOCATION, IDC_BREAK_FUNCTIONS, IDC_BREAK_LIST_LABEL, IDC_BREAK_LOCATION_LABEL,
                   IDC_BREAK_FUNCTIONS_LABEL})
      EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(Item(id), WM_GETFONT, 0, 0)), SessionControlFont()) << id;
    Click(IDC_BREAK_CLOSE);
  });
  EXPECT_EQ(session.breakpoints->dialog, nullptr);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(BreakpointsDialog, SetTakesAFunctionOrALineOnceAndIgnoresWhatHasNoCode) {
  session.currentFileIndex = 0;
  Open([&] {
    ComboChoose(Item(IDC_BREAK_FUNCTIONS), "LibHelper");
    EXPECT_EQ(Location(), "LibHelper");
    Click(IDC_BREAK_SET);
    EXPECT_EQ(Labels(), Strings{"Function: LibHelper"});
    BreakpointRecord* record = BreakpointTableFindLabel(session.breakpoints, "Function: LibHelper");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->line, 5);
    EXPECT_EQ(record->fileIndex, 1);

    // Set is the default button: Enter in the edit sets the line.
    TypeLocation("12");
    PressKey(dialog, VK_RETURN);
    ASSERT_EQ(Labels().size(), 2u);
    EXPECT_EQ(Labels()[1].rfind("Line: 0012 (", 0), 0u) << Labels()[1];
    EXPECT_EQ(host->Persistent(), (Addresses{{2, 0}, {0, 3}}));

    // The same line again, a name no function has, a line without code,
    // an empty location: nothing changes. Digits then letters are the line.
    for (const char* text : {"12", "Nowhere", "7", ""}) {
      TypeLocation(text);
      Click(IDC_BREAK_SET);
    }
    EXPECT_EQ(Labels().size(), 2u);
    TypeLocation("21st");
    Click(IDC_BREAK_SET);
    EXPECT_EQ(Labels(), Records());
    EXPECT_EQ(host->Persistent(), (Addresses{{2, 0}, {0, 3}, {1, 1}}));
    Click(IDC_BREAK_CLOSE);
  });
}

TEST_F(BreakpointsDialog, ClearAndClearAllWorkTheListAndOnlyCloseClosesIt) {
  for (const char* text : {"3", "12", "InstallFiles"}) SetBreakpointAt(session.breakpoints, text, 0);
  Open([&] {
    SendMessageA(Item(IDC_BREAK_LIST), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Click(IDC_BREAK_CLEAR);
    EXPECT_EQ(Labels().size(), 3u);
    SendMessageA(Item(IDC_BREAK_LIST), LB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>("Function: InstallFiles"));
    Click(IDC_BREAK_CLEAR);
    EXPECT_EQ(Labels().size(), 2u);
    EXPECT_EQ(Labels(), Records());
    EXPECT_EQ(host->Persistent(), (Addresses{{0, 0}, {0, 3}}));

    host->ClearCalls();
    Click(IDC_BREAK_CLEAR_ALL);
    EXPECT_EQ(Labels(), Strings{});
    EXPECT_EQ(Records(), Strings{});
    EXPECT_EQ(host->Commands(), Strings{"SetBreakpoint user 0 -1,-1"});

    // Escape, the system menu's Close and the cancel command leave it open.
    SetFocus(Item(IDC_BREAK_LOCATION));
    PressKey(dialog, VK_ESCAPE);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    EXPECT_TRUE(Open());
    Click(IDC_BREAK_CLOSE);
    EXPECT_FALSE(Open());
  });
  EXPECT_EQ(session.breakpoints->dialog, nullptr);
}

// The picture of the dialog with two breakpoints and a line about to be set.
// With QN_HOLD_SECONDS set it stays open that long, for a picture of the
// screen, and says where it is.
TEST_F(BreakpointsDialog, Look) {
  SetBreakpointAt(session.breakpoints, "InstallFiles", 0);
  SetBreakpointAt(session.breakpoints, "LibHelper", 0);
  Open([&] {
    SendMessageA(Item(IDC_BREAK_LIST), LB_SETCURSEL, 1, 0);
    TypeLocation("21");
    EXPECT_TRUE(SaveWindowBmp(dialog, ScreenshotPath("breakpoints-dialog.bmp")));
    if (const char* hold = std::getenv("QN_HOLD_SECONDS")) {
      RECT r;
      GetWindowRect(dialog, &r);
      std::printf("dialog %ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
      std::fflush(stdout);
      for (DWORD end = GetTickCount() + std::atoi(hold) * 1000; GetTickCount() < end; Sleep(20)) PumpMessages();
    }
    Click(IDC_BREAK_CLOSE);
  });
}

}  // namespace

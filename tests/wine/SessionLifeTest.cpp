// A session from QNdbgInit to QNdbgExit as a whole: opened with every
// allocation in turn failing, opened and closed a hundred times, and the
// About box's font made anew for each session. Whatever happened, QNdbgExit
// leaves no pool slot, no window and no GDI object behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "debuginfo/LineTable.h"
#include "memory/MemPoolDebug.h"
#include "qndbgc.h"
#include "resources/resource.h"
#include "session/DebugSession.h"
#include "session/HostLink.h"
#include "session/Session.h"
#include "sourceview/SourceWindow.h"
#include "support/SessionScript.h"
#include "support/WineTestSupport.h"

namespace {

// A callback of the system: a lambda does not convert to its calling
// convention on 32-bit Windows.
BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int TopLevelWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// The process-wide objects the open session made, to check that its end
// deleted them.
void TrackSessionObjects(GdiObjectTracker* tracker) {
  if (SessionFaceBrush()) tracker->Track(SessionFaceBrush(), "face brush");
  if (SessionSourceFont()) tracker->Track(SessionSourceFont(), "source font");
  if (SessionControlFont()) tracker->Track(SessionControlFont(), "control font");
  if (SessionAboutFont()) tracker->Track(SessionAboutFont(), "About font");
}

class SessionLifeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(script.written);
    // The pools that live as long as the library (lists, variable tables,
    // watch records, boxes) are made by a first session.
    ScriptedHost host{SessionScript::Run()};
    ASSERT_EQ(Open(host), 1);
    QNdbgExit();
    freeSlots = MemPoolFreeSlots();
    windows = TopLevelWindows();
  }

  INT_PTR Open(ScriptedHost& host) {
    HostCallbacks callbacks = host.Callbacks();
    return QNdbgInit(host.Context(), &callbacks, 0, 0, script.debugPath.c_str(), &main);
  }

  // QNdbgExit gives back everything the session held.
  void ExpectNothingLeftAfterExit(const std::string& run) {
    GdiObjectTracker objects;
    TrackSessionObjects(&objects);
    HWND window = main;
    EXPECT_EQ(QNdbgExit(), 1);
    EXPECT_EQ(DebugSessionCurrent(), nullptr) << run;
    EXPECT_EQ(MemPoolFreeSlots(), freeSlots) << run << ": a pool was kept";
    EXPECT_EQ(TopLevelWindows(), windows) << run << ": a window was kept";
    EXPECT_FALSE(window && IsWindow(window)) << run << ": the main window was kept";
    EXPECT_EQ(objects.Alive(), "") << run;
  }

  SessionScript script;
  HWND main = nullptr;
  int freeSlots = 0, windows = 0;
};

TEST_F(SessionLifeTest, EveryFailedAllocationOpensOrFailsCleanly) {
  long allocations = 0;
  {
    ScriptedHost host{SessionScript::Run()};
    const long before = MemPoolAllocationCount();
    ASSERT_EQ(Open(host), 1);
    allocations = MemPoolAllocationCount() - before;
    ExpectNothingLeftAfterExit("counting run");
  }
  ASSERT_GT(allocations, 10);

  int opened = 0, failed = 0;
  for (long n = 1; n <= allocations + 1; n++) {
    const std::string run = "allocation " + std::to_string(n) + " of " + std::to_string(allocations);
    SCOPED_TRACE(run);
    ScriptedHost host{SessionScript::Run()};
    // A source file that cannot be loaded is reported in a message box; it
    // is answered here.
    MessageBoxWatcher boxes(IDCANCEL);
    main = reinterpret_cast<HWND>(1);
    MemPoolFailAllocation(n);
    const INT_PTR result = Open(host);
    MemPoolFailAllocation(0);
    DebugSession* session = DebugSessionCurrent();
    if (result == 1) {
      opened++;
      ASSERT_NE(session, nullptr);
      EXPECT_EQ(main, session->mainWindow);
      EXPECT_TRUE(IsWindowVisible(main));
      ASSERT_NE(session->currentSource, nullptr);
      EXPECT_TRUE(IsWindowVisible(SourceWindowViewWindow(session->currentSource)));
      std::vector<std::string> commands;  // without the watch window's reads of values
      for (const std::string& call : host.Commands())
        if (call.rfind("GetVar", 0) != 0) commands.push_back(call);
      EXPECT_EQ(commands, (std::vector<std::string>{"SetBreakpoint once 1 0,0"}));
      // An open session stops the script at its first statement that has a
      // line: a line table that lost entries, or was never made, has fewer.
      int firstWithLine = -1;
      const std::vector<ScriptStatement> statements = SessionScript::Run();
      for (size_t i = 0; i < statements.size() && firstWithLine < 0; i++) {
        int32_t line, file;
        if (LineTableFindLine(session->lineTable, statements[i].block, statements[i].offset, &line, &file))
          firstWithLine = static_cast<int>(i);
      }
      EXPECT_EQ(host.RunUntilStop(QNdbgBreak), firstWithLine);
    } else {
      failed++;
      EXPECT_EQ(result, 0);
      // The host's handle is the dialog when one was made, else null.
      if (session) EXPECT_EQ(main, session->mainWindow);
      else EXPECT_EQ(main, nullptr);
    }
    ExpectNothingLeftAfterExit(run);
  }
  // The last run fails nothing; the first fails the session's own pool.
  EXPECT_GT(opened, 0);
  EXPECT_GT(failed, 0);
  RecordProperty("allocations", static_cast<int>(allocations));
  std::printf("%ld allocations: %d runs opened, %d failed\n", allocations, opened, failed);
}

TEST_F(SessionLifeTest, AHundredSessionsLeaveNothingBehind) {
  for (int round = 0; round < 100; round++) {
    const std::string run = "session " + std::to_string(round);
    ScriptedHost host{SessionScript::Run()};
    ASSERT_EQ(Open(host), 1) << run;
    ASSERT_TRUE(IsWindowVisible(main)) << run;
    ASSERT_EQ(host.RunUntilStop(QNdbgBreak), 0) << run;
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_STEP, BN_CLICKED), 0);
    ASSERT_EQ(host.RunUntilStop(QNdbgBreak), 1) << run;
    PumpMessages();
    ExpectNothingLeftAfterExit(run);
    if (HasFailure()) break;
  }
}

TEST_F(SessionLifeTest, EachSessionMakesTheAboutFontAnew) {
  HFONT fonts[2] = {};
  for (HFONT& font : fonts) {
    ScriptedHost host{SessionScript::Run()};
    ASSERT_EQ(Open(host), 1);
    EXPECT_EQ(SessionAboutFont(), nullptr) << "no About font before the box first opens";
    {
      DialogDriver driver([](HWND box) { SendMessageA(box, WM_COMMAND, IDOK, 0); });
      SendMessageA(main, WM_SYSCOMMAND, IDM_ABOUT, 0);
      EXPECT_TRUE(driver.Acted()) << "the About box did not open";
    }
    font = SessionAboutFont();
    EXPECT_NE(font, nullptr);
    ExpectNothingLeftAfterExit("About session");
    EXPECT_EQ(SessionAboutFont(), nullptr);
  }
}

INT_PTR WINAPI DepthSeven(INT_PTR) { return 7; }

TEST_F(SessionLifeTest, AHostWithoutCallbacksGetsASessionThatAsksNothing) {
  HostCallbacks none{};
  ASSERT_EQ(QNdbgInit(0, &none, 0, 0, script.debugPath.c_str(), &main), 1);
  DebugSession* session = DebugSessionCurrent();
  ASSERT_NE(session, nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
  for (int operation = 0; operation <= 15; operation++)
    EXPECT_EQ(HostCall(session, operation, 0, 0, 0), -1) << "operation " << operation;
  // A breakpoint stop with no host to ask still stops and shows the line.
  EXPECT_EQ(QNdbgBreak(1, 0, 0), 0);
  EXPECT_EQ(session->stopped, 1);
  EXPECT_GT(session->currentLine, 0);
  ExpectNothingLeftAfterExit("session without callbacks");

  // The session keeps a copy of the host's table: the host may free its own.
  auto table = std::make_unique<HostCallbacks>();
  table->GetCallDepth = DepthSeven;
  ASSERT_EQ(QNdbgInit(0, table.get(), 0, 0, script.debugPath.c_str(), &main), 1);
  table->GetCallDepth = nullptr;
  table.reset();
  EXPECT_EQ(HostCall(DebugSessionCurrent(), kHostGetCallDepth), 7);
  ExpectNothingLeftAfterExit("session with a freed callback table");
}

}  // namespace

// A session record for the tests of the debugger's windows, without
// QNdbgInit: symbol tables loaded by the real loader from a debug information
// file the test describes, and a scripted host (tests/support/ScriptedHost.h)
// behind the callbacks. It is the open session while it lives. Header-only;
// the test program links the debug information writer.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "debuginfo/DebugInfoLoader.h"
#include "session/BreakpointTable.h"
#include "session/DebugSession.h"
#include "tests/support/ScriptedHost.h"
#include "tools/DebugInfoWriter/DebugInfoWriter.h"

struct TestSession {
  DebugSession session{};
  std::unique_ptr<ScriptedHost> host;

  // Writes and loads the debug information, and opens the session over it.
  // Call it inside ASSERT_NO_FATAL_FAILURE.
  void Open(const DebugInfoDescription& info, std::vector<ScriptStatement> run) {
    std::string path = folder.File("script.dbg"), error;
    ASSERT_EQ(DebugInfoWriteFile(info, path.c_str(), &error), 1) << error;
    session.lineTable = LineTableCreate();
    session.functionTable = FunctionTableCreate();
    session.globals = VariableTableCreate();
    session.sourceFiles = SourceFileListCreate();
    ASSERT_EQ(LoadDebugInfo(session.functionTable, session.globals, session.lineTable, session.sourceFiles,
                            path.c_str(), session.scriptFileName), 1);
    SourceFileListSetMain(session.sourceFiles, session.scriptFileName);
    session.breakpoints = BreakpointTableCreate(session.functionTable, session.lineTable, &session);
    host = std::make_unique<ScriptedHost>(std::move(run));
    session.hostContext = host->Context();
    session.callbacks = host->Callbacks();
    session.stopped = 1;
    DebugSessionSetCurrent(&session);
  }

  ~TestSession() {
    if (session.mainWindow) DestroyWindow(session.mainWindow);
    PumpMessages();
    if (DebugSessionCurrent() == &session) DebugSessionSetCurrent(nullptr);
    BreakpointTableDestroy(session.breakpoints);
    LineTableDestroy(session.lineTable);
    FunctionTableDestroy(session.functionTable);
    VariableTableDestroy(session.globals);
    SourceFileListDestroy(session.sourceFiles);
  }

  // A main window from template 500 with the given dialog procedure, shown.
  HWND OpenMainWindow(DLGPROC procedure) {
    session.mainWindow = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(500), nullptr, procedure, 0);
    ShowWindow(session.mainWindow, SW_SHOW);
    PumpMessages();
    return session.mainWindow;
  }

  TempDir folder;
};

// The items of a combo box, in its order.
inline std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  char text[1024];
  for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); i++) {
    if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof text)) continue;
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

// The user picks an item of a combo box: it selects it and tells its parent.
inline void ComboChoose(HWND combo, const char* item) {
  SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

// Types the text over what an edit holds, one character at a time.
inline void TypeInto(HWND edit, const std::string& text) {
  SendMessageA(edit, EM_SETSEL, 0, -1);
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// A key pressed in the focused control, through the dialog manager as a
// dialog's message loop passes it.
inline void PressKey(HWND dialog, WPARAM key) {
  PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!IsDialogMessageA(dialog, &msg)) DispatchMessageA(&msg);
}

// DebuggerLink: the host's side of the debugger interface (qndbgc.h). It
// answers the debugger's twelve callbacks from the running QnVm, and turns the
// VM's debug hook into QNdbgBreak calls:
//
//   - a statement that carries a breakpoint: QNdbgBreak(1, block, offset), and
//     when that did not stop the script while tracing is on, QNdbgBreak(2, ...);
//   - any other statement while tracing: QNdbgBreak(2, block, offset).
//
// When the debugger stops the script it calls Suspend and returns; the link
// then runs the host's own message loop (waitWhileSuspended) until Resume or
// ExitScript. The loop tests its condition only between messages, so after
// Resume the script goes on once the debugger's command handler has returned
// (the debugger still asks for the position and sets tracing after Resume).
// While the script runs, pollMessages is called every kDebuggerPollInterval
// statements so that the debugger's window (its Stop button) stays alive; the
// Windows side looks at the queue at most every kDebuggerPollMs.
//
// Host decisions the debugger leaves open:
//   - a one-shot breakpoint is removed when reached, and every one-shot
//     breakpoint is dropped when the script is suspended (a stop ends the step
//     that asked for it);
//   - variable indexes are accepted as signed numbers (-101) or as the
//     unsigned low 16 bits the debugger's tables hold (65435);
//   - locals are those of the innermost frame (the function where the script
//     stands); the program block has none;
//   - one debugging session per process (the variable callbacks carry no
//     context), like the debugger itself.
#pragma once

#include <string>

#include "QnVm.h"
#include "qndbgc.h"

constexpr int32_t kDebuggerPollInterval = 4096;
// The least time between two looks at the message queue while the script runs.
constexpr uint32_t kDebuggerPollMs = 50;

struct DebuggerApi {
  QNdbgInitProc init = nullptr;
  QNdbgBreakProc breakAt = nullptr;
  QNdbgExitProc exit = nullptr;
};

struct DebuggerLink {
  QnVm* vm = nullptr;
  QnVmDebugState* debug = nullptr;  // the VM's, for the callbacks of every traced statement
  DebuggerApi api;
  HWND mainWindow = nullptr;     // the debugger's modeless main window
  bool suspended = false;        // Suspend came, Resume not yet
  bool exitRequested = false;    // ExitScript came
  // The host's message loop while suspended; returns once suspended is
  // false or exitRequested is true.
  void (*waitWhileSuspended)(DebuggerLink* link) = nullptr;
  // Dispatches pending messages while the script runs; may be null.
  void (*pollMessages)(DebuggerLink* link) = nullptr;
  void* user = nullptr;          // for the owner of the two functions above
  uint32_t lastPoll = 0;         // tick count of the last look at the messages
};

// The callback table handed to QNdbgInit.
const HostCallbacks* DebuggerLinkCallbacks();
// Opens the session: installs the VM hook and calls QNdbgInit with the debug
// information file. QNdbgInit's result (1 when the debugger is up).
INT_PTR DebuggerLinkOpen(DebuggerLink* link, QnVm* vm, const char* debugFileName);
// Ends the session: QNdbgExit, and the hook is removed.
void DebuggerLinkClose(DebuggerLink* link);

// The platform side (DebuggerLink_win.cpp; natively there is no debugger).
// Loads the debugger library and its three exports; false with *error.
bool DebuggerLibraryLoad(const std::string& path, DebuggerApi* api, std::string* error);
void DebuggerLibraryFree();
// The default library: QNDBGC.DLL beside the running program.
std::string DebuggerLibraryDefaultPath();
// The message loops for waitWhileSuspended and pollMessages.
void DebuggerMessageLoop(DebuggerLink* link);
void DebuggerPollMessages(DebuggerLink* link);

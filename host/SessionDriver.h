// SessionDriver: replays a SessionScript on the debugger's real windows, the
// way a user would work them, while the host holds the script suspended.
//
// It takes the place of the debugger link's wait while suspended: at each
// stop it notes where the script stands and runs the host's own message loop
// (DebuggerMessageLoop). A thread timer, alive for the whole session, carries
// out the
// stop's commands one by one: it clicks the main window's buttons, types into
// its edits, and acts on the Set Breakpoints dialog from inside that dialog's
// own modal loop (which dispatches the timer too). A command that lets the
// script go on ends the stop; the host's loop then returns as it would for a
// person's click.
//
// What it finds wrong (a button that is disabled, a variable the list does
// not have, a stop elsewhere than `expect` says, a dialog that never opens)
// is noted as the failure, and it presses Exit so the run ends. Message boxes
// are answered with OK: the script's own are noted, one of the debugger's is a
// failure; any other dialog that opens unasked is a failure and is cancelled.
// Windows only: natively there is no debugger to drive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DebuggerLink.h"
#include "SessionScript.h"

// One stop of the script, as the host saw it.
struct SessionStop {
  int number = 0;          // 1 for the first stop
  std::string file;        // the statement's source file, as messages name it
  int32_t line = 0;
  int32_t block = 0;
  int32_t offset = 0;
  int32_t depth = 0;       // script function calls active
  std::string function;    // the function, or "program"
};

struct SessionDriver {
  SessionScript script;
  std::string shotsFolder;   // where `shot` writes NAME.bmp; empty: shots are skipped
  int windowTimeoutMs = 5000;  // how long to wait for a dialog to come or go
  // Called at each stop before its commands, with the debugger's main
  // window (tests look at the windows and the script's state here).
  std::function<void(const SessionStop& stop, HWND mainWindow)> onStop;
  // Each line of the transcript: stops, commands, what the windows showed.
  std::function<void(const std::string& line)> note;

  // Filled while the session runs.
  std::vector<SessionStop> stops;
  size_t next = 0;           // the next command to carry out
  std::string failure;       // the first thing that went wrong; empty when none

  // Internal state of the command in progress.
  DebuggerLink* link = nullptr;
  int phase = 0;             // step within a multi-step command
  uint32_t phaseStart = 0;   // tick count when the phase began
  HWND dialog = nullptr;     // the Set Breakpoints dialog being worked
  std::string shownBefore;   // the value edit's text before typing
  bool busy = false;         // a timer tick is running (a tick may pump messages)
  bool atStop = false;       // the host holds the script at a stop
  bool running = false;      // the script went on after a stop
  bool stopDone = false;     // this stop's resuming command has been given
  std::vector<HWND> answered;  // dialogs answered, which may take a while to go
  uintptr_t timer = 0;       // the thread timer, from Attach to Finish
};

// Makes the driver the link's wait while suspended and starts its timer. Call
// before DebuggerLinkOpen, and SessionDriverFinish after the run.
void SessionDriverAttach(SessionDriver* driver, DebuggerLink* link);
// After the run: notes a failure when commands were left over (the script
// ended before reaching the stops they were meant for). True when the session
// went as the script said.
bool SessionDriverFinish(SessionDriver* driver);

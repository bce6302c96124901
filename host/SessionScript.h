// SessionScript: what a user does at each stop of a debugging session,
// written down so that qnrun can replay it (the headless tour, the
// end-to-end tests). One command a line; a line whose first character
// other than a blank is `#` is a comment.
//
//   step | stepinto | go | exit       press that button of the debugger's
//                                      main window; the script goes on, and
//                                      the commands after it belong to the
//                                      next stop
//   stop                               after one of those: press Stop while
//                                      the script runs (it stops at its
//                                      next line)
//   breakpoint line N [shot NAME]      Break, type N into "Set Break At:",
//   breakpoint function NAME [shot S]  or choose NAME in the "Functions:"
//                                      list; Set; (screenshot S of the
//                                      dialog); Close
//   toggle N                           double-click line N of the shown
//                                      source (its breakpoint goes on or
//                                      off); the view is scrolled to it
//   global NAME = VALUE                choose NAME in the row's name list,
//   local NAME = VALUE                 type VALUE (the rest of the line;
//                                      "..." keeps blanks at its ends) into
//                                      the row's value edit, and
//                                      press Tab (the debugger writes the
//                                      value back when the edit loses the
//                                      focus)
//   watch global NAME                  choose NAME in the row's name list
//   watch local NAME                   and press the row's watch button
//   expect FILE(LINE)                  the script must have stopped there
//   shot NAME                          a screenshot, NAME.bmp in the shots
//                                      folder
//   pause MS                           wait MS milliseconds (for a viewer)
//
// A stop whose commands run out presses Exit, so that an unattended run
// always ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum SessionCommandKind : int {
  kSessionStep,
  kSessionStepInto,
  kSessionGo,
  kSessionExit,
  kSessionStop,
  kSessionBreakAtLine,
  kSessionBreakAtFunction,
  kSessionToggleLine,
  kSessionSetGlobal,
  kSessionSetLocal,
  kSessionWatchGlobal,
  kSessionWatchLocal,
  kSessionExpect,
  kSessionShot,
  kSessionPause,
};

struct SessionCommand {
  SessionCommandKind kind = kSessionExit;
  std::string name;    // variable, function, file of expect, screenshot
  std::string value;   // the text typed for global and local
  std::string shot;    // screenshot taken while the breakpoint dialog is open
  int32_t number = 0;  // line of breakpoint and expect, milliseconds of pause
  int sourceLine = 0;  // line of the session script, for messages
};

struct SessionScript {
  std::vector<SessionCommand> commands;
};

// Parses a session script; false with "line N: what is wrong" in *error.
bool SessionScriptParse(const std::string& text, SessionScript* script, std::string* error);
// True for the commands that let the script go on (and so end a stop).
bool SessionCommandResumes(SessionCommandKind kind);
// The command as it would be written in a script, for transcripts.
std::string SessionCommandText(const SessionCommand& command);
// True when a stop in `file` (any path) at `line` is what `expect` names:
// the last components are compared without regard to case.
bool SessionExpectMatches(const SessionCommand& expect, const std::string& file, int32_t line);

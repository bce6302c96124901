// The windows' side of execution control, for the native tests: every request
// is recorded as a line of text, and the state the real windows would keep
// (the enabled controls, the source shown, its current line) is kept here.
#pragma once

#include <string>
#include <vector>

struct SourceWindow;

struct RecordedWindows {
  std::vector<std::string> requests;
  SourceWindow* shown = nullptr;  // the source window whose view is shown
  int currentLine = 0;            // its current line
  bool stopEnabled = false;       // the Stop button
  bool commandsEnabled = true;    // Go, Step, StepInto, Break and the panels
};

RecordedWindows& Windows();
// A SourceWindow handle for the tests: the records never look inside one.
SourceWindow* FakeSourceWindow(int fileIndex);

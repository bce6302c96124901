#include "RecordingWindows.h"

#include <cstdio>
#include <cstring>

#include "session/DebugSession.h"
#include "session/SessionWindows.h"

namespace {
std::string Name(SourceWindow* source) {
  if (!source) return "none";
  return "source" + std::to_string(reinterpret_cast<intptr_t>(source) / 16);
}
void Record(const std::string& request) { Windows().requests.push_back(request); }
}  // namespace

RecordedWindows& Windows() {
  static RecordedWindows windows;
  return windows;
}

SourceWindow* FakeSourceWindow(int fileIndex) { return reinterpret_cast<SourceWindow*>(16 * (fileIndex + 1)); }

void SessionWindowsReleaseCapture() { Record("ReleaseCapture"); }
void SessionWindowsRaise(DebugSession*, int show) { Record(show ? "Raise show" : "Raise"); }
void SessionWindowsEnable(DebugSession* session, int stopped) {
  session->stopped = stopped;
  Windows().commandsEnabled = stopped != 0;
  Windows().stopEnabled = stopped == 0;
  Record(stopped ? "Enable stopped" : "Enable running");
}
void SessionWindowsEnableStop(DebugSession*) {
  Windows().stopEnabled = true;
  Record("EnableStop");
}
void SessionWindowsSwitchSource(SourceWindow* shown, SourceWindow* hidden) {
  Windows().shown = shown;
  Record("Show " + Name(shown) + " hide " + Name(hidden));
}
void SessionWindowsUpdateCaption(DebugSession* session) { Record(std::string("Caption ") + session->currentFileName); }
void SessionWindowsShowLine(SourceWindow* source, int32_t line) {
  Windows().currentLine = line;
  Record("ShowLine " + Name(source) + " " + std::to_string(line));
}
void SessionWindowsUpdateSourceLabel(DebugSession*) { Record("SourceLabel"); }
void SessionWindowsRefreshVariables(DebugSession*) { Record("RefreshVariables"); }
void SessionWindowsRefreshWatch(DebugSession*) { Record("RefreshWatch"); }
void SessionWindowsOpenBreakpoints(DebugSession*) { Record("OpenBreakpoints"); }
void SessionWindowsSourceFileName(SourceWindow* source, char* name) {
  std::snprintf(name, 261, "%s.QN", Name(source).c_str());
}
void SessionWindowsMarkBreakpoint(SourceWindow* source, int add, int32_t line) {
  Record((add ? "Mark " : "Unmark ") + Name(source) + " " + std::to_string(line));
}
void SessionWindowsInvalidateSource(SourceWindow* source) { Record("Invalidate " + Name(source)); }
void SessionWindowsDialogAddLabel(HWND, const char* label) { Record(std::string("DialogAdd ") + label); }
void SessionWindowsDialogRemoveLabel(HWND, const char* label) { Record(std::string("DialogRemove ") + label); }
void SessionWindowsDialogClearLabels(HWND) { Record("DialogClear"); }

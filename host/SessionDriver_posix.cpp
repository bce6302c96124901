// Natively there is no debugger library and so no window to work: qnrun
// refuses --debug before a session script could run (DebuggerLink_posix.cpp).
#include "SessionDriver.h"

void SessionDriverAttach(SessionDriver* driver, DebuggerLink* link) { driver->link = link; }

bool SessionDriverFinish(SessionDriver* driver) {
  if (!driver->script.commands.empty() && driver->failure.empty())
    driver->failure = "session scripts work the debugger's windows: Windows build only";
  return driver->failure.empty();
}

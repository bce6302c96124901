// The Windows side of the debugger link: loading QNDBGC.DLL at run time and
// the host's own message loop, which drives the debugger's modeless main
// window (through IsDialogMessage, so that its buttons take the keyboard)
// while the script is suspended.
#include <windows.h>

#include "DebuggerLink.h"

namespace {

HMODULE gLibrary = nullptr;

void Dispatch(DebuggerLink* link, MSG* msg) {
  if (link->mainWindow && IsDialogMessageA(link->mainWindow, msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

}  // namespace

bool DebuggerLibraryLoad(const std::string& path, DebuggerApi* api, std::string* error) {
  gLibrary = LoadLibraryA(path.c_str());
  if (!gLibrary) {
    *error = "cannot load the debugger " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  api->init = reinterpret_cast<QNdbgInitProc>(reinterpret_cast<void*>(GetProcAddress(gLibrary, "QNdbgInit")));
  api->breakAt = reinterpret_cast<QNdbgBreakProc>(reinterpret_cast<void*>(GetProcAddress(gLibrary, "QNdbgBreak")));
  api->exit = reinterpret_cast<QNdbgExitProc>(reinterpret_cast<void*>(GetProcAddress(gLibrary, "QNdbgExit")));
  if (!api->init || !api->breakAt || !api->exit) {
    *error = path + " does not export QNdbgInit, QNdbgBreak and QNdbgExit";
    DebuggerLibraryFree();
    *api = DebuggerApi();
    return false;
  }
  return true;
}

void DebuggerLibraryFree() {
  if (gLibrary) FreeLibrary(gLibrary);
  gLibrary = nullptr;
}

std::string DebuggerLibraryDefaultPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n < MAX_PATH ? n : 0);
  size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  return folder + "QNDBGC.DLL";
}

void DebuggerMessageLoop(DebuggerLink* link) {
  while (link->suspended && !link->exitRequested) {
    if (link->mainWindow && !IsWindow(link->mainWindow)) {
      // The debugger's window is gone without a word: nothing could resume us.
      link->exitRequested = true;
      QnVmRequestStop(link->vm);
      break;
    }
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      link->exitRequested = true;
      QnVmRequestStop(link->vm);
      break;
    }
    Dispatch(link, &msg);
  }
  // What the debugger changed on going on (the buttons it disabled, Stop
  // enabled) is painted now, before the script runs: the user sees the
  // running state at once, and the script does not pay for the painting
  // when it next looks at the queue, a full interval later.
  if (link->mainWindow && IsWindow(link->mainWindow))
    RedrawWindow(link->mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  link->lastPoll = GetTickCount();
}

void DebuggerPollMessages(DebuggerLink* link) {
  // Asking for messages is a round trip to the window server (tens of
  // microseconds under Wine): every 4096 statements that would double the
  // time of a plain loop. The countdown only offers the chance; the queue
  // is looked at when kDebuggerPollMs have passed, which keeps Stop prompt.
  const DWORD now = GetTickCount();
  if (now - link->lastPoll < kDebuggerPollMs) return;
  link->lastPoll = now;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      link->exitRequested = true;
      QnVmRequestStop(link->vm);
      return;
    }
    Dispatch(link, &msg);
  }
}

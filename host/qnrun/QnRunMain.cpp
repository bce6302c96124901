// qnrun: compiles a Quendle script and runs it, on its own or under the
// debugger (--debug, Windows). See host/README.md for the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "DebuggerLink.h"
#include "HostSystem.h"
#include "QnEngine.h"
#include "QnPath.h"
#include "SessionDriver.h"

namespace {

enum ExitCode : int {
  kExitDone = 0,
  kExitCompileError = 1,
  kExitRuntimeError = 2,
  kExitAborted = 3,
  kExitDebuggerFailed = 4,
  kExitSessionFailed = 5,
  kExitUsage = 64,
};

struct Options {
  std::string script;
  bool debug = false;
  bool writeDebugInfo = false;
  bool checkOnly = false;
  std::string debugger;   // the debugger library
  std::string debugFile;  // where the debug information goes
  std::string session;    // session script replayed at the stops
  std::string shots;      // folder of its screenshots
  QnHostConfig host;
  bool srcDirGiven = false;
  bool targetDirGiven = false;
};

const char kUsage[] =
    "usage: qnrun [options] SCRIPT\n"
    "  --debug               run the script under the debugger (QNDBGC.DLL)\n"
    "  --debugger PATH       the debugger library (default: QNDBGC.DLL beside qnrun)\n"
    "  --debug-file PATH     the debug information file (default: SCRIPT with .dbg)\n"
    "  --write-debug-info    write the debug information file also without --debug\n"
    "  --session FILE        replay the session script FILE on the debugger's\n"
    "                        windows at each stop (with --debug)\n"
    "  --shots DIR           where the session script's screenshots go\n"
    "  --check               compile only\n"
    "  --srcdir DIR          SRCDIR (default: the folder of SCRIPT)\n"
    "  --targetdir DIR       TARGETDIR (default: the sandbox folder)\n"
    "  --sandbox DIR         the folder CreateDir and CopyFile may write in\n"
    "                        (without it every write is refused)\n"
    "  --stdout-messages     MessageBox and SprintfBox print to standard output\n"
    "                        instead of showing a box (always so outside Windows)\n"
    "  --no-delay            Delay returns at once\n";

bool ParseOptions(int argc, char** argv, Options* o) {
  o->host.messagesToStdout = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= argc) return false;
      *into = argv[++i];
      return true;
    };
    if (arg == "--debug") o->debug = true;
    else if (arg == "--write-debug-info") o->writeDebugInfo = true;
    else if (arg == "--check") o->checkOnly = true;
    else if (arg == "--stdout-messages") o->host.messagesToStdout = true;
    else if (arg == "--no-delay") o->host.noDelay = true;
    else if (arg == "--debugger") { if (!value(&o->debugger)) return false; }
    else if (arg == "--debug-file") { if (!value(&o->debugFile)) return false; }
    else if (arg == "--session") { if (!value(&o->session)) return false; }
    else if (arg == "--shots") { if (!value(&o->shots)) return false; }
    else if (arg == "--srcdir") { if (!value(&o->host.srcDir)) return false; o->srcDirGiven = true; }
    else if (arg == "--targetdir") { if (!value(&o->host.targetDir)) return false; o->targetDirGiven = true; }
    else if (arg == "--sandbox") { if (!value(&o->host.sandbox)) return false; }
    else if (arg == "--help" || arg == "-h") return false;
    else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "qnrun: unknown option %s\n", arg.c_str());
      return false;
    } else if (o->script.empty()) o->script = arg;
    else return false;
  }
  if (o->script.empty()) return false;
  if (!o->session.empty() && !o->debug) {
    std::fprintf(stderr, "qnrun: --session needs --debug\n");
    return false;
  }
  if (!o->srcDirGiven) {
    std::string folder = QnPathFolder(HostSystemFullPath(o->script));
    if (folder.size() > 1 && QnPathIsSeparator(folder.back())) folder.pop_back();
    o->host.srcDir = folder;
  }
  if (!o->targetDirGiven && !o->host.sandbox.empty()) o->host.targetDir = HostSystemFullPath(o->host.sandbox);
  if (o->debugFile.empty()) o->debugFile = QnDebugInfoPathFor(o->script);
  if (o->debugger.empty()) o->debugger = DebuggerLibraryDefaultPath();
  return true;
}

// Reads the session script named by --session into the driver; false with a
// message on standard error.
bool LoadSession(const Options& o, SessionDriver* driver) {
  std::FILE* file = std::fopen(o.session.c_str(), "rb");
  if (!file) {
    std::fprintf(stderr, "qnrun: cannot read the session script %s\n", o.session.c_str());
    return false;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  std::string error;
  if (!SessionScriptParse(text, &driver->script, &error)) {
    std::fprintf(stderr, "qnrun: %s, %s\n", o.session.c_str(), error.c_str());
    return false;
  }
  driver->shotsFolder = o.shots;
  driver->note = [](const std::string& line) {
    std::printf("session: %s\n", line.c_str());
    std::fflush(stdout);
  };
  return true;
}

// The run's status, or -1 when the debugger could not be loaded or started.
// `driver` replays a session script when it is not null.
int RunUnderDebugger(const Options& o, QnVm* vm, SessionDriver* driver) {
  DebuggerLink link;
  std::string error;
  if (!DebuggerLibraryLoad(o.debugger, &link.api, &error)) {
    std::fprintf(stderr, "qnrun: %s\n", error.c_str());
    return -1;
  }
  link.waitWhileSuspended = DebuggerMessageLoop;
  link.pollMessages = DebuggerPollMessages;
  if (driver) SessionDriverAttach(driver, &link);
  std::string debugFile = HostSystemFullPath(o.debugFile);
  INT_PTR opened = DebuggerLinkOpen(&link, vm, debugFile.c_str());
  int status = kQnStopped;
  if (opened) {
    status = QnVmRun(vm);
  } else {
    std::fprintf(stderr, "qnrun: the debugger could not start on %s\n", debugFile.c_str());
  }
  DebuggerLinkClose(&link);
  DebuggerLibraryFree();
  return opened ? status : -1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  SessionDriver driver;
  if (!o.session.empty() && !LoadSession(o, &driver)) return kExitUsage;
  QnProgram program;
  std::string error;
  if (!QnCompileFile(o.script, &program, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kExitCompileError;
  }
  if (o.debug || o.writeDebugInfo) {
    if (!QnDebugInfoWrite(program, o.debugFile, &error)) {
      std::fprintf(stderr, "qnrun: %s\n", error.c_str());
      return kExitCompileError;
    }
  }
  if (o.checkOnly) return kExitDone;

  QnVm* vm = QnVmCreate(&program, o.host);
  SessionDriver* session = o.session.empty() ? nullptr : &driver;
  int status = o.debug ? RunUnderDebugger(o, vm, session) : QnVmRun(vm);
  int code = kExitDone;
  if (status < 0) {
    code = kExitDebuggerFailed;
  } else if (status == kQnRuntimeError) {
    std::fprintf(stderr, "%s\n", QnVmError(vm).c_str());
    code = kExitRuntimeError;
  } else if (status == kQnAborted) {
    std::fprintf(stderr, "qnrun: the script was aborted\n");
    code = kExitAborted;
  } else if (status == kQnStopped) {
    std::fprintf(stderr, "qnrun: the script was ended from the debugger\n");
  }
  if (session && status >= 0 && !SessionDriverFinish(session)) {
    std::fprintf(stderr, "qnrun: the session script failed: %s\n", session->failure.c_str());
    if (code == kExitDone) code = kExitSessionFailed;
  }
  QnVmDestroy(vm);
  return code;
}

// The figure a user feels: a loop of 1,000,000 statements inside a script
// function, run by the reference engine
//   (a) without the debugger;
//   (b) under QNDBGC.DLL, after Go: tracing off, no breakpoint reached;
//   (c) under QNDBGC.DLL while the user steps over the call of the function:
//       tracing on, QNdbgBreak before every statement, no stop until the
//       call has returned;
// and, to show where (c) goes,
//   (h) the host's own share of (c): tracing on, every statement reported to
//       a QNdbgBreak that answers 1 at once;
//   the three host callbacks QNdbgBreak makes on its way (class, SetTrace,
//       call depth), called as often on the live engine.
// The rounds interleave the runs, so that each ratio compares runs made under
// the same load; the table gives the medians.
//
// The buttons are pressed as a user presses them (BM_CLICK on the debugger's
// main window, through the host's own message loop); the timed part of (b)
// starts when Go has let the script go on, that of (c) when Step has and ends
// at the stop after the call.
//
//   scripts/wine-run.sh wine build/win64/bin/winbench_HostDebugBench.exe [rounds [step]]
// With "step" only (c) is run, the given number of times: for a profiler.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchScripts.h"
#include "host/DebuggerLink.h"
#include "host/QnEngine.h"

namespace {

constexpr int kGo = 503, kStep = 501;  // the main window's buttons

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What one debugged run does at its stops: press `first` at the first stop
// and Go at any later one; notes when the script went on after the first
// stop and when the next stop came.
struct Plan {
  int first = kGo;
  int stops = 0;
  double resumed = 0;     // the script went on after the first stop
  double secondStop = 0;  // the next stop began
};

void Press(HWND main, int id) {
  HWND button = GetDlgItem(main, id);
  if (button) PostMessageA(button, BM_CLICK, 0, 0);
}

void AtStop(DebuggerLink* link) {
  Plan* plan = static_cast<Plan*>(link->user);
  plan->stops++;
  if (plan->stops == 2) plan->secondStop = Now();
  if (!link->mainWindow) {
    link->exitRequested = true;
    return;
  }
  Press(link->mainWindow, plan->stops == 1 ? plan->first : kGo);
  DebuggerMessageLoop(link);
  if (plan->stops == 1) plan->resumed = Now();
}

INT_PTR WINAPI NoStopBreak(INT_PTR, INT_PTR, INT_PTR) { return 1; }
INT_PTR WINAPI NoInit(INT_PTR, const HostCallbacks*, INT_PTR, INT_PTR, const char*, HWND*) { return 1; }
INT_PTR WINAPI NoExit() { return 1; }

struct Bench {
  QnProgram program;
  std::string debugFile;
  DebuggerApi dll;
  bool noWindow = false;

  double Plain() {
    QnVm* vm = QnVmCreate(&program, QnHostConfig());
    double start = Now();
    QnVmRun(vm);
    double seconds = Now() - start;
    QnVmDestroy(vm);
    return seconds;
  }

  // (b) with kGo, (c) with kStep; seconds of the part described above.
  double Debugged(int first) {
    QnVm* vm = QnVmCreate(&program, QnHostConfig());
    DebuggerLink link;
    link.api = dll;
    Plan plan;
    plan.first = first;
    link.user = &plan;
    link.waitWhileSuspended = AtStop;
    link.pollMessages = DebuggerPollMessages;
    DebuggerLinkOpen(&link, vm, debugFile.c_str());
    double start = Now();
    QnVmRun(vm);
    double end = Now();
    DebuggerLinkClose(&link);
    QnVmDestroy(vm);
    if (plan.stops == 0) {
      noWindow = true;  // no stop at the first statement: the whole run is (b)
      return first == kGo ? end - start : 0;
    }
    return first == kGo ? end - plan.resumed : plan.secondStop - plan.resumed;
  }

  // An engine linked to a debugger that never stops and does nothing.
  QnVm* OpenSilent(DebuggerLink* link) {
    QnVm* vm = QnVmCreate(&program, QnHostConfig());
    link->api.init = NoInit;
    link->api.breakAt = NoStopBreak;
    link->api.exit = NoExit;
    DebuggerLinkOpen(link, vm, debugFile.c_str());
    return vm;
  }

  // (h): the host reports every statement to a QNdbgBreak that does nothing.
  double HostShare() {
    DebuggerLink link;
    QnVm* vm = OpenSilent(&link);
    QnVmSetTrace(vm, true);
    double start = Now();
    QnVmRun(vm);
    double seconds = Now() - start;
    DebuggerLinkClose(&link);
    QnVmDestroy(vm);
    return seconds;
  }

  // The callbacks QNdbgBreak makes for one statement, on a live engine.
  double Callbacks() {
    DebuggerLink link;
    QnVm* vm = OpenSilent(&link);
    const HostCallbacks* callbacks = DebuggerLinkCallbacks();
    INT_PTR context = reinterpret_cast<INT_PTR>(&link);
    volatile INT_PTR sink = 0;
    double start = Now();
    for (int i = 0; i < static_cast<int>(kBenchLoopStatements); ++i) {
      sink = sink + callbacks->GetStatementClass(context, 1, i & 3);
      callbacks->SetTrace(context, 1);
      sink = sink + callbacks->GetCallDepth(context);
    }
    double seconds = Now() - start;
    DebuggerLinkClose(&link);
    QnVmDestroy(vm);
    return seconds;
  }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Ns(double seconds) { return 1e9 * seconds / kBenchLoopStatements; }

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  Bench bench;
  std::string error;
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  // The debugger shows the script's source: it must be on disk.
  const std::string script = std::string(folder) + "qn-host-debug-bench.qn";
  bench.debugFile = std::string(folder) + "qn-host-debug-bench.dbg";
  std::FILE* source = std::fopen(script.c_str(), "wb");
  if (!source || std::fputs(kBenchLoopScript, source) < 0 || std::fclose(source) != 0) {
    std::fprintf(stderr, "cannot write %s\n", script.c_str());
    return 1;
  }
  if (!QnCompileFile(script, &bench.program, &error) ||
      !QnDebugInfoWrite(bench.program, bench.debugFile, &error) ||
      !DebuggerLibraryLoad(DebuggerLibraryDefaultPath(), &bench.dll, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::vector<double> plain, idle, stepping, host, callbacks;
  if (argc > 2 && std::string(argv[2]) == "step") {
    for (int round = 0; round < rounds; ++round) stepping.push_back(bench.Debugged(kStep));
    std::printf("(c) %d runs, median %.1f ns per statement\n", rounds, Ns(Median(stepping)));
    DebuggerLibraryFree();
    return 0;
  }
  for (int round = 0; round < rounds; ++round) {
    plain.push_back(bench.Plain());
    idle.push_back(bench.Debugged(kGo));
    stepping.push_back(bench.Debugged(kStep));
    host.push_back(bench.HostShare());
    callbacks.push_back(bench.Callbacks());
  }
  DebuggerLibraryFree();
  DeleteFileA(bench.debugFile.c_str());
  DeleteFileA(script.c_str());

  const double a = Median(plain), b = Median(idle), c = Median(stepping), h = Median(host), k = Median(callbacks);
  std::printf("%d rounds, medians; %.0f statements a run\n\n", rounds, kBenchLoopStatements);
  std::printf("| run | ms | ns per statement | vs (a) |\n|---|---:|---:|---:|\n");
  std::printf("| (a) no debugger | %.1f | %.1f | 1 |\n", 1e3 * a, Ns(a));
  std::printf("| (b) under QNDBGC.DLL after Go: tracing off, no breakpoint reached | %.1f | %.1f | %.3f |\n", 1e3 * b,
              Ns(b), b / a);
  if (bench.noWindow) {
    std::printf("| (c) stepping over the call | - | - | needs the debugger's main window (none was made) |\n");
  } else {
    std::printf("| (c) under QNDBGC.DLL, Step over the call: tracing on, no stop | %.1f | %.1f | %.2f |\n", 1e3 * c,
                Ns(c), c / a);
  }
  std::printf("| (h) the host's share of (c): every statement to a QNdbgBreak that returns at once | %.1f | %.1f | %.2f |\n",
              1e3 * h, Ns(h), h / a);
  std::printf("| the three callbacks QNdbgBreak makes (class, SetTrace, depth), per statement | %.1f | %.1f | |\n",
              1e3 * k, Ns(k));
  return 0;
}

// What the debugger costs a running script, natively: a loop of 1,000,000
// statements in a script function, run by the reference engine
//   Plain          without the debugger;
//   HookIdle       under the debugger with tracing off and no breakpoint
//                  reached (the host's poll countdown and flag test remain);
//   TraceDebugger  while the user steps over the call of the function: the
//                  debugger's own QNdbgBreak, on its path that does not stop,
//                  is called before every statement (statement class,
//                  SetTrace, the line table lookup, the call depth).
// Natively the debugger's session is put together by hand (its windows are
// Win32); its execution control and symbol tables are the library's own.
// The per_statement counter divides the run's CPU time by the statements run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "BenchScripts.h"
#include "host/DebuggerLink.h"
#include "session/DebugSession.h"
#include "session/ExecutionControl.h"
#include "session/SessionWindows.h"
#include "host/QnEngine.h"

namespace {

const QnProgram& Program() {
  static QnProgram program;
  static bool compiled = false;
  if (!compiled) {
    std::string error;
    compiled = QnCompileMemory({{"loop.qn", kBenchLoopScript}}, "loop.qn", &program, &error);
    if (!compiled) std::fprintf(stderr, "%s\n", error.c_str());
  }
  return program;
}

void RunLoop(benchmark::State& state, QnHook hook, int mask, int32_t poll) {
  const QnProgram& program = Program();
  for (auto _ : state) {
    state.PauseTiming();
    QnVm* vm = QnVmCreate(&program, QnHostConfig());
    if (hook) QnVmSetHook(vm, hook, vm, mask, poll);
    state.ResumeTiming();
    if (QnVmRun(vm) != kQnFinished) state.SkipWithError("the loop did not finish");
    state.PauseTiming();
    QnVmDestroy(vm);
    state.ResumeTiming();
  }
  state.counters["per_statement"] =
      benchmark::Counter(kBenchLoopStatements * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

int IdleHook(QnVm*, const QnHookEvent&, void*) { return 0; }

// The debugger's session as QNdbgInit would leave it: tracing on, so that
// the first statement stops. Its line table holds every statement of the
// program that has a line.
DebugSession gSession;

INT_PTR WINAPI StepOverInit(INT_PTR context, const HostCallbacks* callbacks, INT_PTR, INT_PTR, const char*, HWND*) {
  const QnProgram& program = Program();
  gSession = DebugSession{};
  gSession.hostContext = context;
  gSession.callbacks = *callbacks;
  gSession.lineTable = LineTableCreate();
  for (size_t b = 0; b < program.blocks.size(); ++b)
    for (size_t o = 0; o < program.blocks[b].statements.size(); ++o)
      if (program.blocks[b].statements[o].hasLine)
        LineTableAdd(gSession.lineTable, program.blocks[b].statements[o].line, 0, static_cast<int32_t>(b),
                     static_cast<int32_t>(o));
  gSession.sourceFiles = SourceFileListCreate();
  SourceFileListAdd(gSession.sourceFiles, "loop.qn", 0, 0, 0);
  gSession.stopped = 1;
  DebugSessionSetCurrent(&gSession);
  callbacks->SetTrace(context, 1);
  return 1;
}

// The user, at every stop: Step. At the first statement (the call of the
// function) that steps over the whole loop.
void PressStep(DebuggerLink*) { CommandStep(&gSession); }

INT_PTR WINAPI StepOverExit() {
  DebugSessionSetCurrent(nullptr);
  LineTableDestroy(gSession.lineTable);
  SourceFileListDestroy(gSession.sourceFiles);
  return 1;
}

}  // namespace

static void Plain(benchmark::State& state) { RunLoop(state, nullptr, 0, 0); }
static void HookIdle(benchmark::State& state) {
  RunLoop(state, IdleHook, kQnMaskPoll, kDebuggerPollInterval);
}
static void TraceDebugger(benchmark::State& state) {
  const QnProgram& program = Program();
  for (auto _ : state) {
    state.PauseTiming();
    QnVm* vm = QnVmCreate(&program, QnHostConfig());
    DebuggerLink link;
    link.api = DebuggerApi{StepOverInit, QNdbgBreak, StepOverExit};
    link.waitWhileSuspended = PressStep;
    DebuggerLinkOpen(&link, vm, "loop.dbg");
    state.ResumeTiming();
    if (QnVmRun(vm) != kQnFinished) state.SkipWithError("the loop did not finish");
    state.PauseTiming();
    DebuggerLinkClose(&link);
    QnVmDestroy(vm);
    state.ResumeTiming();
  }
  state.counters["per_statement"] =
      benchmark::Counter(kBenchLoopStatements * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(HookIdle)->Unit(benchmark::kMillisecond);
BENCHMARK(TraceDebugger)->Unit(benchmark::kMillisecond);

// The script ends at a line of the program: that one stop reaches the
// windows, which natively are not there.
void SessionWindowsReleaseCapture() {}
void SessionWindowsRaise(DebugSession*, int) {}
void SessionWindowsEnable(DebugSession* session, int stopped) { session->stopped = stopped; }
void SessionWindowsEnableStop(DebugSession*) {}
void SessionWindowsSwitchSource(SourceWindow*, SourceWindow*) {}
void SessionWindowsUpdateCaption(DebugSession*) {}
void SessionWindowsShowLine(SourceWindow*, int32_t) {}
void SessionWindowsUpdateSourceLabel(DebugSession*) {}
void SessionWindowsRefreshVariables(DebugSession*) {}
void SessionWindowsRefreshWatch(DebugSession*) {}
void SessionWindowsOpenBreakpoints(DebugSession*) {}

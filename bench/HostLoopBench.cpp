// What tracing costs the reference host: a loop of 1,000,000 statements in a
// script function, run
//   Plain          without a hook;
//   HookIdle       with the debugger link's hook installed, tracing off (the
//                  poll countdown and the flag test on every statement);
//   TraceIntKey    tracing on, the hook asks the statement's class and the
//                  call depth and looks the address up in a hash table keyed
//                  by the number pair: the least the debugger does;
//   TraceTextKey   the same with the key formatted as "%d-%d" text, as the
//                  debugger's line table keys are;
//   TraceLink      tracing through the whole debugger link: QNdbgBreak of a
//                  stand-in that does what the debugger does on a statement
//                  where it does not stop (class, SetTrace, lookup, depth).
// The per_statement counter divides the run's CPU time by the statements run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unordered_map>

#include "host/DebuggerLink.h"
#include "host/QnEngine.h"

namespace {

const char kScript[] =
    "prototype Work();\n"
    "function Work()\n"
    "  NUMBER n;\n"
    "begin\n"
    "  n = 0;\n"
    "  while (n < 500000)\n"
    "    n = n + 1;\n"
    "  endwhile;\n"
    "end;\n"
    "program\n"
    "  Work();\n"
    "endprogram\n";

// program: call, endprogram; Work: n = 0, 500001 tests, 500000 bodies, loop exit, end
constexpr double kStatements = 2 + 1 + 500001 + 500000 + 1 + 1;

const QnProgram& Program() {
  static QnProgram program;
  static bool compiled = false;
  if (!compiled) {
    std::string error;
    compiled = QnCompileMemory({{"loop.qn", kScript}}, "loop.qn", &program, &error);
    if (!compiled) std::fprintf(stderr, "%s\n", error.c_str());
  }
  return program;
}

struct Lookup {
  std::unordered_map<int64_t, int> byAddress;
  std::unordered_map<std::string, int> byText;
  int64_t found = 0;
};

Lookup& Table() {
  static Lookup table;
  if (table.byAddress.empty()) {
    const QnProgram& program = Program();
    for (size_t b = 0; b < program.blocks.size(); ++b) {
      for (size_t o = 0; o < program.blocks[b].statements.size(); ++o) {
        const QnStatement& s = program.blocks[b].statements[o];
        if (!s.hasLine) continue;
        table.byAddress[(static_cast<int64_t>(b) << 32) | o] = s.line;
        table.byText[std::to_string(b) + "-" + std::to_string(o)] = s.line;
      }
    }
  }
  return table;
}

void RunLoop(benchmark::State& state, QnHook hook, int mask, int32_t poll) {
  const QnProgram& program = Program();
  Table();
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
      benchmark::Counter(kStatements * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

int IdleHook(QnVm*, const QnHookEvent&, void*) { return 0; }

int IntKeyHook(QnVm* vm, const QnHookEvent& e, void*) {
  int statementClass = QnVmStatementClass(vm, e.block, e.offset);
  Lookup& table = Table();
  auto found = table.byAddress.find((static_cast<int64_t>(e.block) << 32) | static_cast<uint32_t>(e.offset));
  if (found != table.byAddress.end() && statementClass != 6 && QnVmCallDepth(vm) >= 0) ++table.found;
  return 0;
}

int TextKeyHook(QnVm* vm, const QnHookEvent& e, void*) {
  int statementClass = QnVmStatementClass(vm, e.block, e.offset);
  char key[32];
  std::snprintf(key, sizeof key, "%d-%d", e.block, e.offset);
  Lookup& table = Table();
  auto found = table.byText.find(key);
  if (found != table.byText.end() && statementClass != 6 && QnVmCallDepth(vm) >= 0) ++table.found;
  return 0;
}

// A stand-in for QNdbgBreak on its path that does not stop: Step over the
// call in the program (state 1 with the saved depth 0).
const HostCallbacks* gCallbacks = nullptr;
INT_PTR gContext = 0;

INT_PTR WINAPI BenchInit(INT_PTR context, const HostCallbacks* callbacks, INT_PTR, INT_PTR, const char*, HWND*) {
  gCallbacks = callbacks;
  gContext = context;
  callbacks->SetTrace(context, 1);
  return 1;
}

INT_PTR WINAPI BenchBreak(INT_PTR, INT_PTR block, INT_PTR offset) {
  INT_PTR statementClass = gCallbacks->GetStatementClass(gContext, block, offset);
  gCallbacks->SetTrace(gContext, 1);
  char key[32];
  std::snprintf(key, sizeof key, "%d-%d", static_cast<int>(block), static_cast<int>(offset));
  Lookup& table = Table();
  if (table.byText.find(key) == table.byText.end()) return 1;
  if (gCallbacks->GetCallDepth(gContext) > 0) return 1;
  table.found += statementClass;
  return 1;
}

INT_PTR WINAPI BenchExit() { return 1; }

}  // namespace

static void Plain(benchmark::State& state) { RunLoop(state, nullptr, 0, 0); }
static void HookIdle(benchmark::State& state) {
  RunLoop(state, IdleHook, kQnMaskPoll, kDebuggerPollInterval);
}
static void TraceIntKey(benchmark::State& state) {
  RunLoop(state, IntKeyHook, kQnMaskTrace | kQnMaskPoll, kDebuggerPollInterval);
}
static void TraceTextKey(benchmark::State& state) {
  RunLoop(state, TextKeyHook, kQnMaskTrace | kQnMaskPoll, kDebuggerPollInterval);
}
static void TraceLink(benchmark::State& state) {
  const QnProgram& program = Program();
  Table();
  for (auto _ : state) {
    state.PauseTiming();
    QnVm* vm = QnVmCreate(&program, QnHostConfig());
    DebuggerLink link;
    link.api = DebuggerApi{BenchInit, BenchBreak, BenchExit};
    DebuggerLinkOpen(&link, vm, "loop.dbg");
    state.ResumeTiming();
    if (QnVmRun(vm) != kQnFinished) state.SkipWithError("the loop did not finish");
    state.PauseTiming();
    DebuggerLinkClose(&link);
    QnVmDestroy(vm);
    state.ResumeTiming();
  }
  state.counters["per_statement"] =
      benchmark::Counter(kStatements * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(HookIdle)->Unit(benchmark::kMillisecond);
BENCHMARK(TraceIntKey)->Unit(benchmark::kMillisecond);
BENCHMARK(TraceTextKey)->Unit(benchmark::kMillisecond);
BENCHMARK(TraceLink)->Unit(benchmark::kMillisecond);

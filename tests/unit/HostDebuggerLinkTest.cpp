// The host side of the debugger interface, driven by an in-process stand-in
// for QNDBGC.DLL that decides stops and steps the way the debugger does
// (statement classes, call depth, one-shot breakpoints on the next line of
// the same file), so that what a user sees when stepping each kind of
// statement is checked here, before the real debugger is there.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "host/DebuggerLink.h"
#include "support/HostScript.h"

namespace {

struct LineRecord {
  int line, file, block, offset;
};

// The stand-in debugger.
struct StandIn {
  const HostCallbacks* cb = nullptr;
  INT_PTR ctx = 0;
  std::vector<LineRecord> records;  // in the debug information's order
  std::deque<char> commands;        // 's' Step, 'i' StepInto, 'g' Go, 'x' Exit
  std::vector<int> stops;           // lines where the script stopped
  std::vector<std::pair<int, int>> stopAddresses;
  std::vector<int> modes;           // mode of every QNdbgBreak call
  int state = 0, depth = 0;
  std::function<void()> atStop;     // runs at each stop before the command
};

StandIn* gStandIn = nullptr;

const LineRecord* Find(int block, int offset) {
  for (const LineRecord& r : gStandIn->records) {
    if (r.block == block && r.offset == offset) return &r;
  }
  return nullptr;
}

INT_PTR WINAPI StandInInit(INT_PTR ctx, const HostCallbacks* cb, INT_PTR, INT_PTR, const char*, HWND*) {
  gStandIn->cb = cb;
  gStandIn->ctx = ctx;
  cb->SetBreakpoint(ctx, 0, 1, 0, 0);
  return 1;
}

INT_PTR Stop(int block, int offset) {
  StandIn* d = gStandIn;
  d->cb->Suspend(d->ctx);
  d->stops.push_back(Find(block, offset)->line);
  d->stopAddresses.push_back({block, offset});
  d->state = 0;
  d->depth = 0;
  return 0;
}

INT_PTR WINAPI StandInBreak(INT_PTR mode, INT_PTR block, INT_PTR offset) {
  StandIn* d = gStandIn;
  d->modes.push_back(static_cast<int>(mode));
  INT_PTR cls = d->cb->GetStatementClass(d->ctx, block, offset);
  d->cb->SetTrace(d->ctx, 1);
  if (mode == 1) return Find(block, offset) ? Stop(block, offset) : 1;
  if (d->state == 3) {
    if (cls != 6 || d->cb->GetCallDepth(d->ctx) != d->depth) return 1;
    d->state = 2;
    d->depth = 0;
  }
  if (!Find(block, offset)) return 1;
  if (d->state == 1 && d->cb->GetCallDepth(d->ctx) > d->depth) return 1;
  return Stop(block, offset);
}

INT_PTR WINAPI StandInExit() { return 1; }

void Step(StandIn* d) {
  d->cb->SetTrace(d->ctx, 0);
  d->cb->Resume(d->ctx);
  LONG block = 0, offset = 0;
  d->cb->GetPosition(d->ctx, &block, &offset);
  INT_PTR cls = d->cb->GetStatementClass(d->ctx, block, offset);
  const LineRecord* here = Find(block, offset);
  if (!here) return;
  if (cls == 1 || cls == 2) {
    d->state = 1;
    d->depth = static_cast<int>(d->cb->GetCallDepth(d->ctx));
    d->cb->SetTrace(d->ctx, 1);
  } else if (cls == 3) {
    // The next line of the same file in record order, then its first statement.
    size_t i = 0;
    while (i < d->records.size() && !(d->records[i].line == here->line && d->records[i].file == here->file)) ++i;
    for (++i; i < d->records.size(); ++i) {
      if (d->records[i].file != here->file) continue;
      for (const LineRecord& r : d->records) {
        if (r.line == d->records[i].line && r.file == here->file) {
          d->cb->SetBreakpoint(d->ctx, 0, 1, r.block, r.offset);
          break;
        }
      }
      break;
    }
  } else if (cls == 4) {
    d->state = 2;
    d->cb->SetTrace(d->ctx, 1);
  } else if (cls == 5) {
    d->state = 3;
    d->depth = static_cast<int>(d->cb->GetCallDepth(d->ctx));
    d->cb->SetTrace(d->ctx, 1);
  }
}

void WhileSuspended(DebuggerLink* link) {
  StandIn* d = gStandIn;
  if (d->atStop) d->atStop();
  char command = d->commands.empty() ? 'g' : d->commands.front();
  if (!d->commands.empty()) d->commands.pop_front();
  switch (command) {
    case 's':
      Step(d);
      break;
    case 'i':
      d->cb->SetTrace(d->ctx, 0);
      d->cb->Resume(d->ctx);
      d->cb->SetTrace(d->ctx, 1);
      d->state = 4;
      break;
    case 'x':
      d->cb->ExitScript(d->ctx);
      break;
    default:
      d->cb->SetTrace(d->ctx, 0);
      d->cb->Resume(d->ctx);
  }
  EXPECT_TRUE(!link->suspended || link->exitRequested) << "the command neither resumed nor ended the script";
}

// A script run under the stand-in with a list of commands, one per stop.
struct Session {
  HostScript script;
  StandIn standIn;
  DebuggerLink link;
  int status = -1;

  explicit Session(const std::string& text) : script(text) {}

  void Run(const std::string& commands) {
    ASSERT_TRUE(script.Compile()) << script.error;
    DebugInfoDescription info;
    std::string error;
    ASSERT_EQ(1, QnDebugInfoBuild(script.program, &info, &error)) << error;
    int file = 0;
    for (const DebugRecord& r : info.records) {
      if (r.kind == kDebugRecordSwitch) ++file;
      if (r.kind == kDebugRecordLine) standIn.records.push_back({r.line, file, r.block, r.offset});
    }
    standIn.commands.assign(commands.begin(), commands.end());
    gStandIn = &standIn;
    link.api = DebuggerApi{StandInInit, StandInBreak, StandInExit};
    link.waitWhileSuspended = WhileSuspended;
    QnVm* vm = script.Prepare();
    ASSERT_EQ(1, DebuggerLinkOpen(&link, vm, "main.dbg"));
    status = QnVmRun(vm);
    DebuggerLinkClose(&link);
    gStandIn = nullptr;
  }
};

const char kStepScript[] =
    "prototype NUMBER Twice(NUMBER);\n"  // 1
    "NUMBER i, n, nSum;\n"                // 2
    "function Twice(x)\n"                 // 3
    "  NUMBER nOut;\n"                    // 4
    "begin\n"                             // 5
    "  nOut = x * 2;\n"                   // 6
    "  return nOut;\n"                    // 7
    "end;\n"                              // 8
    "program\n"                           // 9
    "  n = 1;\n"                          // 10
    "  n = Twice(n);\n"                   // 11
    "  for i = 1 to 3\n"                  // 12
    "    nSum = nSum + i;\n"              // 13
    "  endfor;\n"                         // 14
    "  while (n < 100)\n"                 // 15
    "    n = n * 3;\n"                    // 16
    "  endwhile;\n"                       // 17
    "  if (n > 5) then\n"                 // 18
    "    n = 0;\n"                        // 19
    "  endif;\n"                          // 20
    "endprogram\n";                       // 21

}  // namespace

TEST(HostDebuggerLink, StatementClassesFollowTheStatementKinds) {
  HostScript s(kStepScript);
  ASSERT_TRUE(s.Compile()) << s.error;
  std::map<int, int> classOfLine;
  for (const QnBlock& block : s.program.blocks) {
    for (const QnStatement& st : block.statements) classOfLine[st.hasLine ? st.line : -1] = st.statementClass;
  }
  EXPECT_EQ(3, classOfLine[6]);   // straight assignment followed by a later line
  EXPECT_EQ(4, classOfLine[7]);   // return without a call
  EXPECT_EQ(4, classOfLine[8]);   // end of a function
  EXPECT_EQ(3, classOfLine[10]);
  EXPECT_EQ(1, classOfLine[11]);  // calls a script function
  EXPECT_EQ(5, classOfLine[12]);  // for
  EXPECT_EQ(3, classOfLine[13]);  // runs straight into endfor on the next line
  EXPECT_EQ(5, classOfLine[14]);  // endfor steps the loop
  EXPECT_EQ(5, classOfLine[15]);  // while
  EXPECT_EQ(2, classOfLine[18]);  // if
  EXPECT_EQ(3, classOfLine[19]);
  EXPECT_EQ(4, classOfLine[21]);  // endprogram
  EXPECT_EQ(6, classOfLine[-1]);  // the loops' exits, without lines

  HostScript nested("NUMBER i, j;\nprogram\n  while (i < 2)\n    for j = 1 to 2\n      i = i;\n"
                    "    endfor;\n    i = i + 1; j = 0;\n  endwhile;\nendprogram\n");
  ASSERT_TRUE(nested.Compile()) << nested.error;
  EXPECT_EQ(5, nested.StatementOnLine(3)->statementClass);
  EXPECT_EQ(2, nested.StatementOnLine(4)->statementClass);  // nested loops are stepped through
  EXPECT_EQ(2, nested.StatementOnLine(6)->statementClass);
  EXPECT_EQ(2, nested.StatementOnLine(7)->statementClass);  // shares its line: no one-shot step
  int exits = 0;
  for (const QnStatement& st : nested.program.blocks[0].statements) exits += st.kind == kQnStmtLoopExit;
  EXPECT_EQ(1, exits);
}

TEST(HostDebuggerLink, StepRunsEachStatementAsAUserExpects) {
  Session session(kStepScript);
  session.Run("sssssss");
  EXPECT_EQ(kQnFinished, session.status);
  // Stop at the first statement; step a plain line, a call, a whole for loop,
  // a whole while loop, an if, and the last line.
  EXPECT_EQ((std::vector<int>{10, 11, 12, 15, 18, 19, 21}), session.standIn.stops);
  EXPECT_EQ(0, session.script.Number("n"));
  EXPECT_EQ(6, session.script.Number("nSum"));
}

TEST(HostDebuggerLink, StepIntoEntersCallsAndLoopBodies) {
  Session session(kStepScript);
  session.Run("iiiiiiiig");
  EXPECT_EQ(kQnFinished, session.status);
  // The return leaves Twice before its end; back in the program, the call's
  // statement is over and the for loop comes next.
  EXPECT_EQ((std::vector<int>{10, 11, 6, 7, 12, 13, 14, 13, 14}), session.standIn.stops);
}

TEST(HostDebuggerLink, StepOverALoopLeftByReturnStopsInTheCaller) {
  Session session(
      "prototype NUMBER Find();\nNUMBER n, k;\n"
      "function Find()\nbegin\n"
      "  for k = 1 to 10\n"                         // 5
      "    if (k = 3) then return k; endif;\n"      // 6
      "  endfor;\n"                                 // 7
      "  return 0;\nend;\n"
      "program\n  n = Find();\n"                    // 11
      "  n = n + 1;\n"                              // 12
      "endprogram\n");
  session.Run("is");
  EXPECT_EQ((std::vector<int>{11, 5, 12}), session.standIn.stops);
  EXPECT_EQ(4, session.script.Number("n"));
}

TEST(HostDebuggerLink, BreakpointsStopOnlyWhereSetAndTracingReportsEveryStatement) {
  Session session(kStepScript);
  int32_t block = 0, offset = 0;
  ASSERT_TRUE(session.script.Compile());
  ASSERT_TRUE(session.script.AddressOf(16, &block, &offset));
  bool set = false;
  session.standIn.atStop = [&] {
    if (!set) session.standIn.cb->SetBreakpoint(session.standIn.ctx, 1, 1, block, offset);
    set = true;
  };
  session.Run("ggggx");
  EXPECT_EQ(kQnStopped, session.status);
  EXPECT_EQ((std::vector<int>{10, 16, 16, 16, 16}), session.standIn.stops);
  // Go turns tracing off: after the start, QNdbgBreak is called only for the
  // breakpoint (mode 1) until a stop switches tracing on again.
  size_t calls = session.standIn.modes.size();
  EXPECT_EQ(1, session.standIn.modes[0]);
  EXPECT_EQ(1, session.standIn.modes[calls - 1]);
  EXPECT_LE(calls, 12u);
  EXPECT_EQ(0, session.script.Number("nSum") == 6 ? 0 : 1);
}

TEST(HostDebuggerLink, TraceHookSeesEveryStatementAndBreakpointsOnlyTheirs) {
  HostScript s("NUMBER i, n;\nprogram\n  for i = 1 to 100\n    n = n + i;\n  endfor;\nendprogram\n");
  ASSERT_TRUE(s.Compile());
  struct Counts { int statements = 0, breaks = 0, calls = 0; std::set<std::pair<int, int>> at; } counts;
  QnHook hook = [](QnVm*, const QnHookEvent& e, void* user) {
    Counts* c = static_cast<Counts*>(user);
    (e.kind == kQnEventBreak ? c->breaks : c->statements)++;
    c->at.insert({e.block, e.offset});
    return 0;
  };
  QnVm* vm = s.Prepare();
  QnVmSetHook(vm, hook, &counts, kQnMaskTrace);
  ASSERT_EQ(kQnFinished, QnVmRun(vm));
  // for, then 100 x (body, endfor), the loop's exit, endprogram
  EXPECT_EQ(203, counts.statements);
  EXPECT_EQ(5u, counts.at.size());
  EXPECT_EQ(0, counts.breaks);

  HostScript t("NUMBER i, n;\nprogram\n  for i = 1 to 100\n    n = n + i;\n  endfor;\nendprogram\n");
  ASSERT_TRUE(t.Compile());
  Counts quiet;
  QnVm* vm2 = t.Prepare();
  QnVmSetHook(vm2, hook, &quiet, 0);
  ASSERT_EQ(1, QnVmSetBreakpoint(vm2, kQnBreakPersistent, true, 0, 1));
  ASSERT_EQ(1, QnVmSetBreakpoint(vm2, kQnBreakOneShot, true, 0, 3));
  EXPECT_EQ(0, QnVmSetBreakpoint(vm2, kQnBreakPersistent, true, 0, 99));
  EXPECT_EQ(0, QnVmSetBreakpoint(vm2, kQnBreakPersistent, true, 7, 0));
  ASSERT_EQ(kQnFinished, QnVmRun(vm2));
  EXPECT_EQ(0, quiet.statements);
  EXPECT_EQ(101, quiet.breaks);  // 100 at the body, one for the one-shot at the loop's exit
}

TEST(HostDebuggerLink, StatementHookTakesTracedStatementsWhileTheDebugStateFollowsTheRun) {
  HostScript s(
      "prototype Deep(NUMBER);\nNUMBER nDone;\n"
      "function Deep(n)\nbegin\n  if (n > 0) then\n    Deep(n - 1);\n  endif;\nend;\n"
      "program\n  Deep(3);\n  nDone = 1;\nendprogram\n");
  ASSERT_TRUE(s.Compile());
  struct Seen {
    QnVm* vm = nullptr;
    const QnProgram* program = nullptr;
    int traced = 0, general = 0, breaks = 0, maxDepth = -1, wrongClass = 0;
    std::vector<int> programDepths;  // the depth at each statement of the program block
  } seen;
  QnHook general = [](QnVm*, const QnHookEvent& e, void* user) {
    Seen* v = static_cast<Seen*>(user);
    (e.kind == kQnEventBreak ? v->breaks : v->general)++;
    return 0;
  };
  QnStatementHook traced = [](void* user, int32_t block, int32_t offset) {
    Seen* v = static_cast<Seen*>(user);
    ++v->traced;
    const QnVmDebugState* state = QnVmDebug(v->vm);
    if (QnDebugStatementClass(state, block, offset) != v->program->blocks[block].statements[offset].statementClass)
      ++v->wrongClass;
    EXPECT_EQ(QnVmCallDepth(v->vm), state->depth);
    if (state->depth > v->maxDepth) v->maxDepth = state->depth;
    if (block == 0) v->programDepths.push_back(state->depth);
    return 0;
  };
  seen.program = &s.program;
  QnVm* vm = seen.vm = s.Prepare();
  QnVmSetTrace(vm, true);
  EXPECT_FALSE(QnVmTracing(vm)) << "tracing needs a hook";
  QnVmSetHook(vm, general, &seen, kQnMaskTrace);
  QnVmSetStatementHook(vm, traced, &seen);
  int32_t block = -1, offset = -1;
  ASSERT_TRUE(s.AddressOf(11, &block, &offset));  // nDone = 1
  ASSERT_EQ(1, QnVmSetBreakpoint(vm, kQnBreakPersistent, true, block, offset));
  ASSERT_EQ(kQnFinished, QnVmRun(vm));
  // Deep(3) .. Deep(0): 4 x (if, end) and 3 calls; the program: the call and
  // endprogram (nDone = 1 is the breakpoint's)
  EXPECT_EQ(13, seen.traced);
  EXPECT_EQ(0, seen.general) << "traced statements go to the statement hook alone";
  EXPECT_EQ(1, seen.breaks) << "a breakpoint still goes to the general hook";
  EXPECT_EQ(0, seen.wrongClass);
  EXPECT_EQ(4, seen.maxDepth);
  EXPECT_EQ((std::vector<int>{0, 0}), seen.programDepths) << "the depth comes back after the returns";

  const QnVmDebugState* state = QnVmDebug(vm);
  const int32_t blocks = static_cast<int32_t>(s.program.blocks.size());
  const int32_t last = static_cast<int32_t>(s.program.blocks[1].statements.size()) - 1;
  EXPECT_NE(0, QnVmStatementClass(vm, 1, last));
  EXPECT_EQ(0, QnVmStatementClass(vm, 1, last + 1));
  EXPECT_EQ(0, QnVmStatementClass(vm, 1, -1));
  EXPECT_EQ(0, QnDebugStatementClass(state, -1, 0));
  EXPECT_EQ(0, QnDebugStatementClass(state, blocks, 0));

  // Without the general hook the statement hook goes too: a new general hook
  // gets every traced statement itself.
  QnVmSetHook(vm, nullptr, nullptr, 0);
  EXPECT_FALSE(QnVmTracing(vm));
  seen = Seen{};
  seen.vm = vm;
  seen.program = &s.program;
  QnVmSetHook(vm, general, &seen, kQnMaskTrace);
  ASSERT_EQ(kQnFinished, QnVmRun(vm));
  EXPECT_EQ(0, seen.traced);
  EXPECT_EQ(13, seen.general);
  EXPECT_EQ(1, seen.breaks);
}

TEST(HostDebuggerLink, CallbacksReadAndWriteVariablesPositionAndDepth) {
  Session session(
      "prototype Work(STRING, NUMBER);\nSTRING szGlobal; NUMBER nGlobal, nSeen; STRING szSeen;\n"
      "function Work(szIn, nIn)\n  STRING szLocal; NUMBER nLocal;\nbegin\n"
      "  szLocal = szIn + \"!\";\n"   // 6
      "  nLocal = nIn * 2;\n"          // 7
      "  nSeen = nLocal; szSeen = szLocal;\n"  // 8
      "end;\n"
      "program\n  szGlobal = \"abc\";\n  nGlobal = 21;\n  Work(szGlobal, nGlobal);\nendprogram\n");
  int stop = 0;
  session.standIn.atStop = [&] {
    const HostCallbacks* cb = session.standIn.cb;
    INT_PTR ctx = session.standIn.ctx;
    char text[1024];
    LONG number = 0, block = -1, offset = -1;
    cb->GetPosition(ctx, &block, &offset);
    if (stop == 5) {  // at line 8 in Work
      EXPECT_EQ(1, cb->GetCallDepth(ctx));
      EXPECT_EQ(1, block);
      EXPECT_EQ(2, offset);
      cb->GetVarText(65435, text);  // szIn, as the debugger's tables pass it
      EXPECT_STREQ("abc", text);
      cb->GetVarText(-102, text);   // szLocal
      EXPECT_STREQ("abc!", text);
      cb->GetVarNumber(65434, &number);  // nLocal
      EXPECT_EQ(42, number);
      cb->SetVarNumber(65434, 1000);
      cb->SetVarText(-102, "changed");
      EXPECT_EQ(0, cb->GetVarText(-105, text));
      EXPECT_STREQ("", text);
      cb->GetVarText(kQnGlobalSrcDir, text);
      EXPECT_STREQ("", text);
      cb->GetVarText(3, text);
      EXPECT_STREQ("abc", text);
      EXPECT_EQ(0, cb->GetStatementClass(ctx, 9, 9));
    } else if (stop == 0) {
      EXPECT_EQ(0, cb->GetCallDepth(ctx));
      EXPECT_EQ(0, cb->GetVarNumber(65435, &number));  // the program block has no locals
      std::string longText(3000, 'y');
      cb->SetVarText(3, longText.c_str());
      cb->GetVarText(3, text);
      EXPECT_EQ(1023u, std::strlen(text));
    }
    ++stop;
  };
  session.Run("siiiig");
  EXPECT_EQ((std::vector<int>{11, 12, 13, 6, 7, 8}), session.standIn.stops);
  EXPECT_EQ(kQnFinished, session.status);
  EXPECT_EQ(1000, session.script.Number("nSeen"));
  EXPECT_EQ("changed", session.script.String("szSeen"));
  // Once the session is closed the callbacks answer for no script.
  const HostCallbacks* cb = session.standIn.cb;
  EXPECT_EQ(0, cb->GetStatementClass(session.standIn.ctx, 1, 0));
  EXPECT_EQ(0, cb->GetCallDepth(session.standIn.ctx));
  EXPECT_EQ(0, cb->SetTrace(session.standIn.ctx, 1));
}

TEST(HostDebuggerLink, ExitWhileStoppedEndsTheScriptAndClearAllDropsUserBreakpoints) {
  Session session(kStepScript);
  session.Run("sx");
  EXPECT_EQ(kQnStopped, session.status);
  EXPECT_EQ((std::vector<int>{10, 11}), session.standIn.stops);
  EXPECT_EQ(1, session.script.Number("n"));

  Session cleared(kStepScript);
  ASSERT_TRUE(cleared.script.Compile());
  int32_t b13 = 0, o13 = 0, b16 = 0, o16 = 0;
  ASSERT_TRUE(cleared.script.AddressOf(13, &b13, &o13));
  ASSERT_TRUE(cleared.script.AddressOf(16, &b16, &o16));
  int stop = 0;
  cleared.standIn.atStop = [&] {
    const HostCallbacks* cb = cleared.standIn.cb;
    if (stop == 0) {
      cb->SetBreakpoint(cleared.standIn.ctx, 1, 1, b13, o13);
      cb->SetBreakpoint(cleared.standIn.ctx, 1, 1, b16, o16);
    } else {
      cb->SetBreakpoint(cleared.standIn.ctx, 1, 0, -1, -1);
    }
    ++stop;
  };
  cleared.Run("ggg");
  EXPECT_EQ(kQnFinished, cleared.status);
  EXPECT_EQ((std::vector<int>{10, 13}), cleared.standIn.stops);
}

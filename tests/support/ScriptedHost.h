// A scripted host engine for the tests of execution control: it implements
// the twelve callbacks of qndbgc.h over a script model and records every call
// the debugger makes, in order.
//
// The model is the script's run as a sequence of statements (address, class,
// call depth), in the order the script executes them. Before each statement
// the host does what a real engine does: a breakpoint there (persistent or
// one-shot; a one-shot goes when reached) is reported with mode 1; otherwise,
// while tracing is on, the statement is reported with mode 2. An answer of 0
// suspends the script on that statement until the debugger calls Resume; the
// statement then runs without being reported again.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qndbgc.h"

struct ScriptStatement {
  int32_t block;
  int32_t offset;
  int32_t statementClass;
  int32_t depth;
};

class ScriptedHost {
 public:
  typedef INT_PTR(WINAPI* BreakProc)(INT_PTR, INT_PTR, INT_PTR);

  explicit ScriptedHost(std::vector<ScriptStatement> run) : run_(std::move(run)) {
    for (const ScriptStatement& statement : run_)
      classes_[{statement.block, statement.offset}] = statement.statementClass;
    Current() = this;
  }
  ~ScriptedHost() {
    if (Current() == this) Current() = nullptr;
  }

  HostCallbacks Callbacks() const {
    return {GetVarText, SetVarText, GetVarNumber, SetVarNumber, SetTrace,    SetBreakpoint,
            GetStatementClass, GetPosition, GetCallDepth, Suspend, Resume, ExitScript};
  }
  INT_PTR Context() const { return reinterpret_cast<INT_PTR>(this); }

  // Runs until the debugger stops the script (the index of the statement it
  // stands on) or the script ends or exits (-1).
  int RunUntilStop(BreakProc debuggerBreak) {
    while (!exited_ && next_ < run_.size()) {
      if (suspended_) return static_cast<int>(next_);
      const ScriptStatement& statement = run_[next_];
      std::pair<int32_t, int32_t> address{statement.block, statement.offset};
      if (!resumed_) {
        INT_PTR answer = 1;
        if (oneShots_.erase(address) || persistent_.count(address))
          answer = debuggerBreak(1, statement.block, statement.offset);
        else if (tracing_)
          answer = debuggerBreak(2, statement.block, statement.offset);
        if (answer == 0) {
          suspended_ = true;  // an answer of 0 holds the script on this statement
          continue;
        }
      }
      resumed_ = false;
      next_++;
    }
    return -1;
  }

  // What the debugger asked, in order, without the queries it makes on every
  // statement (class, depth) unless asked for.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const std::string& call : calls_)
      if (call.rfind("GetStatementClass", 0) != 0 && call.rfind("GetCallDepth", 0) != 0 &&
          call.rfind("GetPosition", 0) != 0)
        commands.push_back(call);
    return commands;
  }
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  bool Tracing() const { return tracing_; }
  bool Suspended() const { return suspended_; }
  bool Exited() const { return exited_; }
  size_t Next() const { return next_; }
  const std::set<std::pair<int32_t, int32_t>>& Persistent() const { return persistent_; }
  const std::set<std::pair<int32_t, int32_t>>& OneShots() const { return oneShots_; }

  std::map<INT_PTR, std::string> texts;  // string variables by index
  std::map<INT_PTR, LONG> numbers;       // number variables by index

 private:
  static ScriptedHost*& Current() {
    static ScriptedHost* current = nullptr;
    return current;
  }
  static ScriptedHost& Of(INT_PTR context) { return *reinterpret_cast<ScriptedHost*>(context); }
  void Record(const char* format, long a = 0, long b = 0, long c = 0, long d = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    calls_.push_back(text);
  }

  static INT_PTR WINAPI GetVarText(INT_PTR index, char* buffer) {
    ScriptedHost& host = *Current();
    host.Record("GetVarText %ld", static_cast<long>(index));
    auto found = host.texts.find(index);
    std::snprintf(buffer, 1024, "%s", found == host.texts.end() ? "" : found->second.c_str());
    return 1;
  }
  static INT_PTR WINAPI SetVarText(INT_PTR index, const char* text) {
    Current()->Record("SetVarText %ld", static_cast<long>(index));
    Current()->texts[index] = text;
    return 1;
  }
  static INT_PTR WINAPI GetVarNumber(INT_PTR index, LONG* value) {
    ScriptedHost& host = *Current();
    host.Record("GetVarNumber %ld", static_cast<long>(index));
    *value = host.numbers.count(index) ? host.numbers[index] : 0;
    return 1;
  }
  static INT_PTR WINAPI SetVarNumber(INT_PTR index, LONG value) {
    Current()->Record("SetVarNumber %ld %ld", static_cast<long>(index), static_cast<long>(value));
    Current()->numbers[index] = value;
    return 1;
  }
  static INT_PTR WINAPI SetTrace(INT_PTR context, INT_PTR on) {
    Of(context).Record("SetTrace %ld", static_cast<long>(on));
    Of(context).tracing_ = on != 0;
    return 1;
  }
  static INT_PTR WINAPI SetBreakpoint(INT_PTR context, INT_PTR persistent, INT_PTR set, INT_PTR block,
                                      INT_PTR offset) {
    ScriptedHost& host = Of(context);
    host.Record(persistent ? "SetBreakpoint user %ld %ld,%ld" : "SetBreakpoint once %ld %ld,%ld",
                static_cast<long>(set), static_cast<long>(block), static_cast<long>(offset));
    std::pair<int32_t, int32_t> address{static_cast<int32_t>(block), static_cast<int32_t>(offset)};
    auto& breakpoints = persistent ? host.persistent_ : host.oneShots_;
    if (set) breakpoints.insert(address);
    else if (block == -1 && offset == -1) breakpoints.clear();
    else breakpoints.erase(address);
    return 1;
  }
  static INT_PTR WINAPI GetStatementClass(INT_PTR context, INT_PTR block, INT_PTR offset) {
    ScriptedHost& host = Of(context);
    host.Record("GetStatementClass %ld,%ld", static_cast<long>(block), static_cast<long>(offset));
    auto found = host.classes_.find({static_cast<int32_t>(block), static_cast<int32_t>(offset)});
    return found == host.classes_.end() ? 0 : found->second;
  }
  static INT_PTR WINAPI GetPosition(INT_PTR context, LONG* block, LONG* offset) {
    ScriptedHost& host = Of(context);
    host.Record("GetPosition");
    if (host.next_ < host.run_.size()) {
      *block = host.run_[host.next_].block;
      *offset = host.run_[host.next_].offset;
    }
    return 1;
  }
  static INT_PTR WINAPI GetCallDepth(INT_PTR context) {
    ScriptedHost& host = Of(context);
    host.Record("GetCallDepth");
    return host.next_ < host.run_.size() ? host.run_[host.next_].depth : 0;
  }
  static INT_PTR WINAPI Suspend(INT_PTR context) {
    Of(context).Record("Suspend");
    Of(context).suspended_ = true;
    return 1;
  }
  static INT_PTR WINAPI Resume(INT_PTR context) {
    ScriptedHost& host = Of(context);
    host.Record("Resume");
    if (host.suspended_) host.resumed_ = true;
    host.suspended_ = false;
    return 1;
  }
  static INT_PTR WINAPI ExitScript(INT_PTR context) {
    Of(context).Record("ExitScript");
    Of(context).exited_ = true;
    return 1;
  }

  std::vector<ScriptStatement> run_;
  std::map<std::pair<int32_t, int32_t>, int32_t> classes_;
  std::set<std::pair<int32_t, int32_t>> persistent_, oneShots_;
  std::vector<std::string> calls_;
  size_t next_ = 0;
  bool tracing_ = false, suspended_ = false, resumed_ = false, exited_ = false;
};

#include "SessionScript.h"

#include <cctype>
#include <cstdlib>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Splits off the first word of `rest` (blank-separated); empty at the end.
std::string NextWord(std::string* rest) {
  std::string text = Trim(*rest);
  size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  *rest = text.substr(end);
  return text.substr(0, end);
}

// A whole decimal number, at least 0; false for anything else.
bool ParseCount(const std::string& word, int32_t* number) {
  if (word.empty() || word.size() > 9) return false;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *number = static_cast<int32_t>(std::atol(word.c_str()));
  return true;
}

std::string LastComponent(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

struct Parser {
  SessionCommand command;
  std::string rest;
  std::string problem;

  bool Fail(const std::string& what) {
    problem = what;
    return false;
  }

  bool NoMore() { return Trim(rest).empty() || Fail("unexpected \"" + Trim(rest) + "\""); }

  // breakpoint line N [shot NAME] | breakpoint function NAME [shot NAME]
  bool Breakpoint() {
    std::string how = NextWord(&rest), where = NextWord(&rest);
    if (how == "line") {
      command.kind = kSessionBreakAtLine;
      if (!ParseCount(where, &command.number) || command.number == 0) return Fail("a line number must follow \"line\"");
    } else if (how == "function") {
      command.kind = kSessionBreakAtFunction;
      if (where.empty()) return Fail("a function name must follow \"function\"");
      command.name = where;
    } else {
      return Fail("\"breakpoint\" takes \"line N\" or \"function NAME\"");
    }
    if (Trim(rest).empty()) return true;
    if (NextWord(&rest) != "shot") return Fail("only \"shot NAME\" may follow the breakpoint's place");
    command.shot = NextWord(&rest);
    if (command.shot.empty()) return Fail("a name must follow \"shot\"");
    return NoMore();
  }

  // global NAME = VALUE | local NAME = VALUE
  bool Assignment(SessionCommandKind kind) {
    command.kind = kind;
    std::string text = Trim(rest);
    size_t equals = text.find('=');
    if (equals == std::string::npos) return Fail("write NAME = VALUE");
    command.name = Trim(text.substr(0, equals));
    if (command.name.empty() || command.name.find_first_of(" \t") != std::string::npos)
      return Fail("one variable name must stand before \"=\"");
    std::string value = Trim(text.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    command.value = value;
    return true;
  }

  // watch global NAME | watch local NAME
  bool Watch() {
    std::string row = NextWord(&rest);
    if (row == "global") command.kind = kSessionWatchGlobal;
    else if (row == "local") command.kind = kSessionWatchLocal;
    else return Fail("\"watch\" takes \"global NAME\" or \"local NAME\"");
    command.name = NextWord(&rest);
    if (command.name.empty()) return Fail("a variable name must follow \"" + row + "\"");
    return NoMore();
  }

  // expect FILE(LINE)
  bool Expect() {
    command.kind = kSessionExpect;
    std::string where = Trim(rest);
    size_t open = where.rfind('(');
    if (open == std::string::npos || open == 0 || where.back() != ')') return Fail("write expect FILE(LINE)");
    command.name = where.substr(0, open);
    if (!ParseCount(where.substr(open + 1, where.size() - open - 2), &command.number) || command.number == 0)
      return Fail("write expect FILE(LINE) with a line number from 1");
    return true;
  }

  bool Line(const std::string& line) {
    rest = line;
    std::string verb = NextWord(&rest);
    if (verb == "step") command.kind = kSessionStep;
    else if (verb == "stepinto") command.kind = kSessionStepInto;
    else if (verb == "go") command.kind = kSessionGo;
    else if (verb == "exit") command.kind = kSessionExit;
    else if (verb == "stop") command.kind = kSessionStop;
    else if (verb == "breakpoint") return Breakpoint();
    else if (verb == "global") return Assignment(kSessionSetGlobal);
    else if (verb == "local") return Assignment(kSessionSetLocal);
    else if (verb == "watch") return Watch();
    else if (verb == "toggle") {
      command.kind = kSessionToggleLine;
      if (!ParseCount(NextWord(&rest), &command.number) || command.number == 0)
        return Fail("a line number must follow \"toggle\"");
    }
    else if (verb == "expect") return Expect();
    else if (verb == "shot") {
      command.kind = kSessionShot;
      command.name = NextWord(&rest);
      if (command.name.empty()) return Fail("a name must follow \"shot\"");
    } else if (verb == "pause") {
      command.kind = kSessionPause;
      if (!ParseCount(NextWord(&rest), &command.number)) return Fail("a number of milliseconds must follow \"pause\"");
    } else {
      return Fail("unknown command \"" + verb + "\"");
    }
    return NoMore();
  }
};

}  // namespace

bool SessionScriptParse(const std::string& text, SessionScript* script, std::string* error) {
  script->commands.clear();
  size_t start = 0;
  for (int lineNumber = 1; start <= text.size(); ++lineNumber) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#') continue;
    Parser parser;
    parser.command.sourceLine = lineNumber;
    if (!parser.Line(line)) {
      *error = "line " + std::to_string(lineNumber) + ": " + parser.problem;
      script->commands.clear();
      return false;
    }
    script->commands.push_back(parser.command);
  }
  return true;
}

bool SessionCommandResumes(SessionCommandKind kind) {
  return kind == kSessionStep || kind == kSessionStepInto || kind == kSessionGo || kind == kSessionExit;
}

std::string SessionCommandText(const SessionCommand& c) {
  std::string shot = c.shot.empty() ? "" : " shot " + c.shot;
  switch (c.kind) {
    case kSessionStep: return "step";
    case kSessionStepInto: return "stepinto";
    case kSessionGo: return "go";
    case kSessionExit: return "exit";
    case kSessionStop: return "stop";
    case kSessionBreakAtLine: return "breakpoint line " + std::to_string(c.number) + shot;
    case kSessionBreakAtFunction: return "breakpoint function " + c.name + shot;
    case kSessionToggleLine: return "toggle " + std::to_string(c.number);
    case kSessionSetGlobal: return "global " + c.name + " = " + c.value;
    case kSessionSetLocal: return "local " + c.name + " = " + c.value;
    case kSessionWatchGlobal: return "watch global " + c.name;
    case kSessionWatchLocal: return "watch local " + c.name;
    case kSessionExpect: return "expect " + c.name + "(" + std::to_string(c.number) + ")";
    case kSessionShot: return "shot " + c.name;
    case kSessionPause: return "pause " + std::to_string(c.number);
  }
  return "?";
}

bool SessionExpectMatches(const SessionCommand& expect, const std::string& file, int32_t line) {
  return line == expect.number && SameIgnoringCase(LastComponent(expect.name), LastComponent(file));
}

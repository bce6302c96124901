#include "QnParse.h"

#include <map>
#include <set>

#include "QnBuiltins.h"
#include "QnCode.h"
#include "QnLex.h"

namespace {

struct VarInfo {
  QnKind kind = kQnNone;
  bool local = false;
  int32_t slot = 0;
};

struct Label {
  int32_t pc = -1;
  int32_t loop = 0;  // the outermost loop it stands in, 0 for none
};

struct PendingGoto {
  std::string label;
  int16_t file = 0;
  int32_t line = 0;
  int32_t jumpOperand = 0;  // of the OP_JMP
  int32_t passOperand = -1; // of the OP_PASSEXIT, when the goto stands in a loop
  int32_t loop = 0;
};

// The outermost loop of a block: its exit statement is reported when the
// loop ends and when a goto or return leaves it.
struct OutermostLoop {
  int32_t id = 0;
  std::vector<int32_t> passOperands;  // OP_PASSEXIT operands of returns in it
};

struct Scope {
  bool isFunction = false;
  QnKind result = kQnNone;
  std::map<std::string, VarInfo> locals;
  std::map<std::string, Label> labels;
  std::vector<PendingGoto> gotos;
  int32_t loopDepth = 0;
  OutermostLoop* outermost = nullptr;
  int32_t loopCount = 0;
};

struct Parser {
  QnLexer lex;
  QnCode code;
  QnProgram* program = nullptr;
  QnToken tok;      // current token
  QnToken previous; // the token before it
  QnToken ahead;    // the one after it, when hasAhead
  bool hasAhead = false;
  std::map<std::string, VarInfo> globals;
  std::map<std::string, int32_t> functions;
  std::set<int32_t> calledFunctions;
  Scope* scope = nullptr;
  int32_t nesting = 0;
  bool sawProgram = false;
};

const char* const kReserved[] = {
    "if",     "then",   "elseif", "else",      "endif",  "while",    "endwhile", "for",
    "to",     "downto", "step",   "endfor",    "repeat", "until",    "switch",   "case",
    "default", "endswitch", "goto", "return",  "exit",   "Exit",     "abort",    "function",
    "begin",  "end",    "program", "endprogram", "prototype", "STRING", "string", "NUMBER",
    "number"};

bool Failed(const Parser* p) { return p->lex.failed; }

void ErrorAt(Parser* p, const QnToken& at, const std::string& message) {
  QnLexError(&p->lex, at.file, at.line, message);
}
void Error(Parser* p, const std::string& message) { ErrorAt(p, p->tok, message); }

std::string Describe(const QnToken& t) {
  switch (t.type) {
    case TK_EOF: return "end of file";
    case TK_IDENT: return "'" + t.text + "'";
    case TK_NUMBER: return "number " + std::to_string(t.number);
    case TK_STRING: return "a string";
    case TK_EQ2: return "'=='";
    case TK_NE: return "'!='";
    case TK_LE: return "'<='";
    case TK_GE: return "'>='";
    case TK_AND: return "'&&'";
    case TK_OR: return "'||'";
    default: return std::string("'") + static_cast<char>(t.type) + "'";
  }
}

void Next(Parser* p) {
  p->previous = p->tok;
  if (p->hasAhead) {
    p->tok = p->ahead;
    p->hasAhead = false;
  } else {
    p->tok = QnLexNext(&p->lex);
  }
}

const QnToken& Peek(Parser* p) {
  if (!p->hasAhead) {
    p->ahead = QnLexNext(&p->lex);
    p->hasAhead = true;
  }
  return p->ahead;
}

bool IsWord(const QnToken& t, const char* word) { return t.type == TK_IDENT && t.text == word; }
bool IsType(const QnToken& t) {
  return IsWord(t, "STRING") || IsWord(t, "string") || IsWord(t, "NUMBER") || IsWord(t, "number");
}
QnKind TypeOf(const QnToken& t) {
  return IsWord(t, "STRING") || IsWord(t, "string") ? kQnString : kQnNumber;
}
bool IsReserved(const std::string& name) {
  for (const char* word : kReserved) {
    if (name == word) return true;
  }
  return false;
}

bool Accept(Parser* p, int type) {
  if (p->tok.type != type) return false;
  Next(p);
  return true;
}
bool AcceptWord(Parser* p, const char* word) {
  if (!IsWord(p->tok, word)) return false;
  Next(p);
  return true;
}
// A missing ';' is reported on the line of the statement it should end.
void Expect(Parser* p, int type, const char* what) {
  if (Accept(p, type)) return;
  ErrorAt(p, type == ';' ? p->previous : p->tok,
          std::string("expected ") + what + " but found " + Describe(p->tok));
}
void ExpectWord(Parser* p, const char* word) {
  if (!AcceptWord(p, word)) Error(p, std::string("expected '") + word + "' but found " + Describe(p->tok));
}

// A new name: an identifier that is not a reserved word, nor one of the
// engine's internal names (TEMPSTRING, and any beginning with two
// underscores), which the debugger does not show.
std::string NewName(Parser* p, const char* what) {
  if (p->tok.type != TK_IDENT) {
    Error(p, std::string("expected ") + what + " but found " + Describe(p->tok));
    return std::string();
  }
  std::string name = p->tok.text;
  if (IsReserved(name)) Error(p, "'" + name + "' is a reserved word");
  if (name == "TEMPSTRING" || name.compare(0, 2, "__") == 0) Error(p, "'" + name + "' is reserved for the engine");
  Next(p);
  return name;
}

bool Nest(Parser* p) {
  if (++p->nesting > kQnMaxNesting) {
    Error(p, "nested too deeply");
    return false;
  }
  return true;
}
void Unnest(Parser* p) { --p->nesting; }

const VarInfo* FindVariable(Parser* p, const std::string& name) {
  if (p->scope) {
    auto local = p->scope->locals.find(name);
    if (local != p->scope->locals.end()) return &local->second;
  }
  auto global = p->globals.find(name);
  return global != p->globals.end() ? &global->second : nullptr;
}

void EmitLoad(Parser* p, const VarInfo& v) {
  QnOp op = v.kind == kQnString ? (v.local ? OP_LOADLS : OP_LOADGS)
                                : (v.local ? OP_LOADLN : OP_LOADGN);
  QnCodeEmit(&p->code, op, v.slot);
}

void EmitStore(Parser* p, const VarInfo& v) {
  QnOp op = v.kind == kQnString ? (v.local ? OP_STORELS : OP_STOREGS)
                                : (v.local ? OP_STORELN : OP_STOREGN);
  QnCodeEmit(&p->code, op, v.slot);
}

int32_t StringConstant(Parser* p, const std::string& text) {
  p->program->constants.push_back(text);
  return static_cast<int32_t>(p->program->constants.size() - 1);
}

void EmitDefault(Parser* p, QnKind kind) {
  if (kind == kQnString) {
    QnCodeEmit(&p->code, OP_PUSHS, StringConstant(p, std::string()));
  } else {
    QnCodeEmit(&p->code, OP_PUSHN, 0);
  }
}

const char* KindName(QnKind kind) { return kind == kQnString ? "a string" : "a number"; }

QnKind Expression(Parser* p);

// An expression of the given kind, for `what`.
void ExpressionOf(Parser* p, QnKind kind, const char* what) {
  QnToken at = p->tok;
  QnKind got = Expression(p);
  if (!Failed(p) && got != kind) {
    ErrorAt(p, at, std::string(what) + " must be " + KindName(kind) + ", not " + KindName(got));
  }
}

// call := NAME '(' [ expression { ',' expression } ] ')'
QnKind Call(Parser* p, const QnToken& name) {
  Expect(p, '(', "'('");
  std::vector<QnToken> starts;
  int32_t builtinIndex = -1;
  const QnBuiltin* builtin = QnBuiltinFind(name.text, &builtinIndex);
  auto function = p->functions.find(name.text);
  if (!builtin && function == p->functions.end()) {
    ErrorAt(p, name, "unknown function " + name.text);
    return kQnNone;
  }
  std::string signature;
  if (builtin) {
    signature = builtin->signature;
  } else {
    for (QnKind k : p->program->functions[function->second].params) signature += k == kQnString ? 'S' : 'N';
  }
  int32_t numbers = 0, strings = 0, variableCount = 0;
  uint32_t variableMask = 0;
  size_t at = 0;
  if (p->tok.type != ')') {
    do {
      if (Failed(p)) return kQnNone;
      char want = at < signature.size() ? signature[at] : 0;
      if (!want) {
        Error(p, "too many arguments for " + name.text);
        return kQnNone;
      }
      if (want == 'n' || want == 's') {
        QnKind kind = want == 's' ? kQnString : kQnNumber;
        const VarInfo* v = p->tok.type == TK_IDENT ? FindVariable(p, p->tok.text) : nullptr;
        if (!v || v->kind != kind || Peek(p).type == '(') {
          Error(p, "argument " + std::to_string(at + 1) + " of " + name.text + " must be a " +
                       (kind == kQnString ? "STRING" : "NUMBER") + " variable");
          return kQnNone;
        }
        QnCodeEmit(&p->code, OP_PUSHN, QnVarRef(v->local, v->slot));
        Next(p);
        ++numbers;
        ++at;
      } else if (want == '*') {
        QnKind kind = Expression(p);
        if (variableCount >= kQnMaxVariableArguments) {
          Error(p, "too many arguments for " + name.text);
          return kQnNone;
        }
        if (kind == kQnString) variableMask |= 1u << variableCount, ++strings;
        else ++numbers;
        ++variableCount;
      } else {
        QnKind kind = want == 'S' ? kQnString : kQnNumber;
        std::string what = "argument " + std::to_string(at + 1) + " of " + name.text;
        ExpressionOf(p, kind, what.c_str());
        kind == kQnString ? ++strings : ++numbers;
        ++at;
      }
    } while (Accept(p, ','));
  }
  if (Failed(p)) return kQnNone;
  if (at < signature.size() && signature[at] != '*') {
    Error(p, "too few arguments for " + name.text);
    return kQnNone;
  }
  Expect(p, ')', "')'");
  if (builtin) {
    QnCodeEmitCall(&p->code, OP_BUILTIN, builtinIndex, variableCount,
                   static_cast<int32_t>(variableMask), numbers, strings, kQnNumber);
    return kQnNumber;
  }
  const QnFunction& callee = p->program->functions[function->second];
  QnCodeEmitCall(&p->code, OP_CALL, function->second, 0, 0, numbers, strings, callee.result);
  QnCodeNoteScriptCall(&p->code);
  p->calledFunctions.insert(function->second);
  return callee.result;
}

// primary := NUMBER | STRING | NAME | call | '(' expression ')'
QnKind Primary(Parser* p) {
  QnToken t = p->tok;
  switch (t.type) {
    case TK_NUMBER:
      Next(p);
      QnCodeEmit(&p->code, OP_PUSHN, t.number);
      return kQnNumber;
    case TK_STRING:
      Next(p);
      QnCodeEmit(&p->code, OP_PUSHS, StringConstant(p, t.text));
      return kQnString;
    case '(': {
      Next(p);
      QnKind kind = Expression(p);
      Expect(p, ')', "')'");
      return kind;
    }
    case TK_IDENT: {
      if (IsReserved(t.text)) break;
      Next(p);
      if (p->tok.type == '(') return Call(p, t);
      const VarInfo* v = FindVariable(p, t.text);
      if (!v) {
        ErrorAt(p, t, "unknown name " + t.text);
        return kQnNone;
      }
      EmitLoad(p, *v);
      return v->kind;
    }
  }
  Error(p, "expected an expression but found " + Describe(t));
  return kQnNone;
}

// unary := ( '-' | '!' ) unary | primary
QnKind Unary(Parser* p) {
  if (p->tok.type == '-' || p->tok.type == '!') {
    QnToken op = p->tok;
    Next(p);
    if (!Nest(p)) return kQnNone;
    QnKind kind = Unary(p);
    Unnest(p);
    if (Failed(p)) return kQnNone;
    if (kind != kQnNumber) {
      ErrorAt(p, op, std::string("'") + static_cast<char>(op.type) + "' needs a number");
      return kQnNone;
    }
    QnCodeEmit(&p->code, op.type == '-' ? OP_NEG : OP_NOT);
    return kQnNumber;
  }
  return Primary(p);
}

// term := unary { ( '*' | '/' | '%' ) unary }
QnKind Term(Parser* p) {
  QnKind kind = Unary(p);
  while (!Failed(p) && (p->tok.type == '*' || p->tok.type == '/' || p->tok.type == '%')) {
    QnToken op = p->tok;
    Next(p);
    QnKind right = Unary(p);
    if (Failed(p)) return kQnNone;
    if (kind != kQnNumber || right != kQnNumber) {
      ErrorAt(p, op, std::string("'") + static_cast<char>(op.type) + "' needs numbers");
      return kQnNone;
    }
    QnCodeEmit(&p->code, op.type == '*' ? OP_MUL : op.type == '/' ? OP_DIV : OP_MOD);
  }
  return kind;
}

// additive := term { ( '+' | '-' ) term }      ('+' also joins two strings)
QnKind Additive(Parser* p) {
  QnKind kind = Term(p);
  while (!Failed(p) && (p->tok.type == '+' || p->tok.type == '-')) {
    QnToken op = p->tok;
    Next(p);
    QnKind right = Term(p);
    if (Failed(p)) return kQnNone;
    if (op.type == '+' && kind == kQnString && right == kQnString) {
      QnCodeEmit(&p->code, OP_CONCAT);
    } else if (kind == kQnNumber && right == kQnNumber) {
      QnCodeEmit(&p->code, op.type == '+' ? OP_ADD : OP_SUB);
    } else {
      ErrorAt(p, op, op.type == '+' ? "'+' needs two numbers or two strings (NumToStr converts)"
                                    : "'-' needs numbers");
      return kQnNone;
    }
  }
  return kind;
}

// comparison := additive [ ( '=' | '==' | '!=' | '<>' | '<' | '<=' | '>' | '>=' ) additive ]
QnKind Comparison(Parser* p) {
  QnKind kind = Additive(p);
  static const struct { int token; QnOp numbers; QnOp strings; } kCompare[] = {
      {'=', OP_EQ, OP_SEQ}, {TK_EQ2, OP_EQ, OP_SEQ}, {TK_NE, OP_NE, OP_SNE}, {'<', OP_LT, OP_SLT},
      {TK_LE, OP_LE, OP_SLE}, {'>', OP_GT, OP_SGT}, {TK_GE, OP_GE, OP_SGE}};
  for (const auto& c : kCompare) {
    if (Failed(p) || p->tok.type != c.token) continue;
    QnToken op = p->tok;
    Next(p);
    QnKind right = Additive(p);
    if (Failed(p)) return kQnNone;
    if (kind != right) {
      ErrorAt(p, op, "cannot compare a string with a number");
      return kQnNone;
    }
    QnCodeEmit(&p->code, kind == kQnString ? c.strings : c.numbers);
    return kQnNumber;
  }
  return kind;
}

// logical := comparison { ( '&&' | '||' ) comparison }      (evaluated left to right, short-circuit)
QnKind Logical(Parser* p) {
  QnKind kind = Comparison(p);
  while (!Failed(p) && (p->tok.type == TK_AND || p->tok.type == TK_OR)) {
    QnToken op = p->tok;
    Next(p);
    if (kind != kQnNumber) {
      ErrorAt(p, op, "'&&' and '||' need numbers");
      return kQnNone;
    }
    int32_t jump = QnCodeJump(&p->code, op.type == TK_AND ? OP_ANDJ : OP_ORJ);
    QnKind right = Comparison(p);
    if (Failed(p)) return kQnNone;
    if (right != kQnNumber) {
      ErrorAt(p, op, "'&&' and '||' need numbers");
      return kQnNone;
    }
    QnCodeEmit(&p->code, OP_BOOL);
    QnCodePatch(&p->code, jump, QnCodeHere(&p->code));
  }
  return kind;
}

// expression := logical
QnKind Expression(Parser* p) {
  if (!Nest(p)) return kQnNone;
  QnKind kind = Logical(p);
  Unnest(p);
  return Failed(p) ? kQnNone : kind;
}

void Condition(Parser* p, const char* what) { ExpressionOf(p, kQnNumber, what); }

// Optional ';' after the closing words (endif, endwhile, ...).
void OptionalSemicolon(Parser* p) { Accept(p, ';'); }

int32_t Statement(Parser* p, QnStatementKind kind, const QnToken& at, bool hasLine = true) {
  QnBlock* block = QnCodeCurrentBlock(&p->code);
  if (block->statements.size() >= static_cast<size_t>(kQnMaxStatementsPerBlock)) {
    ErrorAt(p, at, "too many statements in " + block->name);
    return 0;
  }
  return QnCodeStatement(&p->code, kind, at.file, at.line, hasLine);
}

void StatementList(Parser* p, std::initializer_list<const char*> enders);

// A loop of the current block: its head statements are outermost when it is
// not nested in another loop of the block.
struct LoopFrame {
  OutermostLoop loop;
  bool outermost = false;
};

void LoopBegin(Parser* p, LoopFrame* frame) {
  frame->outermost = p->scope->loopDepth == 0;
  if (frame->outermost) {
    frame->loop.id = ++p->scope->loopCount;
    p->scope->outermost = &frame->loop;
  }
  ++p->scope->loopDepth;
}

void MarkLoopHead(Parser* p, const LoopFrame& frame, int32_t statement) {
  QnCodeCurrentBlock(&p->code)->statements[statement].outermostLoop = frame.outermost ? 1 : 0;
}

// Ends a loop: the exit statement of an outermost loop stands here. Returns
// the position that the loop's exits jump to.
int32_t LoopEnd(Parser* p, LoopFrame* frame, const QnToken& at) {
  --p->scope->loopDepth;
  int32_t exitPc = QnCodeHere(&p->code);
  if (frame->outermost) {
    p->scope->outermost = nullptr;
    int32_t exit = Statement(p, kQnStmtLoopExit, at, false);
    MarkLoopHead(p, *frame, exit);
    QnCodeStatementEnd(&p->code);
    for (int32_t operand : frame->loop.passOperands) QnCodePatch(&p->code, operand, exit);
  }
  return exitPc;
}

// if := 'if' expression ['then'] statements { 'elseif' expression ['then'] statements }
//       [ 'else' statements ] 'endif' [';']
void IfStatement(Parser* p) {
  std::vector<int32_t> toEnd;
  QnToken at = p->tok;
  Next(p);
  Statement(p, kQnStmtIf, at);
  Condition(p, "the condition of if");
  AcceptWord(p, "then");
  int32_t toNext = QnCodeJump(&p->code, OP_JZ);
  QnCodeStatementEnd(&p->code);
  for (;;) {
    StatementList(p, {"elseif", "else", "endif"});
    if (Failed(p)) return;
    if (IsWord(p->tok, "elseif")) {
      toEnd.push_back(QnCodeJump(&p->code, OP_JMP));
      QnCodePatch(&p->code, toNext, QnCodeHere(&p->code));
      at = p->tok;
      Next(p);
      Statement(p, kQnStmtIf, at);
      Condition(p, "the condition of elseif");
      AcceptWord(p, "then");
      toNext = QnCodeJump(&p->code, OP_JZ);
      QnCodeStatementEnd(&p->code);
      continue;
    }
    if (IsWord(p->tok, "else")) {
      Next(p);
      toEnd.push_back(QnCodeJump(&p->code, OP_JMP));
      QnCodePatch(&p->code, toNext, QnCodeHere(&p->code));
      toNext = -1;
      StatementList(p, {"endif"});
      if (Failed(p)) return;
    }
    break;
  }
  ExpectWord(p, "endif");
  OptionalSemicolon(p);
  int32_t end = QnCodeHere(&p->code);
  if (toNext >= 0) QnCodePatch(&p->code, toNext, end);
  for (int32_t jump : toEnd) QnCodePatch(&p->code, jump, end);
}

// while := 'while' expression statements 'endwhile' [';']
void WhileStatement(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  LoopFrame frame;
  LoopBegin(p, &frame);
  int32_t head = QnCodeHere(&p->code);
  MarkLoopHead(p, frame, Statement(p, kQnStmtLoopHead, at));
  Condition(p, "the condition of while");
  int32_t toExit = QnCodeJump(&p->code, OP_JZ);
  QnCodeStatementEnd(&p->code);
  StatementList(p, {"endwhile"});
  QnToken end = p->tok;
  ExpectWord(p, "endwhile");
  OptionalSemicolon(p);
  QnCodeEmit(&p->code, OP_JMP, head);
  QnCodePatch(&p->code, toExit, LoopEnd(p, &frame, end));
}

// for := 'for' NAME '=' expression ( 'to' | 'downto' ) expression [ 'step' expression ]
//        statements 'endfor' [';']
void ForStatement(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  LoopFrame frame;
  LoopBegin(p, &frame);
  MarkLoopHead(p, frame, Statement(p, kQnStmtLoopHead, at));
  QnToken nameToken = p->tok;
  const VarInfo* found = p->tok.type == TK_IDENT ? FindVariable(p, p->tok.text) : nullptr;
  if (!found || found->kind != kQnNumber) {
    Error(p, "for needs a NUMBER variable but found " + Describe(p->tok));
    return;
  }
  VarInfo var = *found;
  Next(p);
  Expect(p, '=', "'='");
  ExpressionOf(p, kQnNumber, "the start of for");
  EmitStore(p, var);
  bool down = false;
  if (AcceptWord(p, "downto")) {
    down = true;
  } else {
    ExpectWord(p, "to");
  }
  int32_t limit = QnCodeTemporary(&p->code, kQnNumber);
  int32_t step = QnCodeTemporary(&p->code, kQnNumber);
  ExpressionOf(p, kQnNumber, "the limit of for");
  QnCodeEmit(&p->code, OP_STORELN, limit);
  if (AcceptWord(p, "step")) {
    ExpressionOf(p, kQnNumber, "the step of for");
  } else {
    QnCodeEmit(&p->code, OP_PUSHN, 1);
  }
  QnCodeEmit(&p->code, OP_STORELN, step);
  QnCodeEmit(&p->code, OP_CHECKSTEP, step);
  EmitLoad(p, var);
  QnCodeEmit(&p->code, OP_LOADLN, limit);
  QnCodeEmit(&p->code, down ? OP_GE : OP_LE);
  int32_t toExit = QnCodeJump(&p->code, OP_JZ);
  QnCodeStatementEnd(&p->code);
  int32_t body = QnCodeHere(&p->code);
  StatementList(p, {"endfor"});
  QnToken end = p->tok;
  ExpectWord(p, "endfor");
  if (Failed(p)) return;
  MarkLoopHead(p, frame, Statement(p, kQnStmtLoopHead, end));
  OptionalSemicolon(p);
  QnCodeEmit(&p->code, OP_FORNEXT, QnVarRef(var.local, var.slot), limit, step, down ? 1 : 0, body);
  QnCodeStatementEnd(&p->code);
  QnCodePatch(&p->code, toExit, LoopEnd(p, &frame, end));
}

// repeat := 'repeat' statements 'until' expression ';'
void RepeatStatement(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  LoopFrame frame;
  LoopBegin(p, &frame);
  MarkLoopHead(p, frame, Statement(p, kQnStmtLoopHead, at));
  QnCodeStatementEnd(&p->code);
  int32_t body = QnCodeHere(&p->code);
  StatementList(p, {"until"});
  QnToken until = p->tok;
  ExpectWord(p, "until");
  if (Failed(p)) return;
  MarkLoopHead(p, frame, Statement(p, kQnStmtLoopHead, until));
  Condition(p, "the condition of until");
  QnCodeEmit(&p->code, OP_JZ, body);
  QnCodeStatementEnd(&p->code);
  Expect(p, ';', "';'");
  LoopEnd(p, &frame, until);
}

// switch := 'switch' expression { 'case' constant ':' statements } [ 'default' ':' statements ]
//           'endswitch' [';']
// constant := NUMBER | '-' NUMBER | STRING
void SwitchStatement(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  Statement(p, kQnStmtSwitch, at);
  QnKind kind = Expression(p);
  if (Failed(p)) return;
  int32_t subject = QnCodeTemporary(&p->code, kind);
  QnCodeEmit(&p->code, kind == kQnString ? OP_STORELS : OP_STORELN, subject);
  int32_t toDispatch = QnCodeJump(&p->code, OP_JMP);
  QnCodeStatementEnd(&p->code);

  struct Case { QnToken value; int32_t body; };
  std::vector<Case> cases;
  std::vector<int32_t> toEnd;
  int32_t defaultBody = -1;
  while (!Failed(p) && !IsWord(p->tok, "endswitch")) {
    if (AcceptWord(p, "case")) {
      QnToken value = p->tok;
      if (Accept(p, '-')) {
        value = p->tok;
        value.number = static_cast<int32_t>(0u - static_cast<uint32_t>(value.number));
        if (p->tok.type != TK_NUMBER) value.type = TK_EOF;
      }
      if (value.type != TK_NUMBER && value.type != TK_STRING) {
        Error(p, "case needs a number or a string constant");
        return;
      }
      if ((value.type == TK_STRING) != (kind == kQnString)) {
        Error(p, std::string("case value must be ") + KindName(kind) + " like the switch");
        return;
      }
      for (const Case& c : cases) {
        if (c.value.number == value.number && c.value.text == value.text) {
          Error(p, "case value given twice");
          return;
        }
      }
      Next(p);
      cases.push_back(Case{value, QnCodeHere(&p->code)});
    } else if (IsWord(p->tok, "default")) {
      if (defaultBody >= 0) {
        Error(p, "default given twice");
        return;
      }
      Next(p);
      defaultBody = QnCodeHere(&p->code);
    } else {
      Error(p, "expected 'case', 'default' or 'endswitch' but found " + Describe(p->tok));
      return;
    }
    Expect(p, ':', "':'");
    StatementList(p, {"case", "default", "endswitch"});
    toEnd.push_back(QnCodeJump(&p->code, OP_JMP));
  }
  ExpectWord(p, "endswitch");
  OptionalSemicolon(p);
  if (Failed(p)) return;
  QnCodePatch(&p->code, toDispatch, QnCodeHere(&p->code));
  for (const Case& c : cases) {
    if (kind == kQnString) {
      QnCodeEmit(&p->code, OP_LOADLS, subject);
      QnCodeEmit(&p->code, OP_PUSHS, StringConstant(p, c.value.text));
      QnCodeEmit(&p->code, OP_SEQ);
    } else {
      QnCodeEmit(&p->code, OP_LOADLN, subject);
      QnCodeEmit(&p->code, OP_PUSHN, c.value.number);
      QnCodeEmit(&p->code, OP_EQ);
    }
    QnCodeEmit(&p->code, OP_JNZ, c.body);
  }
  if (defaultBody >= 0) {
    QnCodeEmit(&p->code, OP_JMP, defaultBody);
  }
  int32_t end = QnCodeHere(&p->code);
  for (int32_t jump : toEnd) QnCodePatch(&p->code, jump, end);
}

// Emits the report of the enclosing outermost loop's exit for a statement
// that leaves it; the operand is patched when the loop ends.
void PassLoopExit(Parser* p) {
  if (!p->scope->outermost) return;
  QnCodeEmit(&p->code, OP_PASSEXIT, -1);
  p->scope->outermost->passOperands.push_back(QnCodeHere(&p->code) - 1);
}

// goto := 'goto' NAME ';'
void GotoStatement(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  Statement(p, kQnStmtGoto, at);
  PendingGoto g;
  g.file = p->tok.file;
  g.line = p->tok.line;
  g.label = NewName(p, "a label");
  if (p->scope->outermost) {
    // Whether the goto leaves the loop is known once its label is: the
    // operand stays -1 (no report) unless the block's end finds it does.
    QnCodeEmit(&p->code, OP_PASSEXIT, -1);
    g.passOperand = QnCodeHere(&p->code) - 1;
    g.loop = p->scope->outermost->id;
  }
  g.jumpOperand = QnCodeJump(&p->code, OP_JMP);
  QnCodeStatementEnd(&p->code);
  Expect(p, ';', "';'");
  p->scope->gotos.push_back(g);
}

// return := 'return' [ expression ] ';'
void ReturnStatement(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  if (!p->scope->isFunction) {
    ErrorAt(p, at, "return outside a function (exit ends the program)");
    return;
  }
  Statement(p, kQnStmtReturn, at);
  if (p->tok.type == ';') {
    EmitDefault(p, p->scope->result);
  } else {
    ExpressionOf(p, p->scope->result, "the returned value");
  }
  PassLoopExit(p);
  QnCodeEmitCall(&p->code, OP_RET, p->scope->result, 0, 0, p->scope->result == kQnNumber,
                 p->scope->result == kQnString, kQnNone);
  QnCodeStatementEnd(&p->code);
  Expect(p, ';', "';'");
}

// simple := NAME '=' expression ';' | call ';'
void SimpleStatement(Parser* p) {
  QnToken name = p->tok;
  Statement(p, kQnStmtSimple, name);
  Next(p);
  if (p->tok.type == '(') {
    QnKind result = Call(p, name);
    if (Failed(p)) return;
    QnCodeEmit(&p->code, result == kQnString ? OP_POPS : OP_POPN);
  } else if (p->tok.type == '=') {
    const VarInfo* found = FindVariable(p, name.text);
    if (!found) {
      ErrorAt(p, name, "unknown name " + name.text);
      return;
    }
    VarInfo var = *found;
    Next(p);
    std::string what = "the value assigned to " + name.text;
    ExpressionOf(p, var.kind, what.c_str());
    EmitStore(p, var);
  } else {
    Error(p, "expected '=' or '(' after " + name.text + " but found " + Describe(p->tok));
    return;
  }
  QnCodeStatementEnd(&p->code);
  Expect(p, ';', "';'");
}

// statement := if | while | for | repeat | switch | goto | return | 'exit' ';' | 'abort' ';'
//            | NAME ':' | simple | ';'
void StatementOne(Parser* p) {
  const QnToken& t = p->tok;
  if (IsWord(t, "if")) return IfStatement(p);
  if (IsWord(t, "while")) return WhileStatement(p);
  if (IsWord(t, "for")) return ForStatement(p);
  if (IsWord(t, "repeat")) return RepeatStatement(p);
  if (IsWord(t, "switch")) return SwitchStatement(p);
  if (IsWord(t, "goto")) return GotoStatement(p);
  if (IsWord(t, "return")) return ReturnStatement(p);
  if (IsWord(t, "exit") || IsWord(t, "Exit") || IsWord(t, "abort")) {
    QnToken at = t;
    Next(p);
    Statement(p, kQnStmtExit, at);
    QnCodeEmit(&p->code, at.text == "abort" ? OP_ABORT : OP_EXIT);
    QnCodeStatementEnd(&p->code);
    Expect(p, ';', "';'");
    return;
  }
  if (Accept(p, ';')) return;
  if (t.type == TK_IDENT && !IsReserved(t.text) && Peek(p).type == ':') {
    QnToken at = t;
    std::string name = t.text;
    Next(p);
    Next(p);
    if (p->scope->labels.count(name)) {
      ErrorAt(p, at, "label " + name + " defined twice");
      return;
    }
    Label label;
    label.pc = QnCodeHere(&p->code);
    label.loop = p->scope->outermost ? p->scope->outermost->id : 0;
    p->scope->labels[name] = label;
    return;
  }
  if (t.type == TK_IDENT && !IsReserved(t.text)) return SimpleStatement(p);
  Error(p, "expected a statement but found " + Describe(t));
}

// statements := { statement }      (up to one of the words that end the list)
void StatementList(Parser* p, std::initializer_list<const char*> enders) {
  if (!Nest(p)) return;
  for (;;) {
    if (Failed(p)) break;
    bool end = p->tok.type == TK_EOF;
    for (const char* word : enders) end = end || IsWord(p->tok, word);
    if (end) break;
    StatementOne(p);
  }
  Unnest(p);
}

// Resolves the block's gotos once all its labels are known.
void ResolveGotos(Parser* p, const std::map<int32_t, int32_t>& loopExits) {
  for (const PendingGoto& g : p->scope->gotos) {
    auto label = p->scope->labels.find(g.label);
    if (label == p->scope->labels.end()) {
      QnLexError(&p->lex, g.file, g.line, "label " + g.label + " not defined");
      return;
    }
    QnCodePatch(&p->code, g.jumpOperand, label->second.pc);
    if (g.passOperand >= 0 && label->second.loop != g.loop) {
      QnCodePatch(&p->code, g.passOperand, loopExits.at(g.loop));
    }
  }
}

// Collects the offsets of the block's loop exit statements by loop id.
std::map<int32_t, int32_t> LoopExits(Parser* p) {
  std::map<int32_t, int32_t> exits;
  int32_t id = 0;
  const QnBlock* block = QnCodeCurrentBlock(&p->code);
  for (size_t i = 0; i < block->statements.size(); ++i) {
    if (block->statements[i].kind == kQnStmtLoopExit) exits[++id] = static_cast<int32_t>(i);
  }
  return exits;
}

void EndScope(Parser* p) {
  ResolveGotos(p, LoopExits(p));
}

// declaration := ( 'STRING' | 'NUMBER' ) NAME [ '[' NUMBER ']' ] { ',' NAME [ '[' NUMBER ']' ] } ';'
void Declaration(Parser* p, std::map<std::string, VarInfo>* into, std::vector<std::string>* strings,
                 std::vector<std::string>* numbers, bool local) {
  QnKind kind = TypeOf(p->tok);
  Next(p);
  do {
    QnToken at = p->tok;
    std::string name = NewName(p, "a variable name");
    if (Failed(p)) return;
    if (Accept(p, '[')) {
      Expect(p, TK_NUMBER, "a size");
      Expect(p, ']', "']'");
    }
    if (into->count(name)) {
      ErrorAt(p, at, name + " declared twice");
      return;
    }
    std::vector<std::string>* list = kind == kQnString ? strings : numbers;
    VarInfo v;
    v.kind = kind;
    v.local = local;
    v.slot = static_cast<int32_t>(list->size());
    list->push_back(name);
    (*into)[name] = v;
  } while (Accept(p, ','));
  Expect(p, ';', "';'");
}

// prototype := 'prototype' [ type ] NAME '(' [ type [ NAME ] { ',' type [ NAME ] } ] ')' ';'
void Prototype(Parser* p) {
  Next(p);
  QnFunction f;
  f.file = p->tok.file;
  f.line = p->tok.line;
  if (IsType(p->tok) && Peek(p).type == TK_IDENT) {
    f.result = TypeOf(p->tok);
    Next(p);
  }
  QnToken at = p->tok;
  f.name = NewName(p, "a function name");
  Expect(p, '(', "'('");
  if (p->tok.type != ')') {
    do {
      if (!IsType(p->tok)) {
        Error(p, "expected STRING or NUMBER but found " + Describe(p->tok));
        return;
      }
      f.params.push_back(TypeOf(p->tok));
      Next(p);
      if (p->tok.type == TK_IDENT && !IsReserved(p->tok.text)) Next(p);
    } while (Accept(p, ','));
  }
  Expect(p, ')', "')'");
  Expect(p, ';', "';'");
  if (Failed(p)) return;
  int32_t unused;
  if (QnBuiltinFind(f.name, &unused)) {
    ErrorAt(p, at, f.name + " is a built-in function");
    return;
  }
  auto known = p->functions.find(f.name);
  if (known != p->functions.end()) {
    const QnFunction& old = p->program->functions[known->second];
    if (old.params != f.params || old.result != f.result) ErrorAt(p, at, "prototype of " + f.name + " differs from the earlier one");
    return;
  }
  p->functions[f.name] = static_cast<int32_t>(p->program->functions.size());
  p->program->functions.push_back(f);
}

// function := 'function' NAME '(' [ NAME { ',' NAME } ] ')' { declaration } 'begin' statements
//             'end' ';'
void Function(Parser* p) {
  Next(p);
  QnToken at = p->tok;
  std::string name = NewName(p, "a function name");
  if (Failed(p)) return;
  auto known = p->functions.find(name);
  if (known == p->functions.end()) {
    ErrorAt(p, at, "function " + name + " has no prototype");
    return;
  }
  int32_t index = known->second;
  if (p->program->functions[index].block >= 0) {
    ErrorAt(p, at, "function " + name + " defined twice");
    return;
  }
  if (p->program->blocks.size() >= static_cast<size_t>(kQnMaxBlocks)) {
    ErrorAt(p, at, "too many functions");
    return;
  }
  QnFunction& fn = p->program->functions[index];
  Scope scope;
  scope.isFunction = true;
  scope.result = fn.result;
  p->scope = &scope;
  int32_t block = QnCodeBeginBlock(&p->code, index, name.c_str(), at.file, at.line);
  p->program->functions[index].block = block;
  QnBlock* b = QnCodeCurrentBlock(&p->code);
  Expect(p, '(', "'('");
  size_t count = 0;
  std::vector<QnKind> params = p->program->functions[index].params;
  if (p->tok.type != ')') {
    do {
      QnToken paramAt = p->tok;
      std::string param = NewName(p, "a parameter name");
      if (Failed(p)) break;
      if (count >= params.size()) {
        ErrorAt(p, paramAt, "more parameters than the prototype of " + name + " has");
        break;
      }
      if (scope.locals.count(param)) {
        ErrorAt(p, paramAt, param + " declared twice");
        break;
      }
      std::vector<std::string>& list = params[count] == kQnString ? b->stringLocals : b->numberLocals;
      scope.locals[param] = VarInfo{params[count], true, static_cast<int32_t>(list.size())};
      list.push_back(param);
      ++count;
    } while (Accept(p, ','));
  }
  if (!Failed(p) && count != params.size()) Error(p, "fewer parameters than the prototype of " + name + " has");
  Expect(p, ')', "')'");
  while (!Failed(p) && IsType(p->tok)) {
    b = QnCodeCurrentBlock(&p->code);
    Declaration(p, &scope.locals, &b->stringLocals, &b->numberLocals, true);
  }
  b = QnCodeCurrentBlock(&p->code);
  b->stringSlots = static_cast<int32_t>(b->stringLocals.size());
  b->numberSlots = static_cast<int32_t>(b->numberLocals.size());
  ExpectWord(p, "begin");
  StatementList(p, {"end"});
  QnToken end = p->tok;
  ExpectWord(p, "end");
  Expect(p, ';', "';'");
  if (!Failed(p)) {
    Statement(p, kQnStmtReturn, end);
    EmitDefault(p, scope.result);
    QnCodeEmitCall(&p->code, OP_RET, scope.result, 0, 0, scope.result == kQnNumber,
                   scope.result == kQnString, kQnNone);
    QnCodeStatementEnd(&p->code);
    EndScope(p);
  }
  QnCodeEndBlock(&p->code);
  p->scope = nullptr;
}

// program := 'program' statements 'endprogram'
void ProgramBlock(Parser* p) {
  QnToken at = p->tok;
  Next(p);
  if (p->sawProgram) {
    ErrorAt(p, at, "a second program block");
    return;
  }
  p->sawProgram = true;
  Scope scope;
  p->scope = &scope;
  // The program block is block 0 wherever it stands: its blocks slot was
  // reserved at the start and is filled in here.
  int32_t saved = static_cast<int32_t>(p->program->blocks.size());
  QnCodeBeginBlock(&p->code, -1, "program", at.file, at.line);
  StatementList(p, {"endprogram"});
  QnToken end = p->tok;
  ExpectWord(p, "endprogram");
  if (!Failed(p)) {
    Statement(p, kQnStmtExit, end);
    QnCodeEmit(&p->code, OP_EXIT);
    QnCodeStatementEnd(&p->code);
    EndScope(p);
  }
  QnCodeEndBlock(&p->code);
  p->program->blocks[0] = p->program->blocks[saved];
  p->program->blocks.pop_back();
  p->scope = nullptr;
}

// script := { '#include' | '#define' | declaration | prototype | function | program }
void Script(Parser* p) {
  while (!Failed(p) && p->tok.type != TK_EOF) {
    if (IsType(p->tok)) {
      Declaration(p, &p->globals, &p->program->globalStrings, &p->program->globalNumbers, false);
    } else if (IsWord(p->tok, "prototype")) {
      Prototype(p);
    } else if (IsWord(p->tok, "function")) {
      Function(p);
    } else if (IsWord(p->tok, "program")) {
      ProgramBlock(p);
    } else {
      Error(p, "expected a declaration, prototype, function or program but found " + Describe(p->tok));
    }
  }
  if (Failed(p)) return;
  if (!p->sawProgram) {
    QnLexError(&p->lex, 0, 1, "no program ... endprogram block");
    return;
  }
  for (int32_t index : p->calledFunctions) {
    const QnFunction& f = p->program->functions[index];
    if (f.block < 0) {
      QnLexError(&p->lex, f.file, f.line, "function " + f.name + " is called but never defined");
      return;
    }
  }
}

void Predefine(Parser* p) {
  static const char* const kStrings[kQnPredefinedStrings] = {"SRCDIR", "TARGETDIR", "TEMPSTRING"};
  for (int i = 0; i < kQnPredefinedStrings; ++i) {
    p->program->globalStrings.push_back(kStrings[i]);
    if (i != kQnGlobalTempString) p->globals[kStrings[i]] = VarInfo{kQnString, false, i};
  }
  p->program->globalNumbers.push_back("__LASTRESULT");
  static const struct { const char* name; int32_t value; } kConstants[] = {
      {"TRUE", 1},         {"FALSE", 0},   {"EXISTS", 0},  {"NOTEXISTS", -1},
      {"INFORMATION", 1},  {"WARNING", 2}, {"SEVERE", 3},  {"YES", 1},
      {"NO", 0}};
  for (const auto& c : kConstants) QnLexDefine(&p->lex, c.name, c.value);
}

}  // namespace

bool QnParseProgram(const QnSourceReader& reader, const std::string& mainPath,
                    QnProgram* program, std::string* error) {
  Parser p;
  p.program = program;
  p.lex.reader = reader;
  p.lex.program = program;
  p.lex.error = error;
  p.code.program = program;
  *program = QnProgram();
  if (!QnLexOpen(&p.lex, mainPath)) return false;
  Predefine(&p);
  program->blocks.push_back(QnBlock());  // block 0, the program, filled when it is parsed
  Next(&p);
  Script(&p);
  if (Failed(&p)) return false;
  QnCodeClassify(program);
  return true;
}

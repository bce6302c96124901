#include "QnCode.h"

#include <map>
#include <utility>

namespace {

struct OpInfo {
  int8_t operands;
  int8_t numbers;  // change of the number stack depth
  int8_t strings;  // change of the string stack depth
};

// Effects of the opcodes whose effect does not depend on a callee. ANDJ and
// ORJ count as popping: on the path that falls through they pop, and on the
// jumping path the kept value stands for the one the right operand pushes.
constexpr OpInfo kOps[] = {
    /* STMT */ {1, 0, 0},    /* JMP */ {1, 0, 0},     /* JZ */ {1, -1, 0},
    /* JNZ */ {1, -1, 0},    /* ANDJ */ {1, -1, 0},   /* ORJ */ {1, -1, 0},
    /* BOOL */ {0, 0, 0},    /* PUSHN */ {1, 1, 0},   /* LOADGN */ {1, 1, 0},
    /* LOADLN */ {1, 1, 0},  /* STOREGN */ {1, -1, 0}, /* STORELN */ {1, -1, 0},
    /* ADD */ {0, -1, 0},    /* SUB */ {0, -1, 0},    /* MUL */ {0, -1, 0},
    /* DIV */ {0, -1, 0},    /* MOD */ {0, -1, 0},    /* NEG */ {0, 0, 0},
    /* NOT */ {0, 0, 0},     /* EQ */ {0, -1, 0},     /* NE */ {0, -1, 0},
    /* LT */ {0, -1, 0},     /* LE */ {0, -1, 0},     /* GT */ {0, -1, 0},
    /* GE */ {0, -1, 0},     /* POPN */ {0, -1, 0},   /* PUSHS */ {1, 0, 1},
    /* LOADGS */ {1, 0, 1},  /* LOADLS */ {1, 0, 1},  /* STOREGS */ {1, 0, -1},
    /* STORELS */ {1, 0, -1}, /* CONCAT */ {0, 0, -1}, /* SEQ */ {0, 1, -2},
    /* SNE */ {0, 1, -2},    /* SLT */ {0, 1, -2},    /* SLE */ {0, 1, -2},
    /* SGT */ {0, 1, -2},    /* SGE */ {0, 1, -2},    /* POPS */ {0, 0, -1},
    /* CHECKSTEP */ {1, 0, 0}, /* FORNEXT */ {5, 0, 0}, /* PASSEXIT */ {1, 0, 0},
    /* CALL */ {1, 0, 0},    /* RET */ {1, 0, 0},     /* BUILTIN */ {3, 0, 0},
    /* EXIT */ {0, 0, 0},    /* ABORT */ {0, 0, 0},
};
static_assert(sizeof kOps / sizeof kOps[0] == OP_COUNT, "one entry per opcode");

void Adjust(QnCode* code, int32_t numbers, int32_t strings) {
  code->numberDepth += numbers;
  code->stringDepth += strings;
  QnBlock* block = QnCodeCurrentBlock(code);
  if (code->numberDepth > block->maxNumberStack) block->maxNumberStack = code->numberDepth;
  if (code->stringDepth > block->maxStringStack) block->maxStringStack = code->stringDepth;
}

void Put(QnCode* code, QnOp op, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
  std::vector<int32_t>& out = code->program->code;
  out.push_back(op);
  const int32_t operands[5] = {a, b, c, d, e};
  for (int i = 0; i < kOps[op].operands; ++i) out.push_back(operands[i]);
}

QnStatement* CurrentStatement(QnCode* code) {
  if (code->statement < 0) return nullptr;
  return &QnCodeCurrentBlock(code)->statements[code->statement];
}

}  // namespace

QnBlock* QnCodeCurrentBlock(QnCode* code) { return &code->program->blocks[code->block]; }

int32_t QnCodeBeginBlock(QnCode* code, int32_t function, const char* name, int16_t file,
                         int32_t line) {
  QnBlock block;
  block.name = name;
  block.function = function;
  block.entryPc = QnCodeHere(code);
  block.file = file;
  block.line = line;
  code->program->blocks.push_back(block);
  code->block = static_cast<int32_t>(code->program->blocks.size() - 1);
  code->numberDepth = 0;
  code->stringDepth = 0;
  code->statement = -1;
  return code->block;
}

void QnCodeEndBlock(QnCode* code) {
  QnCodeStatementEnd(code);
  code->block = -1;
}

void QnCodeEmit(QnCode* code, QnOp op, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
  Put(code, op, a, b, c, d, e);
  Adjust(code, kOps[op].numbers, kOps[op].strings);
}

void QnCodeEmitCall(QnCode* code, QnOp op, int32_t a, int32_t b, int32_t c, int32_t popNumbers,
                    int32_t popStrings, QnKind result) {
  Put(code, op, a, b, c, 0, 0);
  Adjust(code, -popNumbers + (result == kQnNumber), -popStrings + (result == kQnString));
}

int32_t QnCodeJump(QnCode* code, QnOp op) {
  QnCodeEmit(code, op, -1);
  return QnCodeHere(code) - 1;
}

void QnCodePatch(QnCode* code, int32_t operandAt, int32_t target) {
  code->program->code[operandAt] = target;
}

int32_t QnCodeHere(const QnCode* code) { return static_cast<int32_t>(code->program->code.size()); }

int32_t QnCodeStatement(QnCode* code, QnStatementKind kind, int16_t file, int32_t line,
                        bool hasLine) {
  QnCodeStatementEnd(code);
  QnBlock* block = QnCodeCurrentBlock(code);
  QnStatement statement;
  statement.pc = QnCodeHere(code);
  statement.kind = kind;
  statement.file = file;
  statement.line = line;
  statement.hasLine = hasLine ? 1 : 0;
  int32_t offset = static_cast<int32_t>(block->statements.size());
  block->statements.push_back(statement);
  code->statement = offset;
  QnCodeEmit(code, OP_STMT, offset);
  return offset;
}

void QnCodeStatementEnd(QnCode* code) {
  if (QnStatement* statement = CurrentStatement(code)) statement->endPc = QnCodeHere(code);
  code->statement = -1;
}

void QnCodeNoteScriptCall(QnCode* code) {
  if (QnStatement* statement = CurrentStatement(code)) statement->callsScript = 1;
}

int32_t QnCodeTemporary(QnCode* code, QnKind kind) {
  QnBlock* block = QnCodeCurrentBlock(code);
  return kind == kQnString ? block->stringSlots++ : block->numberSlots++;
}

// Statement classes, as the debugger's Step uses them:
//
//   1  a statement whose expressions call a script function (other than a
//      loop head): Step runs it, calls included, and stops at the next
//      statement at the same or a shallower call depth.
//   2  any other statement that calls no script function: if, elseif,
//      switch, a nested loop's head, and a plain statement that is not
//      class 3 (one followed by a jump, or sharing its line). Stepped the
//      same way as class 1; it cannot go deeper than its own call depth.
//   3  a plain assignment or built-in call that always runs straight on to
//      the next statement of its block, which starts a later line of the same
//      file, while no other statement shares its own line: Step then plants a
//      one-shot breakpoint on that next line and lets the script run at full
//      speed, without tracing.
//   4  goto, return without a script call, exit, abort, the end of a function
//      and endprogram: control goes elsewhere; Step stops at whatever
//      statement comes next.
//   5  the head of a loop that is not nested in another loop of its block
//      (while, for, endfor, repeat, until): Step runs the rest of the loop
//      and stops after it. StepInto enters the body instead.
//   6  the exit of such a loop: a statement without a line, reached once when
//      the loop ends (also when it is left by goto or return), that ends
//      Step's run over the loop.
//
// Nested loops are stepped statement by statement (their heads are class 1
// or 2 and they have no exit statement): a class-6 statement at the same call
// depth ends Step over a loop, so an inner loop's exit would otherwise end
// Step over the outer loop after the inner loop's first run.
void QnCodeClassify(QnProgram* program) {
  std::map<std::pair<int, int>, int> perLine;
  for (const QnBlock& block : program->blocks) {
    for (const QnStatement& s : block.statements) {
      if (s.hasLine) ++perLine[std::make_pair(static_cast<int>(s.file), s.line)];
    }
  }
  for (QnBlock& block : program->blocks) {
    for (size_t i = 0; i < block.statements.size(); ++i) {
      QnStatement& s = block.statements[i];
      s.sharesLine = perLine[std::make_pair(static_cast<int>(s.file), s.line)] > 1;
      const QnStatement* next = i + 1 < block.statements.size() ? &block.statements[i + 1] : nullptr;
      bool straight = next && next->pc == s.endPc && next->hasLine && next->file == s.file &&
                      next->line > s.line && !s.sharesLine;
      switch (s.kind) {
        case kQnStmtSimple:
          s.statementClass = s.callsScript ? 1 : straight ? 3 : 2;
          break;
        case kQnStmtIf:
        case kQnStmtSwitch:
          s.statementClass = s.callsScript ? 1 : 2;
          break;
        case kQnStmtLoopHead:
          s.statementClass = s.outermostLoop ? 5 : s.callsScript ? 1 : 2;
          break;
        case kQnStmtLoopExit:
          s.statementClass = 6;
          break;
        case kQnStmtGoto:
        case kQnStmtExit:
          s.statementClass = 4;
          break;
        case kQnStmtReturn:
          s.statementClass = s.callsScript ? 1 : 4;
          break;
      }
    }
  }
}

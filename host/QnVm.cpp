#include "QnVm.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "QnBuiltins.h"

namespace {

constexpr int32_t kNumberStackSize = 1 << 18;
constexpr int32_t kStringStackSize = 1 << 15;
constexpr int32_t kNoPoll = INT32_MAX;

constexpr uint8_t kFlagPersistent = 1;
constexpr uint8_t kFlagOneShot = 2;

struct Frame {
  int32_t block = 0;
  int32_t statement = -1;    // offset of the statement the frame stands at
  int32_t numberBase = 0;    // first local slot on the number stack
  int32_t stringBase = 0;
  int32_t returnPc = 0;
  uint8_t* flags = nullptr;  // breakpoint flags of the block's statements
};

struct FunctionShape {
  int32_t numberParams = 0;
  int32_t stringParams = 0;
};

struct BuiltinShape {
  int32_t numbers = 0;  // fixed arguments on the number stack
  int32_t strings = 0;
};

}  // namespace

struct QnVm {
  const QnProgram* program = nullptr;
  QnHostConfig config;
  std::vector<int32_t> numberGlobals;
  std::vector<std::string> stringGlobals;
  std::vector<int32_t> numbers;      // the number stack
  std::vector<std::string> strings;  // the string stack
  std::vector<Frame> frames;         // reserved up front: frame pointers stay valid
  std::vector<std::vector<uint8_t>> flags;  // per block, per statement
  std::vector<std::vector<uint8_t>> classes;  // per block, per statement
  std::vector<QnClassTable> classTables;      // views of `classes` for `debug`
  QnVmDebugState debug;
  std::vector<FunctionShape> functionShapes;
  std::vector<BuiltinShape> builtinShapes;
  QnHook hook = nullptr;
  void* hookUser = nullptr;
  QnStatementHook statementHook = nullptr;
  void* statementUser = nullptr;
  int mask = 0;
  int32_t pollInterval = kNoPoll;
  int32_t pollCountdown = kNoPoll;
  bool stopRequested = false;
  int status = kQnRunning;
  std::string error;
};

namespace {

#define QN_UNLIKELY(x) __builtin_expect(!!(x), 0)

const QnStatement* StatementAt(const QnProgram* program, int32_t block, int32_t offset) {
  if (block < 0 || static_cast<size_t>(block) >= program->blocks.size()) return nullptr;
  const std::vector<QnStatement>& statements = program->blocks[block].statements;
  if (offset < 0 || static_cast<size_t>(offset) >= statements.size()) return nullptr;
  return &statements[offset];
}

int CallHook(QnVm* vm, int kind, const Frame* frame) {
  if (!vm->hook) return 0;
  QnHookEvent event{kind, frame->block, frame->statement};
  return vm->hook(vm, event, vm->hookUser) ? 1 : 0;
}

// The slow path of a statement: a breakpoint, tracing, or the poll countdown.
// 1 when the script must end.
__attribute__((noinline)) int StatementEvent(QnVm* vm, Frame* frame, int32_t offset) {
  int stop = 0;
  if (vm->pollCountdown < 0) {
    vm->pollCountdown = vm->pollInterval;
    if (vm->mask & kQnMaskPoll) stop |= CallHook(vm, kQnEventPoll, frame);
  }
  uint8_t& flag = frame->flags[offset];
  if (flag) {
    flag &= static_cast<uint8_t>(~kFlagOneShot);
    stop |= CallHook(vm, kQnEventBreak, frame);
  } else if (vm->debug.trace) {
    stop |= vm->statementHook ? vm->statementHook(vm->statementUser, frame->block, offset)
                              : CallHook(vm, kQnEventStatement, frame);
  }
  return stop || vm->stopRequested;
}


// The stack slot of the innermost frame's visible local `index` (-101 - i)
// of a kind, or -1 when there is none.
int32_t LocalSlot(const QnVm* vm, int32_t index, QnKind kind) {
  if (vm->frames.empty()) return -1;
  const Frame& frame = vm->frames.back();
  const QnBlock& block = vm->program->blocks[frame.block];
  size_t count = kind == kQnString ? block.stringLocals.size() : block.numberLocals.size();
  int32_t local = -101 - index;
  if (local < 0 || static_cast<size_t>(local) >= count) return -1;
  return (kind == kQnString ? frame.stringBase : frame.numberBase) + local;
}

// A variable by its debug information index: a global from 0, a local below.
template <typename T>
T* Variable(std::vector<T>& globals, std::vector<T>& stack, int32_t index, int32_t localSlot) {
  if (index >= 0) return static_cast<size_t>(index) < globals.size() ? &globals[index] : nullptr;
  return localSlot >= 0 ? &stack[localSlot] : nullptr;
}

std::string* StringVariable(const QnVm* vm, int32_t index) {
  QnVm* v = const_cast<QnVm*>(vm);
  return Variable(v->stringGlobals, v->strings, index, LocalSlot(vm, index, kQnString));
}

int32_t* NumberVariable(const QnVm* vm, int32_t index) {
  QnVm* v = const_cast<QnVm*>(vm);
  return Variable(v->numberGlobals, v->numbers, index, LocalSlot(vm, index, kQnNumber));
}

bool PushFrame(QnVm* vm, int32_t block, int32_t numberBase, int32_t stringBase, int32_t returnPc) {
  const QnBlock& b = vm->program->blocks[block];
  if (vm->frames.size() > static_cast<size_t>(kQnMaxCallDepth)) {
    QnVmFail(vm, "runaway recursion: more than " + std::to_string(kQnMaxCallDepth) +
                     " nested function calls");
    return false;
  }
  if (numberBase + b.numberSlots + b.maxNumberStack > kNumberStackSize ||
      stringBase + b.stringSlots + b.maxStringStack > kStringStackSize) {
    QnVmFail(vm, "out of stack space in " + b.name);
    return false;
  }
  Frame frame;
  frame.block = block;
  frame.numberBase = numberBase;
  frame.stringBase = stringBase;
  frame.returnPc = returnPc;
  frame.flags = vm->flags[block].data();
  vm->frames.push_back(frame);
  vm->debug.depth = static_cast<int32_t>(vm->frames.size() - 1);
  return true;
}

}  // namespace

QnVm* QnVmCreate(const QnProgram* program, const QnHostConfig& config) {
  QnVm* vm = new QnVm;
  vm->program = program;
  vm->config = config;
  vm->numberGlobals.assign(program->globalNumbers.size(), 0);
  vm->stringGlobals.assign(program->globalStrings.size(), std::string());
  vm->stringGlobals[kQnGlobalSrcDir] = config.srcDir;
  vm->stringGlobals[kQnGlobalTargetDir] = config.targetDir;
  vm->numbers.assign(kNumberStackSize, 0);
  vm->strings.resize(kStringStackSize);
  vm->frames.reserve(kQnMaxCallDepth + 2);
  for (const QnBlock& block : program->blocks) {
    vm->flags.push_back(std::vector<uint8_t>(block.statements.size() + 1, 0));
    std::vector<uint8_t> classes;
    for (const QnStatement& s : block.statements) classes.push_back(s.statementClass);
    vm->classes.push_back(std::move(classes));
  }
  for (const std::vector<uint8_t>& classes : vm->classes)
    vm->classTables.push_back({classes.data(), static_cast<uint32_t>(classes.size())});
  vm->debug.blocks = vm->classTables.data();
  vm->debug.blockCount = static_cast<uint32_t>(vm->classTables.size());
  for (const QnFunction& f : program->functions) {
    FunctionShape shape;
    for (QnKind kind : f.params) (kind == kQnString ? shape.stringParams : shape.numberParams)++;
    vm->functionShapes.push_back(shape);
  }
  for (int32_t i = 0; const QnBuiltin* builtin = QnBuiltinAt(i); ++i) {
    BuiltinShape shape;
    for (const char* s = builtin->signature; *s; ++s) {
      if (*s == 'S') ++shape.strings;
      else if (*s != '*') ++shape.numbers;
    }
    vm->builtinShapes.push_back(shape);
  }
  return vm;
}

void QnVmDestroy(QnVm* vm) { delete vm; }

int QnVmStatus(const QnVm* vm) { return vm->status; }
const std::string& QnVmError(const QnVm* vm) { return vm->error; }
const QnProgram* QnVmProgram(const QnVm* vm) { return vm->program; }
const QnHostConfig& QnVmConfig(const QnVm* vm) { return vm->config; }

void QnVmFail(QnVm* vm, const std::string& message) {
  if (vm->status == kQnRuntimeError) return;
  vm->status = kQnRuntimeError;
  QnActivation here;
  if (QnVmGetActivation(vm, 0, &here) && here.line > 0) {
    vm->error = std::string(here.file) + "(" + std::to_string(here.line) + "): " + message;
  } else {
    vm->error = message;
  }
}

void QnVmSetHook(QnVm* vm, QnHook hook, void* user, int mask, int32_t pollInterval) {
  vm->hook = hook;
  vm->hookUser = user;
  vm->mask = hook ? mask : 0;
  vm->debug.hooked = hook ? 1 : 0;
  vm->debug.trace = (vm->mask & kQnMaskTrace) ? 1 : 0;
  if (!hook) QnVmSetStatementHook(vm, nullptr, nullptr);
  vm->pollInterval = (vm->mask & kQnMaskPoll) && pollInterval > 0 ? pollInterval : kNoPoll;
  vm->pollCountdown = vm->pollInterval;
}

void QnVmSetStatementHook(QnVm* vm, QnStatementHook hook, void* user) {
  vm->statementHook = hook;
  vm->statementUser = user;
}

void QnVmSetTrace(QnVm* vm, bool on) { QnDebugSetTrace(&vm->debug, on); }

bool QnVmTracing(const QnVm* vm) { return vm->debug.trace != 0; }

int QnVmSetBreakpoint(QnVm* vm, int kind, bool set, int32_t block, int32_t offset) {
  if (!StatementAt(vm->program, block, offset)) return 0;
  uint8_t bit = kind == kQnBreakOneShot ? kFlagOneShot : kFlagPersistent;
  uint8_t& flag = vm->flags[block][offset];
  flag = set ? (flag | bit) : (flag & static_cast<uint8_t>(~bit));
  return 1;
}

void QnVmClearBreakpoints(QnVm* vm, int kind) {
  uint8_t keep = static_cast<uint8_t>(~(kind == kQnBreakOneShot ? kFlagOneShot : kFlagPersistent));
  for (std::vector<uint8_t>& block : vm->flags) {
    for (uint8_t& flag : block) flag &= keep;
  }
}

int QnVmGetActivation(const QnVm* vm, int level, QnActivation* activation) {
  if (level < 0 || static_cast<size_t>(level) >= vm->frames.size()) return 0;
  const Frame& frame = vm->frames[vm->frames.size() - 1 - level];
  const QnBlock& block = vm->program->blocks[frame.block];
  *activation = QnActivation();
  activation->block = frame.block;
  activation->offset = frame.statement;
  activation->depth = static_cast<int32_t>(vm->frames.size() - 1 - level);
  activation->function = block.name.c_str();
  if (const QnStatement* s = StatementAt(vm->program, frame.block, frame.statement)) {
    activation->line = s->hasLine ? s->line : 0;
    activation->statementClass = s->statementClass;
    activation->file = vm->program->files[s->file].name.c_str();
  }
  return 1;
}

int32_t QnVmCallDepth(const QnVm* vm) { return vm->debug.depth; }

int QnVmStatementClass(const QnVm* vm, int32_t block, int32_t offset) {
  return QnDebugStatementClass(&vm->debug, block, offset);
}

void QnVmRequestStop(QnVm* vm) { vm->stopRequested = true; }

QnVmDebugState* QnVmDebug(QnVm* vm) { return &vm->debug; }

bool QnVmGetString(const QnVm* vm, int32_t index, std::string* value) {
  const std::string* v = StringVariable(vm, index);
  if (v) *value = *v;
  return v != nullptr;
}

bool QnVmSetString(QnVm* vm, int32_t index, const std::string& value) {
  std::string* v = StringVariable(vm, index);
  if (v) *v = value.substr(0, kQnMaxStringLength);
  return v != nullptr;
}

bool QnVmGetNumber(const QnVm* vm, int32_t index, int32_t* value) {
  const int32_t* v = NumberVariable(vm, index);
  if (v) *value = *v;
  return v != nullptr;
}

bool QnVmSetNumber(QnVm* vm, int32_t index, int32_t value) {
  int32_t* v = NumberVariable(vm, index);
  if (v) *v = value;
  return v != nullptr;
}

std::string* QnVmStringRef(QnVm* vm, int32_t ref) {
  if (ref >= 0) return &vm->stringGlobals[ref];
  return &vm->strings[vm->frames.back().stringBase + (-ref - 1)];
}

int32_t* QnVmNumberRef(QnVm* vm, int32_t ref) {
  if (ref >= 0) return &vm->numberGlobals[ref];
  return &vm->numbers[vm->frames.back().numberBase + (-ref - 1)];
}

std::string* QnVmGlobalString(QnVm* vm, int32_t slot) { return &vm->stringGlobals[slot]; }

// The interpreter loop. Dispatch goes through vmdispatch/vmcase/vmbreak so
// that it can change (a jump table, say) without touching the cases.
#define vmdispatch(op) switch (op)
#define vmcase(op) case op:
#define vmbreak break
#define ARG(i) code[pc + 1 + (i)]
// Reports a statement when it carries a breakpoint, when tracing, or when
// the poll countdown runs out.
// A traced statement without a breakpoint goes straight to the statement
// hook (while tracing the countdown stands still, so no poll is due then).
#define vmstatement(offset)                                                        \
  do {                                                                             \
    frame->statement = (offset);                                                   \
    const uint8_t flag = frame->flags[offset];                                     \
    if (QN_UNLIKELY((flag | vm->debug.trace) != 0) ||                              \
        QN_UNLIKELY(--vm->pollCountdown < 0)) {                                    \
      if (flag == 0 && vm->debug.trace && vm->statementHook) {                     \
        if (vm->statementHook(vm->statementUser, frame->block, offset) ||          \
            vm->stopRequested)                                                     \
          goto stopped;                                                            \
      } else if (StatementEvent(vm, frame, offset)) {                              \
        goto stopped;                                                              \
      }                                                                            \
    }                                                                              \
  } while (0)
#define vmfail(message) \
  do {                  \
    QnVmFail(vm, message); \
    goto finished;      \
  } while (0)

int QnVmRun(QnVm* vm) {
  const QnProgram* program = vm->program;
  const int32_t* code = program->code.data();
  int32_t* const numberStack = vm->numbers.data();
  std::string* const stringStack = vm->strings.data();
  int32_t* const ng = vm->numberGlobals.data();
  std::string* const sg = vm->stringGlobals.data();
  vm->status = kQnRunning;
  vm->frames.clear();
  vm->debug.depth = 0;
  if (!PushFrame(vm, 0, 0, 0, -1)) return vm->status;
  Frame* frame = &vm->frames.back();
  int32_t pc = program->blocks[0].entryPc;
  int32_t* nl = numberStack;                                   // locals of the frame
  std::string* sl = stringStack;
  int32_t* ns = numberStack + program->blocks[0].numberSlots;  // next free slots
  std::string* ss = stringStack + program->blocks[0].stringSlots;

  for (;;) {
    vmdispatch(code[pc]) {
      vmcase(OP_STMT) {
        vmstatement(ARG(0));
        pc += 2;
        vmbreak;
      }
      vmcase(OP_PASSEXIT) {
        if (ARG(0) >= 0) vmstatement(ARG(0));
        pc += 2;
        vmbreak;
      }
      vmcase(OP_JMP) {
        pc = ARG(0);
        vmbreak;
      }
      vmcase(OP_JZ) {
        pc = *--ns == 0 ? ARG(0) : pc + 2;
        vmbreak;
      }
      vmcase(OP_JNZ) {
        pc = *--ns != 0 ? ARG(0) : pc + 2;
        vmbreak;
      }
      vmcase(OP_ANDJ) {
        if (ns[-1] == 0) {
          pc = ARG(0);
        } else {
          --ns;
          pc += 2;
        }
        vmbreak;
      }
      vmcase(OP_ORJ) {
        if (ns[-1] != 0) {
          ns[-1] = 1;
          pc = ARG(0);
        } else {
          --ns;
          pc += 2;
        }
        vmbreak;
      }
      vmcase(OP_BOOL) {
        ns[-1] = ns[-1] != 0;
        pc += 1;
        vmbreak;
      }
      vmcase(OP_PUSHN) {
        *ns++ = ARG(0);
        pc += 2;
        vmbreak;
      }
      vmcase(OP_LOADGN) {
        *ns++ = ng[ARG(0)];
        pc += 2;
        vmbreak;
      }
      vmcase(OP_LOADLN) {
        *ns++ = nl[ARG(0)];
        pc += 2;
        vmbreak;
      }
      vmcase(OP_STOREGN) {
        ng[ARG(0)] = *--ns;
        pc += 2;
        vmbreak;
      }
      vmcase(OP_STORELN) {
        nl[ARG(0)] = *--ns;
        pc += 2;
        vmbreak;
      }
#define vmarith(op, expr)                                          \
  vmcase(op) {                                                     \
    uint32_t a = static_cast<uint32_t>(ns[-2]);                    \
    uint32_t b = static_cast<uint32_t>(ns[-1]);                    \
    ns[-2] = static_cast<int32_t>(expr);                           \
    --ns;                                                          \
    pc += 1;                                                       \
    vmbreak;                                                       \
  }
      vmarith(OP_ADD, a + b)
      vmarith(OP_SUB, a - b)
      vmarith(OP_MUL, a * b)
#define vmcompare(op, expr)         \
  vmcase(op) {                      \
    int32_t a = ns[-2];             \
    int32_t b = ns[-1];             \
    ns[-2] = (expr) ? 1 : 0;        \
    --ns;                           \
    pc += 1;                        \
    vmbreak;                        \
  }
      vmcompare(OP_EQ, a == b)
      vmcompare(OP_NE, a != b)
      vmcompare(OP_LT, a < b)
      vmcompare(OP_LE, a <= b)
      vmcompare(OP_GT, a > b)
      vmcompare(OP_GE, a >= b)
      vmcase(OP_DIV)
      vmcase(OP_MOD) {
        int32_t a = ns[-2];
        int32_t b = ns[-1];
        if (b == 0) vmfail("division by zero");
        if (b == -1) {
          ns[-2] = code[pc] == OP_DIV ? static_cast<int32_t>(0u - static_cast<uint32_t>(a)) : 0;
        } else {
          ns[-2] = code[pc] == OP_DIV ? a / b : a % b;
        }
        --ns;
        pc += 1;
        vmbreak;
      }
      vmcase(OP_NEG) {
        ns[-1] = static_cast<int32_t>(0u - static_cast<uint32_t>(ns[-1]));
        pc += 1;
        vmbreak;
      }
      vmcase(OP_NOT) {
        ns[-1] = ns[-1] == 0;
        pc += 1;
        vmbreak;
      }
      vmcase(OP_POPN) {
        --ns;
        pc += 1;
        vmbreak;
      }
      vmcase(OP_PUSHS) {
        (ss++)->assign(program->constants[ARG(0)]);
        pc += 2;
        vmbreak;
      }
      vmcase(OP_LOADGS) {
        (ss++)->assign(sg[ARG(0)]);
        pc += 2;
        vmbreak;
      }
      vmcase(OP_LOADLS) {
        (ss++)->assign(sl[ARG(0)]);
        pc += 2;
        vmbreak;
      }
      vmcase(OP_STOREGS) {
        sg[ARG(0)].swap(*--ss);
        pc += 2;
        vmbreak;
      }
      vmcase(OP_STORELS) {
        sl[ARG(0)].swap(*--ss);
        pc += 2;
        vmbreak;
      }
      vmcase(OP_CONCAT) {
        if (ss[-2].size() + ss[-1].size() > static_cast<size_t>(kQnMaxStringLength)) {
          vmfail("string longer than " + std::to_string(kQnMaxStringLength) + " characters");
        }
        ss[-2] += ss[-1];
        --ss;
        pc += 1;
        vmbreak;
      }
#define vmstringcompare(op, expr)            \
  vmcase(op) {                               \
    int c = ss[-2].compare(ss[-1]);          \
    ss -= 2;                                 \
    *ns++ = (expr) ? 1 : 0;                  \
    pc += 1;                                 \
    vmbreak;                                 \
  }
      vmstringcompare(OP_SEQ, c == 0)
      vmstringcompare(OP_SNE, c != 0)
      vmstringcompare(OP_SLT, c < 0)
      vmstringcompare(OP_SLE, c <= 0)
      vmstringcompare(OP_SGT, c > 0)
      vmstringcompare(OP_SGE, c >= 0)
      vmcase(OP_POPS) {
        --ss;
        pc += 1;
        vmbreak;
      }
      vmcase(OP_CHECKSTEP) {
        if (nl[ARG(0)] <= 0) vmfail("the step of for must be greater than 0");
        pc += 2;
        vmbreak;
      }
      vmcase(OP_FORNEXT) {
        int32_t ref = ARG(0);
        int32_t* var = ref >= 0 ? &ng[ref] : &nl[-ref - 1];
        int64_t step = nl[ARG(2)];
        int64_t next = static_cast<int64_t>(*var) + (ARG(3) ? -step : step);
        int64_t limit = nl[ARG(1)];
        *var = static_cast<int32_t>(static_cast<uint32_t>(next));
        pc = (ARG(3) ? next >= limit : next <= limit) ? ARG(4) : pc + 6;
        vmbreak;
      }
      vmcase(OP_CALL) {
        const QnFunction& f = program->functions[ARG(0)];
        const QnBlock& b = program->blocks[f.block];
        const FunctionShape& shape = vm->functionShapes[ARG(0)];
        int32_t numberBase = static_cast<int32_t>(ns - numberStack) - shape.numberParams;
        int32_t stringBase = static_cast<int32_t>(ss - stringStack) - shape.stringParams;
        if (!PushFrame(vm, f.block, numberBase, stringBase, pc + 2)) goto finished;
        frame = &vm->frames.back();
        nl = numberStack + numberBase;
        sl = stringStack + stringBase;
        for (int32_t i = shape.numberParams; i < b.numberSlots; ++i) nl[i] = 0;
        for (int32_t i = shape.stringParams; i < b.stringSlots; ++i) sl[i].clear();
        ns = nl + b.numberSlots;
        ss = sl + b.stringSlots;
        pc = b.entryPc;
        if (QN_UNLIKELY(vm->mask & kQnMaskCall) && CallHook(vm, kQnEventCall, frame)) goto stopped;
        vmbreak;
      }
      vmcase(OP_RET) {
        int32_t kind = ARG(0);
        int32_t number = kind == kQnNumber ? ns[-1] : 0;
        std::string* result = kind == kQnString ? &ss[-1] : nullptr;
        pc = frame->returnPc;
        vm->frames.pop_back();
        vm->debug.depth--;
        ns = nl;
        ss = sl;
        if (kind == kQnNumber) *ns++ = number;
        if (result) (ss++)->swap(*result);
        frame = &vm->frames.back();
        nl = numberStack + frame->numberBase;
        sl = stringStack + frame->stringBase;
        if (QN_UNLIKELY(vm->mask & kQnMaskReturn) && CallHook(vm, kQnEventReturn, frame)) goto stopped;
        vmbreak;
      }
      vmcase(OP_BUILTIN) {
        const QnBuiltin* builtin = QnBuiltinAt(ARG(0));
        const BuiltinShape& shape = vm->builtinShapes[ARG(0)];
        int32_t count = ARG(1);
        uint32_t mask = static_cast<uint32_t>(ARG(2));
        int32_t variableStrings = __builtin_popcount(mask);
        int32_t numbers = shape.numbers + count - variableStrings;
        int32_t strings = shape.strings + variableStrings;
        QnBuiltinArgs args{ns - numbers, ss - strings, count, mask};
        int32_t result = builtin->run(vm, args);
        ns -= numbers;
        ss -= strings;
        *ns++ = result;
        ng[kQnGlobalLastResult] = result;
        if (vm->status == kQnRuntimeError) goto finished;
        if (vm->stopRequested) goto stopped;
        pc += 4;
        vmbreak;
      }
      vmcase(OP_EXIT) {
        vm->status = kQnFinished;
        goto finished;
      }
      vmcase(OP_ABORT) {
        vm->status = kQnAborted;
        goto finished;
      }
      default:
        vmfail("internal error: bad opcode");
    }
  }
stopped:
  if (vm->status == kQnRunning) vm->status = kQnStopped;
finished:
  if (vm->status == kQnRunning) vm->status = kQnStopped;
  return vm->status;
}

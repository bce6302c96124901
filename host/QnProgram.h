// QnProgram: a compiled Quendle script, as the code generator leaves it and
// the VM runs it. Plain records, filled once by the compiler and only read
// afterwards (the VM keeps its own mutable state beside it).
//
// Addresses. Every statement has an address (block, offset): block 0 is the
// program ... endprogram block, block n the n-th function in the order of the
// definitions; offset is the statement's index within its block. The code of
// all blocks lives in one vector of 32-bit words: an opcode followed by its
// operands. Each statement's code starts with OP_STMT <offset>, the point
// where the VM reports the statement to the debug hook.
//
// Variables. Numbers are 32-bit signed with wrap-around; strings are byte
// strings. Globals are numbered per kind from 0 in declaration order, after
// the predefined ones (SRCDIR, TARGETDIR and TEMPSTRING among the strings,
// __LASTRESULT among the numbers). Locals are numbered per kind within their
// block's frame: the parameters first, then the declared locals, then hidden
// temporaries the code generator needs (loop limits, switch subjects), which
// the debug information does not list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum QnKind : uint8_t {
  kQnNone = 0,
  kQnNumber = 1,  // the debugger's variable kind 1
  kQnString = 2,  // the debugger's variable kind 2
};

// Predefined globals, by kind and index.
constexpr int kQnGlobalSrcDir = 0;      // string
constexpr int kQnGlobalTargetDir = 1;   // string
constexpr int kQnGlobalTempString = 2;  // string: text of the last message box shown
constexpr int kQnGlobalLastResult = 0;  // number: result of the last built-in call
constexpr int kQnPredefinedStrings = 3;
constexpr int kQnPredefinedNumbers = 1;

// Limits that keep a strange script from exhausting the host.
constexpr int kQnMaxCallDepth = 1000;           // nested script function calls
constexpr int kQnMaxStringLength = 1 << 20;     // bytes in one string value
constexpr int kQnMaxNesting = 100;              // nested statements or parentheses
constexpr int kQnMaxIncludeDepth = 32;          // nested #include files
constexpr int kQnMaxStatementsPerBlock = 32767; // offsets are 16-bit signed
constexpr int kQnMaxBlocks = 32767;             // blocks are 16-bit signed

enum QnOp : int32_t {
  // Statements and control (targets are code positions)
  OP_STMT,      // offset: a statement begins
  OP_JMP,       // target
  OP_JZ,        // target: pop a number, jump when it is 0
  OP_JNZ,       // target: pop a number, jump when it is not 0
  OP_ANDJ,      // target: top 0 -> jump keeping it; else pop
  OP_ORJ,       // target: top not 0 -> make it 1 and jump; else pop
  OP_BOOL,      // top = top != 0
  // Numbers
  OP_PUSHN,     // value
  OP_LOADGN,    // global slot
  OP_LOADLN,    // local slot
  OP_STOREGN,   // global slot (pops)
  OP_STORELN,   // local slot (pops)
  OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_MOD, OP_NEG, OP_NOT,
  OP_EQ, OP_NE, OP_LT, OP_LE, OP_GT, OP_GE,
  OP_POPN,
  // Strings
  OP_PUSHS,     // constant index
  OP_LOADGS,    // global slot
  OP_LOADLS,    // local slot
  OP_STOREGS,   // global slot (pops)
  OP_STORELS,   // local slot (pops)
  OP_CONCAT,
  OP_SEQ, OP_SNE, OP_SLT, OP_SLE, OP_SGT, OP_SGE,  // pop two strings, push a number
  OP_POPS,
  // Loops
  OP_CHECKSTEP, // local slot: a for loop's step must be positive
  OP_FORNEXT,   // variable ref, limit slot, step slot, downward flag, target
  OP_PASSEXIT,  // offset of a loop's exit statement, or -1: reported as if reached (goto, return)
  // Calls
  OP_CALL,      // function index
  OP_RET,       // result kind of the block's function (kQnNone in none)
  OP_BUILTIN,   // built-in index, count of variable arguments, mask of string ones
  OP_EXIT,      // the script ends normally
  OP_ABORT,     // the script ends as aborted
  OP_COUNT
};

// What a statement is, for its class and its line record.
enum QnStatementKind : uint8_t {
  kQnStmtSimple = 1,  // assignment or call statement
  kQnStmtIf,          // if or elseif test
  kQnStmtSwitch,
  kQnStmtLoopHead,    // while test, for start, endfor step, repeat, until test
  kQnStmtLoopExit,    // reached when a loop is left; no line of its own
  kQnStmtGoto,
  kQnStmtReturn,      // return, and the end of a function
  kQnStmtExit,        // exit, abort, and endprogram
};

struct QnStatement {
  int32_t pc = 0;          // code position of its OP_STMT
  int32_t endPc = 0;       // code position after its own code
  int32_t line = 0;        // source line (from 1), when hasLine
  int16_t file = 0;        // index into QnProgram::files
  uint8_t kind = kQnStmtSimple;
  uint8_t statementClass = 0;  // 1..6 for the debugger's Step; 0 none
  uint8_t hasLine = 1;         // has a line record in the debug information
  uint8_t callsScript = 0;     // its expressions call a script function
  uint8_t outermostLoop = 0;   // a loop head or exit not nested in another loop of its block
  uint8_t sharesLine = 0;      // another statement of its block starts on the same line
};

struct QnBlock {
  std::string name;                       // function name; "program" for block 0
  int32_t function = -1;                  // index into QnProgram::functions; -1 for the program
  int32_t entryPc = 0;
  int16_t file = 0;                       // where it is defined
  int32_t line = 0;
  std::vector<QnStatement> statements;    // by offset
  std::vector<std::string> stringLocals;  // visible locals, parameters first
  std::vector<std::string> numberLocals;
  int32_t stringSlots = 0;                // visible locals and hidden temporaries
  int32_t numberSlots = 0;
  int32_t maxNumberStack = 0;             // expression stack depth above the locals
  int32_t maxStringStack = 0;
};

struct QnFunction {
  std::string name;
  QnKind result = kQnNumber;
  std::vector<QnKind> params;
  int32_t block = -1;  // -1 while only prototyped
  int16_t file = 0;    // where the prototype stands
  int32_t line = 0;
};

struct QnSourceFile {
  std::string name;  // as written in messages: the path as given or as joined to its includer's folder
  std::string path;  // as written in the debug information: the full path when it came from disk
};

struct QnProgram {
  std::vector<int32_t> code;
  std::vector<std::string> constants;  // string literals
  std::vector<QnSourceFile> files;     // 0 is the main script
  std::vector<QnBlock> blocks;         // 0 is the program block
  std::vector<QnFunction> functions;   // in prototype order
  std::vector<std::string> globalStrings;
  std::vector<std::string> globalNumbers;
};

// A variable reference as OP_FORNEXT and the built-ins' output arguments
// carry it: a global slot as itself, a local slot l as -(l + 1).
inline int32_t QnVarRef(bool local, int32_t slot) { return local ? -(slot + 1) : slot; }

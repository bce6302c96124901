// QnCode: the code generator. The parser calls it to lay down the code of one
// block at a time: opcodes with their operands, jumps and their patching,
// statement boundaries, hidden temporaries. It tracks the depth of the two
// expression stacks (numbers and strings) as it emits, so that each block
// knows how much stack it needs, and it decides the statement classes once
// the whole program is laid down (QnCodeClassify).
#pragma once

#include <cstdint>

#include "QnProgram.h"

struct QnCode {
  QnProgram* program = nullptr;
  int32_t block = -1;           // block being generated
  int32_t numberDepth = 0;      // expression stack depths at this point of the code
  int32_t stringDepth = 0;
  int32_t statement = -1;       // offset of the statement being generated, -1 between
};

// Starts a new block: the program block (function -1) or a function's.
int32_t QnCodeBeginBlock(QnCode* code, int32_t function, const char* name, int16_t file,
                         int32_t line);
void QnCodeEndBlock(QnCode* code);
QnBlock* QnCodeCurrentBlock(QnCode* code);

// An opcode and its operands; the stack depths follow the opcode's effect.
void QnCodeEmit(QnCode* code, QnOp op, int32_t a = 0, int32_t b = 0, int32_t c = 0,
                int32_t d = 0, int32_t e = 0);
// The same for calls, whose effect depends on the callee: the numbers and
// strings they pop and push.
void QnCodeEmitCall(QnCode* code, QnOp op, int32_t a, int32_t b, int32_t c, int32_t popNumbers,
                    int32_t popStrings, QnKind result);
// A jump whose target is patched later; returns the position of its operand.
int32_t QnCodeJump(QnCode* code, QnOp op);
void QnCodePatch(QnCode* code, int32_t operandAt, int32_t target);
int32_t QnCodeHere(const QnCode* code);

// Begins a statement at the current position: emits OP_STMT and returns its offset.
int32_t QnCodeStatement(QnCode* code, QnStatementKind kind, int16_t file, int32_t line,
                        bool hasLine);
// Ends the statement being generated (its code ends here).
void QnCodeStatementEnd(QnCode* code);
// Marks the statement being generated as calling a script function.
void QnCodeNoteScriptCall(QnCode* code);

// A hidden local slot of the current block.
int32_t QnCodeTemporary(QnCode* code, QnKind kind);

// Gives every statement of the program its class; see the comment at the
// definition for the rules.
void QnCodeClassify(QnProgram* program);

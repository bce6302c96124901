// QnDebugInfo: the debug information of a compiled program, in the file
// format the debugger reads (see tools/DebugInfoWriter).
//
// Records follow the statement addresses in ascending order: block 0 (the
// program) first, then each function's block, each statement by offset. The
// debugger finds the source file of an address as the last file whose first
// address is not above it, so this order is what makes every address land in
// its own file. Whenever the next statement comes from another file than the
// one before, a source file switch record names it (the debugger numbers the
// switches, so a file that is left and entered again gets a new number each
// time). Each function record comes right before the line record of its first
// statement, after any switch record. A loop's exit statement has no line and
// no line record.
#pragma once

#include <string>

#include "DebugInfoWriter/DebugInfoWriter.h"
#include "QnProgram.h"

// The maximum number of switch records: line records keep file numbers in 8 bits.
constexpr int kQnMaxFileSwitches = 255;

// 1, or 0 with *error when the program cannot be described (a line above
// 16383, more than 255 file switches).
int QnDebugInfoBuild(const QnProgram& program, DebugInfoDescription* info, std::string* error);
int QnDebugInfoWrite(const QnProgram& program, const std::string& path, std::string* error);
// The debug information file beside a script: its name with the extension
// replaced by ".dbg" (or ".dbg" appended when it has none).
std::string QnDebugInfoPathFor(const std::string& scriptPath);

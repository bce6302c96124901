// The loader of the debug information file that the script compiler writes
// beside a compiled script: it reads the file once, start to end, into the
// symbol tables that QNdbgInit has just created.
#pragma once

#include <cstddef>

#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "debuginfo/VariableTable.h"

constexpr size_t kDebugNameSize = 60;       // a function or variable name: 59 bytes and the terminator
constexpr size_t kDebugFileNameSize = 261;  // a source file name: 260 bytes and the terminator

// 1 when the file was read to its end, 0 otherwise: the file cannot be opened
// (message 3249 names it), its magic word is wrong or its global name lists
// cannot be reached (no message). `scriptName` (kDebugFileNameSize bytes)
// receives the main script's name. Names longer than the buffers above are
// cut; the rest of their bytes is passed over.
int LoadDebugInfo(FunctionTable* functions, VariableTable* globals, LineTable* lines, SourceFileList* files,
                  const char* debugFileName, char* scriptName);

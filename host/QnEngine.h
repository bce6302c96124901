// QnEngine: the script engine as a library, for qnrun, the tests, the fuzzer
// and the benchmarks: compile a script (from disk or from in-memory files),
// write its debug information, and run it in a QnVm with an optional debug
// hook (QnVm.h).
#pragma once

#include <map>
#include <string>

#include "QnDebugInfo.h"
#include "QnProgram.h"
#include "QnVm.h"

// Compiles the script whose main file is at `path` on disk.
bool QnCompileFile(const std::string& path, QnProgram* program, std::string* error);
// Compiles from in-memory files keyed by path; `mainPath` is one of them and
// #include names are resolved against the including file's path.
bool QnCompileMemory(const std::map<std::string, std::string>& files, const std::string& mainPath,
                     QnProgram* program, std::string* error);

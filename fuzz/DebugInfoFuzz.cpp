// Arbitrary bytes as a debug information file: the loader must end, never
// read or write out of bounds, and leave tables in which every lookup of what
// they hold answers; destroying them must give every pool back.
//
// Run: fuzz_DebugInfoFuzz fuzz/corpus/DebugInfoFuzz -max_total_time=60
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "debuginfo/DebugInfoLoader.h"
#include "memory/MemPoolDebug.h"
#include "platform/PlatformTesting.h"

namespace {

// An invariant of the tables broke: stop with a crash the fuzzer reports.
void Require(bool condition) {
  if (!condition) __builtin_trap();
}

const std::string& InputPath() {
  static const std::string path = "/tmp/qndbg-fuzz-" + std::to_string(getpid()) + ".dbg";
  return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(InputPath().c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

template <typename Item>
std::vector<Item> Items(List* list) {
  std::vector<Item> items;
  for (auto* item = static_cast<const Item*>(ListFirst(list)); item; item = static_cast<const Item*>(ListNext(list)))
    items.push_back(*item);
  return items;
}

std::vector<std::string> Names(VariableTable* table) {
  std::vector<std::string> names;
  for (auto* name = static_cast<const char*>(ListFirst(table->names)); name;
       name = static_cast<const char*>(ListNext(table->names)))
    names.push_back(name);
  return names;
}

void ExerciseVariables(VariableTable* table) {
  if (!table) return;
  for (const std::string& name : Names(table)) {
    int32_t index = -1, kind = 0;
    Require(VariableTableFind(table, name.c_str(), &index, &kind) == 1);
    Require(index >= 0 && index <= 0xFFFF && (kind == kVariableNumber || kind == kVariableString));
  }
}

// Every lookup of the symbol tables, on the keys the tables hold. The lists
// are copied first: the lookups move the lists' current positions.
void ExerciseTables(FunctionTable* functions, VariableTable* globals, LineTable* lines, SourceFileList* files) {
  ExerciseVariables(globals);
  char name[kSourceNameSize];
  for (const LineRecord& record : Items<LineRecord>(lines->records)) {
    int32_t line = -1, file = -1, block = 0, offset = 0, next = 0;
    Require(LineTableFindLine(lines, record.block, record.offset, &line, &file) == 1);
    Require(LineTableFindAddress(lines, record.line, record.fileIndex, &block, &offset) == 1);
    LineTableNextLine(lines, record.line, record.fileIndex, &next);
    FunctionTableBlockAtLine(functions, record.line, record.fileIndex);
    int32_t fileIndex = -1;
    SourceFileListFind(files, record.block, record.offset, name, sizeof name, &fileIndex);
    Require(fileIndex >= 0);  // the main script's entry at (0, 0) holds what no other does
  }
  for (const FunctionExtent& extent : Items<FunctionExtent>(functions->extents)) {
    int32_t fileIndex = -1, block = 0;
    FunctionTableGetExtent(functions, extent.block, &fileIndex);
    char function[kFunctionNameSize];
    Require(FunctionTableGetName(functions, extent.block, function, sizeof function) == 1);
    Require(FunctionTableFindBlock(functions, function, &block) == 1);
    ExerciseVariables(FunctionTableGetLocals(functions, extent.block));
  }
  for (const SourceFileEntry& entry : Items<SourceFileEntry>(files->files))
    SourceFileListViewOf(files, entry.fileIndex);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (PlatformEchoMessages(false), true);
  (void)quiet;
  if (!WriteInput(data, size)) return 0;

  // The shared list and variable pools are made once and kept; every other
  // pool made below must be gone again at the end.
  static int freeSlots = -1;
  FunctionTable* functions = FunctionTableCreate();
  VariableTable* globals = VariableTableCreate();
  LineTable* lines = LineTableCreate();
  SourceFileList* files = SourceFileListCreate();
  if (freeSlots < 0) freeSlots = MemPoolFreeSlots() + 7;  // 3 line table, 3 function table, 1 file list

  char script[kDebugFileNameSize];
  if (LoadDebugInfo(functions, globals, lines, files, InputPath().c_str(), script)) {
    SourceFileListSetMain(files, script);
    ExerciseTables(functions, globals, lines, files);
  }
  PlatformClearShownMessages();

  LineTableDestroy(lines);
  VariableTableDestroy(globals);
  FunctionTableDestroy(functions);
  SourceFileListDestroy(files);
  Require(MemPoolFreeSlots() == freeSlots);
  return 0;
}

// A small, independent reader of debug information files for the tests: it
// decodes the bytes the way the debugger's loader does (tag bits tested in the
// loader's order, words little-endian and signed) into a plain description, so
// that a test can compare what a writer produced with what it meant.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReadRecord {
  int kind = 0;  // 1 switch, 2 line, 3 function
  std::string name;
  int line = 0, block = 0, offset = 0;
  std::vector<std::string> localStrings, localNumbers;
};

struct ReadDebugInfo {
  int globalsOffset = 0;
  int magic = 0;
  std::string mainScript;
  std::vector<std::string> globalStrings, globalNumbers;
  std::vector<ReadRecord> records;
  int trailingBytes = 0;  // bytes left after the last whole record (the spare word)
};

// 1 when the bytes decode as a whole debug information file (records up to
// the end, a spare word allowed), else 0 with *error telling where it broke.
int ReadDebugInfoBytes(const std::vector<uint8_t>& bytes, ReadDebugInfo* info, std::string* error);
int ReadDebugInfoFile(const char* path, ReadDebugInfo* info, std::string* error);

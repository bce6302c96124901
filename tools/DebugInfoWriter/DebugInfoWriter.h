// DebugInfoWriter: writes the debug information file that the script compiler
// puts beside a compiled script and that the debugger reads at start-up.
//
// The file is a run of little-endian 16-bit words and strings (a length word,
// then the bytes, no terminator):
//
//   word   offset of the global name lists
//   word   not interpreted (written as 0)
//   word   magic 0xF93A
//   string main script name
//   ...    filler, up to the offset of the global name lists
//   list   global string variable names   (count word, then strings)
//   list   global number variable names
//   records, each opened by a tag word:
//     0x4000          source file switch: a word (0), then the file's name
//     0x8000 | line   line record: block word, offset word
//     0               function record: name, local string names, local number names
//   [spare word]
//
// A description (DebugInfoDescription) lists what goes into the file; the
// writer turns it into bytes, checking only what the format itself cannot
// carry (a line above 16383, a name of more than 32767 bytes, a header larger
// than the offset word can point past). It does not check that the records
// make sense together: tests write damaged files with it on purpose (a
// function record without its first line record, raw bytes, a missing spare
// word). DebugInfoAddFunction is the helper that keeps the rule that a
// function record is followed by the line record of its first statement.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kDebugInfoMagic = 0xF93A;
constexpr uint16_t kDebugTagSwitch = 0x4000;
constexpr uint16_t kDebugTagLine = 0x8000;
constexpr uint16_t kDebugTagFunction = 0x0000;
// A line record's tag is 0x8000 plus the line, and a tag with bit 0x4000 set
// reads as a source file switch: so lines stop at 16383.
constexpr int kDebugMaxLine = 16383;
constexpr int kDebugMaxText = 32767;

enum DebugRecordKind : int {
  kDebugRecordSwitch = 1,    // name
  kDebugRecordLine = 2,      // line, block, offset
  kDebugRecordFunction = 3,  // name, localStrings, localNumbers
  kDebugRecordRaw = 4,       // raw bytes, written as they stand
};

struct DebugRecord {
  DebugRecordKind kind = kDebugRecordRaw;
  std::string name;                       // switch: file name; function: function name
  int line = 0;                           // line record: 0..16383
  int block = 0;                          // line record: statement address
  int offset = 0;
  std::vector<std::string> localStrings;  // function record: indexes -101, -102, ...
  std::vector<std::string> localNumbers;  // function record: indexes -101, -102, ...
  std::vector<uint8_t> raw;               // raw record
};

struct DebugInfoDescription {
  std::string mainScript;                  // name of the main script source file
  std::vector<uint8_t> filler;             // bytes between the main script name and the global lists
  std::vector<std::string> globalStrings;  // indexes 0, 1, ... in this order
  std::vector<std::string> globalNumbers;  // indexes 0, 1, ... in this order
  std::vector<DebugRecord> records;        // in file order
  bool spareWord = true;                   // a trailing 0 word after the last record
};

// Appending records to a description.
void DebugInfoAddSwitch(DebugInfoDescription* info, const std::string& fileName);
void DebugInfoAddLine(DebugInfoDescription* info, int line, int block, int offset);
// A bare function record; the caller must follow it with the line record of
// the function's first statement.
void DebugInfoAddFunctionRecord(DebugInfoDescription* info, const std::string& name,
                                const std::vector<std::string>& localStrings,
                                const std::vector<std::string>& localNumbers);
// A function record followed by the line record of its first statement.
void DebugInfoAddFunction(DebugInfoDescription* info, const std::string& name,
                          const std::vector<std::string>& localStrings,
                          const std::vector<std::string>& localNumbers, int firstLine,
                          int block, int offset);
void DebugInfoAddRaw(DebugInfoDescription* info, const std::vector<uint8_t>& bytes);

// The bytes of the file; 1, or 0 with a message in *error when the
// description cannot be written in this format.
int DebugInfoWrite(const DebugInfoDescription& info, std::vector<uint8_t>* bytes,
                   std::string* error);
// Writes the file; 1, or 0 with a message in *error.
int DebugInfoWriteFile(const DebugInfoDescription& info, const char* path, std::string* error);

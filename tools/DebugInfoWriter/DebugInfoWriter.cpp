// Turns a DebugInfoDescription into the bytes of a debug information file.
// The layout is described atop DebugInfoWriter.h.
#include "DebugInfoWriter/DebugInfoWriter.h"

#include <cstdio>

namespace {

struct ByteSink {
  std::vector<uint8_t>* bytes;
  std::string* error;
  int failed = 0;
};

void SinkWord(ByteSink* sink, int value) {
  sink->bytes->push_back(static_cast<uint8_t>(value & 0xFF));
  sink->bytes->push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void SinkFail(ByteSink* sink, const std::string& message) {
  if (!sink->failed && sink->error) *sink->error = message;
  sink->failed = 1;
}

void SinkString(ByteSink* sink, const std::string& text) {
  if (text.size() > static_cast<size_t>(kDebugMaxText)) {
    SinkFail(sink, "name too long for the debug information: " + text.substr(0, 40) + "...");
    return;
  }
  SinkWord(sink, static_cast<int>(text.size()));
  sink->bytes->insert(sink->bytes->end(), text.begin(), text.end());
}

void SinkNameList(ByteSink* sink, const std::vector<std::string>& names) {
  if (names.size() > static_cast<size_t>(kDebugMaxText)) {
    SinkFail(sink, "too many names in one list of the debug information");
    return;
  }
  SinkWord(sink, static_cast<int>(names.size()));
  for (const std::string& name : names) SinkString(sink, name);
}

void SinkRecord(ByteSink* sink, const DebugRecord& record) {
  switch (record.kind) {
    case kDebugRecordSwitch:
      SinkWord(sink, kDebugTagSwitch);
      SinkWord(sink, 0);
      SinkString(sink, record.name);
      break;
    case kDebugRecordLine:
      if (record.line < 0 || record.line > kDebugMaxLine) {
        SinkFail(sink, "line " + std::to_string(record.line) +
                           " cannot be written to the debug information (0 to 16383)");
        return;
      }
      SinkWord(sink, kDebugTagLine | record.line);
      SinkWord(sink, record.block);
      SinkWord(sink, record.offset);
      break;
    case kDebugRecordFunction:
      SinkWord(sink, kDebugTagFunction);
      SinkString(sink, record.name);
      SinkNameList(sink, record.localStrings);
      SinkNameList(sink, record.localNumbers);
      break;
    case kDebugRecordRaw:
      sink->bytes->insert(sink->bytes->end(), record.raw.begin(), record.raw.end());
      break;
  }
}

}  // namespace

void DebugInfoAddSwitch(DebugInfoDescription* info, const std::string& fileName) {
  DebugRecord record;
  record.kind = kDebugRecordSwitch;
  record.name = fileName;
  info->records.push_back(record);
}

void DebugInfoAddLine(DebugInfoDescription* info, int line, int block, int offset) {
  DebugRecord record;
  record.kind = kDebugRecordLine;
  record.line = line;
  record.block = block;
  record.offset = offset;
  info->records.push_back(record);
}

void DebugInfoAddFunctionRecord(DebugInfoDescription* info, const std::string& name,
                                const std::vector<std::string>& localStrings,
                                const std::vector<std::string>& localNumbers) {
  DebugRecord record;
  record.kind = kDebugRecordFunction;
  record.name = name;
  record.localStrings = localStrings;
  record.localNumbers = localNumbers;
  info->records.push_back(record);
}

void DebugInfoAddFunction(DebugInfoDescription* info, const std::string& name,
                          const std::vector<std::string>& localStrings,
                          const std::vector<std::string>& localNumbers, int firstLine,
                          int block, int offset) {
  DebugInfoAddFunctionRecord(info, name, localStrings, localNumbers);
  DebugInfoAddLine(info, firstLine, block, offset);
}

void DebugInfoAddRaw(DebugInfoDescription* info, const std::vector<uint8_t>& bytes) {
  DebugRecord record;
  record.kind = kDebugRecordRaw;
  record.raw = bytes;
  info->records.push_back(record);
}

int DebugInfoWrite(const DebugInfoDescription& info, std::vector<uint8_t>* bytes,
                   std::string* error) {
  bytes->clear();
  ByteSink sink{bytes, error};
  SinkWord(&sink, 0);  // offset of the global lists, patched below
  SinkWord(&sink, 0);
  SinkWord(&sink, kDebugInfoMagic);
  SinkString(&sink, info.mainScript);
  bytes->insert(bytes->end(), info.filler.begin(), info.filler.end());
  size_t globalsOffset = bytes->size();
  if (globalsOffset > 32767) SinkFail(&sink, "header too long for the debug information");
  (*bytes)[0] = static_cast<uint8_t>(globalsOffset & 0xFF);
  (*bytes)[1] = static_cast<uint8_t>((globalsOffset >> 8) & 0xFF);
  SinkNameList(&sink, info.globalStrings);
  SinkNameList(&sink, info.globalNumbers);
  for (const DebugRecord& record : info.records) SinkRecord(&sink, record);
  if (info.spareWord) SinkWord(&sink, 0);
  if (sink.failed) bytes->clear();
  return sink.failed ? 0 : 1;
}

int DebugInfoWriteFile(const DebugInfoDescription& info, const char* path, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!DebugInfoWrite(info, &bytes, error)) return 0;
  FILE* file = std::fopen(path, "wb");
  if (!file) {
    if (error) *error = std::string("cannot write the debug information file ") + path;
    return 0;
  }
  size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  int closed = std::fclose(file) == 0;
  if (written != bytes.size() || !closed) {
    if (error) *error = std::string("cannot write the debug information file ") + path;
    return 0;
  }
  return 1;
}

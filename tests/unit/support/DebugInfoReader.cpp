#include "DebugInfoReader.h"

#include <cstdio>

namespace {

struct Cursor {
  const std::vector<uint8_t>& bytes;
  size_t at;
  bool overrun;
};

int Word(Cursor* c) {
  if (c->at + 2 > c->bytes.size()) {
    c->overrun = true;
    c->at = c->bytes.size();
    return -1;
  }
  int value = static_cast<int16_t>(c->bytes[c->at] | (c->bytes[c->at + 1] << 8));
  c->at += 2;
  return value;
}

std::string Text(Cursor* c) {
  int n = Word(c);
  if (n <= 0) return std::string();
  if (c->at + n > c->bytes.size()) {
    c->overrun = true;
    c->at = c->bytes.size();
    return std::string();
  }
  std::string text(c->bytes.begin() + c->at, c->bytes.begin() + c->at + n);
  c->at += n;
  return text;
}

std::vector<std::string> Names(Cursor* c) {
  std::vector<std::string> names;
  int n = Word(c);
  for (int i = 0; i < n && !c->overrun; ++i) names.push_back(Text(c));
  return names;
}

}  // namespace

int ReadDebugInfoBytes(const std::vector<uint8_t>& bytes, ReadDebugInfo* info, std::string* error) {
  Cursor c{bytes, 0, false};
  info->globalsOffset = Word(&c);
  Word(&c);
  info->magic = Word(&c) & 0xFFFF;
  info->mainScript = Text(&c);
  if (c.overrun || info->globalsOffset < static_cast<int>(c.at)) {
    *error = "header broken";
    return 0;
  }
  c.at = info->globalsOffset;
  info->globalStrings = Names(&c);
  info->globalNumbers = Names(&c);
  while (!c.overrun && c.at + 2 < bytes.size()) {
    size_t start = c.at;
    int tag = Word(&c) & 0xFFFF;
    ReadRecord r;
    if (tag & 0x4000) {
      r.kind = 1;
      Word(&c);
      r.name = Text(&c);
    } else if (tag & 0x8000) {
      r.kind = 2;
      r.line = tag & 0x7FFF;
      r.block = Word(&c);
      r.offset = Word(&c);
    } else {
      r.kind = 3;
      r.name = Text(&c);
      r.localStrings = Names(&c);
      r.localNumbers = Names(&c);
    }
    if (c.overrun) {
      *error = "record cut at byte " + std::to_string(start);
      return 0;
    }
    info->records.push_back(r);
  }
  info->trailingBytes = static_cast<int>(bytes.size() - c.at);
  if (c.overrun) {
    *error = "global lists cut";
    return 0;
  }
  return 1;
}

int ReadDebugInfoFile(const char* path, ReadDebugInfo* info, std::string* error) {
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    *error = std::string("cannot open ") + path;
    return 0;
  }
  std::vector<uint8_t> bytes;
  int ch;
  while ((ch = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(ch));
  std::fclose(file);
  return ReadDebugInfoBytes(bytes, info, error);
}

#include "util/Text.h"

#include <cstring>

#include "platform/Platform.h"

const char* CharStep(const char* position) { return PlatformCharNext(position); }

const char* CharStepBack(const char* start, const char* position) { return PlatformCharPrev(start, position); }

int CharIsDoubleByte(const char* position) {
  return position && *position && PlatformCharNext(position) == position + 2;
}

int16_t CharCaseKey(int32_t character) {
  char text[3] = {static_cast<char>(character & 0xFF), static_cast<char>((character >> 16) & 0xFF), 0};
  // A sign-extended single byte carries 0xFF above it: that is no second byte.
  if (static_cast<unsigned char>(text[1]) == 0xFF) text[1] = 0;
  if (text[0]) PlatformCharUpper(text);
  return static_cast<int16_t>(static_cast<unsigned char>(text[0]) + 256 * static_cast<unsigned char>(text[1]));
}

void StrUpper(char* text) {
  if (text && *text) PlatformCharUpper(text);
}

char* StrLower(char* text) {
  if (text) PlatformCharLower(text);
  return text;
}

int StrToOem(const char* source, char* destination) {
  if (!source || !destination) return 0;
  return PlatformCharToOem(source, destination);
}

uint32_t StrLength(const char* text) { return text ? static_cast<uint32_t>(std::strlen(text)) : 0; }

void MemCopy(void* destination, const void* source, uint16_t count) {
  if (destination && source && count) std::memmove(destination, source, count);
}

int32_t FindSubstring(const char* text, const char* pattern) {
  if (!text || !pattern || !*text || !*pattern) return -1;
  for (const char* start = text; *start; start = PlatformCharNext(start)) {
    const char* t = start;
    const char* p = pattern;
    while (*p && *t && *t == *p) {
      t = PlatformCharNext(t);
      p = PlatformCharNext(p);
    }
    if (!*p) return static_cast<int32_t>(start - text);
  }
  return -1;
}

const char* FindChar(const char* text, uint16_t character) {
  char pattern[3] = {static_cast<char>(character & 0xFF), static_cast<char>(character >> 8), 0};
  int32_t at = FindSubstring(text, pattern);
  return at < 0 ? nullptr : text + at;
}

char* TextCopy(char* out, size_t size, const char* text) {
  if (!out || size == 0) return out;
  size_t length = text ? std::strlen(text) : 0;
  if (length > size - 1) length = size - 1;
  std::memcpy(out, text ? text : "", length);
  out[length] = 0;
  return out;
}

int GetCurrentDir(char* buffer, uint32_t size) { return PlatformCurrentDirectory(buffer, size); }

int32_t TextToNumber(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f') text++;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; text++) value = value * 10u + static_cast<uint32_t>(*text - '0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}

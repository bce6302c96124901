// What the symbol tables share: the pool each table takes for itself, and the
// keys of their hash tables, numbers as signed decimal text: "%d-%d" for a
// pair (line 12 of file 0 gives 12-0, block -1 with offset 5 gives -1-5) and
// "%d" for one number.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"

// The pool of the LineTable, the FunctionTable and the SourceFileList: their
// headers and records; it grows by segments as needed.
constexpr uint32_t kSymbolTablePoolSize = 500;
constexpr uint32_t kSymbolTablePoolFlags = 0x1003;

// A table's header of `size` bytes, zero-filled, from a new pool of its own,
// stored in *pool; null (and no pool left behind) when either cannot be had.
inline void* SymbolTableNewHeader(uint32_t size, MemPoolHandle* pool) {
  *pool = MemPoolCreate(kSymbolTablePoolSize, kSymbolTablePoolFlags);
  if (*pool == kMemPoolFailed) return nullptr;
  void* header = MemPoolAlloc(*pool, size);
  if (!header) MemPoolDestroy(*pool);
  return header;
}

struct SymbolKey {
  char text[24];  // room for two 32-bit numbers with their signs and the hyphen
};

// Writes `number` as "%d" would at `out`; returns the end. By hand, because
// the running script's every statement formats a key: the general formatter
// costs more than the whole hash lookup after it.
inline char* SymbolKeyPutNumber(char* out, int32_t number) {
  uint32_t magnitude = static_cast<uint32_t>(number);
  if (number < 0) {
    *out++ = '-';
    magnitude = 0u - magnitude;
  }
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  while (count) *out++ = digits[--count];
  return out;
}

inline SymbolKey SymbolKeyOfPair(int32_t first, int32_t second) {
  SymbolKey key;
  char* end = SymbolKeyPutNumber(key.text, first);
  *end++ = '-';
  *SymbolKeyPutNumber(end, second) = 0;
  return key;
}

inline SymbolKey SymbolKeyOfNumber(int32_t number) {
  SymbolKey key;
  *SymbolKeyPutNumber(key.text, number) = 0;
  return key;
}

// The number of GDI objects this process holds, read from the handle table
// the system keeps for the process (the PEB's GDI shared handle table). Under
// Wine that table holds this process's objects only, so the count goes up by
// one for every object made and down by one for every object deleted: a run
// of code that leaves it where it was has leaked nothing, including objects
// whose handles the test never sees. Header-only, so that this folder's .cpp
// files stay the harness's own.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>

// One entry of the table, as Wine lays it out for 32-bit and 64-bit processes
// alike (24 bytes; the tests run under Wine).
struct GdiTableEntry {
  uint64_t kernelObject;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;  // 0 for a free entry
  uint8_t flags;
  uint64_t user;
};
static_assert(sizeof(GdiTableEntry) == 24, "a handle table entry");

constexpr int kGdiTableEntries = 0x10000;
#ifdef _WIN64
constexpr size_t kPebGdiSharedHandleTable = 0xF8;  // offset in the PEB
#else
constexpr size_t kPebGdiSharedHandleTable = 0x94;
#endif

// -1 when the process has no table to read.
inline int LiveGdiObjects() {
  auto* peb = reinterpret_cast<const char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
  auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kPebGdiSharedHandleTable);
  if (!table) return -1;
  int count = 0;
  for (int i = 0; i < kGdiTableEntries; i++)
    if (table[i].type) count++;
  return count;
}

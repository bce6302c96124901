// The memory of a kind of custom control (the box, the watch window): one pool
// made by the first allocation and kept while the library is loaded, so that
// controls made and destroyed again and again use one pool slot between them.
// When the pool cannot give a block (its memory ran out) a new pool is made
// and becomes the current one; the old one stays, its blocks still in use.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"

struct ControlPool {
  uint32_t size;          // pool size for MemPoolCreate
  uint32_t flags;         // pool flags for MemPoolCreate
  MemPoolHandle current;  // -1 until the first allocation
};

// A block from the current pool (zero-filled with flag 0x1000); null when no
// pool can give it.
void* ControlPoolAlloc(ControlPool* pool, uint32_t bytes);

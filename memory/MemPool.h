// Memory pools: every table, list, record and string of the debugger lives in
// a numbered pool from which blocks are taken and given back one by one, and
// which its owner destroys as a whole.
//
// A pool takes fixed-size segments of movable memory from the platform (the
// pool size rounded up to 256 bytes, at most 64 KB, so every offset inside a
// segment is 16 bits) and carves blocks out of them. A block is a 3-byte
// header (tag byte, 16-bit payload length) and a payload of at least 12 bytes;
// the tag carries a parity bit so that the free of a foreign or damaged block
// is found and reported. Free blocks of a segment are kept in a size-ordered
// list with a small sorted index over it (best fit); they are merged with
// their neighbours only when the pool runs short (compaction), and a segment
// whose last block is freed goes back to the platform.
//
// Handles: 2..39 are ordinary pools (slots 0 and 1 are the pool system's own),
// 32766 is the direct pseudo-pool (each block a platform block of its own),
// -1 is a failed creation.
#pragma once

#include <cstdint>

typedef int32_t MemPoolHandle;

constexpr MemPoolHandle kMemPoolFailed = -1;
constexpr MemPoolHandle kMemPoolDirect = 32766;

// Alignment of blocks: a block of kMemPoolAlignedMinimum bytes or more starts
// on a kMemPoolAlignment boundary, on every target, and so does every block
// of the direct pool. A smaller request gets the 12-byte minimum block, which
// may start anywhere: a record that holds pointers or numbers wider than a
// byte is taken with MemPoolAllocRecord (below), or at least that many bytes.
constexpr uint32_t kMemPoolAlignment = 8;
constexpr uint32_t kMemPoolAlignedMinimum = 13;

// Creation flags.
constexpr uint32_t kPoolFlagAccepted = 0x0001;  // accepted; no effect
constexpr uint32_t kPoolFlagGrow = 0x0002;      // may add segments when short
constexpr uint32_t kPoolFlagKeepLast = 0x0010;  // keep the last segment when it empties
constexpr uint32_t kPoolFlagCleared = 0x0100;   // cleared at creation
constexpr uint32_t kPoolFlagZeroFill = 0x1000;  // allocated blocks are zero-filled
constexpr uint32_t kPoolFlagShared = 0x2000;    // segments from shared platform memory

// Options of MemPoolSetOption.
enum MemPoolOption : int {
  kPoolOptionReport = 1,        // report errors in a message box (default on)
  kPoolOptionCompact = 2,       // compact before adding a segment (default on)
  kPoolOptionCheck = 4,         // check handles, sizes and tags (default on)
  kPoolOptionIndexBase = 4097,  // B, base size of a segment's free index (default 6)
  kPoolOptionIndexStep = 4098,  // S, growth step of the free index (default 1)
};

// The operation that set the last error.
enum MemPoolOperation : int {
  kPoolOpCreate = 1,
  kPoolOpFree = 2,
  kPoolOpDestroy = 4,
  kPoolOpAlloc = 8,
  kPoolOpInit = 16,
};

// Error numbers (the report shows 3000 + number).
enum MemPoolErrorNumber : int {
  kPoolErrorNone = 0,
  kPoolErrorNoSlot = 1,          // create: no free slot among 2..39
  kPoolErrorNoMemory = 2,        // no segment, segment header or direct block
  kPoolErrorNotInUse = 3,        // free of a block not in use / direct block without handle
  kPoolErrorBadHandle = 4,       // bad handle, or a pointer in no segment of the pool
  kPoolErrorDamaged = 5,         // damaged tag, or blocks not ending at the segment end
  kPoolErrorNextDamaged = 6,     // free: the tag of the following block is damaged
  kPoolErrorSlotUnused = 7,      // the handle names a slot not in use
  kPoolErrorBadSize = 9,         // size 0, or above the pool size
  kPoolErrorInitFailed = 10,     // the pool system could not be initialised
  kPoolErrorNotInitialised = 11, // free or destroy before any create
  kPoolErrorNullPointer = 14,    // free of a null pointer
};

struct MemPoolError {
  int operation;  // MemPoolOperation
  int number;     // MemPoolErrorNumber
};

MemPoolHandle MemPoolCreate(uint32_t size, uint32_t flags);
void* MemPoolAlloc(MemPoolHandle pool, uint32_t size);
int MemPoolFree(MemPoolHandle pool, void* block);
int MemPoolDestroy(MemPoolHandle pool);
int MemPoolSetOption(int option, int value);
// The current value of an option; 0 for an unknown option. Lets a caller that
// switches an option off around one call put back what was there.
int MemPoolGetOption(int option);
int MemPoolLastError(MemPoolError* out);

// A block for a record of `bytes` bytes: asked for with at least
// kMemPoolAlignedMinimum bytes, so that it starts aligned whatever its size.
inline void* MemPoolAllocRecord(MemPoolHandle pool, uint32_t bytes) {
  return MemPoolAlloc(pool, bytes < kMemPoolAlignedMinimum ? kMemPoolAlignedMinimum : bytes);
}

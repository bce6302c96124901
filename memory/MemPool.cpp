// The pool system: the table of 40 pool slots, the pool operations, the
// direct pseudo-pool, the last error and its report. What happens inside one
// segment (blocks, tags, free list, carving, compaction) is MemPoolSegment's.
//
// Slots. Slot 0 is the pool of segment headers (65000-byte segments of shared
// memory); slot 1 is reserved; 2..39 are the ordinary pools. A slot holds the
// pool size, its flags, the platform mode and its chain of segments; newer
// segments come first, and searches go in chain order.
//
// Segment headers. A segment's header lives apart from the segment, in a block
// of slot 0. Slot 0's own segments need headers too: each keeps its header in
// its own first block, so the header pool never asks itself for memory while
// it is growing, and needs no fixed-size table. Such a segment counts as empty
// when that header is its only block in use; it is then given back like any
// other (slot 0 keeps its last segment).
//
// Alignment (see MemPoolSegment.h). Every block of 13 bytes or more starts on
// an 8-byte boundary on every target, so callers may store records with
// pointers or 64-bit numbers in them. A request of 12 bytes or less gets the
// 12-byte minimum block, which has no alignment at all: records that need
// alignment are asked for with at least kMemPoolAlignedMinimum bytes. Direct
// blocks (pool 32766) are 8-byte aligned.
//
// Errors. Every create, alloc, free and destroy starts by resetting the last
// error to (its operation, 0). An error that ends the call is reported at once
// when option 1 is on. An allocation that finds no block records what went
// wrong on the way (a damaged segment skipped, a segment not obtained) and
// reports once, at its end, the last number recorded (0 when none was); a
// damaged segment met by an allocation that then succeeds elsewhere is still
// reported.
//
// Checking (option 4) covers what it exists to diagnose: sizes against the
// pool size (error 9) and damaged tags (errors 5 and 6).
// What keeps the pool system's own memory sound is checked always: a slot
// number outside the table, a block that is already free (error 3: entering it
// again would corrupt the free list), a block running past its segment's end.
//
// Threads: none. The pool system belongs to the host's one thread, as the
// whole debugger does; its state is process-wide and takes no locks.
#include "memory/MemPool.h"

#include <cstring>

#include "memory/MemPoolDebug.h"
#include "memory/MemPoolReport.h"
#include "memory/MemPoolSegment.h"
#include "platform/Platform.h"

namespace {

constexpr int kPoolSlots = 40;
constexpr MemPoolHandle kHeaderPool = 0;
constexpr MemPoolHandle kReservedPool = 1;
constexpr MemPoolHandle kFirstOrdinaryPool = 2;
constexpr MemPoolHandle kLastOrdinaryPool = 39;
constexpr MemPoolHandle kLargestHandle = 32000;
constexpr uint32_t kHeaderPoolSize = 65000;
constexpr uint32_t kStoredFlags = 0x7FFF & ~kPoolFlagCleared;
// A segment is asked for once, then up to twice more after the platform was
// asked to compact its memory by that much.
constexpr int kSegmentAttempts = 3;
// A direct block: padding, the marker byte, then the caller's bytes, which
// thus start 8 bytes into the platform block and keep its alignment.
constexpr uint32_t kDirectPrefix = 8;
constexpr uint8_t kDirectMarker = 1;

struct PoolSlot {
  bool inUse;                // created and not destroyed (slot 1: reserved)
  uint32_t size;             // the pool size given at creation
  uint32_t flags;            // creation flags, low 15 bits, 0x0100 cleared
  uint32_t mode;             // platform allocation mode of its segments
  SegmentHeader* segments;   // chain of segments, newest first
};

struct PoolOptions {
  bool report = true;   // option 1
  bool compact = true;  // option 2
  bool check = true;    // option 4
  int indexBase = 6;    // option 4097: B
  int indexStep = 1;    // option 4098: S
};

struct PoolSystem {
  bool initialised = false;
  PoolSlot slots[kPoolSlots] = {};
  MemPoolError lastError = {0, kPoolErrorNone};
  PoolOptions options;
  long requests = 0;  // MemPoolCreate and MemPoolAlloc calls so far
  long failAt = 0;    // the request that is to fail for lack of memory; 0: none
};

PoolSystem gPools;

// ---------------------------------------------------------------------------
// Calls and errors

void CallBegin(MemPoolOperation operation) { gPools.lastError = {operation, kPoolErrorNone}; }

void ErrorRecord(int number) { gPools.lastError.number = number; }

void ErrorRaise(int number) {
  ErrorRecord(number);
  if (gPools.options.report) MemPoolReportError(number);
}

int Failed(int number) {
  ErrorRaise(number);
  return 0;
}

void* FailedAlloc(int number) {
  ErrorRaise(number);
  return nullptr;
}

MemPoolHandle FailedCreate(int number) {
  ErrorRaise(number);
  return kMemPoolFailed;
}

// Counts a request for memory; true when it is the one that is to fail.
bool RequestCount() {
  gPools.requests++;
  if (!gPools.failAt || gPools.requests != gPools.failAt) return false;
  gPools.failAt = 0;
  return true;
}

// ---------------------------------------------------------------------------
// Slots and segments

bool IsOrdinary(MemPoolHandle pool) { return pool >= kFirstOrdinaryPool && pool <= kLastOrdinaryPool; }

bool IsHeaderPool(const PoolSlot* slot) { return slot == &gPools.slots[kHeaderPool]; }

uint32_t SlotIndexEntries(const PoolSlot* slot) {
  return SegmentIndexEntries(SegmentLengthFor(slot->size), gPools.options.indexBase, gPools.options.indexStep);
}

uint32_t SlotFreshCapacity(const PoolSlot* slot) {
  return SegmentFreshCapacity(SegmentLengthFor(slot->size), SlotIndexEntries(slot), IsHeaderPool(slot));
}

SegmentHeader* SlotSegmentHolding(const PoolSlot* slot, const void* pointer) {
  for (SegmentHeader* segment = slot->segments; segment; segment = segment->next)
    if (SegmentHolds(segment, pointer)) return segment;
  return nullptr;
}

void* PoolTake(PoolSlot* slot, uint32_t length);
int PoolGiveBack(PoolSlot* slot, SegmentHeader* segment, void* block, bool checkTags);

PlatformMemHandle PlatformBlockObtain(uint32_t mode, uint32_t bytes) {
  for (int attempt = 0; attempt < kSegmentAttempts; attempt++) {
    if (attempt) PlatformMemCompact(bytes);
    if (PlatformMemHandle block = PlatformMemAlloc(mode, bytes)) return block;
  }
  return nullptr;
}

// Obtains a segment with its header and puts it at the front of the chain.
// Null, with error 2 recorded, when the platform or the header pool has no
// memory for it.
SegmentHeader* SlotAddSegment(PoolSlot* slot) {
  const uint32_t length = SegmentLengthFor(slot->size);
  const uint32_t entries = SlotIndexEntries(slot);
  const bool ownHeader = IsHeaderPool(slot);
  // An index so large that the header leaves no room is memory not obtained.
  bool fits = SegmentFreshCapacity(length, entries, ownHeader) != 0;
  PlatformMemHandle handle = fits ? PlatformBlockObtain(slot->mode, length + kSegmentPlacementSlack) : nullptr;
  void* address = handle ? PlatformMemLock(handle) : nullptr;
  SegmentHeader* header = nullptr;
  if (address && !ownHeader)
    header = static_cast<SegmentHeader*>(PoolTake(&gPools.slots[kHeaderPool], SegmentHeaderBytes(entries)));
  if (!address || (!ownHeader && !header)) {
    if (address) PlatformMemUnlock(handle);
    if (handle) PlatformMemFree(handle);
    ErrorRecord(kPoolErrorNoMemory);
    return nullptr;
  }
  header = SegmentFormat(header, handle, SegmentPlace(address), length, entries, ownHeader);
  header->next = slot->segments;
  slot->segments = header;
  return header;
}

// Gives a segment (already out of its chain) back to the platform, and its
// header back to the header pool.
void SlotDropSegment(PoolSlot* slot, SegmentHeader* segment) {
  PlatformMemHandle handle = segment->handle;
  bool ownHeader = IsHeaderPool(slot);
  PlatformMemUnlock(handle);
  PlatformMemFree(handle);  // an own header goes with its segment
  if (ownHeader) return;
  PoolSlot* headers = &gPools.slots[kHeaderPool];
  if (SegmentHeader* holder = SlotSegmentHolding(headers, segment)) PoolGiveBack(headers, holder, segment, false);
}

// After a free: an emptied segment goes back to the platform, unless it is
// the pool's only one and the pool keeps its last segment.
void SlotDropIfEmpty(PoolSlot* slot, SegmentHeader* segment) {
  if (segment->inUse != (IsHeaderPool(slot) ? 1 : 0)) return;
  if (segment == slot->segments) {
    if (!segment->next && (slot->flags & kPoolFlagKeepLast)) return;
    slot->segments = segment->next;
  } else {
    SegmentHeader* previous = slot->segments;
    while (previous->next != segment) previous = previous->next;
    previous->next = segment->next;
  }
  SlotDropSegment(slot, segment);
}

// ---------------------------------------------------------------------------
// Taking and giving back blocks

// A segment that compaction left without a free block long enough is passed
// over until a free in it clears its mark; SegmentTake itself turns away any
// segment whose longest free block is too short, as cheaply.
void* PoolSearch(PoolSlot* slot, uint32_t length) {
  uint32_t wanted = length < kBlockMinPayload ? kBlockMinPayload : length;
  for (SegmentHeader* segment = slot->segments; segment; segment = segment->next) {
    if (segment->compacted && segment->longestFree < wanted) continue;
    bool damaged = false;
    uint32_t at = SegmentTake(segment, length, gPools.options.check, &damaged);
    if (damaged) ErrorRecord(kPoolErrorDamaged);
    if (at) return segment->base + at;
  }
  return nullptr;
}

// True when a segment merged blocks. A damaged segment stops it (error 5).
bool PoolCompact(PoolSlot* slot) {
  bool merged = false;
  for (SegmentHeader* segment = slot->segments; segment; segment = segment->next) {
    if (segment->compacted) continue;
    SegmentCompactResult result = SegmentCompact(segment, gPools.options.check);
    if (result == kCompactDamaged) {
      ErrorRecord(kPoolErrorDamaged);
      break;
    }
    merged = merged || result == kCompactMerged;
  }
  return merged;
}

// A block of `length` bytes: search; when nothing is found, (a) compact and
// search again if that merged anything, (b) add a segment and search again if
// the pool may grow or has no segment (and a new segment could hold the
// request), (c) give up. Errors met are recorded, not reported.
void* PoolTake(PoolSlot* slot, uint32_t length) {
  if (void* block = PoolSearch(slot, length)) return block;
  if (gPools.options.compact && slot->segments && PoolCompact(slot))
    if (void* block = PoolSearch(slot, length)) return block;
  if (((slot->flags & kPoolFlagGrow) || !slot->segments) && length <= SlotFreshCapacity(slot) &&
      SlotAddSegment(slot))
    return PoolSearch(slot, length);
  return nullptr;
}

// Frees a block of the segment; 0, or the error number that refused it.
int PoolGiveBack(PoolSlot* slot, SegmentHeader* segment, void* block, bool checkTags) {
  uint32_t at = static_cast<uint32_t>(static_cast<uint8_t*>(block) - segment->base);
  uint8_t tag = SegmentBlockTag(segment, at);
  if (tag & 1) return kPoolErrorNotInUse;
  if (checkTags && TagIsDamaged(tag)) return kPoolErrorDamaged;
  uint32_t length = SegmentBlockLength(segment, at), end = SegmentLength(segment);
  if (length < kBlockMinPayload || at + length > end) return kPoolErrorDamaged;
  if (checkTags && at + length < end && TagIsDamaged(segment->base[at + length])) return kPoolErrorNextDamaged;
  SegmentRelease(segment, at);
  SlotDropIfEmpty(slot, segment);
  return kPoolErrorNone;
}

// ---------------------------------------------------------------------------
// The pool system

bool PoolSystemInit() {
  PoolSlot* headers = &gPools.slots[kHeaderPool];
  *headers = PoolSlot{};
  headers->size = kHeaderPoolSize;
  headers->flags = kPoolFlagGrow | kPoolFlagKeepLast;
  headers->mode = kPlatformMemMovableShared;
  if (!SlotAddSegment(headers)) {
    gPools.lastError = {kPoolOpInit, kPoolErrorInitFailed};
    if (gPools.options.report) MemPoolReportError(kPoolErrorInitFailed);
    return false;
  }
  headers->inUse = true;
  gPools.slots[kReservedPool] = PoolSlot{};
  gPools.slots[kReservedPool].inUse = true;
  gPools.initialised = true;
  return true;
}

// ---------------------------------------------------------------------------
// The direct pseudo-pool: one platform block per allocation.

void* DirectAlloc(uint32_t size, bool failRequest) {
  if (failRequest || size > UINT32_MAX - kDirectPrefix) return FailedAlloc(kPoolErrorNoMemory);
  PlatformMemHandle handle = PlatformMemAlloc(kPlatformMemMovable, size + kDirectPrefix);
  uint8_t* address = handle ? static_cast<uint8_t*>(PlatformMemLock(handle)) : nullptr;
  if (!address) {
    if (handle) PlatformMemFree(handle);
    return FailedAlloc(kPoolErrorNoMemory);
  }
  std::memset(address, 0, kDirectPrefix - 1);
  address[kDirectPrefix - 1] = kDirectMarker;
  return address + kDirectPrefix;
}

int DirectFree(void* block) {
  if (!block) return Failed(kPoolErrorNullPointer);
  uint8_t* payload = static_cast<uint8_t*>(block);
  if (payload[-1] != kDirectMarker) return Failed(kPoolErrorBadHandle);
  PlatformMemHandle handle = PlatformMemHandleOf(payload - kDirectPrefix);
  if (!handle) return Failed(kPoolErrorNotInUse);
  PlatformMemUnlock(handle);
  PlatformMemFree(handle);
  return 1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Operations

// A size above 65280 would need a segment longer than 16-bit offsets reach:
// it is refused as a bad size, like 0.
MemPoolHandle MemPoolCreate(uint32_t size, uint32_t flags) {
  bool failRequest = RequestCount();
  CallBegin(kPoolOpCreate);
  if (!gPools.initialised && !PoolSystemInit()) return kMemPoolFailed;
  if (SegmentLengthFor(size) == 0) return FailedCreate(kPoolErrorBadSize);
  MemPoolHandle pool = kFirstOrdinaryPool;
  while (pool <= kLastOrdinaryPool && gPools.slots[pool].inUse) pool++;
  if (pool > kLastOrdinaryPool) return FailedCreate(kPoolErrorNoSlot);
  if (failRequest) return FailedCreate(kPoolErrorNoMemory);
  PoolSlot* slot = &gPools.slots[pool];
  slot->flags = flags & kStoredFlags;
  slot->mode = (flags & kPoolFlagShared) ? kPlatformMemMovableShared : kPlatformMemMovable;
  slot->size = size;
  if (!SlotAddSegment(slot)) {
    *slot = PoolSlot{};
    return FailedCreate(kPoolErrorNoMemory);
  }
  slot->inUse = true;
  return pool;
}

// With checking off, a size of 0 is raised to the minimum like any small
// request, and a size above the pool size is served when a segment holds it.
void* MemPoolAlloc(MemPoolHandle pool, uint32_t size) {
  bool failRequest = RequestCount();
  CallBegin(kPoolOpAlloc);
  if (pool == kMemPoolDirect) return DirectAlloc(size, failRequest);
  if (!IsOrdinary(pool)) return FailedAlloc(kPoolErrorBadHandle);
  PoolSlot* slot = &gPools.slots[pool];
  if (!slot->inUse) return FailedAlloc(kPoolErrorSlotUnused);
  if (gPools.options.check && (size == 0 || size > slot->size)) return FailedAlloc(kPoolErrorBadSize);
  if (failRequest) return FailedAlloc(kPoolErrorNoMemory);
  void* block = PoolTake(slot, size);
  if (!block || gPools.lastError.number != kPoolErrorNone) ErrorRaise(gPools.lastError.number);
  if (block && (slot->flags & kPoolFlagZeroFill)) std::memset(block, 0, size);
  return block;
}

int MemPoolFree(MemPoolHandle pool, void* block) {
  CallBegin(kPoolOpFree);
  if (pool == kMemPoolDirect) return DirectFree(block);
  if (pool > kLargestHandle) return Failed(kPoolErrorBadHandle);
  if (!gPools.initialised) return Failed(kPoolErrorNotInitialised);
  if (!IsOrdinary(pool)) return Failed(kPoolErrorBadHandle);
  if (!block) return Failed(kPoolErrorNullPointer);
  PoolSlot* slot = &gPools.slots[pool];
  SegmentHeader* segment = SlotSegmentHolding(slot, block);
  if (!segment) return Failed(kPoolErrorBadHandle);
  int error = PoolGiveBack(slot, segment, block, gPools.options.check);
  if (error != kPoolErrorNone) return Failed(error);
  return 1;
}

int MemPoolDestroy(MemPoolHandle pool) {
  CallBegin(kPoolOpDestroy);
  if (!gPools.initialised) return gPools.options.check ? 0 : Failed(kPoolErrorNotInitialised);
  if (!IsOrdinary(pool)) return Failed(kPoolErrorBadHandle);
  PoolSlot* slot = &gPools.slots[pool];
  if (!slot->inUse) return Failed(kPoolErrorSlotUnused);
  while (SegmentHeader* segment = slot->segments) {
    slot->segments = segment->next;
    SlotDropSegment(slot, segment);
  }
  *slot = PoolSlot{};
  return 1;
}

int MemPoolSetOption(int option, int value) {
  PoolOptions& options = gPools.options;
  switch (option) {
    case kPoolOptionReport: options.report = value == 1; return 1;
    case kPoolOptionCompact: options.compact = value == 1; return 1;
    case kPoolOptionCheck: options.check = value == 1; return 1;
    case kPoolOptionIndexBase: options.indexBase = value < 1 ? 1 : value; return 1;
    case kPoolOptionIndexStep: options.indexStep = value < 0 ? 0 : value; return 1;
    default: return 0;
  }
}

int MemPoolGetOption(int option) {
  const PoolOptions& options = gPools.options;
  switch (option) {
    case kPoolOptionReport: return options.report ? 1 : 0;
    case kPoolOptionCompact: return options.compact ? 1 : 0;
    case kPoolOptionCheck: return options.check ? 1 : 0;
    case kPoolOptionIndexBase: return options.indexBase;
    case kPoolOptionIndexStep: return options.indexStep;
    default: return 0;
  }
}

// Before the pool system is initialised the result is 0, but `out` is still
// filled: a free or destroy made before any create leaves error 11 there.
int MemPoolLastError(MemPoolError* out) {
  if (out) *out = gPools.lastError;
  return gPools.initialised ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Test hooks

int MemPoolFreeSlots() {
  int free = 0;
  for (MemPoolHandle pool = kFirstOrdinaryPool; pool <= kLastOrdinaryPool; pool++)
    if (!gPools.slots[pool].inUse) free++;
  return free;
}

int MemPoolSegmentCount(MemPoolHandle pool) {
  if (pool != kHeaderPool && !IsOrdinary(pool)) return 0;
  int count = 0;
  for (const SegmentHeader* segment = gPools.slots[pool].segments; segment; segment = segment->next) count++;
  return count;
}

int MemPoolCheck(MemPoolHandle pool) {
  if (pool != kHeaderPool && !IsOrdinary(pool)) return 0;
  const PoolSlot* slot = &gPools.slots[pool];
  if (!slot->inUse) return 0;
  const PoolSlot* headers = &gPools.slots[kHeaderPool];
  for (const SegmentHeader* segment = slot->segments; segment; segment = segment->next) {
    if (SegmentLength(segment) != SegmentLengthFor(slot->size)) return 0;
    if (!SegmentCheck(segment, IsHeaderPool(slot))) return 0;
    if (IsHeaderPool(slot)) continue;
    // The header is a block in use of the header pool.
    const SegmentHeader* holder = SlotSegmentHolding(headers, segment);
    if (!holder) return 0;
    uint32_t at = static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(segment) - holder->base);
    if (SegmentBlockTag(holder, at) != kTagInUse) return 0;
  }
  return 1;
}

void MemPoolFailAllocation(long n) { gPools.failAt = n > 0 ? gPools.requests + n : 0; }

long MemPoolAllocationCount() { return gPools.requests; }

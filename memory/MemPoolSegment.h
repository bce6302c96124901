// The inside of one pool segment: its blocks, their tags, the size-ordered
// free list with its small sorted index, best-fit carving and compaction.
// Only the pool table (MemPool.cpp) uses this; it knows nothing of pools,
// handles, options or error reports.
//
// Layout of a segment of L bytes (L a multiple of 256, at most 65280):
//
//   offset 0          one byte that holds no block (offset 0 means "none")
//   offset 1..3       header of the first block: tag, 16-bit payload length
//   offset 4..        its payload; then header and payload of the next block,
//                     and so on, the last payload ending exactly at L.
//
// Every offset kept in the segment is the offset of a payload, 16 bits wide.
// A free block's payload holds its free-list links (next larger length, next
// smaller length, next block of the same length), unaligned, read with memcpy.
//
// Alignment. The segment is placed inside its platform block so that offset 4
// is 8-byte aligned. From there, every block whose payload is longer than 12
// bytes starts on an 8-byte boundary (the alignment rule): a split rounds the
// kept length up so that the next payload stays aligned (length = 5 mod 8) when
// the free block has room for it, and gives the rest an exact 12-byte block
// otherwise; a 12-byte block (a request of 12 bytes or less) has a 15-byte
// footprint and cannot keep its successor aligned, so it is carved from the
// end of its free block, which leaves the free block's start where it was.
// Compaction merges a run of free blocks from its first aligned block on.
#pragma once

#include <cstdint>
#include <cstring>

#include "memory/MemPool.h"
#include "platform/Platform.h"

constexpr uint32_t kSegmentUnit = 256;                     // lengths are kept in these units
constexpr uint32_t kSegmentMaxLength = 255 * kSegmentUnit;  // one byte of units, 16-bit offsets
constexpr uint32_t kBlockHeaderBytes = 3;                   // tag, 16-bit payload length
constexpr uint32_t kBlockMinPayload = 12;                   // room for the free-list links
constexpr uint32_t kSplitMinExcess = kBlockHeaderBytes + kBlockMinPayload;  // 15
constexpr uint32_t kFirstPayload = 1 + kBlockHeaderBytes;  // offset 0 holds no block
constexpr uint32_t kPayloadAlignment = kMemPoolAlignment;  // blocks longer than kBlockMinPayload
// What a segment's platform block holds beyond the segment: the room to move
// the segment so that its first payload is aligned.
constexpr uint32_t kSegmentPlacementSlack = kPayloadAlignment;
static_assert(kMemPoolAlignedMinimum == kBlockMinPayload + 1, "only minimum blocks go unaligned");

// Tags: bit 0 set means not in use; bit 7 is a parity bit that makes the
// number of set bits even.
constexpr bool TagHasOddBits(uint8_t value) {
  int bits = 0;
  for (; value; value = static_cast<uint8_t>(value & (value - 1))) bits++;
  return bits & 1;
}
constexpr uint8_t TagBuild(uint8_t value) {
  return TagHasOddBits(value) ? static_cast<uint8_t>(value | 0x80) : value;
}
// The check made on every tag met: damaged when none of bits 1, 3, 4, 5 and 6
// is set and the number of set bits is odd.
constexpr bool TagIsDamaged(uint8_t tag) { return (tag & 0x7A) == 0 && TagHasOddBits(tag); }

constexpr uint8_t kTagInUse = TagBuild(0x00);          // 0x00
constexpr uint8_t kTagFree = TagBuild(0x05);           // 0x05: free, in the free list
constexpr uint8_t kTagFreeUnindexed = TagBuild(0x01);  // 0x81: free, not yet in the free list
static_assert(kTagFreeUnindexed == 0x81 && !TagIsDamaged(kTagFree) && !TagIsDamaged(kTagFreeUnindexed),
              "tag values");

struct FreeIndexEntry {
  uint16_t length;  // a block length present in the free list
  uint16_t offset;  // the first free block of that length (the list's head for it)
};

// The header of a segment. It lives outside the segment, in a block of the
// pool of segment headers, and is followed there by its N free-index entries.
// N follows the rule of the segment length and options 4097/4098 exactly; the
// byte size, SegmentHeaderBytes(N), does not match the classic 31 + 8 * N:
// the fields hold this platform's pointers, and an entry is two 16-bit
// numbers (a length and an offset), 4 bytes.
struct SegmentHeader {
  PlatformMemHandle handle;  // the platform block holding the segment
  uint8_t* base;             // offset 0 of the segment (inside the locked block)
  SegmentHeader* next;       // next segment of the same pool
  uint8_t lengthUnits;       // segment length / 256
  uint8_t compacted;         // 1 after a compaction, until the next free in it
  uint16_t longestFree;      // longest free block found by that compaction
  uint16_t largestFree;      // longest free block now (0: none), kept by the free list
  uint16_t inUse;            // blocks in use
  uint16_t indexCapacity;    // N
  uint16_t indexCount;       // entries in use: min(N, distinct free lengths)
};

// Geometry.
uint32_t SegmentLengthFor(uint32_t poolSize);  // 0 when the pool size is out of range
uint32_t SegmentIndexEntries(uint32_t segmentLength, int indexBase, int indexStep);
uint32_t SegmentHeaderBytes(uint32_t indexEntries);
// The payload of the one free block a freshly formatted segment offers; 0 when
// an own header (see SegmentFormat) leaves no room for one.
uint32_t SegmentFreshCapacity(uint32_t segmentLength, uint32_t indexEntries, bool ownHeader);
// Where a segment starts inside the locked platform block at `address`.
uint8_t* SegmentPlace(void* address);

// Formats the segment as one free block. With `ownHeader`, the header itself
// is placed in the segment as its first block, in use (the pool of segment
// headers keeps its own headers that way); `header` is then ignored and the
// header used is returned. Null when the header does not fit.
SegmentHeader* SegmentFormat(SegmentHeader* header, PlatformMemHandle handle, uint8_t* base,
                             uint32_t length, uint32_t indexEntries, bool ownHeader);

inline uint32_t SegmentLength(const SegmentHeader* segment) { return segment->lengthUnits * kSegmentUnit; }

// Whether `pointer` lies in the segment's payload area.
inline bool SegmentHolds(const SegmentHeader* segment, const void* pointer) {
  const uint8_t* at = static_cast<const uint8_t*>(pointer);
  return at >= segment->base + kFirstPayload && at < segment->base + SegmentLength(segment);
}

// The tag and the payload length of the block whose payload is at `at`.
inline uint8_t SegmentBlockTag(const SegmentHeader* segment, uint32_t at) { return segment->base[at - 3]; }
inline uint32_t SegmentBlockLength(const SegmentHeader* segment, uint32_t at) {
  uint16_t length;
  std::memcpy(&length, segment->base + at - 2, sizeof length);
  return length;
}

// Best fit: the smallest free block of at least `length` bytes, taken out of
// the free list and carved to the request (split when it exceeds the request
// by kSplitMinExcess or more). Returns the payload offset, or 0 when no free
// block is long enough, or when `checkTags` finds a damaged tag on the way
// (then *damaged is set).
uint32_t SegmentTake(SegmentHeader* segment, uint32_t length, bool checkTags, bool* damaged);

// Makes the block at `at` free and enters it into the free list. The caller
// has checked that it is a block in use.
void SegmentRelease(SegmentHeader* segment, uint32_t at);

enum SegmentCompactResult : int {
  kCompactNothingMerged = 0,
  kCompactMerged = 1,
  kCompactDamaged = 2,  // a damaged tag, or blocks not ending at the segment end
};
// Merges every run of adjacent free blocks, rebuilds the free list when
// something merged, records the longest free block and marks the segment
// compacted. Tags are verified only with `checkTags`; block lengths always.
SegmentCompactResult SegmentCompact(SegmentHeader* segment, bool checkTags);

// The invariant check behind MemPoolCheck. `ownHeader` as for SegmentFormat.
bool SegmentCheck(const SegmentHeader* segment, bool ownHeader);

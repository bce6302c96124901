// The inside of one pool segment; the layout and the alignment rule are
// described in MemPoolSegment.h.
//
// The free list. Free blocks of one length form a chain (the "same" link);
// the first block of each chain, its head, is also linked to the heads of the
// next larger and next smaller lengths, so the heads form a list sorted by
// length. The free index is a sorted array of at most N (length, head) pairs
// over that list: it always holds min(N, number of distinct free lengths)
// entries, so it is empty exactly when the list is. A search binary-searches
// the index for the entry nearest to the length wanted and walks the heads
// from there. A block of a length already present joins its chain behind the
// head; a block is taken from behind the head too, so a head leaves only with
// its chain, and an index entry never has to follow a head that moves. The
// longest free length is kept in the header (the last head), so a segment
// without room for a request is turned away at once.
//
// The allocator trusts the free-list links it keeps in free payloads: a caller
// that writes into a block it has freed breaks the segment, as with any
// allocator. The tags are what detects a foreign or damaged block.
#include "memory/MemPoolSegment.h"

#include <cstring>

static_assert(sizeof(SegmentHeader) % alignof(FreeIndexEntry) == 0,
              "the free index follows the header directly");
static_assert(kSegmentMaxLength <= 0xFFFF, "segment offsets are 16-bit");

namespace {

// Free-list links inside a free payload.
constexpr uint32_t kLinkLarger = 0;
constexpr uint32_t kLinkSmaller = 2;
constexpr uint32_t kLinkSame = 4;

// A kept length of this residue keeps the payload after it aligned.
constexpr uint32_t kAlignedLengthResidue = kPayloadAlignment - kBlockHeaderBytes;  // 5

uint32_t Load16(const uint8_t* at) {
  uint16_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void Store16(uint8_t* at, uint32_t value) {
  uint16_t stored = static_cast<uint16_t>(value);
  std::memcpy(at, &stored, sizeof stored);
}

FreeIndexEntry* SegmentIndex(SegmentHeader* segment) {
  return reinterpret_cast<FreeIndexEntry*>(segment + 1);
}

const FreeIndexEntry* SegmentIndex(const SegmentHeader* segment) {
  return reinterpret_cast<const FreeIndexEntry*>(segment + 1);
}

bool BlockIsFree(const SegmentHeader* segment, uint32_t at) { return segment->base[at - 3] & 1; }

void BlockSet(SegmentHeader* segment, uint32_t at, uint8_t tag, uint32_t length) {
  segment->base[at - 3] = tag;
  Store16(segment->base + at - 2, length);
}

bool BlockIsAligned(const SegmentHeader* segment, uint32_t at) {
  return reinterpret_cast<uintptr_t>(segment->base + at) % kPayloadAlignment == 0;
}

uint32_t LinkGet(const SegmentHeader* segment, uint32_t at, uint32_t link) {
  return Load16(segment->base + at + link);
}

void LinkSet(SegmentHeader* segment, uint32_t at, uint32_t link, uint32_t to) {
  Store16(segment->base + at + link, to);
}

// The length to keep of a free block when a request of `length` (13 or more)
// splits it: rounded up so that the payload after it stays aligned.
uint32_t KeptLengthAligned(uint32_t length) {
  return length + ((kAlignedLengthResidue - length) & (kPayloadAlignment - 1));
}

// ---------------------------------------------------------------------------
// Free index

// Position of the first entry whose length is at least `length`.
uint32_t IndexLowerBound(const SegmentHeader* segment, uint32_t length) {
  const FreeIndexEntry* index = SegmentIndex(segment);
  uint32_t low = 0, high = segment->indexCount;
  while (low < high) {
    uint32_t middle = (low + high) / 2;
    if (index[middle].length < length)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

bool IndexHas(const SegmentHeader* segment, uint32_t length) {
  uint32_t position = IndexLowerBound(segment, length);
  return position < segment->indexCount && SegmentIndex(segment)[position].length == length;
}

void IndexInsert(SegmentHeader* segment, uint32_t length, uint32_t head) {
  FreeIndexEntry* index = SegmentIndex(segment);
  uint32_t position = IndexLowerBound(segment, length);
  for (uint32_t i = segment->indexCount; i > position; i--) index[i] = index[i - 1];
  index[position].length = static_cast<uint16_t>(length);
  index[position].offset = static_cast<uint16_t>(head);
  segment->indexCount++;
}

void IndexErase(SegmentHeader* segment, uint32_t position) {
  FreeIndexEntry* index = SegmentIndex(segment);
  segment->indexCount--;
  for (uint32_t i = position; i < segment->indexCount; i++) index[i] = index[i + 1];
}

// After an indexed length left the list: index the nearest head that is not
// indexed yet, searching outward from the gap it left (up and down are its
// former neighbours). Fewer than N heads are indexed, so this stops within
// N steps or at the ends of the list.
void IndexRefill(SegmentHeader* segment, uint32_t up, uint32_t down) {
  while (up || down) {
    if (up) {
      uint32_t length = SegmentBlockLength(segment, up);
      if (!IndexHas(segment, length)) return IndexInsert(segment, length, up);
      up = LinkGet(segment, up, kLinkLarger);
    }
    if (down) {
      uint32_t length = SegmentBlockLength(segment, down);
      if (!IndexHas(segment, length)) return IndexInsert(segment, length, down);
      down = LinkGet(segment, down, kLinkSmaller);
    }
  }
}

// ---------------------------------------------------------------------------
// Free list

uint32_t DamageFound(bool* damaged) {
  *damaged = true;
  return 0;
}

// The head of the smallest free length that is at least `length` (0 when
// none), and in *below the head just under it (0 when none). With checkTags,
// a damaged tag on a head passed on the way sets *damaged and gives 0.
uint32_t FreeListLocate(const SegmentHeader* segment, uint32_t length, uint32_t* below,
                        bool checkTags, bool* damaged) {
  *below = 0;
  if (segment->indexCount == 0) return 0;
  const FreeIndexEntry* index = SegmentIndex(segment);
  uint32_t position = IndexLowerBound(segment, length);
  uint32_t head;
  if (position < segment->indexCount) {
    // Walk down from the nearest indexed length above.
    head = index[position].offset;
    for (;;) {
      if (checkTags && TagIsDamaged(segment->base[head - 3])) return DamageFound(damaged);
      uint32_t smaller = LinkGet(segment, head, kLinkSmaller);
      if (!smaller || SegmentBlockLength(segment, smaller) < length) {
        *below = smaller;
        return head;
      }
      head = smaller;
    }
  }
  // Every indexed length is shorter: walk up from the longest of them.
  head = index[segment->indexCount - 1].offset;
  for (;;) {
    if (checkTags && TagIsDamaged(segment->base[head - 3])) return DamageFound(damaged);
    uint32_t larger = LinkGet(segment, head, kLinkLarger);
    if (!larger || SegmentBlockLength(segment, larger) >= length) {
      *below = head;
      return larger;
    }
    head = larger;
  }
}

void FreeListInsert(SegmentHeader* segment, uint32_t at) {
  uint32_t length = SegmentBlockLength(segment, at);
  uint32_t below = 0;
  bool unused = false;
  uint32_t head = FreeListLocate(segment, length, &below, false, &unused);
  if (head && SegmentBlockLength(segment, head) == length) {
    LinkSet(segment, at, kLinkLarger, 0);
    LinkSet(segment, at, kLinkSmaller, 0);
    LinkSet(segment, at, kLinkSame, LinkGet(segment, head, kLinkSame));
    LinkSet(segment, head, kLinkSame, at);
  } else {
    LinkSet(segment, at, kLinkLarger, head);
    LinkSet(segment, at, kLinkSmaller, below);
    LinkSet(segment, at, kLinkSame, 0);
    if (below) LinkSet(segment, below, kLinkLarger, at);
    if (head)
      LinkSet(segment, head, kLinkSmaller, at);
    else
      segment->largestFree = static_cast<uint16_t>(length);
    if (segment->indexCount < segment->indexCapacity) IndexInsert(segment, length, at);
  }
  segment->base[at - 3] = kTagFree;
}

// Takes a block of the head's length out of the list: the one behind the
// head when there is one, else the head itself.
uint32_t FreeListTake(SegmentHeader* segment, uint32_t head) {
  uint32_t behind = LinkGet(segment, head, kLinkSame);
  if (behind) {
    LinkSet(segment, head, kLinkSame, LinkGet(segment, behind, kLinkSame));
    return behind;
  }
  uint32_t larger = LinkGet(segment, head, kLinkLarger);
  uint32_t smaller = LinkGet(segment, head, kLinkSmaller);
  if (smaller) LinkSet(segment, smaller, kLinkLarger, larger);
  if (larger)
    LinkSet(segment, larger, kLinkSmaller, smaller);
  else
    segment->largestFree = static_cast<uint16_t>(smaller ? SegmentBlockLength(segment, smaller) : 0);
  uint32_t length = SegmentBlockLength(segment, head);
  uint32_t position = IndexLowerBound(segment, length);
  if (position < segment->indexCount && SegmentIndex(segment)[position].length == length) {
    IndexErase(segment, position);
    IndexRefill(segment, larger, smaller);
  }
  return head;
}

}  // namespace

// ---------------------------------------------------------------------------
// Geometry

uint32_t SegmentLengthFor(uint32_t poolSize) {
  if (poolSize == 0 || poolSize > kSegmentMaxLength) return 0;
  return (poolSize + kSegmentUnit - 1) / kSegmentUnit * kSegmentUnit;
}

uint32_t SegmentIndexEntries(uint32_t segmentLength, int indexBase, int indexStep) {
  int64_t steps = segmentLength < 2048 ? 0 : segmentLength < 8192 ? 2 : segmentLength < 32768 ? 3 : 4;
  int64_t entries = static_cast<int64_t>(indexBase) + steps * indexStep;
  return entries > 0xFFFF ? 0xFFFF : static_cast<uint32_t>(entries);
}

uint32_t SegmentHeaderBytes(uint32_t indexEntries) {
  return static_cast<uint32_t>(sizeof(SegmentHeader)) + indexEntries * static_cast<uint32_t>(sizeof(FreeIndexEntry));
}

uint32_t SegmentFreshCapacity(uint32_t segmentLength, uint32_t indexEntries, bool ownHeader) {
  uint32_t first = kFirstPayload;
  if (ownHeader) first += KeptLengthAligned(SegmentHeaderBytes(indexEntries)) + kBlockHeaderBytes;
  return first + kBlockMinPayload <= segmentLength ? segmentLength - first : 0;
}

uint8_t* SegmentPlace(void* address) {
  uintptr_t first = reinterpret_cast<uintptr_t>(address) + kFirstPayload;
  return static_cast<uint8_t*>(address) + ((0 - first) & (kPayloadAlignment - 1));
}

SegmentHeader* SegmentFormat(SegmentHeader* header, PlatformMemHandle handle, uint8_t* base,
                             uint32_t length, uint32_t indexEntries, bool ownHeader) {
  uint32_t capacity = SegmentFreshCapacity(length, indexEntries, ownHeader);
  if (capacity == 0) return nullptr;
  uint32_t first = length - capacity;
  if (ownHeader) header = reinterpret_cast<SegmentHeader*>(base + kFirstPayload);
  header->handle = handle;
  header->base = base;
  header->next = nullptr;
  header->lengthUnits = static_cast<uint8_t>(length / kSegmentUnit);
  header->compacted = 0;
  header->longestFree = 0;
  header->largestFree = 0;
  header->inUse = 0;
  header->indexCapacity = static_cast<uint16_t>(indexEntries);
  header->indexCount = 0;
  if (ownHeader) {
    BlockSet(header, kFirstPayload, kTagInUse, first - kFirstPayload - kBlockHeaderBytes);
    header->inUse = 1;
  }
  BlockSet(header, first, kTagFreeUnindexed, length - first);
  FreeListInsert(header, first);
  return header;
}

// ---------------------------------------------------------------------------
// Blocks

uint32_t SegmentTake(SegmentHeader* segment, uint32_t length, bool checkTags, bool* damaged) {
  if (length < kBlockMinPayload) length = kBlockMinPayload;
  if (segment->largestFree < length) return 0;
  uint32_t below = 0;
  uint32_t head = FreeListLocate(segment, length, &below, checkTags, damaged);
  if (!head) return 0;
  if (checkTags) {
    uint32_t behind = LinkGet(segment, head, kLinkSame);
    if (behind && TagIsDamaged(segment->base[behind - 3])) return DamageFound(damaged);
  }
  uint32_t at = FreeListTake(segment, head);
  uint32_t free = SegmentBlockLength(segment, at);
  segment->inUse++;
  if (free - length < kSplitMinExcess) {
    BlockSet(segment, at, kTagInUse, free);
    return at;
  }
  if (length == kBlockMinPayload) {
    // From the end: the free block keeps its (aligned) start.
    uint32_t rest = free - kSplitMinExcess;
    BlockSet(segment, at, kTagFreeUnindexed, rest);
    FreeListInsert(segment, at);
    uint32_t taken = at + rest + kBlockHeaderBytes;
    BlockSet(segment, taken, kTagInUse, length);
    return taken;
  }
  // From the start, keeping the rest aligned, or leaving it exactly 12 bytes.
  uint32_t kept = KeptLengthAligned(length);
  if (kept + kSplitMinExcess > free) kept = free - kSplitMinExcess;
  BlockSet(segment, at, kTagInUse, kept);
  uint32_t rest = at + kept + kBlockHeaderBytes;
  BlockSet(segment, rest, kTagFreeUnindexed, free - kept - kBlockHeaderBytes);
  FreeListInsert(segment, rest);
  return at;
}

void SegmentRelease(SegmentHeader* segment, uint32_t at) {
  segment->base[at - 3] = kTagFreeUnindexed;
  FreeListInsert(segment, at);
  segment->inUse--;
  segment->compacted = 0;
}

SegmentCompactResult SegmentCompact(SegmentHeader* segment, bool checkTags) {
  const uint32_t end = SegmentLength(segment);
  // Verify the whole walk before changing anything.
  for (uint32_t at = kFirstPayload;;) {
    if (at + kBlockMinPayload > end) return kCompactDamaged;
    uint32_t length = SegmentBlockLength(segment, at);
    if (length < kBlockMinPayload || at + length > end) return kCompactDamaged;
    if (checkTags && TagIsDamaged(SegmentBlockTag(segment, at))) return kCompactDamaged;
    if (at + length == end) break;
    at += length + kBlockHeaderBytes;
  }

  // Merge each run of free blocks from its first aligned block on (the
  // blocks before it are misaligned 12-byte blocks, which must stay apart to
  // keep the alignment rule).
  bool merged = false;
  for (uint32_t at = kFirstPayload;;) {
    uint32_t blockEnd = at + SegmentBlockLength(segment, at);
    if (BlockIsFree(segment, at)) {
      uint32_t first = 0, runBlocks = 0;
      for (uint32_t run = at;;) {
        if (!first && BlockIsAligned(segment, run)) first = run;
        if (first) runBlocks++;
        blockEnd = run + SegmentBlockLength(segment, run);
        if (blockEnd == end || !BlockIsFree(segment, blockEnd + kBlockHeaderBytes)) break;
        run = blockEnd + kBlockHeaderBytes;
      }
      if (runBlocks >= 2) {
        BlockSet(segment, first, kTagFreeUnindexed, blockEnd - first);
        merged = true;
      }
    }
    if (blockEnd == end) break;
    at = blockEnd + kBlockHeaderBytes;
  }

  // Re-enter every free block when the blocks changed; note the longest.
  if (merged) {
    segment->indexCount = 0;
    segment->largestFree = 0;
  }
  uint32_t longest = 0;
  for (uint32_t at = kFirstPayload;;) {
    uint32_t length = SegmentBlockLength(segment, at);
    if (BlockIsFree(segment, at)) {
      if (merged) FreeListInsert(segment, at);
      if (length > longest) longest = length;
    }
    if (at + length == end) break;
    at += length + kBlockHeaderBytes;
  }
  segment->longestFree = static_cast<uint16_t>(longest);
  segment->compacted = 1;
  return merged ? kCompactMerged : kCompactNothingMerged;
}

// ---------------------------------------------------------------------------
// Invariant check

namespace {

// One bit per segment offset.
struct OffsetSet {
  uint8_t bits[kSegmentMaxLength / 8 + 1] = {};
  bool Has(uint32_t at) const { return bits[at / 8] & (1u << (at % 8)); }
  void Add(uint32_t at) { bits[at / 8] = static_cast<uint8_t>(bits[at / 8] | (1u << (at % 8))); }
};

bool LinkIsBlock(const OffsetSet& freeBlocks, uint32_t at) { return at && freeBlocks.Has(at); }

}  // namespace

bool SegmentCheck(const SegmentHeader* segment, bool ownHeader) {
  const uint32_t end = SegmentLength(segment);
  if (end == 0 || !segment->base || segment->indexCapacity == 0) return false;
  if (ownHeader && reinterpret_cast<const uint8_t*>(segment) != segment->base + kFirstPayload) return false;

  // The blocks cover the segment exactly, with sound tags and aligned
  // payloads for every block longer than the minimum.
  OffsetSet freeBlocks;
  uint32_t inUse = 0, freeCount = 0;
  for (uint32_t at = kFirstPayload;;) {
    if (at + kBlockMinPayload > end) return false;
    uint8_t tag = SegmentBlockTag(segment, at);
    uint32_t length = SegmentBlockLength(segment, at);
    if (length < kBlockMinPayload || at + length > end) return false;
    if (tag == kTagFree) {
      freeBlocks.Add(at);
      freeCount++;
    } else if (tag == kTagInUse) {
      inUse++;
    } else {
      return false;
    }
    if (length > kBlockMinPayload && !BlockIsAligned(segment, at)) return false;
    if (at + length == end) break;
    at += length + kBlockHeaderBytes;
  }
  if (inUse != segment->inUse) return false;
  if (ownHeader && SegmentBlockTag(segment, kFirstPayload) != kTagInUse) return false;

  // The index is sorted and names free blocks of its lengths.
  const FreeIndexEntry* index = SegmentIndex(segment);
  if (segment->indexCount > segment->indexCapacity) return false;
  for (uint32_t i = 0; i < segment->indexCount; i++) {
    if (i && index[i].length <= index[i - 1].length) return false;
    if (!LinkIsBlock(freeBlocks, index[i].offset)) return false;
    if (SegmentBlockLength(segment, index[i].offset) != index[i].length) return false;
  }
  if (segment->indexCount == 0) return freeCount == 0 && segment->largestFree == 0;

  // The free list, walked from its smallest head, holds every free block
  // once, heads in increasing length, each indexed length at its head.
  uint32_t head = index[0].offset;
  for (uint32_t steps = 0; LinkGet(segment, head, kLinkSmaller); steps++) {
    head = LinkGet(segment, head, kLinkSmaller);
    if (!LinkIsBlock(freeBlocks, head) || steps > freeCount) return false;
  }
  OffsetSet seen;
  uint32_t seenCount = 0, heads = 0, previousLength = 0;
  for (uint32_t previous = 0; head; previous = head, head = LinkGet(segment, head, kLinkLarger)) {
    if (!LinkIsBlock(freeBlocks, head) || seen.Has(head)) return false;
    uint32_t length = SegmentBlockLength(segment, head);
    if (heads && length <= previousLength) return false;
    if (LinkGet(segment, head, kLinkSmaller) != previous) return false;
    uint32_t position = IndexLowerBound(segment, length);
    if (position < segment->indexCount && index[position].length == length && index[position].offset != head)
      return false;
    heads++;
    previousLength = length;
    for (uint32_t member = head; member; member = LinkGet(segment, member, kLinkSame)) {
      if (!LinkIsBlock(freeBlocks, member) || seen.Has(member)) return false;
      if (SegmentBlockLength(segment, member) != length) return false;
      seen.Add(member);
      seenCount++;
    }
  }
  uint32_t expectedEntries = heads < segment->indexCapacity ? heads : segment->indexCapacity;
  return seenCount == freeCount && segment->indexCount == expectedEntries && segment->largestFree == previousLength;
}

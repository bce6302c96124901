// The pool allocator: block geometry and alignment, errors and their numbers,
// segments coming and going, compaction, the direct pool, the error report,
// injected allocation failures, and a randomised run against a simple model.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "memory/MemPool.h"
#include "memory/MemPoolDebug.h"
#include "platform/Platform.h"
#include "platform/PlatformTesting.h"

namespace {

constexpr uint32_t kNoGrow = 0x0001;
constexpr uint32_t kGrow = 0x0003;
constexpr uint32_t kGrowZero = 0x1003;
constexpr uint32_t kGrowKeepLast = 0x0013;

uint32_t PayloadLength(const void* block) {
  uint16_t length;
  std::memcpy(&length, static_cast<const uint8_t*>(block) - 2, sizeof length);
  return length;
}

uint8_t* TagOf(void* block) { return static_cast<uint8_t*>(block) - 3; }

// The tag byte of the block that follows `block` in its segment.
uint8_t* NextTagOf(void* block) { return static_cast<uint8_t*>(block) + PayloadLength(block); }

MemPoolError LastError() {
  MemPoolError error{-1, -1};
  MemPoolLastError(&error);
  return error;
}

bool IsAligned(const void* block) { return reinterpret_cast<uintptr_t>(block) % kMemPoolAlignment == 0; }

void RestoreDefaultOptions() {
  MemPoolSetOption(kPoolOptionReport, 1);
  MemPoolSetOption(kPoolOptionCompact, 1);
  MemPoolSetOption(kPoolOptionCheck, 1);
  MemPoolSetOption(kPoolOptionIndexBase, 6);
  MemPoolSetOption(kPoolOptionIndexStep, 1);
}

void SetHostStrings(const char* format, const char* title) {
  PlatformSetHostString(402, format);
  PlatformSetHostString(86, title);
}

// Every test leaves the pool system as it found it: its pools destroyed, the
// options at their defaults, no failure armed.
class MemPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatformEchoMessages(false);
    PlatformClearShownMessages();
    RestoreDefaultOptions();
    SetHostStrings("", "");
  }

  void TearDown() override {
    for (MemPoolHandle pool : pools_) EXPECT_EQ(MemPoolDestroy(pool), 1);
    RestoreDefaultOptions();
    MemPoolFailAllocation(0);
    EXPECT_EQ(MemPoolFreeSlots(), 38);
    EXPECT_EQ(MemPoolCheck(0), 1) << "the pool of segment headers";
  }

  MemPoolHandle Create(uint32_t size, uint32_t flags) {
    MemPoolHandle pool = MemPoolCreate(size, flags);
    EXPECT_NE(pool, kMemPoolFailed);
    if (pool != kMemPoolFailed) pools_.push_back(pool);
    return pool;
  }

  void Destroy(MemPoolHandle pool) {
    EXPECT_EQ(MemPoolDestroy(pool), 1);
    for (size_t i = 0; i < pools_.size(); i++)
      if (pools_[i] == pool) pools_.erase(pools_.begin() + static_cast<std::ptrdiff_t>(i));
  }

  size_t Shown() const { return PlatformShownMessages().size(); }

  std::vector<MemPoolHandle> pools_;
};

// ---------------------------------------------------------------------------
// Before the first create (runs first; skipped when another test came first).

TEST(MemPoolBeforeInitialisation, FreeAndDestroyFailWithoutAPoolSystem) {
  if (MemPoolLastError(nullptr) == 1) GTEST_SKIP() << "the pool system is already initialised";
  PlatformEchoMessages(false);
  int block = 0;
  EXPECT_EQ(MemPoolFree(2, &block), 0);
  MemPoolError error{};
  EXPECT_EQ(MemPoolLastError(&error), 0);
  EXPECT_EQ(error.operation, kPoolOpFree);
  EXPECT_EQ(error.number, kPoolErrorNotInitialised);

  EXPECT_EQ(MemPoolDestroy(2), 0);
  MemPoolLastError(&error);
  EXPECT_EQ(error.number, kPoolErrorNone) << "with checking on, destroy fails silently";
  MemPoolSetOption(kPoolOptionCheck, 0);
  EXPECT_EQ(MemPoolDestroy(2), 0);
  MemPoolLastError(&error);
  EXPECT_EQ(error.number, kPoolErrorNotInitialised);
  MemPoolSetOption(kPoolOptionCheck, 1);

  EXPECT_EQ(MemPoolAlloc(2, 10), nullptr);
  MemPoolLastError(&error);
  EXPECT_EQ(error.number, kPoolErrorSlotUnused);
  EXPECT_EQ(MemPoolFreeSlots(), 38);
}

// ---------------------------------------------------------------------------
// Geometry: the numbers a caller can see.

class MemPoolGeometryTest : public MemPoolTest {};

TEST_F(MemPoolGeometryTest, FreshSegmentOffersItsLengthLessFour) {
  MemPoolHandle pool = Create(500, kNoGrow);
  void* whole = MemPoolAlloc(pool, 500);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(PayloadLength(whole), 508u) << "8 bytes over is too few to split";
  EXPECT_EQ(MemPoolAlloc(pool, 1), nullptr);
  EXPECT_EQ(MemPoolSegmentCount(pool), 1);

  EXPECT_EQ(MemPoolAlloc(pool, 501), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorBadSize);

  // Unchecked, the whole 508 bytes can be asked for, and no more.
  MemPoolHandle unchecked = Create(500, kNoGrow);
  MemPoolSetOption(kPoolOptionCheck, 0);
  EXPECT_EQ(MemPoolAlloc(unchecked, 509), nullptr);
  void* all = MemPoolAlloc(unchecked, 508);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(PayloadLength(all), 508u);
}

TEST_F(MemPoolGeometryTest, LargestRequestOfA64000PoolIs63996) {
  MemPoolHandle pool = Create(64000, kGrow);
  void* block = MemPoolAlloc(pool, 63996);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(PayloadLength(block), 63996u);
  EXPECT_EQ(MemPoolAlloc(pool, 63997), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorNone) << "within the pool size, but no segment can hold it";
  EXPECT_EQ(MemPoolSegmentCount(pool), 1) << "no segment is added that could not hold the request";
}

TEST_F(MemPoolGeometryTest, OneByteTakesATwelveBytePayload) {
  MemPoolHandle pool = Create(500, kNoGrow);
  void* small = MemPoolAlloc(pool, 1);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(PayloadLength(small), 12u);
  void* rest = MemPoolAlloc(pool, 508 - 15);
  ASSERT_NE(rest, nullptr) << "the 1-byte block took exactly 15 bytes";
  EXPECT_EQ(PayloadLength(rest), 493u);
  EXPECT_EQ(MemPoolAlloc(pool, 1), nullptr);
}

TEST_F(MemPoolGeometryTest, SplitsAtFifteenBytesOverAndGivesWholeAtFourteen) {
  // A free block of 508 bytes (fresh) or 493 (after one small block at its
  // end), asked for 15 or 14 bytes less. Split, the rest is a 12-byte block
  // that a small request still gets. The second pair are requests that the
  // alignment rounding would otherwise have made longer.
  struct Case {
    int smallBefore;
    uint32_t request;
    uint32_t payload;
    bool restLeft;
  };
  for (Case c : {Case{0, 493, 493, true}, Case{0, 494, 508, false}, Case{1, 478, 478, true},
                 Case{1, 479, 493, false}}) {
    MemPoolHandle pool = Create(500, kNoGrow);
    if (c.smallBefore) ASSERT_NE(MemPoolAlloc(pool, 1), nullptr);
    void* block = MemPoolAlloc(pool, c.request);
    ASSERT_NE(block, nullptr) << c.request;
    EXPECT_EQ(PayloadLength(block), c.payload) << c.request;
    EXPECT_EQ(MemPoolAlloc(pool, 1) != nullptr, c.restLeft) << c.request;
    EXPECT_EQ(MemPoolCheck(pool), 1);
    Destroy(pool);
  }
}

TEST_F(MemPoolGeometryTest, BestFitTakesTheSmallestFreeBlockThatHolds) {
  // With one index entry per segment the search has to walk the free list.
  for (int indexBase : {1, 6}) {
    MemPoolSetOption(kPoolOptionIndexBase, indexBase);
    MemPoolSetOption(kPoolOptionIndexStep, indexBase == 1 ? 0 : 1);
    MemPoolHandle pool = Create(2000, kNoGrow);
    void* blocks[7];
    const uint32_t sizes[7] = {100, 10, 60, 10, 40, 10, 80};
    for (int i = 0; i < 7; i++) ASSERT_NE(blocks[i] = MemPoolAlloc(pool, sizes[i]), nullptr);
    for (int i : {0, 2, 4, 6}) ASSERT_EQ(MemPoolFree(pool, blocks[i]), 1);
    EXPECT_EQ(MemPoolAlloc(pool, 50), blocks[2]) << "index base " << indexBase;
    EXPECT_EQ(MemPoolAlloc(pool, 70), blocks[6]) << "index base " << indexBase;
    EXPECT_EQ(MemPoolAlloc(pool, 30), blocks[4]) << "index base " << indexBase;
    EXPECT_EQ(MemPoolAlloc(pool, 90), blocks[0]) << "index base " << indexBase;
    EXPECT_EQ(MemPoolCheck(pool), 1);
    Destroy(pool);
  }
}

TEST_F(MemPoolGeometryTest, BlocksOfThirteenBytesOrMoreAreAligned) {
  // A 12-byte block may start anywhere; a record asked for as one does not.
  MemPoolHandle records = Create(500, kNoGrow);
  ASSERT_NE(MemPoolAlloc(records, 1), nullptr);
  EXPECT_FALSE(IsAligned(MemPoolAlloc(records, 4))) << "the 12-byte block after the first";
  EXPECT_TRUE(IsAligned(MemPoolAllocRecord(records, 4)));

  MemPoolHandle pool = Create(65000, kGrow);
  const uint32_t sizes[] = {1, 24, 12, 13, 7, 40, 61, 8, 100, 516, 3, 600, 12, 29};
  std::vector<void*> blocks;
  for (int round = 0; round < 30; round++)
    for (uint32_t size : sizes) {
      void* block = MemPoolAlloc(pool, size);
      ASSERT_NE(block, nullptr);
      if (size >= kMemPoolAlignedMinimum) EXPECT_TRUE(IsAligned(block)) << "size " << size;
      blocks.push_back(block);
    }
  // Reuse of freed blocks keeps the rule.
  for (size_t i = 0; i < blocks.size(); i += 3) ASSERT_EQ(MemPoolFree(pool, blocks[i]), 1);
  for (int round = 0; round < 20; round++)
    for (uint32_t size : sizes) {
      void* block = MemPoolAlloc(pool, size);
      ASSERT_NE(block, nullptr);
      if (size >= kMemPoolAlignedMinimum) EXPECT_TRUE(IsAligned(block)) << "size " << size;
    }
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST_F(MemPoolGeometryTest, ZeroFillClearsTheRequestedBytesOfAReusedBlock) {
  MemPoolHandle pool = Create(1000, kGrowZero);
  void* keep = MemPoolAlloc(pool, 10);
  auto* block = static_cast<uint8_t*>(MemPoolAlloc(pool, 100));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0xAB, 100);
  ASSERT_EQ(MemPoolFree(pool, block), 1);
  auto* again = static_cast<uint8_t*>(MemPoolAlloc(pool, 100));
  ASSERT_EQ(again, block) << "the freed block is the best fit";
  for (int i = 0; i < 100; i++) ASSERT_EQ(again[i], 0) << "byte " << i;
  EXPECT_NE(keep, nullptr);
}

// ---------------------------------------------------------------------------
// Errors: numbers, results and the operation that set them.

class MemPoolErrorTest : public MemPoolTest {};

TEST_F(MemPoolErrorTest, SecondFreeOfABlockIsError3) {
  MemPoolHandle pool = Create(500, kGrowZero);
  void* keep = MemPoolAlloc(pool, 20);
  void* block = MemPoolAlloc(pool, 20);
  ASSERT_TRUE(keep && block);
  EXPECT_EQ(MemPoolFree(pool, block), 1);
  EXPECT_EQ(MemPoolFree(pool, block), 0);
  EXPECT_EQ(LastError().operation, kPoolOpFree);
  EXPECT_EQ(LastError().number, kPoolErrorNotInUse);
  EXPECT_EQ(MemPoolCheck(pool), 1);
  ASSERT_EQ(Shown(), 1u);
  EXPECT_EQ(PlatformShownMessages()[0].text, "Memory pool error 3003");
}

TEST_F(MemPoolErrorTest, ForeignAndNullPointersAreRefused) {
  MemPoolHandle pool = Create(500, kGrowZero);
  MemPoolHandle other = Create(500, kGrowZero);
  void* mine = MemPoolAlloc(pool, 30);
  void* theirs = MemPoolAlloc(other, 30);
  ASSERT_TRUE(mine && theirs);
  EXPECT_EQ(MemPoolFree(pool, theirs), 0);
  EXPECT_EQ(LastError().number, kPoolErrorBadHandle);
  uint8_t stack[64] = {};
  EXPECT_EQ(MemPoolFree(pool, stack + 16), 0);
  EXPECT_EQ(LastError().number, kPoolErrorBadHandle);
  EXPECT_EQ(MemPoolFree(pool, nullptr), 0);
  EXPECT_EQ(LastError().number, kPoolErrorNullPointer);
  EXPECT_EQ(MemPoolFree(other, theirs), 1) << "the block is still sound in its own pool";
  EXPECT_EQ(LastError().number, kPoolErrorNone) << "each call starts from no error";
}

TEST_F(MemPoolErrorTest, HandlesOutsideTheTableOrNotInUse) {
  MemPoolHandle pool = Create(500, kGrowZero);
  void* block = MemPoolAlloc(pool, 10);
  for (MemPoolHandle handle : {0, 1, 40, 32001, -5}) {
    EXPECT_EQ(MemPoolAlloc(handle, 10), nullptr);
    EXPECT_EQ(LastError().operation, kPoolOpAlloc);
    EXPECT_EQ(LastError().number, kPoolErrorBadHandle) << "alloc " << handle;
    EXPECT_EQ(MemPoolFree(handle, block), 0);
    EXPECT_EQ(LastError().number, kPoolErrorBadHandle) << "free " << handle;
    EXPECT_EQ(MemPoolDestroy(handle), 0);
    EXPECT_EQ(LastError().operation, kPoolOpDestroy);
    EXPECT_EQ(LastError().number, kPoolErrorBadHandle) << "destroy " << handle;
  }
  MemPoolHandle unused = pool == 39 ? 38 : 39;
  EXPECT_EQ(MemPoolAlloc(unused, 10), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorSlotUnused);
  EXPECT_EQ(MemPoolDestroy(unused), 0);
  EXPECT_EQ(LastError().number, kPoolErrorSlotUnused);
  EXPECT_EQ(MemPoolFree(unused, block), 0);
  EXPECT_EQ(LastError().number, kPoolErrorBadHandle) << "the block lies in no segment of that pool";
  EXPECT_EQ(MemPoolDestroy(kMemPoolDirect), 0);
  EXPECT_EQ(LastError().number, kPoolErrorBadHandle);
}

TEST_F(MemPoolErrorTest, BadSizes) {
  EXPECT_EQ(MemPoolCreate(0, kGrow), kMemPoolFailed);
  EXPECT_EQ(LastError().operation, kPoolOpCreate);
  EXPECT_EQ(LastError().number, kPoolErrorBadSize);
  EXPECT_EQ(MemPoolCreate(65281, kGrow), kMemPoolFailed) << "no segment may pass 65280 bytes";
  EXPECT_EQ(LastError().number, kPoolErrorBadSize);
  MemPoolHandle largest = Create(65280, kGrow);
  EXPECT_NE(MemPoolAlloc(largest, 65276), nullptr);

  MemPoolHandle pool = Create(500, kGrowZero);
  EXPECT_EQ(MemPoolAlloc(pool, 0), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorBadSize);
  MemPoolSetOption(kPoolOptionCheck, 0);
  void* raised = MemPoolAlloc(pool, 0);
  ASSERT_NE(raised, nullptr) << "unchecked, a size of 0 is raised like any small request";
  EXPECT_EQ(PayloadLength(raised), 12u);
}

TEST_F(MemPoolErrorTest, The39thPoolFailsWithError1) {
  for (int i = 0; i < 38; i++) Create(300, kGrow);
  EXPECT_EQ(MemPoolFreeSlots(), 0);
  EXPECT_EQ(MemPoolCreate(300, kGrow), kMemPoolFailed);
  EXPECT_EQ(LastError().operation, kPoolOpCreate);
  EXPECT_EQ(LastError().number, kPoolErrorNoSlot);
  // A handle comes back for reuse.
  MemPoolHandle freed = pools_[10];
  Destroy(freed);
  EXPECT_EQ(Create(300, kGrow), freed);
}

TEST_F(MemPoolErrorTest, FreeJudgesTagsByTheParityRule) {
  MemPoolHandle pool = Create(500, kGrowZero);
  void* keep = MemPoolAlloc(pool, 20);
  ASSERT_NE(keep, nullptr);
  struct Case {
    uint8_t tag;
    int expected;  // error number, 0 when the free goes through
  };
  const Case cases[] = {
      {0x80, kPoolErrorDamaged},   // odd, none of bits 1, 3-6
      {0x04, kPoolErrorDamaged},   //
      {0x85, kPoolErrorNotInUse},  // bit 0 is looked at first
      {0x01, kPoolErrorNotInUse},  //
      {0x84, kPoolErrorNone},      // even
      {0x02, kPoolErrorNone},      // odd, but bit 1 set
      {0x40, kPoolErrorNone},      // odd, but bit 6 set
  };
  for (const Case& c : cases) {
    void* block = MemPoolAlloc(pool, 20);
    ASSERT_NE(block, nullptr);
    *TagOf(block) = c.tag;
    EXPECT_EQ(MemPoolFree(pool, block), c.expected == kPoolErrorNone ? 1 : 0) << std::hex << int{c.tag};
    EXPECT_EQ(LastError().number, c.expected) << std::hex << int{c.tag};
    if (c.expected != kPoolErrorNone) {
      *TagOf(block) = 0x00;
      EXPECT_EQ(MemPoolFree(pool, block), 1);
    }
  }
  EXPECT_EQ(MemPoolCheck(pool), 1);

  // Unchecked, a damaged tag goes unnoticed, but a free block is still refused.
  MemPoolSetOption(kPoolOptionCheck, 0);
  void* block = MemPoolAlloc(pool, 20);
  *TagOf(block) = 0x80;
  EXPECT_EQ(MemPoolFree(pool, block), 1);
  EXPECT_EQ(MemPoolFree(pool, block), 0);
  EXPECT_EQ(LastError().number, kPoolErrorNotInUse);
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST_F(MemPoolErrorTest, DamagedTagOfTheFollowingBlockIsError6) {
  MemPoolHandle pool = Create(500, kGrowZero);
  void* first = MemPoolAlloc(pool, 24);
  void* second = MemPoolAlloc(pool, 24);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(NextTagOf(first), TagOf(second));
  *NextTagOf(first) = 0x80;
  EXPECT_EQ(MemPoolFree(pool, first), 0);
  EXPECT_EQ(LastError().number, kPoolErrorNextDamaged);
  *NextTagOf(first) = 0x00;
  EXPECT_EQ(MemPoolFree(pool, first), 1);
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST_F(MemPoolErrorTest, AllocationSkipsADamagedSegmentAndReportsIt) {
  MemPoolHandle pool = Create(500, kGrowZero);
  void* hole = MemPoolAlloc(pool, 100);
  void* keep = MemPoolAlloc(pool, 100);
  ASSERT_TRUE(hole && keep);
  ASSERT_EQ(MemPoolFree(pool, hole), 1);
  uint8_t freeTag = *TagOf(hole);
  *TagOf(hole) = 0x04;
  void* block = MemPoolAlloc(pool, 100);
  ASSERT_NE(block, nullptr) << "served from a new segment";
  EXPECT_NE(block, hole);
  EXPECT_EQ(MemPoolSegmentCount(pool), 2);
  EXPECT_EQ(LastError().number, kPoolErrorDamaged);
  ASSERT_EQ(Shown(), 1u);
  EXPECT_EQ(PlatformShownMessages()[0].text, "Memory pool error 3005");
  *TagOf(hole) = freeTag;
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST_F(MemPoolErrorTest, CompactionStopsAtADamagedSegment) {
  MemPoolHandle pool = Create(500, kNoGrow);
  void* a = MemPoolAlloc(pool, 200);
  void* b = MemPoolAlloc(pool, 200);
  ASSERT_TRUE(a && b);
  *TagOf(b) = 0x80;
  EXPECT_EQ(MemPoolAlloc(pool, 300), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorDamaged);
  *TagOf(b) = 0x00;
  // Block lengths that run past the segment's end are damage too.
  uint16_t length;
  std::memcpy(&length, static_cast<uint8_t*>(b) - 2, 2);
  uint16_t tooLong = static_cast<uint16_t>(length + 300);
  std::memcpy(static_cast<uint8_t*>(b) - 2, &tooLong, 2);
  EXPECT_EQ(MemPoolAlloc(pool, 300), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorDamaged);
  EXPECT_EQ(MemPoolFree(pool, b), 0);
  EXPECT_EQ(LastError().number, kPoolErrorDamaged);
  std::memcpy(static_cast<uint8_t*>(b) - 2, &length, 2);
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

// ---------------------------------------------------------------------------
// Segments: obtained, chained, given back.

class MemPoolSegmentTest : public MemPoolTest {};

TEST_F(MemPoolSegmentTest, LastBlockFreedGivesTheSegmentBackUnlessFlag0x0010) {
  for (uint32_t flags : {kGrowZero, kNoGrow, kGrowKeepLast}) {
    int kept = (flags & 0x0010) ? 1 : 0;
    MemPoolHandle pool = Create(500, flags);
    EXPECT_EQ(MemPoolSegmentCount(pool), 1) << "the first segment comes with the pool";
    ASSERT_EQ(MemPoolFree(pool, MemPoolAlloc(pool, 10)), 1);
    EXPECT_EQ(MemPoolSegmentCount(pool), kept) << "flags " << flags;
    EXPECT_NE(MemPoolAlloc(pool, 10), nullptr) << "a pool with no segment obtains one, flags " << flags;
    EXPECT_EQ(MemPoolSegmentCount(pool), 1);
  }
  // Flag 0x0010 keeps only the last segment: the first of two goes back.
  MemPoolHandle pool = Create(500, kGrowKeepLast);
  void* full = MemPoolAlloc(pool, 500);
  void* second = MemPoolAlloc(pool, 100);
  ASSERT_EQ(MemPoolSegmentCount(pool), 2);
  ASSERT_EQ(MemPoolFree(pool, second), 1);
  EXPECT_EQ(MemPoolSegmentCount(pool), 1);
  ASSERT_EQ(MemPoolFree(pool, full), 1);
  EXPECT_EQ(MemPoolSegmentCount(pool), 1);
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST_F(MemPoolSegmentTest, NewSegmentsComeFirstInTheSearch) {
  MemPoolHandle pool = Create(500, kGrow);
  void* a = MemPoolAlloc(pool, 250);
  void* b = MemPoolAlloc(pool, 250);
  ASSERT_TRUE(a && b);
  void* inNew = MemPoolAlloc(pool, 100);
  ASSERT_EQ(MemPoolSegmentCount(pool), 2);
  ASSERT_EQ(MemPoolFree(pool, a), 1);  // room again in the old segment
  auto* next = static_cast<uint8_t*>(MemPoolAlloc(pool, 100));
  ASSERT_NE(next, nullptr);
  EXPECT_NE(next, a);
  EXPECT_TRUE(next > inNew && next < static_cast<uint8_t*>(inNew) + 512) << "taken from the newer segment";
}

TEST_F(MemPoolSegmentTest, PoolWithoutFlag0x0002DoesNotGrow) {
  MemPoolHandle pool = Create(500, kNoGrow);
  ASSERT_NE(MemPoolAlloc(pool, 400), nullptr);
  EXPECT_EQ(MemPoolAlloc(pool, 200), nullptr);
  EXPECT_EQ(LastError().operation, kPoolOpAlloc);
  EXPECT_EQ(LastError().number, kPoolErrorNone) << "nothing went wrong but the lack of room";
  EXPECT_EQ(MemPoolSegmentCount(pool), 1);
  ASSERT_EQ(Shown(), 1u) << "a failed request is reported even without an error number";
  EXPECT_EQ(PlatformShownMessages()[0].text, "Memory pool error 3000");
}

TEST_F(MemPoolSegmentTest, DestroyGivesBackEverySegmentAndItsHeader) {
  int headerSegments = MemPoolSegmentCount(0);
  MemPoolHandle pool = Create(256, kGrow);
  // Enough 256-byte segments that their headers need a second header segment.
  for (int i = 0; i < 1200; i++) ASSERT_NE(MemPoolAlloc(pool, 250), nullptr) << i;
  EXPECT_EQ(MemPoolSegmentCount(pool), 1200);
  EXPECT_GT(MemPoolSegmentCount(0), headerSegments);
  EXPECT_EQ(MemPoolCheck(0), 1);
  EXPECT_EQ(MemPoolCheck(pool), 1);
  Destroy(pool);
  EXPECT_EQ(MemPoolSegmentCount(pool), 0);
  EXPECT_EQ(MemPoolSegmentCount(0), headerSegments) << "emptied header segments went back too";
  EXPECT_EQ(MemPoolCheck(pool), 0);
  EXPECT_EQ(MemPoolAlloc(pool, 10), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorSlotUnused);
}

// ---------------------------------------------------------------------------
// Compaction

class MemPoolCompactionTest : public MemPoolTest {};

TEST_F(MemPoolCompactionTest, MergesFreeNeighboursToMeetARequestFragmentationRefused) {
  MemPoolHandle pool = Create(512, kNoGrow);
  std::vector<void*> blocks;
  for (int i = 0; i < 10; i++) blocks.push_back(MemPoolAlloc(pool, 40));
  for (void* block : blocks) ASSERT_NE(block, nullptr);
  EXPECT_EQ(MemPoolAlloc(pool, 40), nullptr);
  for (int i = 1; i <= 8; i++) ASSERT_EQ(MemPoolFree(pool, blocks[i]), 1);

  MemPoolSetOption(kPoolOptionCompact, 0);
  EXPECT_EQ(MemPoolAlloc(pool, 300), nullptr) << "no single free block holds 300 bytes";
  MemPoolSetOption(kPoolOptionCompact, 1);
  void* merged = MemPoolAlloc(pool, 300);
  EXPECT_EQ(merged, blocks[1]) << "the merged run starts at the first freed block";
  EXPECT_EQ(MemPoolCheck(pool), 1);
  // The compacted segment still serves what its longest free block holds.
  EXPECT_NE(MemPoolAlloc(pool, 60), nullptr);
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST_F(MemPoolCompactionTest, MergingAroundSmallBlocksKeepsLargeBlocksAligned) {
  MemPoolHandle pool = Create(512, kNoGrow);
  std::vector<void*> small;
  while (void* block = MemPoolAlloc(pool, 1)) small.push_back(block);
  ASSERT_GT(small.size(), 30u);
  // Keep three blocks so that runs start at small blocks of every alignment.
  for (size_t i = 0; i < small.size(); i++)
    if (i != 0 && i != 9 && i != 20) ASSERT_EQ(MemPoolFree(pool, small[i]), 1);
  void* large = MemPoolAlloc(pool, 100);
  ASSERT_NE(large, nullptr);
  EXPECT_TRUE(IsAligned(large));
  EXPECT_EQ(MemPoolCheck(pool), 1);
  while (void* block = MemPoolAlloc(pool, 16)) EXPECT_TRUE(IsAligned(block));
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

// ---------------------------------------------------------------------------
// The direct pseudo-pool

class MemPoolDirectTest : public MemPoolTest {};

TEST_F(MemPoolDirectTest, BlocksAreMarkedAlignedAndCheckedOnFree) {
  auto* block = static_cast<uint8_t*>(MemPoolAlloc(kMemPoolDirect, 100));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(LastError().operation, kPoolOpAlloc);
  EXPECT_EQ(block[-1], 1) << "the marker byte";
  EXPECT_TRUE(IsAligned(block));
  std::memset(block, 0x5A, 100);
  EXPECT_EQ(MemPoolFree(kMemPoolDirect, block), 1);
  EXPECT_EQ(LastError().number, 0);

  // Free checks the marker, then asks the platform for the block.
  alignas(8) uint8_t buffer[32] = {};
  EXPECT_EQ(MemPoolFree(kMemPoolDirect, buffer + 8), 0);
  EXPECT_EQ(LastError().number, kPoolErrorBadHandle);
  buffer[7] = 1;
  EXPECT_EQ(MemPoolFree(kMemPoolDirect, buffer + 8), 0);
  EXPECT_EQ(LastError().number, kPoolErrorNotInUse);
  EXPECT_EQ(MemPoolFree(kMemPoolDirect, nullptr), 0);
  EXPECT_EQ(LastError().number, kPoolErrorNullPointer);
  MemPoolFailAllocation(1);
  EXPECT_EQ(MemPoolAlloc(kMemPoolDirect, 10), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorNoMemory);
}

// ---------------------------------------------------------------------------
// The error report

class MemPoolReportTest : public MemPoolTest {
 protected:
  // Raises error 9 and returns the one message it showed.
  PlatformShownMessage ReportOfError9() {
    PlatformClearShownMessages();
    MemPoolHandle pool = pools_.empty() ? Create(100, kGrowZero) : pools_[0];
    EXPECT_EQ(MemPoolAlloc(pool, 101), nullptr);
    EXPECT_EQ(Shown(), 1u);
    return Shown() ? PlatformShownMessages().back() : PlatformShownMessage{};
  }
};

TEST_F(MemPoolReportTest, OwnTextAndTitleWhenTheHostHasNoStringsAndNoneWithOption1Off) {
  PlatformShownMessage shown = ReportOfError9();
  EXPECT_EQ(shown.text, "Memory pool error 3009");
  EXPECT_EQ(shown.caption, "Quendle Debugger");
  EXPECT_EQ(shown.style, kMessageBoxOk | kMessageBoxExclamation);

  MemPoolSetOption(kPoolOptionReport, 0);
  PlatformClearShownMessages();
  EXPECT_EQ(MemPoolAlloc(pools_[0], 101), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorBadSize) << "option 1 off: kept, not shown";
  EXPECT_EQ(Shown(), 0u);
}

TEST_F(MemPoolReportTest, HostStringsFormatTheNumber) {
  struct Case {
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {"Pool failure %d.", "Pool failure 3009."},
      {"%5ld", " 3009"},
      {"%x", "bc1"},
      {"%#X", "0XBC1"},
      {"100%% sure: %u", "100% sure: 3009"},
      {"%-6i|", "3009  |"},
      {"%.5d", "03009"},
      {"%hd", "3009"},
  };
  for (const Case& c : cases) {
    SetHostStrings(c.format, "Host Setup");
    PlatformShownMessage shown = ReportOfError9();
    EXPECT_EQ(shown.text, c.text) << c.format;
    EXPECT_EQ(shown.caption, "Host Setup");
  }
}

TEST_F(MemPoolReportTest, UnfitHostFormatsFallBackToOwnText) {
  for (const char* format : {"%s", "%n", "%d %d", "%*d", "no number", "%999d", "%#d", "%", "%ls", "%c",
                             "%d%s", "%5.123d", "%%d"}) {
    SetHostStrings(format, "Host Setup");
    PlatformShownMessage shown = ReportOfError9();
    EXPECT_EQ(shown.text, "Memory pool error 3009") << format;
    EXPECT_EQ(shown.caption, "Host Setup") << format;
  }
}

// ---------------------------------------------------------------------------
// Options and injected allocation failures

class MemPoolOptionTest : public MemPoolTest {};

TEST_F(MemPoolOptionTest, OptionsReadBackAsStored) {
  EXPECT_EQ(MemPoolSetOption(kPoolOptionReport, 2), 1);
  EXPECT_EQ(MemPoolGetOption(kPoolOptionReport), 0) << "on only for the value 1";
  EXPECT_EQ(MemPoolSetOption(kPoolOptionIndexBase, 0), 1);
  EXPECT_EQ(MemPoolGetOption(kPoolOptionIndexBase), 1);
  EXPECT_EQ(MemPoolSetOption(kPoolOptionIndexStep, -3), 1);
  EXPECT_EQ(MemPoolGetOption(kPoolOptionIndexStep), 0);
  EXPECT_EQ(MemPoolSetOption(3, 1), 0);
  EXPECT_EQ(MemPoolGetOption(3), 0);
}

TEST_F(MemPoolOptionTest, FailAllocationFailsTheNthRequest) {
  long before = MemPoolAllocationCount();
  MemPoolFailAllocation(1);
  EXPECT_EQ(MemPoolCreate(500, kGrowZero), kMemPoolFailed);
  EXPECT_EQ(LastError().operation, kPoolOpCreate);
  EXPECT_EQ(LastError().number, kPoolErrorNoMemory);
  EXPECT_EQ(MemPoolFreeSlots(), 38);
  MemPoolHandle pool = Create(500, kGrowZero);
  EXPECT_EQ(MemPoolAllocationCount(), before + 2);

  MemPoolFailAllocation(3);
  EXPECT_NE(MemPoolAlloc(pool, 10), nullptr);
  EXPECT_EQ(MemPoolAlloc(99, 10), nullptr) << "a refused request counts too";
  EXPECT_EQ(MemPoolAlloc(pool, 10), nullptr);
  EXPECT_EQ(LastError().number, kPoolErrorNoMemory);
  EXPECT_NE(MemPoolAlloc(pool, 10), nullptr) << "only the one request fails";
  EXPECT_EQ(MemPoolCheck(pool), 1);

  // A free index too large for any header is memory that cannot be had.
  EXPECT_EQ(MemPoolSetOption(kPoolOptionIndexBase, 100000), 1);
  EXPECT_EQ(MemPoolGetOption(kPoolOptionIndexBase), 100000);
  EXPECT_EQ(MemPoolCreate(500, kGrowZero), kMemPoolFailed);
  EXPECT_EQ(LastError().number, kPoolErrorNoMemory);
  MemPoolSetOption(kPoolOptionIndexBase, 6);

  MemPoolFailAllocation(2);
  MemPoolFailAllocation(0);
  for (int i = 0; i < 5; i++) EXPECT_NE(MemPoolAlloc(pool, 10), nullptr);
  EXPECT_EQ(MemPoolAllocationCount(), before + 2 + 4 + 1 + 5);
}

// ---------------------------------------------------------------------------
// Randomised run against a model: live blocks with their size and a fill
// pattern, checked for overlap, contents, zero-fill and alignment, with the
// full invariant check of the pool after every step.

struct LiveBlock {
  MemPoolHandle pool;
  uint32_t size;
  uint8_t seed;
};

struct ModelPool {
  uint32_t size;
  uint32_t flags;
  MemPoolHandle handle;
};

uint8_t PatternByte(uint8_t seed, uint32_t i) { return static_cast<uint8_t>(seed + i * 7); }

class MemPoolRandomTest : public MemPoolTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  std::map<uintptr_t, LiveBlock> live_;

  bool ContentsIntact(uintptr_t address, const LiveBlock& block) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(address);
    for (uint32_t i = 0; i < block.size; i++)
      if (bytes[i] != PatternByte(block.seed, i)) return false;
    return true;
  }

  bool Overlaps(uintptr_t address, uint32_t size) const {
    auto after = live_.lower_bound(address);
    if (after != live_.end() && after->first < address + size) return true;
    if (after == live_.begin()) return false;
    auto before = std::prev(after);
    return before->first + before->second.size > address;
  }
};

TEST_P(MemPoolRandomTest, AllocAndFreeAgainstAModel) {
  std::mt19937 random(GetParam());
  auto pick = [&](uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random);
  };
  // Each seed runs with its own free index shape and compaction setting.
  MemPoolSetOption(kPoolOptionIndexBase, static_cast<int>(pick(1, 10)));
  MemPoolSetOption(kPoolOptionIndexStep, static_cast<int>(pick(0, 2)));
  MemPoolSetOption(kPoolOptionCompact, pick(0, 3) ? 1 : 0);
  MemPoolSetOption(kPoolOptionReport, 0);

  std::vector<ModelPool> pools = {{500, kGrowZero, 0},   {2048, kGrow, 0},       {10000, 0x1013, 0},
                                  {65000, kGrowZero, 0}, {600, kNoGrow, 0},      {64000, 0x1001, 0},
                                  {1848, 0x2003, 0}};
  for (ModelPool& pool : pools) pool.handle = Create(pool.size, pool.flags);

  const int kSteps = 4000;
  for (int step = 0; step < kSteps; step++) {
    ModelPool& pool = pools[pick(0, static_cast<uint32_t>(pools.size() - 1))];
    bool allocate = live_.size() < 40 || pick(0, 99) < 55;
    if (allocate) {
      uint32_t capacity = (pool.size + 255) / 256 * 256 - 4;
      uint32_t limit = pool.size < capacity ? pool.size : capacity;
      uint32_t size;
      switch (pick(0, 9)) {
        case 0: case 1: case 2: size = pick(1, 16); break;
        case 3: case 4: case 5: size = pick(13, 64); break;
        case 6: case 7: size = pick(60, 600); break;
        case 8: size = pick(1, limit); break;
        default: size = std::vector<uint32_t>{12, 24, 60, 128, 256, 516, 600}[pick(0, 6)]; break;
      }
      if (size > limit) size = limit;
      auto* block = static_cast<uint8_t*>(MemPoolAlloc(pool.handle, size));
      if (!block) {
        // Only a pool that may not grow runs out.
        ASSERT_EQ(pool.flags & 0x0002, 0u) << "step " << step << " size " << size;
        ASSERT_EQ(LastError().number, 0);
      } else {
        auto address = reinterpret_cast<uintptr_t>(block);
        ASSERT_FALSE(Overlaps(address, size)) << "step " << step;
        if (pool.flags & kPoolFlagZeroFill)
          for (uint32_t i = 0; i < size; i++) ASSERT_EQ(block[i], 0) << "step " << step << " byte " << i;
        if (size >= kMemPoolAlignedMinimum) ASSERT_TRUE(IsAligned(block)) << "step " << step;
        ASSERT_GE(PayloadLength(block), size < 12 ? 12 : size);
        LiveBlock record{pool.handle, size, static_cast<uint8_t>(pick(0, 255))};
        for (uint32_t i = 0; i < size; i++) block[i] = PatternByte(record.seed, i);
        live_[address] = record;
      }
    } else if (!live_.empty()) {
      auto victim = live_.begin();
      std::advance(victim, pick(0, static_cast<uint32_t>(live_.size() - 1)));
      ASSERT_TRUE(ContentsIntact(victim->first, victim->second)) << "step " << step;
      ASSERT_EQ(MemPoolFree(victim->second.pool, reinterpret_cast<void*>(victim->first)), 1) << "step " << step;
      live_.erase(victim);
    }
    ASSERT_EQ(MemPoolCheck(pool.handle), 1) << "step " << step;
    if (step % 100 == 0) {
      ASSERT_EQ(MemPoolCheck(0), 1) << "step " << step;
      for (const auto& entry : live_) ASSERT_TRUE(ContentsIntact(entry.first, entry.second)) << "step " << step;
    }
  }
  for (const auto& entry : live_) {
    ASSERT_TRUE(ContentsIntact(entry.first, entry.second));
    ASSERT_EQ(MemPoolFree(entry.second.pool, reinterpret_cast<void*>(entry.first)), 1);
  }
  for (const ModelPool& pool : pools) {
    EXPECT_EQ(MemPoolCheck(pool.handle), 1);
    EXPECT_LE(MemPoolSegmentCount(pool.handle), (pool.flags & kPoolFlagKeepLast) ? 1 : 0)
        << "every emptied segment went back";
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MemPoolRandomTest, ::testing::Values(1u, 7u, 42u, 1234u, 99991u));

}  // namespace

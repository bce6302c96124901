// The pool allocator against the C library's malloc and free, for the block
// sizes the debugger asks for: 12 (small strings), 24 (list nodes), 60
// (breakpoint records), 128 and 256 (names and paths), 516 (box lines), 600
// (source view buffers).
//
// Three patterns, each iteration one allocation and one free (2 operations,
// reported as per_op):
//   AllocFree  take a block and give it back at once, beside a few live
//              blocks that keep the segment (as a table's pool has them);
//   Churn      1000 live blocks; free one picked at random and take a new one
//              of the same size in its place (a table being edited);
//   ChurnMixed the same with sizes drawn from the whole set.
// The pool is the shared-list kind (65000 bytes, may grow) without zero-fill,
// so both sides do the same work.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "memory/MemPool.h"

namespace {

constexpr uint32_t kPoolSize = 65000;
constexpr uint32_t kPoolFlags = 0x0003;
constexpr int kResidentBlocks = 16;
constexpr size_t kChurnBlocks = 1000;
constexpr uint32_t kSizes[] = {12, 24, 60, 128, 256, 516, 600};

struct PoolAllocator {
  MemPoolHandle pool = MemPoolCreate(kPoolSize, kPoolFlags);
  ~PoolAllocator() { MemPoolDestroy(pool); }
  void* Alloc(uint32_t size) { return MemPoolAlloc(pool, size); }
  void Free(void* block) { MemPoolFree(pool, block); }
};

struct MallocAllocator {
  void* Alloc(uint32_t size) { return std::malloc(size); }
  void Free(void* block) { std::free(block); }
};

// A cheap reproducible sequence, so that both sides free the same blocks.
struct Xorshift {
  uint32_t state = 2463534242u;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// Time per operation (seconds, shown with its unit prefix, e.g. "27.5ns").
void ReportPerOperation(benchmark::State& state) {
  state.counters["per_op"] = benchmark::Counter(static_cast<double>(state.iterations()) * 2,
                                                benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename Allocator>
void AllocFree(benchmark::State& state) {
  Allocator allocator;
  const auto size = static_cast<uint32_t>(state.range(0));
  std::vector<void*> resident;
  for (int i = 0; i < kResidentBlocks; i++) resident.push_back(allocator.Alloc(size));
  for (auto _ : state) {
    void* block = allocator.Alloc(size);
    benchmark::DoNotOptimize(block);
    allocator.Free(block);
  }
  for (void* block : resident) allocator.Free(block);
  ReportPerOperation(state);
}

template <typename Allocator>
void Churn(benchmark::State& state, bool mixed) {
  Allocator allocator;
  const auto size = static_cast<uint32_t>(state.range(0));
  const size_t sizeCount = sizeof kSizes / sizeof kSizes[0];
  Xorshift random;
  std::vector<void*> live(kChurnBlocks);
  std::vector<uint32_t> sizes(kChurnBlocks, size);
  for (size_t i = 0; i < kChurnBlocks; i++) {
    if (mixed) sizes[i] = kSizes[random.Next() % sizeCount];
    live[i] = allocator.Alloc(sizes[i]);
  }
  for (auto _ : state) {
    uint32_t pick = random.Next();
    size_t slot = pick % kChurnBlocks;
    allocator.Free(live[slot]);
    if (mixed) sizes[slot] = kSizes[(pick >> 16) % sizeCount];
    live[slot] = allocator.Alloc(sizes[slot]);
    benchmark::DoNotOptimize(live[slot]);
  }
  for (void* block : live) allocator.Free(block);
  ReportPerOperation(state);
}

void BM_PoolAllocFree(benchmark::State& state) { AllocFree<PoolAllocator>(state); }
void BM_MallocAllocFree(benchmark::State& state) { AllocFree<MallocAllocator>(state); }
void BM_PoolChurn(benchmark::State& state) { Churn<PoolAllocator>(state, false); }
void BM_MallocChurn(benchmark::State& state) { Churn<MallocAllocator>(state, false); }
void BM_PoolChurnMixed(benchmark::State& state) { Churn<PoolAllocator>(state, true); }
void BM_MallocChurnMixed(benchmark::State& state) { Churn<MallocAllocator>(state, true); }

void Sizes(benchmark::internal::Benchmark* bench) {
  for (uint32_t size : kSizes) bench->Arg(size);
}

BENCHMARK(BM_PoolAllocFree)->Apply(Sizes);
BENCHMARK(BM_MallocAllocFree)->Apply(Sizes);
BENCHMARK(BM_PoolChurn)->Apply(Sizes);
BENCHMARK(BM_MallocChurn)->Apply(Sizes);
BENCHMARK(BM_PoolChurnMixed)->Arg(0);
BENCHMARK(BM_MallocChurnMixed)->Arg(0);

}  // namespace

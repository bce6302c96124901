// HashTable: fixed buckets of singly linked chains, in a MemPool.
//
// Invariant: every entry sits in the chain of the bucket its key hashes to,
// keys are unique within the table, and count is the number of entries. New
// entries go to the front of their chain. The bucket count is fixed at
// creation and the chains are never rehashed.
//
// The bucket hash (a byte sum) is what the table's users see, and it spreads
// decimal keys badly: the 200,000 "%d-%d" statement addresses of a large
// script fall into about 170 of 983 buckets. So a table that owns its pool
// also keeps an index beside its chains: open addressing with linear probing
// over a full 32-bit hash of each key, in pages of its pool, doubled when it
// is half full. Lookups and the duplicate test of an insert go through the
// index in constant time; the chains still decide the walk's order and what
// the table holds. If a page cannot be had, the index is dropped and the table
// goes on with its chains alone, only slower. Tables that live in a pool they
// were given keep no index: they are small, and their pool's block size is
// not theirs to know.
//
// The walk (HashFirst/HashNext) keeps one cursor in the table. When the entry
// the cursor stands on is removed, the cursor remembers the entry that came
// after it, so the walk goes on exactly where it would have.
#include "memory/HashTable.h"

#include <cstring>

struct HashEntry {
  HashEntry* next;
  char* key;
  intptr_t value;
  uint32_t hash;  // full hash of the key, for the index
};

struct HashTable {
  MemPoolHandle pool;
  uint32_t count;
  uint16_t bucketCount;
  bool ownsPool;
  int unused1, unused2;     // the creation arguments, kept as given
  uint32_t walkBucket;      // bucket of the walk's cursor
  HashEntry* walkEntry;     // entry the cursor stands on (or the next one, when pending)
  bool walkPending;         // the entry the cursor stood on was removed: walkEntry comes next
  HashEntry** buckets;      // bucketCount chains, right behind the header in its block
  HashEntry*** indexPages;  // the index's pages of slots; null when there is no index
  uint32_t indexCapacity;   // slots in all, a power of two; 0 without an index
  uint32_t indexPageShift;  // log2 of the slots a page holds
};

namespace {

constexpr uint32_t kOwnPoolFlags = 0x1103;

uint32_t HeaderBytes(uint16_t bucketCount) {
  return static_cast<uint32_t>(sizeof(HashTable) + sizeof(HashEntry*) * bucketCount);
}

constexpr uint32_t kIndexFirstCapacity = 64;
constexpr uint32_t kIndexPageShift = 11;  // 2048 slots a page: 16 KB of a 39760-byte pool

uint32_t FullHash(const char* key) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p; p++)
    hash = (hash ^ *p) * 16777619u;
  return hash;
}

HashEntry*& IndexSlot(const HashTable* table, uint32_t slot) {
  uint32_t mask = (1u << table->indexPageShift) - 1;
  return table->indexPages[slot >> table->indexPageShift][slot & mask];
}

void FreeIndexPages(MemPoolHandle pool, HashEntry*** pages, uint32_t capacity, uint32_t shift) {
  if (!pages) return;
  for (uint32_t page = 0; page < (capacity >> shift); page++)
    if (pages[page]) MemPoolFree(pool, pages[page]);
  MemPoolFree(pool, pages);
}

void DropIndex(HashTable* table) {
  FreeIndexPages(table->pool, table->indexPages, table->indexCapacity, table->indexPageShift);
  table->indexPages = nullptr;
  table->indexCapacity = 0;
}

void IndexPut(HashTable* table, HashEntry* entry) {
  uint32_t mask = table->indexCapacity - 1;
  uint32_t slot = entry->hash & mask;
  while (IndexSlot(table, slot)) slot = (slot + 1) & mask;
  IndexSlot(table, slot) = entry;
}

// A fresh, empty index of `capacity` slots with every entry of the chains in
// it; false (and the old index left as it was) when the pool has no room.
bool BuildIndex(HashTable* table, uint32_t capacity) {
  uint32_t shift = capacity < (1u << kIndexPageShift) ? 0 : kIndexPageShift;
  while ((1u << shift) < capacity && shift < kIndexPageShift) shift++;
  uint32_t pageCount = capacity >> shift;
  auto* pages = static_cast<HashEntry***>(MemPoolAllocRecord(table->pool, pageCount * sizeof(HashEntry**)));
  if (!pages) return false;
  for (uint32_t page = 0; page < pageCount; page++) {
    pages[page] = static_cast<HashEntry**>(MemPoolAllocRecord(table->pool, (1u << shift) * sizeof(HashEntry*)));
    if (!pages[page]) {
      FreeIndexPages(table->pool, pages, capacity, shift);
      return false;
    }
    std::memset(pages[page], 0, (1u << shift) * sizeof(HashEntry*));
  }
  FreeIndexPages(table->pool, table->indexPages, table->indexCapacity, table->indexPageShift);
  table->indexPages = pages;
  table->indexCapacity = capacity;
  table->indexPageShift = shift;
  for (uint16_t bucket = 0; bucket < table->bucketCount; bucket++)
    for (HashEntry* entry = table->buckets[bucket]; entry; entry = entry->next) IndexPut(table, entry);
  return true;
}

// Makes room for one more entry: the index stays at most half full.
void IndexReserve(HashTable* table) {
  if (!table->ownsPool) return;
  if (table->indexCapacity == 0 && table->count > 0) return;  // dropped once: chains alone from then on
  if (2 * (table->count + 1) <= table->indexCapacity) return;
  uint32_t capacity = table->indexCapacity ? 2 * table->indexCapacity : kIndexFirstCapacity;
  if (!BuildIndex(table, capacity)) DropIndex(table);
}

// Takes the entry out of the index, moving later entries of its probe run
// back so that every entry stays reachable from its home slot.
void IndexRemove(HashTable* table, const HashEntry* entry) {
  uint32_t mask = table->indexCapacity - 1;
  uint32_t hole = entry->hash & mask;
  while (IndexSlot(table, hole) != entry) hole = (hole + 1) & mask;
  for (uint32_t slot = (hole + 1) & mask;; slot = (slot + 1) & mask) {
    HashEntry* moving = IndexSlot(table, slot);
    if (!moving) break;
    uint32_t home = moving->hash & mask;
    // The entry may fill the hole when its home lies cyclically outside (hole, slot].
    bool reachable = hole <= slot ? (home <= hole || home > slot) : (home <= hole && home > slot);
    if (reachable) {
      IndexSlot(table, hole) = moving;
      hole = slot;
    }
  }
  IndexSlot(table, hole) = nullptr;
}

HashEntry* IndexFind(const HashTable* table, const char* key, uint32_t hash) {
  uint32_t mask = table->indexCapacity - 1;
  for (uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
    HashEntry* entry = IndexSlot(table, slot);
    if (!entry) return nullptr;
    if (entry->hash == hash && std::strcmp(entry->key, key) == 0) return entry;
  }
}

HashTable* NewTable(uint16_t bucketCount, int unused1, int unused2, MemPoolHandle pool, bool ownsPool) {
  auto* table = static_cast<HashTable*>(MemPoolAlloc(pool, HeaderBytes(bucketCount)));
  if (!table) return nullptr;
  table->pool = pool;
  table->count = 0;
  table->bucketCount = bucketCount;
  table->ownsPool = ownsPool;
  table->unused1 = unused1;
  table->unused2 = unused2;
  table->walkBucket = 0;
  table->walkEntry = nullptr;
  table->walkPending = false;
  table->buckets = reinterpret_cast<HashEntry**>(table + 1);
  table->indexPages = nullptr;
  table->indexCapacity = 0;
  table->indexPageShift = 0;
  for (uint16_t i = 0; i < bucketCount; i++) table->buckets[i] = nullptr;
  return table;
}

// The entry of the key, through the index when the table keeps one.
HashEntry* FindEntry(const HashTable* table, const char* key, uint32_t hash) {
  if (table->indexCapacity) return IndexFind(table, key, hash);
  for (HashEntry* entry = table->buckets[HashBucketOf(key, table->bucketCount)]; entry; entry = entry->next)
    if (entry->hash == hash && std::strcmp(entry->key, key) == 0) return entry;
  return nullptr;
}

// The entry of the key in its chain, with the entry before it there.
HashEntry* FindInChain(const HashTable* table, const char* key, HashEntry** previous) {
  HashEntry* before = nullptr;
  for (HashEntry* entry = table->buckets[HashBucketOf(key, table->bucketCount)]; entry; entry = entry->next) {
    if (std::strcmp(entry->key, key) == 0) {
      if (previous) *previous = before;
      return entry;
    }
    before = entry;
  }
  return nullptr;
}

// The first entry at or after `bucket`, with the cursor placed on it.
int WalkFrom(HashTable* table, uint32_t bucket, const char** key, intptr_t* value) {
  for (; bucket < table->bucketCount; bucket++) {
    if (HashEntry* entry = table->buckets[bucket]) {
      table->walkBucket = bucket;
      table->walkEntry = entry;
      table->walkPending = false;
      if (key) *key = entry->key;
      if (value) *value = entry->value;
      return 1;
    }
  }
  table->walkBucket = table->bucketCount;
  table->walkEntry = nullptr;
  table->walkPending = false;
  return 0;
}

}  // namespace

uint16_t HashBucketOf(const char* key, uint16_t bucketCount) {
  uint16_t sum = 0;
  for (const char* p = key; *p; p++) sum = static_cast<uint16_t>(sum + static_cast<signed char>(*p));
  return bucketCount ? static_cast<uint16_t>(sum % bucketCount) : 0;
}

HashTable* HashCreate(uint16_t bucketCount, int unused1, int unused2) {
  if (bucketCount == 0) return nullptr;
  MemPoolHandle pool = MemPoolCreate((4u * bucketCount + 44u) * 10u, kOwnPoolFlags);
  if (pool == kMemPoolFailed) return nullptr;
  HashTable* table = NewTable(bucketCount, unused1, unused2, pool, true);
  if (!table) MemPoolDestroy(pool);
  return table;
}

HashTable* HashCreateInPool(uint16_t bucketCount, int unused1, int unused2, MemPoolHandle pool) {
  if (bucketCount == 0 || pool == kMemPoolFailed) return nullptr;
  return NewTable(bucketCount, unused1, unused2, pool, false);
}

int HashInsert(HashTable* table, const char* key, intptr_t value, int replace) {
  if (!table) return -3;
  if (!key) return -1;
  const uint32_t hash = FullHash(key);
  if (HashEntry* entry = FindEntry(table, key, hash)) {
    if (!replace) return -2;
    entry->value = value;
    return 0;
  }
  size_t length = std::strlen(key) + 1;
  auto* entry = static_cast<HashEntry*>(MemPoolAllocRecord(table->pool, sizeof(HashEntry)));
  if (!entry) return -1;
  auto* copy = length <= 0xFFFF ? static_cast<char*>(MemPoolAlloc(table->pool, static_cast<uint32_t>(length)))
                                : nullptr;
  if (!copy) {
    MemPoolFree(table->pool, entry);
    return -1;
  }
  std::memcpy(copy, key, length);
  HashEntry*& chain = table->buckets[HashBucketOf(key, table->bucketCount)];
  entry->key = copy;
  entry->value = value;
  entry->hash = hash;
  IndexReserve(table);
  entry->next = chain;
  chain = entry;
  if (table->indexCapacity) IndexPut(table, entry);
  table->count++;
  return 0;
}

int HashLookup(const HashTable* table, const char* key, intptr_t* value) {
  if (!table || !key) return 0;
  HashEntry* entry = FindEntry(table, key, FullHash(key));
  if (!entry) return 0;
  if (value) *value = entry->value;
  return 1;
}

int HashRemove(HashTable* table, const char* key) {
  if (!table || !key) return 0;
  HashEntry* previous = nullptr;
  HashEntry* entry = FindInChain(table, key, &previous);
  if (!entry) return 0;
  if (table->indexCapacity) IndexRemove(table, entry);
  if (previous) previous->next = entry->next;
  else table->buckets[HashBucketOf(key, table->bucketCount)] = entry->next;
  if (table->walkEntry == entry) {
    // The walk goes on with what came after the removed entry.
    table->walkEntry = entry->next;
    table->walkPending = true;
  }
  MemPoolFree(table->pool, entry->key);
  MemPoolFree(table->pool, entry);
  table->count--;
  return 1;
}

int HashDestroy(HashTable* table) {
  if (!table) return 0;
  if (table->ownsPool) {
    MemPoolDestroy(table->pool);
    return 1;
  }
  for (uint16_t i = 0; i < table->bucketCount; i++) {
    for (HashEntry* entry = table->buckets[i]; entry;) {
      HashEntry* next = entry->next;
      MemPoolFree(table->pool, entry->key);
      MemPoolFree(table->pool, entry);
      entry = next;
    }
  }
  MemPoolFree(table->pool, table);
  return 1;
}

uint32_t HashCount(const HashTable* table) { return table ? table->count : 0; }

int HashFirst(HashTable* table, const char** key, intptr_t* value) {
  if (!table) return 0;
  return WalkFrom(table, 0, key, value);
}

int HashNext(HashTable* table, const char** key, intptr_t* value) {
  if (!table || table->walkBucket >= table->bucketCount) return 0;
  HashEntry* next = table->walkPending ? table->walkEntry : (table->walkEntry ? table->walkEntry->next : nullptr);
  if (next) {
    table->walkEntry = next;
    table->walkPending = false;
    if (key) *key = next->key;
    if (value) *value = next->value;
    return 1;
  }
  return WalkFrom(table, table->walkBucket + 1, key, value);
}

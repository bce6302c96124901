// HashTable: fixed buckets of singly linked chains, in a MemPool.
//
// Invariant: every entry sits in the chain of the bucket its key hashes to,
// keys are unique within the table, and count is the number of entries. New
// entries go to the front of their chain. Nothing ever rehashes: the bucket
// count is fixed at creation and chains grow with the load, which stays small
// for the debugger's tables (names and short decimal keys).
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
};

namespace {

constexpr uint32_t kOwnPoolFlags = 0x1103;

uint32_t HeaderBytes(uint16_t bucketCount) {
  return static_cast<uint32_t>(sizeof(HashTable) + sizeof(HashEntry*) * bucketCount);
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
  for (uint16_t i = 0; i < bucketCount; i++) table->buckets[i] = nullptr;
  return table;
}

HashEntry* FindEntry(const HashTable* table, const char* key, HashEntry** previous) {
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
  if (HashEntry* entry = FindEntry(table, key, nullptr)) {
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
  entry->next = chain;
  chain = entry;
  table->count++;
  return 0;
}

int HashLookup(const HashTable* table, const char* key, intptr_t* value) {
  if (!table || !key) return 0;
  HashEntry* entry = FindEntry(table, key, nullptr);
  if (!entry) return 0;
  if (value) *value = entry->value;
  return 1;
}

int HashRemove(HashTable* table, const char* key) {
  if (!table || !key) return 0;
  HashEntry* previous = nullptr;
  HashEntry* entry = FindEntry(table, key, &previous);
  if (!entry) return 0;
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

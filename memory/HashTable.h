// HashTable: text keys to one value each (the address of a record, or a
// packed number). Every table has a fixed number of buckets (983 throughout
// the debugger) and never grows or rehashes; the first value stored under a
// key stays (callers insert without replacing).
//
// The hash is the sum of the key's bytes, each taken as a signed 8-bit number,
// kept in an unsigned 16-bit sum, modulo the bucket count: "TEMPSTRING" falls
// into bucket 781 of 983, and the keys 12-0 and -1-5 share bucket 192.
//
// A table either owns a pool of its own, (4 x buckets + 44) x 10 bytes, which
// it destroys as a whole, or lives in a pool it is given and then gives every
// entry back on destruction. Keys are copied; values are never freed.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"

constexpr uint16_t kHashBuckets = 983;

struct HashEntry;
struct HashTable;

HashTable* HashCreate(uint16_t bucketCount, int unused1, int unused2);
// pool -1 gives null.
HashTable* HashCreateInPool(uint16_t bucketCount, int unused1, int unused2, MemPoolHandle pool);

// 0 when added (or replaced); -2 when the key is present and replace is 0;
// -1 when memory runs out; -3 for a null table.
int HashInsert(HashTable* table, const char* key, intptr_t value, int replace);
// 1 with the value, or 0 when the key is absent or the table is null.
int HashLookup(const HashTable* table, const char* key, intptr_t* value);
// 1 when the entry was removed; 0 when absent or the table is null.
int HashRemove(HashTable* table, const char* key);
// 1, or 0 for a null table.
int HashDestroy(HashTable* table);

// The bucket a key falls into.
uint16_t HashBucketOf(const char* key, uint16_t bucketCount);
uint32_t HashCount(const HashTable* table);

// A walk over all entries, bucket by bucket; removal of the entry the walk
// stands on is allowed and the walk goes on with the entry after it.
int HashFirst(HashTable* table, const char** key, intptr_t* value);
int HashNext(HashTable* table, const char** key, intptr_t* value);

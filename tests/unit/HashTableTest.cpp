// The hash table's bucket numbers are part of how the debugger's tables behave
// (chains share buckets); the walk must survive removals.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "memory/HashTable.h"
#include "memory/MemPoolDebug.h"

namespace {

TEST(HashBuckets, SignedByteSumModuloTheBucketCount) {
  EXPECT_EQ(HashBucketOf("TEMPSTRING", kHashBuckets), 781);
  EXPECT_EQ(HashBucketOf("12-0", kHashBuckets), 192);
  EXPECT_EQ(HashBucketOf("-1-5", kHashBuckets), 192);
  EXPECT_EQ(HashBucketOf("\xE9", kHashBuckets), 635);  // 0xE9 counts as -23
  EXPECT_EQ(HashBucketOf("", kHashBuckets), 0);
}

TEST(HashInsertLookup, KeysSharingABucketKeepTheirOwnValues) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(HashInsert(table, "12-0", 120, 0), 0);
  EXPECT_EQ(HashInsert(table, "-1-5", 15, 0), 0);
  intptr_t value = 0;
  ASSERT_EQ(HashLookup(table, "12-0", &value), 1);
  EXPECT_EQ(value, 120);
  ASSERT_EQ(HashLookup(table, "-1-5", &value), 1);
  EXPECT_EQ(value, 15);
  EXPECT_EQ(HashLookup(table, "12-1", &value), 0);
  EXPECT_EQ(HashCount(table), 2u);
  HashDestroy(table);
}

TEST(HashInsertLookup, FirstValueUnderAKeyStaysUnlessReplaced) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  EXPECT_EQ(HashInsert(table, "name", 1, 0), 0);
  EXPECT_EQ(HashInsert(table, "name", 2, 0), -2);
  intptr_t value = 0;
  HashLookup(table, "name", &value);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(HashInsert(table, "name", 3, 1), 0);
  HashLookup(table, "name", &value);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(HashCount(table), 1u);
  HashDestroy(table);
}

TEST(HashInsertLookup, KeysAreCaseSensitiveAndCopied) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  char key[8] = "NUMBER";
  HashInsert(table, key, 1, 0);
  key[1] = 'X';
  EXPECT_EQ(HashLookup(table, "NUMBER", nullptr), 1);
  EXPECT_EQ(HashLookup(table, "number", nullptr), 0);
  EXPECT_EQ(HashLookup(table, "NXMBER", nullptr), 0);
  HashDestroy(table);
}

TEST(HashRemove, RemoveThenInsertAgainInTheSameBucket) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  HashInsert(table, "7", 70, 0);
  EXPECT_EQ(HashRemove(table, "7"), 1);
  EXPECT_EQ(HashLookup(table, "7", nullptr), 0);
  EXPECT_EQ(HashRemove(table, "7"), 0);
  EXPECT_EQ(HashInsert(table, "7", 71, 0), 0);
  intptr_t value = 0;
  HashLookup(table, "7", &value);
  EXPECT_EQ(value, 71);
  HashDestroy(table);
}

TEST(HashRemove, RemovingFromTheMiddleOfAChainKeepsTheOthers) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  // Anagrams hash alike: one chain of three.
  HashInsert(table, "abc", 1, 0);
  HashInsert(table, "bca", 2, 0);
  HashInsert(table, "cab", 3, 0);
  ASSERT_EQ(HashBucketOf("abc", kHashBuckets), HashBucketOf("cab", kHashBuckets));
  EXPECT_EQ(HashRemove(table, "bca"), 1);
  EXPECT_EQ(HashLookup(table, "abc", nullptr), 1);
  EXPECT_EQ(HashLookup(table, "cab", nullptr), 1);
  EXPECT_EQ(HashCount(table), 2u);
  HashDestroy(table);
}

TEST(HashWalk, VisitsEveryEntryOnce) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  std::map<std::string, intptr_t> expected;
  for (int i = 0; i < 300; i++) {
    std::string key = std::to_string(i) + "-" + std::to_string(i % 7);
    expected[key] = i;
    HashInsert(table, key.c_str(), i, 0);
  }
  std::map<std::string, intptr_t> seen;
  const char* key;
  intptr_t value;
  for (int more = HashFirst(table, &key, &value); more; more = HashNext(table, &key, &value))
    EXPECT_TRUE(seen.emplace(key, value).second) << key;
  EXPECT_EQ(seen, expected);
  HashDestroy(table);
}

TEST(HashWalk, RemovingTheCurrentEntryGoesOnWithTheNextOne) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  std::set<std::string> all;
  for (const char* key : {"abc", "bca", "cab", "x", "y", "12-0", "-1-5"}) {
    HashInsert(table, key, 0, 0);
    all.insert(key);
  }
  // Remove every other entry as the walk meets it; the walk must still meet all.
  std::set<std::string> seen;
  const char* key;
  bool removeThis = true;
  for (int more = HashFirst(table, &key, nullptr); more; more = HashNext(table, &key, nullptr)) {
    std::string name = key;
    EXPECT_TRUE(seen.insert(name).second) << name;
    if (removeThis) EXPECT_EQ(HashRemove(table, name.c_str()), 1);
    removeThis = !removeThis;
  }
  EXPECT_EQ(seen, all);
  EXPECT_EQ(HashCount(table), 3u);
  HashDestroy(table);
}

TEST(HashWalk, RemovingTheNextEntryBeforeSteppingSkipsIt) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  HashInsert(table, "abc", 1, 0);  // chain: cab, bca, abc (newest first)
  HashInsert(table, "bca", 2, 0);
  HashInsert(table, "cab", 3, 0);
  const char* key;
  ASSERT_EQ(HashFirst(table, &key, nullptr), 1);
  EXPECT_STREQ(key, "cab");
  HashRemove(table, "cab");  // cursor now waits on bca
  HashRemove(table, "bca");  // ... which goes too: abc comes next
  ASSERT_EQ(HashNext(table, &key, nullptr), 1);
  EXPECT_STREQ(key, "abc");
  EXPECT_EQ(HashNext(table, &key, nullptr), 0);
  HashDestroy(table);
}

TEST(HashPools, TableInASharedPoolLeavesThePoolUsable) {
  MemPoolHandle pool = MemPoolCreate(10000, 0x1003);
  ASSERT_NE(pool, kMemPoolFailed);
  HashTable* first = HashCreateInPool(kHashBuckets, 4, 0, pool);
  HashTable* second = HashCreateInPool(kHashBuckets, 4, 0, pool);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  HashInsert(first, "a", 1, 0);
  HashInsert(second, "b", 2, 0);
  EXPECT_EQ(HashDestroy(first), 1);
  EXPECT_EQ(HashLookup(second, "b", nullptr), 1);
  HashTable* third = HashCreateInPool(kHashBuckets, 4, 0, pool);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(HashInsert(third, "c", 3, 0), 0);
  HashDestroy(second);
  HashDestroy(third);
  EXPECT_EQ(MemPoolDestroy(pool), 1);
  EXPECT_EQ(HashCreateInPool(kHashBuckets, 4, 0, kMemPoolFailed), nullptr);
}

TEST(HashPools, OwnPoolIsGoneWithTheTable) {
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  HashInsert(table, "k", 1, 0);
  MemPoolHandle before = MemPoolCreate(100, 0x1003);  // lowest free slot now
  MemPoolDestroy(before);
  HashDestroy(table);
  MemPoolHandle after = MemPoolCreate(100, 0x1003);  // the table's slot is free again
  EXPECT_LT(after, before);
  MemPoolDestroy(after);
}

// Many decimal keys crowd a few buckets; the table must still hold exactly
// what a plain map holds through inserts, refused duplicates and removals.
void CheckAgainstModel(HashTable* table, const std::map<std::string, intptr_t>& model) {
  ASSERT_EQ(HashCount(table), model.size());
  for (const auto& [key, expected] : model) {
    intptr_t value = -1;
    ASSERT_EQ(HashLookup(table, key.c_str(), &value), 1) << key;
    ASSERT_EQ(value, expected) << key;
  }
  std::map<std::string, intptr_t> walked;
  const char* key;
  intptr_t value;
  for (int more = HashFirst(table, &key, &value); more; more = HashNext(table, &key, &value)) walked[key] = value;
  ASSERT_EQ(walked, model);
}

void RandomChurn(HashTable* table, unsigned seed, int steps) {
  std::mt19937 random(seed);
  std::map<std::string, intptr_t> model;
  for (int step = 0; step < steps; step++) {
    std::string key = std::to_string(static_cast<int>(random() % 3000) - 100) + "-" + std::to_string(random() % 40);
    intptr_t value = static_cast<intptr_t>(random() % 100000);
    if (random() % 4 == 0) {
      EXPECT_EQ(HashRemove(table, key.c_str()), model.erase(key) ? 1 : 0) << key;
    } else {
      bool present = model.count(key) != 0;
      EXPECT_EQ(HashInsert(table, key.c_str(), value, 0), present ? -2 : 0) << key;
      if (!present) model[key] = value;
    }
    if (step % 2500 == 0) CheckAgainstModel(table, model);
    intptr_t found = 0;
    ASSERT_EQ(HashLookup(table, key.c_str(), &found), model.count(key) ? 1 : 0) << key;
  }
  CheckAgainstModel(table, model);
}

TEST(HashLoad, ManyCrowdedKeysBehaveAsAMap) {
  for (unsigned seed : {1u, 2u, 3u}) {
    HashTable* table = HashCreate(kHashBuckets, 4, 0);
    RandomChurn(table, seed, 20000);
    HashDestroy(table);
  }
}

TEST(HashLoad, TableInAGivenPoolBehavesTheSame) {
  MemPoolHandle pool = MemPoolCreate(10000, 0x1003);
  HashTable* table = HashCreateInPool(kHashBuckets, 4, 0, pool);
  RandomChurn(table, 7, 5000);
  HashDestroy(table);
  MemPoolDestroy(pool);
}

TEST(HashLoad, TableWithoutRoomForItsIndexKeepsEveryEntry) {
  MemPoolSetOption(kPoolOptionReport, 0);
  HashTable* table = HashCreate(kHashBuckets, 4, 0);
  std::map<std::string, intptr_t> model;
  for (int i = 0; i < 200; i++) {
    // Every fifth request fails: entries, key copies and index pages alike.
    MemPoolFailAllocation(5);
    std::string key = std::to_string(i) + "-0";
    if (HashInsert(table, key.c_str(), i, 0) == 0) model[key] = i;
  }
  MemPoolFailAllocation(0);
  MemPoolSetOption(kPoolOptionReport, 1);
  EXPECT_FALSE(model.empty());
  CheckAgainstModel(table, model);
  HashDestroy(table);
}

TEST(HashNull, NullTableAnswers) {
  EXPECT_EQ(HashInsert(nullptr, "a", 1, 0), -3);
  EXPECT_EQ(HashLookup(nullptr, "a", nullptr), 0);
  EXPECT_EQ(HashRemove(nullptr, "a"), 0);
  EXPECT_EQ(HashDestroy(nullptr), 0);
}

}  // namespace

// The list's current position is what every walk in the debugger relies on;
// these cases pin it down after each kind of change.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "memory/List.h"

namespace {

std::vector<int> Items(List* list) {
  std::vector<int> items;
  for (auto* item = static_cast<int*>(ListFirst(list)); item; item = static_cast<int*>(ListNext(list)))
    items.push_back(*item);
  return items;
}

int CurrentInt(List* list) {
  auto* item = static_cast<int*>(ListCurrent(list));
  return item ? *item : -1;
}

List* IntList(std::initializer_list<int> values) {
  List* list = ListCreate(sizeof(int));
  for (int value : values) {
    ListLast(list);
    ListAdd(list, &value);
  }
  return list;
}

TEST(ListPosition, NextAtTheEndReturnsNullAndStaysOnTheLastItem) {
  List* list = IntList({1, 2});
  ListLast(list);
  EXPECT_EQ(ListNext(list), nullptr);
  EXPECT_EQ(CurrentInt(list), 2);
  ListDestroy(list);
}

TEST(ListPosition, FirstOnEmptyListThenAddMakesFirstAndLast) {
  List* list = ListCreate(sizeof(int));
  EXPECT_EQ(ListFirst(list), nullptr);
  int value = 7;
  ASSERT_EQ(ListAdd(list, &value), 1);
  EXPECT_EQ(*static_cast<int*>(ListFirst(list)), 7);
  EXPECT_EQ(*static_cast<int*>(ListLast(list)), 7);
  EXPECT_EQ(ListCount(list), 1u);
  ListDestroy(list);
}

TEST(ListPosition, AddInsertsAfterTheCurrentNodeAndMakesItCurrent) {
  List* list = IntList({1, 2, 3});
  int value = 9;
  ListFirst(list);
  ListAdd(list, &value);
  EXPECT_EQ(CurrentInt(list), 9);
  EXPECT_EQ(Items(list), (std::vector<int>{1, 9, 2, 3}));
  ListLast(list);
  value = 10;
  ListAdd(list, &value);
  EXPECT_EQ(Items(list), (std::vector<int>{1, 9, 2, 3, 10}));
  ListDestroy(list);
}

TEST(ListPosition, InsertFirstGoesToTheFrontAndBecomesCurrent) {
  List* list = IntList({1, 2});
  ListLast(list);
  int value = 0;
  ASSERT_EQ(ListInsertFirst(list, &value), 1);
  EXPECT_EQ(CurrentInt(list), 0);
  EXPECT_EQ(Items(list), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(*static_cast<int*>(ListLast(list)), 2);
  ListDestroy(list);
}

TEST(ListPosition, RemoveMovesToTheSuccessorOrToTheNewLast) {
  List* list = IntList({1, 2, 3});
  ListFirst(list);
  ListNext(list);
  ListRemove(list);  // removes 2
  EXPECT_EQ(CurrentInt(list), 3);
  ListRemove(list);  // removes the last: its predecessor becomes current and last
  EXPECT_EQ(CurrentInt(list), 1);
  EXPECT_EQ(*static_cast<int*>(ListLast(list)), 1);
  ListRemove(list);  // the only node
  EXPECT_EQ(ListCount(list), 0u);
  EXPECT_EQ(ListFirst(list), nullptr);
  EXPECT_EQ(ListLast(list), nullptr);
  int value = 4;
  ListAdd(list, &value);
  EXPECT_EQ(Items(list), std::vector<int>{4});
  ListDestroy(list);
}

TEST(ListPosition, StoredPositionSurvivesChangesElsewhere) {
  List* list = IntList({1, 2, 3});
  ListFirst(list);
  ListNext(list);
  ListPosition second = ListGetPosition(list);
  ListLast(list);
  ListRemove(list);
  int value = 8;
  ListInsertFirst(list, &value);
  ListSetPosition(list, second);
  EXPECT_EQ(CurrentInt(list), 2);
  EXPECT_EQ(ListNext(list), nullptr);  // 2 is the last node now
  EXPECT_EQ(Items(list), (std::vector<int>{8, 1, 2}));
  ListDestroy(list);
}

TEST(ListPosition, AddWithNoCurrentNodeOnAFullListLosesNothing) {
  List* list = IntList({1, 2});
  ListSetPosition(list, nullptr);
  int value = 5;
  ASSERT_EQ(ListAdd(list, &value), 1);
  EXPECT_EQ(Items(list), (std::vector<int>{5, 1, 2}));
  ListDestroy(list);
}

TEST(ListItems, StringListKeepsItsOwnCopyWithTheTerminator) {
  List* list = ListCreate(kListStrings);
  char buffer[8] = "abc";
  ASSERT_EQ(ListAdd(list, buffer), 1);
  auto* item = static_cast<char*>(ListCurrent(list));
  EXPECT_NE(item, buffer);
  std::strcpy(buffer, "xyz");
  EXPECT_STREQ(item, "abc");
  EXPECT_EQ(item[3], 0);
  ListDestroy(list);
}

TEST(ListItems, FixedSizeItemsAreCopies) {
  struct Record {
    int a;
    char name[12];
  } record{42, "first"};
  List* list = ListCreate(sizeof(Record));
  ListAdd(list, &record);
  record.a = 0;
  auto* copy = static_cast<Record*>(ListFirst(list));
  EXPECT_EQ(copy->a, 42);
  EXPECT_STREQ(copy->name, "first");
  ListDestroy(list);
}

TEST(ListItems, ByReferenceListHoldsPointersAndRefusesCopies) {
  List* list = ListCreate(kListByReference);
  int a = 1, b = 2;
  EXPECT_EQ(ListAdd(list, &a), 0);
  EXPECT_EQ(ListInsertFirst(list, &a), 0);
  EXPECT_EQ(ListCount(list), 0u);
  ASSERT_EQ(ListAddRef(list, &a), 1);
  ASSERT_EQ(ListAddRef(list, &b), 1);
  EXPECT_EQ(ListFirst(list), &a);
  EXPECT_EQ(ListNext(list), &b);
  ListRemove(list);  // does nothing on a by-reference list
  EXPECT_EQ(ListCount(list), 2u);
  ListUnlink(list);
  EXPECT_EQ(ListCount(list), 1u);
  EXPECT_EQ(ListCurrent(list), &a);
  ListDestroy(list);
  EXPECT_EQ(a, 1);
}

TEST(ListItems, ForeignPointerInACopyingListIsLeftAloneWithoutAReport) {
  List* list = ListCreate(sizeof(int));
  static int foreign = 3;
  ListAddRef(list, &foreign);
  ListRemove(list);  // the pool refuses the free quietly
  EXPECT_EQ(ListCount(list), 0u);
  EXPECT_EQ(MemPoolGetOption(kPoolOptionReport), 1);
  ListDestroy(list);
}

TEST(ListNull, EveryOperationOnANullListDoesNothing) {
  int value = 1;
  EXPECT_EQ(ListAdd(nullptr, &value), 0);
  EXPECT_EQ(ListAddRef(nullptr, &value), 0);
  EXPECT_EQ(ListInsertFirst(nullptr, &value), 0);
  EXPECT_EQ(ListFirst(nullptr), nullptr);
  EXPECT_EQ(ListLast(nullptr), nullptr);
  EXPECT_EQ(ListNext(nullptr), nullptr);
  EXPECT_EQ(ListCurrent(nullptr), nullptr);
  EXPECT_EQ(ListGetPosition(nullptr), nullptr);
  EXPECT_EQ(ListCount(nullptr), 0u);
  ListRemove(nullptr);
  ListUnlink(nullptr);
  ListDestroy(nullptr);
}

TEST(ListPool, ListInItsOwnPoolIsDestroyedWithThePool) {
  MemPoolHandle pool = MemPoolCreate(2000, 0x1003);
  ASSERT_NE(pool, kMemPoolFailed);
  List* list = ListCreateInPool(kListStrings, pool);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->pool, pool);
  for (int i = 0; i < 100; i++) ASSERT_EQ(ListAdd(list, "a line of text"), 1);
  EXPECT_EQ(ListCount(list), 100u);
  EXPECT_EQ(MemPoolDestroy(pool), 1);
}

}  // namespace

// The symbol tables: the cases where the first-entry rule, the list order and
// the number formats decide what a lookup answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "debuginfo/SymbolTableBase.h"
#include "debuginfo/VariableTable.h"

namespace {

// A sink that keeps what the tables list, with a mark where it was emptied.
struct CollectedNames {
  std::vector<std::string> names;
  int resets = 0;
  NameSink Sink() {
    return NameSink{[](void* self) {
                      auto* collected = static_cast<CollectedNames*>(self);
                      collected->resets++;
                      collected->names.clear();
                    },
                    [](void* self, const char* name) { static_cast<CollectedNames*>(self)->names.push_back(name); },
                    this};
  }
};

using Names = std::vector<std::string>;

// ---------------------------------------------------------------------------
// LineTable

struct LineTableTest : testing::Test {
  LineTable* table = LineTableCreate();
  void TearDown() override { LineTableDestroy(table); }
};

TEST_F(LineTableTest, DuplicateLineKeepsTheFirstAndNextLineStartsAfterItsNode) {
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(LineTableAdd(table, 10, 0, 0, 1), 1);
  EXPECT_EQ(LineTableAdd(table, 11, 0, 0, 2), 1);
  EXPECT_EQ(LineTableAdd(table, 10, 0, 0, 3), 1);
  EXPECT_EQ(LineTableAdd(table, 12, 0, 0, 4), 1);
  int32_t block = -9, offset = -9, line = 0, file = -9;
  ASSERT_EQ(LineTableFindAddress(table, 10, 0, &block, &offset), 1);
  EXPECT_EQ(offset, 1);
  ASSERT_EQ(LineTableNextLine(table, 10, 0, &line), 1);
  EXPECT_EQ(line, 11);  // the walk starts after the first record, not after the second
  // Every statement keeps its own address.
  ASSERT_EQ(LineTableFindLine(table, 0, 3, &line, &file), 1);
  EXPECT_EQ(line, 10);
  EXPECT_EQ(file, 0);
}

TEST_F(LineTableTest, NextLineStaysInItsFileAndEndsWithZero) {
  LineTableAdd(table, 1, 0, 0, 0);
  LineTableAdd(table, 7, 1, 0, 1);  // an included file's statement in between
  LineTableAdd(table, 3, 0, 0, 2);
  int32_t line = -1;
  ASSERT_EQ(LineTableNextLine(table, 1, 0, &line), 1);
  EXPECT_EQ(line, 3);
  EXPECT_EQ(LineTableNextLine(table, 3, 0, &line), 0);  // last statement of file 0
  EXPECT_EQ(LineTableNextLine(table, 7, 1, &line), 0);  // last statement of file 1
  EXPECT_EQ(LineTableNextLine(table, 2, 0, &line), 0);  // no statement on that line
  EXPECT_EQ(LineTableNextLine(table, 1, 1, &line), 0);  // nor in that file
}

TEST_F(LineTableTest, NegativeAddressesAndFileIndexesTakenToEightBits) {
  LineTableAdd(table, 12, 0, 3, 3);
  LineTableAdd(table, 4, 0, -1, 5);  // key -1-5 shares a bucket with 12-0
  LineTableAdd(table, 30, 257, 2, 0);
  int32_t line = 0, file = 0, block = 0, offset = 0;
  ASSERT_EQ(LineTableFindLine(table, -1, 5, &line, &file), 1);
  EXPECT_EQ(line, 4);
  EXPECT_EQ(LineTableFindLine(table, 1, 5, &line, &file), 0);
  ASSERT_EQ(LineTableFindAddress(table, 12, 0, &block, &offset), 1);
  EXPECT_EQ(block, 3);
  ASSERT_EQ(LineTableFindLine(table, 2, 0, &line, &file), 1);
  EXPECT_EQ(file, 1);
  EXPECT_EQ(LineTableFindAddress(table, 30, 1, &block, &offset), 1);
}

// ---------------------------------------------------------------------------
// FunctionTable

struct FunctionTableTest : testing::Test {
  FunctionTable* table = FunctionTableCreate();
  void TearDown() override { FunctionTableDestroy(table); }
  void Function(const char* name, int32_t block, int32_t firstLine, int32_t file) {
    FunctionTableAdd(table, name, block);
    FunctionTableAddExtent(table, block, firstLine, file);
  }
};

TEST_F(FunctionTableTest, BlockAtLineIsTheFunctionOfThatFileThatBeginsLastBeforeIt) {
  Function("First", 1, 10, 0);
  Function("Other", 3, 5, 1);
  Function("Second", 2, 20, 0);
  EXPECT_EQ(FunctionTableBlockAtLine(table, 9, 0), 0);  // before the first function: main program
  EXPECT_EQ(FunctionTableBlockAtLine(table, 10, 0), 1);
  EXPECT_EQ(FunctionTableBlockAtLine(table, 19, 0), 1);
  EXPECT_EQ(FunctionTableBlockAtLine(table, 900, 0), 2);  // after the last, even outside it
  EXPECT_EQ(FunctionTableBlockAtLine(table, 6, 1), 3);
  EXPECT_EQ(FunctionTableBlockAtLine(table, 4, 1), 0);
  EXPECT_EQ(FunctionTableBlockAtLine(table, 30, 2), 0);
}

TEST_F(FunctionTableTest, BlockAtLineStopsAtTheFirstExtentAboveTheLine) {
  Function("A", 1, 10, 0);
  Function("B", 2, 30, 0);
  Function("C", 3, 20, 0);  // out of line order in the file
  EXPECT_EQ(FunctionTableBlockAtLine(table, 25, 0), 1);
}

TEST_F(FunctionTableTest, LookupsByNameAndBlock) {
  Function("Setup", 4, 12, 1);
  int32_t block = 0, file = -5;
  char name[kFunctionNameSize] = "x";
  ASSERT_EQ(FunctionTableFindBlock(table, "Setup", &block), 1);
  EXPECT_EQ(block, 4);
  EXPECT_EQ(FunctionTableFindBlock(table, "setup", &block), 0);
  ASSERT_EQ(FunctionTableGetName(table, 4, name, sizeof name), 1);
  EXPECT_STREQ(name, "Setup");
  EXPECT_EQ(FunctionTableGetName(table, 5, name, sizeof name), 0);
  EXPECT_EQ(FunctionTableGetExtent(table, 4, &file), 12);
  EXPECT_EQ(file, 1);
  file = -5;
  EXPECT_EQ(FunctionTableGetExtent(table, 5, &file), 0);
  EXPECT_EQ(file, -5);
  EXPECT_NE(FunctionTableGetLocals(table, 4), nullptr);
  EXPECT_EQ(FunctionTableGetLocals(table, 5), nullptr);
}

TEST_F(FunctionTableTest, LocalsBelongToTheirFunction) {
  Function("A", 1, 10, 0);
  Function("B", 2, 20, 0);
  EXPECT_EQ(FunctionTableAddLocal(table, "A", "s", -101, kVariableString), 1);
  EXPECT_EQ(FunctionTableAddLocal(table, "B", "n", -101, kVariableNumber), 1);
  EXPECT_EQ(FunctionTableAddLocal(table, "Nobody", "x", -101, kVariableNumber), 0);
  int32_t index = 0, kind = 0;
  ASSERT_EQ(VariableTableFind(FunctionTableGetLocals(table, 1), "s", &index, &kind), 1);
  EXPECT_EQ(index, 65435);
  EXPECT_EQ(kind, kVariableString);
  EXPECT_EQ(VariableTableFind(FunctionTableGetLocals(table, 1), "n", &index, &kind), 0);
  EXPECT_EQ(VariableTableFind(FunctionTableGetLocals(table, 2), "n", &index, &kind), 1);
}

TEST_F(FunctionTableTest, DuplicateNameKeepsTheFirstFunction) {
  Function("Twice", 1, 10, 0);
  Function("Twice", 2, 20, 0);
  int32_t block = 0;
  FunctionTableFindBlock(table, "Twice", &block);
  EXPECT_EQ(block, 1);
  EXPECT_NE(FunctionTableGetLocals(table, 2), nullptr);  // the second is still there by block
}

TEST_F(FunctionTableTest, ListNamesInExtentOrder) {
  FunctionTableAdd(table, "Later", 2);
  FunctionTableAdd(table, "Earlier", 1);
  FunctionTableAddExtent(table, 1, 5, 0);
  FunctionTableAddExtent(table, 2, 9, 0);
  CollectedNames shown;
  shown.names = {"stale"};
  EXPECT_EQ(FunctionTableListNames(table, shown.Sink()), 1);
  EXPECT_EQ(shown.resets, 1);
  EXPECT_EQ(shown.names, (Names{"Earlier", "Later"}));
}

// ---------------------------------------------------------------------------
// VariableTable

TEST(VariableTable, PackedIndexAndKindComeBackAsTheHostTakesThem) {
  VariableTable* table = VariableTableCreate();
  ASSERT_NE(table, nullptr);
  VariableTableAdd(table, "s1", -101, kVariableString);
  VariableTableAdd(table, "s2", -102, kVariableString);
  VariableTableAdd(table, "COUNT", 3, kVariableNumber);
  int32_t index = 0, kind = 0;
  ASSERT_EQ(VariableTableFind(table, "s1", &index, &kind), 1);
  EXPECT_EQ(index, 65435);
  EXPECT_EQ(kind, kVariableString);
  VariableTableFind(table, "s2", &index, &kind);
  EXPECT_EQ(index, 65434);
  ASSERT_EQ(VariableTableFind(table, "COUNT", &index, &kind), 1);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(kind, kVariableNumber);
  EXPECT_EQ(VariableTableFind(table, "count", &index, &kind), 0);
  VariableTableDestroy(table);
}

TEST(VariableTable, NameAddedTwiceKeepsItsFirstIndexButIsListedTwice) {
  VariableTable* table = VariableTableCreate();
  VariableTableAdd(table, "X", 0, kVariableString);
  VariableTableAdd(table, "Y", 1, kVariableString);
  VariableTableAdd(table, "X", 2, kVariableString);
  int32_t index = -1, kind = 0;
  VariableTableFind(table, "X", &index, &kind);
  EXPECT_EQ(index, 0);
  CollectedNames shown;
  EXPECT_EQ(VariableTableListNames(table, shown.Sink()), 1);
  EXPECT_EQ(shown.names, (Names{"X", "Y", "X"}));
  VariableTableDestroy(table);
}

TEST(VariableTable, ListingNoTableStillEmptiesTheList) {
  CollectedNames shown;
  shown.names = {"stale"};
  EXPECT_EQ(VariableTableListNames(nullptr, shown.Sink()), 0);
  EXPECT_EQ(shown.resets, 1);
  EXPECT_TRUE(shown.names.empty());
}

// ---------------------------------------------------------------------------
// SourceFileList

struct EntryView {
  std::string name;
  int32_t block, offset, fileIndex;
  bool operator==(const EntryView& other) const {
    return name == other.name && block == other.block && offset == other.offset && fileIndex == other.fileIndex;
  }
};

std::ostream& operator<<(std::ostream& out, const EntryView& entry) {
  return out << entry.name << "@(" << entry.block << "," << entry.offset << ")#" << entry.fileIndex;
}

std::vector<EntryView> Entries(SourceFileList* list) {
  std::vector<EntryView> entries;
  for (auto* entry = static_cast<SourceFileEntry*>(ListFirst(list->files)); entry;
       entry = static_cast<SourceFileEntry*>(ListNext(list->files)))
    entries.push_back({entry->name, entry->block, entry->offset, entry->fileIndex});
  return entries;
}

struct SourceFileListTest : testing::Test {
  SourceFileList* list = SourceFileListCreate();
  void TearDown() override { SourceFileListDestroy(list); }
  // The file that holds a statement: its name and index.
  EntryView Holder(int32_t block, int32_t offset) {
    char name[kSourceNameSize] = "?";
    int32_t index = -7;
    SourceFileListFind(list, block, offset, name, sizeof name, &index);
    return {name, block, offset, index};
  }
};

TEST_F(SourceFileListTest, SetMainKeepsTheLoadersEntryAtZeroZero) {
  SourceFileListAdd(list, "MAIN.Q", 0, 0, 0);
  SourceFileListAdd(list, "INC.Q", 0, 9, 1);
  EXPECT_EQ(SourceFileListSetMain(list, "main.q"), 1);
  EXPECT_STREQ(list->mainScript, "main.q");
  EXPECT_EQ(Entries(list), (std::vector<EntryView>{{"MAIN.Q", 0, 0, 0}, {"INC.Q", 0, 9, 1}}));
}

TEST_F(SourceFileListTest, SetMainPutsTheMainScriptInFrontWhenItsFirstEntryStartsElsewhere) {
  SourceFileListAdd(list, "MAIN.Q", 1, 0, 0);  // the first line record lies in a function
  SourceFileListSetMain(list, "MAIN.Q");
  EXPECT_EQ(Entries(list), (std::vector<EntryView>{{"MAIN.Q", 0, 0, 0}, {"MAIN.Q", 1, 0, 0}}));
  SourceFileList* empty = SourceFileListCreate();
  SourceFileListSetMain(empty, "ONLY.Q");
  EXPECT_EQ(Entries(empty), (std::vector<EntryView>{{"ONLY.Q", 0, 0, 0}}));
  SourceFileListDestroy(empty);
}

TEST_F(SourceFileListTest, FindComparesBlockThenOffsetUnsigned) {
  SourceFileListAdd(list, "MAIN.Q", 0, 0, 0);
  SourceFileListAdd(list, "A.Q", 0, 20, 1);
  SourceFileListAdd(list, "B.Q", 2, 0, 2);
  SourceFileListAdd(list, "C.Q", -1, 0, 3);  // block 0xFFFFFFFF: above every other block
  EXPECT_EQ(Holder(0, 5).name, "MAIN.Q");   // before the first included file's first statement
  EXPECT_EQ(Holder(0, 20).name, "A.Q");
  EXPECT_EQ(Holder(1, 3).name, "A.Q");
  EXPECT_EQ(Holder(5, 3).name, "B.Q");
  EXPECT_EQ(Holder(-2, 0).name, "B.Q");
  EXPECT_EQ(Holder(-1, 7).fileIndex, 3);
  EXPECT_EQ(Holder(0, -1).name, "A.Q");  // offset 0xFFFFFFFF is not below 20
}

TEST_F(SourceFileListTest, FindWalksInListOrderAndStopsAtTheFirstEntryAbove) {
  SourceFileListAdd(list, "MAIN.Q", 0, 0, 0);
  SourceFileListAdd(list, "LATE.Q", 5, 0, 1);
  SourceFileListAdd(list, "EARLY.Q", 1, 0, 2);
  EXPECT_EQ(Holder(3, 0).name, "MAIN.Q");
  EXPECT_EQ(Holder(6, 0).name, "EARLY.Q");
}

TEST_F(SourceFileListTest, FindWithNoHolderGivesNothing) {
  SourceFileListAdd(list, "INC.Q", 3, 0, 1);
  EntryView found = Holder(1, 0);
  EXPECT_EQ(found.name, "");
  EXPECT_EQ(found.fileIndex, -1);
}

// Source windows as a test double: distinct addresses, with a record of calls.
struct FakeViews {
  SourceWindow* views[8] = {};
  char storage[8] = {};
  std::vector<std::string> made, visited;
  int failAt = -1;
  static std::vector<SourceWindow*>& Destroyed() {
    static std::vector<SourceWindow*> destroyed;
    return destroyed;
  }
  SourceWindow* At(size_t i) { return reinterpret_cast<SourceWindow*>(&storage[i]); }
};

SourceWindow* MakeFake(char* path, void* context) {
  auto* fakes = static_cast<FakeViews*>(context);
  size_t i = fakes->made.size();
  fakes->made.push_back(path);
  if (static_cast<int>(i) == fakes->failAt) return nullptr;
  std::string corrected = std::string("C:\\src\\") + path;  // as the Script Location dialog would
  snprintf(path, kSourceNameSize, "%s", corrected.c_str());
  return fakes->At(i);
}

int DestroyFake(SourceWindow* view) {
  FakeViews::Destroyed().push_back(view);
  return 1;
}

TEST_F(SourceFileListTest, ViewsAreMadeVisitedAndDestroyedPerEntryInOrder) {
  SourceFileListAdd(list, "MAIN.Q", 0, 0, 0);
  SourceFileListAdd(list, "A.Q", 0, 5, 1);
  SourceFileListAdd(list, "B.Q", 0, 9, 2);
  FakeViews fakes;
  fakes.failAt = 1;  // A.Q cannot be found
  auto* placeholder = reinterpret_cast<HWND>(&fakes);
  EXPECT_EQ(SourceFileListMakeViews(list, placeholder, MakeFake, &fakes, DestroyFake), 1);
  EXPECT_EQ(fakes.made, (Names{"MAIN.Q", "A.Q", "B.Q"}));
  EXPECT_EQ(list->viewParent, placeholder);
  EXPECT_EQ(Holder(0, 9).name, "C:\\src\\B.Q");  // the entry keeps the corrected path

  EXPECT_EQ(SourceFileListFind(list, 0, 6, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(SourceFileListFind(list, 0, 10, nullptr, 0, nullptr), fakes.At(2));
  EXPECT_EQ(SourceFileListViewOf(list, 0), fakes.At(0));
  EXPECT_EQ(SourceFileListViewOf(list, 1), nullptr);
  EXPECT_EQ(SourceFileListViewOf(list, 7), nullptr);

  std::vector<SourceWindow*> visited;
  SourceFileListVisitViews(
      list, [](SourceWindow* view, void* seen) { static_cast<std::vector<SourceWindow*>*>(seen)->push_back(view); },
      &visited);
  EXPECT_EQ(visited, (std::vector<SourceWindow*>{fakes.At(0), fakes.At(2)}));

  FakeViews::Destroyed().clear();
  SourceFileListDestroy(list);
  list = nullptr;
  EXPECT_EQ(FakeViews::Destroyed(), (std::vector<SourceWindow*>{fakes.At(0), fakes.At(2)}));
}

// ---------------------------------------------------------------------------

TEST(NullTables, EveryOperationAnswersZeroOrNothing) {
  int32_t a = 0, b = 0;
  char name[8];
  EXPECT_EQ(LineTableAdd(nullptr, 1, 0, 0, 0), 0);
  EXPECT_EQ(LineTableFindLine(nullptr, 0, 0, &a, &b), 0);
  EXPECT_EQ(LineTableFindAddress(nullptr, 1, 0, &a, &b), 0);
  EXPECT_EQ(LineTableNextLine(nullptr, 1, 0, &a), 0);
  EXPECT_EQ(FunctionTableAdd(nullptr, "f", 1), 0);
  EXPECT_EQ(FunctionTableAddExtent(nullptr, 1, 1, 0), 0);
  EXPECT_EQ(FunctionTableAddLocal(nullptr, "f", "v", -101, 1), 0);
  EXPECT_EQ(FunctionTableFindBlock(nullptr, "f", &a), 0);
  EXPECT_EQ(FunctionTableGetName(nullptr, 1, name, sizeof name), 0);
  EXPECT_EQ(FunctionTableGetLocals(nullptr, 1), nullptr);
  EXPECT_EQ(FunctionTableBlockAtLine(nullptr, 1, 0), 0);
  EXPECT_EQ(FunctionTableGetExtent(nullptr, 1, &a), 0);
  CollectedNames shown;
  EXPECT_EQ(FunctionTableListNames(nullptr, shown.Sink()), 0);
  EXPECT_EQ(shown.resets, 0);
  EXPECT_EQ(VariableTableAdd(nullptr, "v", 0, 1), 0);
  EXPECT_EQ(VariableTableFind(nullptr, "v", &a, &b), 0);
  EXPECT_EQ(SourceFileListAdd(nullptr, "f", 0, 0, 0), 0);
  EXPECT_EQ(SourceFileListSetMain(nullptr, "f"), 0);
  EXPECT_EQ(SourceFileListFind(nullptr, 0, 0, name, sizeof name, &a), nullptr);
  EXPECT_EQ(SourceFileListViewOf(nullptr, 0), nullptr);
  LineTableDestroy(nullptr);
  FunctionTableDestroy(nullptr);
  VariableTableDestroy(nullptr);
  SourceFileListDestroy(nullptr);
}

}  // namespace

// The keys are written by hand for speed; they must be exactly what "%d-%d"
// and "%d" give, signs and extremes included.
TEST(SymbolKeys, WrittenExactlyAsTheDecimalFormats) {
  const int32_t numbers[] = {0, 7, -1, 12, -101, 32767, -32768, 65435, 2147483647, -2147483647 - 1};
  for (int32_t first : numbers) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d", first);
    EXPECT_STREQ(SymbolKeyOfNumber(first).text, expected);
    for (int32_t second : numbers) {
      std::snprintf(expected, sizeof expected, "%d-%d", first, second);
      EXPECT_STREQ(SymbolKeyOfPair(first, second).text, expected);
    }
  }
}

// The address lookup answers recent addresses from a small cache: addresses
// that share its slots, and an address added after it was asked for, must
// still give the table's own answers.
TEST(LineTableCache, SharedSlotsAndLateAdditionsGiveTheTablesAnswers) {
  LineTable* table = LineTableCreate();
  LineTableAdd(table, 10, 0, 0, 0);
  LineTableAdd(table, 26, 0, 0, 16);  // the same slot as (0, 0)
  LineTableAdd(table, 50, 1, 1, 9);   // 9 + 7 = 16: the same slot again
  int32_t line = 0, file = -1;
  for (int round = 0; round < 3; round++) {
    ASSERT_EQ(LineTableFindLine(table, 0, 0, &line, &file), 1);
    EXPECT_EQ(line, 10);
    ASSERT_EQ(LineTableFindLine(table, 0, 16, &line, &file), 1);
    EXPECT_EQ(line, 26);
    ASSERT_EQ(LineTableFindLine(table, 1, 9, &line, &file), 1);
    EXPECT_EQ(line, 50);
    EXPECT_EQ(file, 1);
  }
  EXPECT_EQ(LineTableFindLine(table, 2, 3, &line, &file), 0);
  EXPECT_EQ(LineTableFindLine(table, 2, 3, &line, &file), 0);  // a remembered "none"
  LineTableAdd(table, 77, 0, 2, 3);
  ASSERT_EQ(LineTableFindLine(table, 2, 3, &line, &file), 1);
  EXPECT_EQ(line, 77);
  LineTableAdd(table, 99, 0, 2, 3);  // a second record under the address: the first stays
  ASSERT_EQ(LineTableFindLine(table, 2, 3, &line, &file), 1);
  EXPECT_EQ(line, 77);
  LineTableDestroy(table);
}

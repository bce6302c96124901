// The three vocabulary lists are read from the string table: counts, order and
// the doubled constant must come through as the table holds them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory/List.h"
#include "memory/MemPoolDebug.h"
#include "sourceview/Vocabulary.h"

namespace {

std::vector<std::string> Words(List* list) {
  std::vector<std::string> words;
  for (auto* word = static_cast<char*>(ListFirst(list)); word; word = static_cast<char*>(ListNext(list)))
    words.push_back(word);
  return words;
}

TEST(Vocabulary, ListsHoldEveryWordInIdOrder) {
  ASSERT_EQ(VocabularyLoad(), 1);
  std::vector<std::string> keywords = Words(KeywordList);
  std::vector<std::string> functions = Words(FunctionNameList);
  std::vector<std::string> constants = Words(ConstantList);
  ASSERT_EQ(keywords.size(), 51u);
  ASSERT_EQ(functions.size(), 259u);
  ASSERT_EQ(constants.size(), 369u);
  EXPECT_EQ(keywords.front(), "BOOL");
  EXPECT_EQ(keywords[7], "NUMBER");
  EXPECT_EQ(keywords[8], "number");
  EXPECT_EQ(keywords.back(), "LIST");
  EXPECT_EQ(functions.front(), "Add");
  EXPECT_EQ(functions.back(), "ProgDefGroupType");
  EXPECT_EQ(constants.front(), "AFTER");
  EXPECT_EQ(constants[255], "MAX_STRING");  // id 5255
  EXPECT_EQ(constants[358], "MAX_STRING");  // id 5358
  EXPECT_EQ(constants.back(), "QN_WIN32S");
  VocabularyFree();
}

TEST(Vocabulary, LoadingAgainReplacesTheListsWithoutGrowing) {
  ASSERT_EQ(VocabularyLoad(), 1);
  MemPoolHandle sharedPool = KeywordList->pool;
  int segments = MemPoolSegmentCount(sharedPool);
  for (int session = 0; session < 20; session++) ASSERT_EQ(VocabularyLoad(), 1);
  EXPECT_EQ(ListCount(KeywordList), 51u);
  EXPECT_EQ(MemPoolSegmentCount(sharedPool), segments);
  VocabularyFree();
  EXPECT_EQ(KeywordList, nullptr);
  EXPECT_EQ(ListCount(ConstantList), 0u);
}

}  // namespace

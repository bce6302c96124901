#include "sourceview/Vocabulary.h"

#include "memory/List.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "util/Text.h"

List* KeywordList = nullptr;
List* FunctionNameList = nullptr;
List* ConstantList = nullptr;

namespace {

// The count string at `countId`, then that many words at the following ids
// (the constants' words start right after their count id, like the others).
List* LoadWords(uint32_t countId) {
  List* words = ListCreate(kListStrings);
  if (!words) return nullptr;
  char text[kVocabularyWordSize];
  PlatformLoadString(countId, text, sizeof text);
  int32_t count = TextToNumber(text);
  for (int32_t i = 1; i <= count; i++) {
    PlatformLoadString(countId + static_cast<uint32_t>(i), text, sizeof text);
    ListAdd(words, text);  // appends: the new node is always the current one
  }
  return words;
}

}  // namespace

int VocabularyLoad() {
  VocabularyFree();
  KeywordList = LoadWords(IDS_KEYWORDS_COUNT);
  FunctionNameList = LoadWords(IDS_FUNCTIONS_COUNT);
  ConstantList = LoadWords(IDS_CONSTANTS_COUNT);
  return KeywordList && FunctionNameList && ConstantList;
}

void VocabularyFree() {
  ListDestroy(KeywordList);
  ListDestroy(FunctionNameList);
  ListDestroy(ConstantList);
  KeywordList = FunctionNameList = ConstantList = nullptr;
}

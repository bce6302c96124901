// The script language's vocabulary as the debugger carries it: three runs of
// string resources (keywords and type names, built-in function names, built-in
// constants), each a count string followed by one word a string. QNdbgInit
// reads them anew into three process-wide string lists; every source view
// then enters them into its own lookup table.
#pragma once

#include <cstdint>

struct List;

extern List* KeywordList;       // colour element 4
extern List* FunctionNameList;  // colour element 2
extern List* ConstantList;      // colour element 8

constexpr int kVocabularyWordSize = 90;  // buffer each word is loaded with

// Builds the three lists from the string table, replacing earlier ones.
// 1 when all three lists could be made.
int VocabularyLoad();
// Destroys the three lists.
void VocabularyFree();

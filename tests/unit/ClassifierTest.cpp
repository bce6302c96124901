// The tokenizer and the comment spans, checked as the tokens of each line:
// (first byte, byte length, element painted with).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "memory/List.h"
#include "platform/PlatformTesting.h"
#include "support/SourceTextTesting.h"

namespace {

using Toks = std::vector<Tok>;

TEST(ClassifierTokens, AssignmentWithNumberAndLineComment) {
  ViewHolder view;
  view.Append({"a = 0x1F; // note"});
  EXPECT_EQ(TokensOf(view.get(), 0),
            (Toks{{'a', 1, 7}, {' ', 1, 7}, {'=', 1, 7}, {' ', 1, 7}, {'0', 4, 9}, {';', 1, 7}, {' ', 1, 7},
                  {'/', 7, 1}}));
  const SyntaxToken* comment = SourceViewLine(view.get(), 0)->tokens;
  while (comment->next) comment = comment->next;
  EXPECT_EQ(comment->commentKind, kCommentLine);
  EXPECT_EQ(view->commentSpans->count, 0u);
}

TEST(ClassifierTokens, StringsRunToTheSameQuoteOrTheEndOfTheLine) {
  ViewHolder view;
  view.Append({"s = \"it's\" + 'a \"b\" c'", "t = \"never closed // not a comment", "\"\"''"});
  EXPECT_EQ(TokensOf(view.get(), 0),
            (Toks{{'s', 1, 7}, {' ', 1, 7}, {'=', 1, 7}, {' ', 1, 7}, {'"', 6, 3}, {' ', 1, 7}, {'+', 1, 7},
                  {' ', 1, 7}, {'\'', 9, 3}}));
  EXPECT_EQ(TokensOf(view.get(), 1), (Toks{{'t', 1, 7}, {' ', 1, 7}, {'=', 1, 7}, {' ', 1, 7}, {'"', 30, 3}}));
  EXPECT_EQ(TokensOf(view.get(), 2), (Toks{{'"', 2, 3}, {'\'', 2, 3}}));
}

TEST(ClassifierTokens, NumbersAndWords) {
  ViewHolder view;
  view.Append({"0X1F 0x 0xZZ 12ab 123 _9", "#include \"setup.h\"", "x\ty"});
  EXPECT_EQ(TokensOf(view.get(), 0),
            (Toks{{'0', 4, 7}, {' ', 1, 7}, {'0', 2, 9}, {' ', 1, 7}, {'0', 4, 9}, {' ', 1, 7}, {'1', 4, 7},
                  {' ', 1, 7}, {'1', 3, 9}, {' ', 1, 7}, {'_', 2, 7}}));
  // "#" is a delimiter, so "#include" is never a keyword token.
  EXPECT_EQ(TokensOf(view.get(), 1), (Toks{{'#', 1, 7}, {'i', 7, 7}, {' ', 1, 7}, {'"', 9, 3}}));
  EXPECT_EQ(TokensOf(view.get(), 2), (Toks{{'x', 1, 7}, {'\t', 1, 7}, {'y', 1, 7}}));  // a tab is no space
}

TEST(ClassifierVocabulary, ExactCaseSensitiveWordsOfTheThreeLists) {
  ViewHolder view;
  view.Append({"NUMBER number STRING string Exit exit Number", "StrLength TRUE QN_WIN32S repeat strlength"});
  EXPECT_EQ(TokensOf(view.get(), 0),
            (Toks{{'N', 6, 4}, {' ', 1, 7}, {'n', 6, 4}, {' ', 1, 7}, {'S', 6, 4}, {' ', 1, 7}, {'s', 6, 4},
                  {' ', 1, 7}, {'E', 4, 4}, {' ', 1, 7}, {'e', 4, 4}, {' ', 1, 7}, {'N', 6, 7}}));
  EXPECT_EQ(TokensOf(view.get(), 1),
            (Toks{{'S', 9, 2}, {' ', 1, 7}, {'T', 4, 8}, {' ', 1, 7}, {'Q', 9, 8}, {' ', 1, 7}, {'r', 6, 4},
                  {' ', 1, 7}, {'s', 9, 7}}));
}

TEST(ClassifierVocabulary, TheEarlierListWins) {
  List* first = ListCreate(kListStrings);
  List* second = ListCreate(kListStrings);
  ListAdd(first, "Twice");
  ListAdd(second, "Twice");
  ListAdd(second, "Once");
  ListAdd(second, "#");
  SourceView* view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
  ASSERT_EQ(SourceViewAddWords(view, first, kColorKeyword), 1);
  ASSERT_EQ(SourceViewAddWords(view, second, kColorConstant), 1);
  ASSERT_EQ(SourceViewAppendLine(view, "Twice Once #", 12), 1);
  EXPECT_EQ(TokensOf(view, 0), (Toks{{'T', 5, 4}, {' ', 1, 7}, {'O', 4, 8}, {' ', 1, 7}, {'#', 1, 8}}));
  SourceViewFree(view);
  ListDestroy(first);
  ListDestroy(second);
}

// Lines 3 to 7 of a file with a block comment between them.
TEST(ClassifierComments, BlockCommentOverSeveralLines) {
  ViewHolder view;
  view.Append({"a", "b", "c", "x = 1; /* begins", "  inside", "STRING \"x\"", "", "ends */ y = 2;", "z"});
  EXPECT_EQ(TokensOf(view.get(), 2), (Toks{{'c', 1, 7}}));
  EXPECT_EQ(TokensOf(view.get(), 3),
            (Toks{{'x', 1, 7}, {' ', 1, 7}, {'=', 1, 7}, {' ', 1, 7}, {'1', 1, 9}, {';', 1, 7}, {' ', 1, 7},
                  {'/', 9, 1}}));
  for (int line = 4; line <= 6; line++) EXPECT_EQ(SourceViewIsCommentLine(view.get(), line), 1) << line;
  for (int line : {0, 1, 2, 3, 7, 8}) EXPECT_EQ(SourceViewIsCommentLine(view.get(), line), 0) << line;
  EXPECT_EQ(TokensOf(view.get(), 7),
            (Toks{{'e', 4, 1}, {' ', 1, 1}, {'*', 2, 1}, {' ', 1, 7}, {'y', 1, 7}, {' ', 1, 7}, {'=', 1, 7},
                  {' ', 1, 7}, {'2', 1, 9}, {';', 1, 7}}));
  EXPECT_EQ(TokensOf(view.get(), 8), (Toks{{'z', 1, 7}}));
  ASSERT_EQ(view->commentSpans->count, 1u);
  auto* span = static_cast<CommentSpan*>(ListFirst(view->commentSpans));
  EXPECT_EQ(span->startLine, 3);
  EXPECT_EQ(span->startChar, 7);
  EXPECT_EQ(span->endLine, 7);
  EXPECT_EQ(span->endChar, 6);
}

TEST(ClassifierComments, CommentsWithinOneLine) {
  ViewHolder view;
  view.Append({"a /* one */ b /*/ c", "/**/d// e /* f"});
  EXPECT_EQ(TokensOf(view.get(), 0),
            (Toks{{'a', 1, 7}, {' ', 1, 7}, {'/', 9, 1}, {' ', 1, 7}, {'b', 1, 7}, {' ', 1, 7}, {'/', 3, 1},
                  {' ', 1, 7}, {'c', 1, 7}}));
  EXPECT_EQ(TokensOf(view.get(), 1), (Toks{{'/', 4, 1}, {'d', 1, 7}, {'/', 9, 1}}));
  EXPECT_EQ(SourceViewIsCommentLine(view.get(), 1), 0);
}

TEST(ClassifierComments, BlockCommentNeverClosed) {
  ViewHolder view;
  view.Append({"before", "x /* open", "NUMBER", "*", "/"});
  EXPECT_EQ(TokensOf(view.get(), 0), (Toks{{'b', 6, 7}}));
  EXPECT_EQ(SourceViewIsCommentLine(view.get(), 1), 0);
  EXPECT_EQ(TokensOf(view.get(), 1), (Toks{{'x', 1, 7}, {' ', 1, 7}, {'/', 7, 1}}));
  for (int line = 2; line <= 4; line++) EXPECT_EQ(SourceViewIsCommentLine(view.get(), line), 1) << line;
}

TEST(ClassifierComments, StrayEndMovesTheEndOfTheMostRecentSpan) {
  ViewHolder view;
  view.Append({"/* a */", "b", "c */ d", "e */", "f"});
  ASSERT_EQ(view->commentSpans->count, 1u);
  auto* span = static_cast<CommentSpan*>(ListFirst(view->commentSpans));
  EXPECT_EQ(span->endLine, 3);
  EXPECT_EQ(span->endChar, 3);
  EXPECT_EQ(TokensOf(view.get(), 0), (Toks{{'/', 7, 1}}));
  for (int line = 1; line <= 2; line++) EXPECT_EQ(SourceViewIsCommentLine(view.get(), line), 1) << line;
  EXPECT_EQ(TokensOf(view.get(), 3), (Toks{{'e', 1, 1}, {' ', 1, 1}, {'*', 2, 1}}));
  EXPECT_EQ(TokensOf(view.get(), 4), (Toks{{'f', 1, 7}}));
  const SyntaxToken* stray = SourceViewLine(view.get(), 3)->tokens->next->next;
  EXPECT_EQ(stray->commentKind, kCommentBlockEnd);

  ViewHolder empty;
  empty.Append({"x */ y"});  // nothing to close
  EXPECT_EQ(empty->commentSpans->count, 0u);
  EXPECT_EQ(TokensOf(empty.get(), 0), (Toks{{'x', 1, 7}, {' ', 1, 7}, {'*', 2, 7}, {' ', 1, 7}, {'y', 1, 7}}));
}

TEST(ClassifierCharacters, DoubleByteCharacterIsOneTokenOutsideStrings) {
  PlatformUseDoubleByteCodePage(true);
  ViewHolder view;
  // A lead byte followed by "A": one character, not a delimiter and a word.
  view.Append({"x\x88" "Ay \"\x82\"\" z", "\xE9"});
  PlatformUseDoubleByteCodePage(false);
  EXPECT_EQ(TokensOf(view.get(), 0),
            (Toks{{'x', 1, 7}, {'\x88', 2, 7}, {'y', 1, 7}, {' ', 1, 7}, {'"', 4, 3}, {' ', 1, 7}, {'z', 1, 7}}));
  const SyntaxToken* text = SourceViewLine(view.get(), 0)->tokens->next->next->next->next;
  EXPECT_EQ(text->firstChar, 4);
  EXPECT_EQ(text->lastChar, 6);  // the lead byte took the first closing quote with it
  EXPECT_EQ(TokensOf(view.get(), 1), (Toks{{'\xE9', 1, 7}}));
}

// Random lines built from the language's pieces: the tokens must cover each
// line exactly, in order, and carry the character indexes of their bytes.
void CheckTokensCoverLine(const SourceView* view, int32_t index) {
  const SourceLine* line = SourceViewLine(view, index);
  int32_t offset = 0;
  int32_t nextChar = 0;
  for (const SyntaxToken* token = line->tokens; token; token = token->next) {
    ASSERT_EQ(token->byteOffset, offset) << "line " << index << ": " << line->text;
    ASSERT_GT(token->byteLength, 0);
    ASSERT_EQ(token->firstChar, nextChar);
    ASSERT_EQ(token->firstChar, SourceLineCharIndex(line, token->byteOffset));
    ASSERT_EQ(token->lastChar, SourceLineCharIndex(line, token->byteOffset + token->byteLength - 1));
    ASSERT_NE(token->element, 0);
    offset += token->byteLength;
    nextChar = token->lastChar + 1;
  }
  ASSERT_EQ(offset, line->length) << "line " << index << ": " << line->text;
  ASSERT_EQ(nextChar - 1, line->lastCharIndex);
}

TEST(ClassifierProperty, TokensCoverRandomLinesExactly) {
  const std::vector<std::string> pieces = {
      "if",    "StrLength", "TRUE", "szName", "nIndex", "_x1", "0x1F",  "0X2", "42",  "12ab", "\"text\"", "\"open",
      "'a'",   "//",        "/*",   "*/",     "/",      "*",   "#",     " ",   "   ", "\t",   "(",        ")",
      ";",     "=",         ",",    "\x82",   "\xA0",   "\xE9", "\x88" "A", "\x81" "\"", "\x9F" "*", "\xFC",
  };
  std::mt19937 random(20240611);
  for (bool doubleByte : {false, true}) {
    PlatformUseDoubleByteCodePage(doubleByte);
    ViewHolder view;
    for (int32_t index = 0; index < 3000; index++) {
      std::string line;
      size_t count = random() % 40;
      for (size_t i = 0; i < count; i++) line += pieces[random() % pieces.size()];
      ASSERT_EQ(SourceViewAppendLine(view.get(), line.data(), static_cast<uint32_t>(line.size())), 1);
      CheckTokensCoverLine(view.get(), index);
      if (HasFatalFailure()) break;
    }
    PlatformUseDoubleByteCodePage(false);
  }
}

}  // namespace

// The colouriser of the source view: the vocabulary table of each view, the
// tokenizer that splits a line into SyntaxTokens with a colour element, and
// the bookkeeping of block comments that run over several lines.
#pragma once

#include <cstdint>

struct CommentSpan;
struct List;
struct SourceLine;
struct SourceView;
struct SyntaxToken;

// Enters every word of the string list, in list order, with the element into
// the view's vocabulary; a word already there keeps its first element. 1, or
// 0 for a null view or when memory runs out.
int SourceViewAddWords(SourceView* view, List* words, uint8_t element);
// Enters the language's vocabulary the way a source window does: keywords,
// then built-in function names, then constants, so that the earlier list wins.
int SourceViewAddVocabulary(SourceView* view);

// Builds the token chain of a stored line (line->text, line->length) and
// updates the view's comment spans. Lines must be classified in file order.
// 0 when memory runs out.
int SourceViewClassifyLine(SourceView* view, SourceLine* line, int32_t lineIndex);

// How the block comments of a view colour one line, to be applied to each
// token of the line. Cheap: worked out for all lines when first asked after
// lines were classified.
struct LineComments {
  int32_t line;
  const CommentSpan* span;  // first span that began, or closed, on the line; null when none
  bool wholeLine;           // a span began on an earlier line and ends on a later one or never
};
LineComments SourceViewLineComments(SourceView* view, int32_t lineIndex);

// The element a token of the line is painted with: its own, or comment when
// the span that began or ended on that line covers it. (A span that began and
// ended on the line leaves the tokens alone: its own token is the comment.)
uint8_t SyntaxTokenElementIn(const LineComments* comments, const SyntaxToken* token);
uint8_t SyntaxTokenEffectiveElement(SourceView* view, int32_t lineIndex, const SyntaxToken* token);

// 1 when the whole line lies inside a block comment that began on an earlier
// line and ends on a later one or never.
int SourceViewIsCommentLine(SourceView* view, int32_t lineIndex);

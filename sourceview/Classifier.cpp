// The colouriser: each line is split into tokens once, when it is stored, and
// painting only reads the result.
//
// Tokens. A byte is a delimiter unless it is "_", a digit or an ASCII letter
// (so "#" and every byte of 128 and above are delimiters). At each position:
// a run of spaces; a string literal from a quote to the same quote or the end
// of the line, without escapes; "*/" (a two-byte token that closes the most
// recent block comment); "/*" up to the first "*/" or the end of the line;
// "//" to the end of the line; any other delimiter alone; else a word, which
// is a number when it is all digits or starts with "0x". Words and lone
// delimiters are looked up in the view's vocabulary by their exact bytes;
// the view keeps the first and last byte and the length of every word it
// holds, so that
// most tokens (names of the script's own, punctuation) are known not to be
// words without hashing them.
//
// Double-byte characters. A delimiter that is the lead byte of a double-byte
// character makes one token of the whole character rather than two one-byte
// tokens: the trail byte may be an ASCII letter, and as a token of its own it
// would start a word in the middle of a character. So every token begins and
// ends on a character boundary and its firstChar and lastChar are the
// character indexes of its first and last byte. In a single-byte code page
// this is the one-byte token of the plain rule.
//
// Block comments over several lines. Each "/*" appends a CommentSpan to the
// view's list; each "*/" (inside that comment or as a stray token) sets the
// end of the most recent span. Spans are appended as lines are classified in
// file order, so their startLine never decreases along the list. A later line
// can change how earlier lines look (a stray "*/" stretches the last span
// over them), so the colouring of lines by spans is not kept while lines are
// classified: the first question of painting after a change works it out for
// every line at once (SweepComments), in time linear in lines and spans, and
// keeps it in the lines.
#include "sourceview/Classifier.h"

#include <cstdint>
#include <cstring>

#include "memory/HashTable.h"
#include "memory/List.h"
#include "memory/MemPool.h"
#include "sourceview/SourceStore.h"
#include "sourceview/SourceView.h"
#include "sourceview/Vocabulary.h"
#include "util/Text.h"

namespace {

constexpr bool IsWordByte(unsigned char c) {
  return c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

struct WordBytes {
  bool is[256];
  constexpr WordBytes() : is() {
    for (int c = 0; c < 256; c++) is[c] = IsWordByte(static_cast<unsigned char>(c));
  }
};
constexpr WordBytes kWordBytes;

inline bool WordByte(char c) { return kWordBytes.is[static_cast<unsigned char>(c)]; }

// Tokens are gathered here and moved to the view's pool a batch at a time, so
// a line costs one allocation for its tokens, not one per token.
constexpr int kTokenBatch = 128;

struct TokenChain {
  SourceView* view;
  SourceLine* line;
  SyntaxToken batch[kTokenBatch];
  int batchCount;
  SyntaxToken* last;  // last token already in the pool
  int32_t nextChar;   // character index of the next token
};

bool TokenChainFlush(TokenChain* chain) {
  if (chain->batchCount == 0) return true;
  auto* block = static_cast<SyntaxToken*>(
      MemPoolAlloc(chain->view->pool, static_cast<uint32_t>(sizeof(SyntaxToken)) * chain->batchCount));
  if (!block) return false;
  std::memcpy(block, chain->batch, sizeof(SyntaxToken) * chain->batchCount);
  for (int i = 0; i + 1 < chain->batchCount; i++) block[i].next = &block[i + 1];
  block[chain->batchCount - 1].next = nullptr;
  if (chain->last) chain->last->next = block;
  else chain->line->tokens = block;
  chain->last = &block[chain->batchCount - 1];
  chain->batchCount = 0;
  return true;
}

bool TokenChainAdd(TokenChain* chain, int32_t byteOffset, int32_t byteLength, int32_t chars, uint8_t element,
                   uint8_t commentKind) {
  if (chain->batchCount == kTokenBatch && !TokenChainFlush(chain)) return false;
  SyntaxToken& token = chain->batch[chain->batchCount++];
  token.byteOffset = static_cast<uint16_t>(byteOffset);
  token.byteLength = static_cast<uint16_t>(byteLength);
  token.firstChar = static_cast<uint16_t>(chain->nextChar);
  token.lastChar = static_cast<uint16_t>(chain->nextChar + chars - 1);
  token.element = element;
  token.commentKind = commentKind;
  token.next = nullptr;
  chain->nextChar += chars;
  return true;
}

uint64_t ShapeBit(size_t length) { return uint64_t{1} << (length < 63 ? length : 63); }

// The element of a word or lone delimiter: its vocabulary entry's, or other.
uint8_t LookUp(const SourceView* view, const char* bytes, size_t length) {
  if (length >= kVocabularyWordBytes) return kColorOther;  // longer than any word
  uint64_t shape = ShapeBit(length);
  if (!(view->vocabularyStarts[static_cast<unsigned char>(bytes[0])] & shape) ||
      !(view->vocabularyEnds[static_cast<unsigned char>(bytes[length - 1])] & shape))
    return kColorOther;
  char key[kVocabularyWordBytes];
  std::memcpy(key, bytes, length);
  key[length] = 0;
  intptr_t value;
  if (!HashLookup(view->vocabulary, key, &value)) return kColorOther;
  return reinterpret_cast<const VocabularyEntry*>(value)->element;
}

bool IsNumber(const char* word, size_t length) {
  if (length >= 2 && word[0] == '0' && word[1] == 'x') return true;
  for (size_t i = 0; i < length; i++)
    if (word[i] < '0' || word[i] > '9') return false;
  return true;
}

bool SpanIsOpen(const CommentSpan* span) { return span->endLine == 0 && span->endChar == 0; }

bool OpenSpan(SourceView* view, int32_t line, int32_t startChar) {
  CommentSpan span = {line, 0, startChar, 0};
  ListLast(view->commentSpans);
  return ListAdd(view->commentSpans, &span) == 1;
}

// A "*/" ends the most recent span, whether or not it is still open.
void CloseLastSpan(SourceView* view, int32_t line, int32_t slashChar) {
  if (auto* span = static_cast<CommentSpan*>(ListLast(view->commentSpans))) {
    span->endLine = line;
    span->endChar = slashChar;
  }
}

// Gives the line its span, unless an earlier span of the list has it.
void ClaimLine(SourceView* view, int32_t lineIndex, const CommentSpan* span) {
  SourceLine* line = SourceViewLine(view, lineIndex);
  if (line && !line->commentSpan) line->commentSpan = span;
}

// Works out the comment fields of every line in one pass over the lines and
// two over the spans.
void SweepComments(SourceView* view) {
  for (int32_t index = 0; index < view->lineCount; index++) {
    SourceLine* line = SourceViewLine(view, index);
    line->commentSpan = nullptr;
    line->wholeComment = 0;
  }
  // A line is whole comment when the spans begun on earlier lines reach past it.
  List* spans = view->commentSpans;
  auto* span = static_cast<const CommentSpan*>(ListFirst(spans));
  int32_t reach = -1;  // last line reached by the spans begun so far; INT32_MAX when one is open
  for (int32_t index = 0; index < view->lineCount; index++) {
    for (; span && span->startLine < index; span = static_cast<const CommentSpan*>(ListNext(spans))) {
      int32_t end = SpanIsOpen(span) ? INT32_MAX : span->endLine;
      if (end > reach) reach = end;
    }
    SourceViewLine(view, index)->wholeComment = reach > index;
  }
  for (span = static_cast<const CommentSpan*>(ListFirst(spans)); span;
       span = static_cast<const CommentSpan*>(ListNext(spans))) {
    ClaimLine(view, span->startLine, span);
    if (!SpanIsOpen(span)) ClaimLine(view, span->endLine, span);
  }
  view->commentsSwept = 1;
}

}  // namespace

int SourceViewAddWords(SourceView* view, List* words, uint8_t element) {
  if (!view) return 0;
  for (auto* word = static_cast<const char*>(ListFirst(words)); word; word = static_cast<const char*>(ListNext(words))) {
    auto* entry = static_cast<VocabularyEntry*>(MemPoolAlloc(view->pool, sizeof(VocabularyEntry)));
    if (!entry) return 0;
    TextCopy(entry->word, sizeof entry->word, word);
    entry->element = element;
    int inserted = HashInsert(view->vocabulary, entry->word, reinterpret_cast<intptr_t>(entry), 0);
    if (inserted == 0) {
      size_t length = std::strlen(entry->word);
      if (length == 0) continue;  // no token is empty
      view->vocabularyStarts[static_cast<unsigned char>(entry->word[0])] |= ShapeBit(length);
      view->vocabularyEnds[static_cast<unsigned char>(entry->word[length - 1])] |= ShapeBit(length);
      continue;
    }
    MemPoolFree(view->pool, entry);  // -2: the earlier entry of the word stays
    if (inserted == -1) return 0;
  }
  return 1;
}

int SourceViewAddVocabulary(SourceView* view) {
  return SourceViewAddWords(view, KeywordList, kColorKeyword) &&
         SourceViewAddWords(view, FunctionNameList, kColorFunction) &&
         SourceViewAddWords(view, ConstantList, kColorConstant);
}

int SourceViewClassifyLine(SourceView* view, SourceLine* line, int32_t lineIndex) {
  if (!view || !line) return 0;
  view->commentsSwept = 0;
  TokenChain chain;
  chain.view = view;
  chain.line = line;
  chain.batchCount = 0;
  chain.last = nullptr;
  chain.nextChar = 0;
  line->tokens = nullptr;

  const char* text = line->text;
  const char* p = text;
  while (*p) {
    const char* start = p;
    const char c = *p;
    const char d = p[1];
    int32_t chars;
    uint8_t element = kColorOther;
    uint8_t kind = kCommentNone;
    bool lookUp = false;
    if (WordByte(c)) {
      while (WordByte(*p)) p++;
      chars = static_cast<int32_t>(p - start);
      if (IsNumber(start, static_cast<size_t>(p - start))) element = kColorNumber;
      else lookUp = true;
    } else if (c == ' ') {
      while (*p == ' ') p++;
      chars = static_cast<int32_t>(p - start);
    } else if (c == '"' || c == '\'') {
      element = kColorString;
      p++;
      for (chars = 1; *p && *p != c; chars++) p = SourceCharNext(p);
      if (*p) p++, chars++;
    } else if (c == '*' && d == '/') {
      kind = kCommentBlockEnd;
      p += 2;
      chars = 2;
      CloseLastSpan(view, lineIndex, chain.nextChar + 1);
    } else if (c == '/' && d == '*') {
      element = kColorComment;
      kind = kCommentBlockStart;
      p++;  // the scan starts at the star, which may also be the star of "*/"
      for (chars = 1; *p && !(p[0] == '*' && p[1] == '/'); chars++) p = SourceCharNext(p);
      bool closed = *p != 0;
      if (closed) p += 2, chars += 2;
      if (!OpenSpan(view, lineIndex, chain.nextChar)) return 0;
      if (closed) CloseLastSpan(view, lineIndex, chain.nextChar + chars - 1);
    } else if (c == '/' && d == '/') {
      element = kColorComment;
      kind = kCommentLine;
      for (chars = 0; *p; chars++) p = SourceCharNext(p);
    } else {
      p = SourceCharNext(p);
      chars = 1;
      lookUp = true;
    }
    if (lookUp) element = LookUp(view, start, static_cast<size_t>(p - start));
    if (!TokenChainAdd(&chain, static_cast<int32_t>(start - text), static_cast<int32_t>(p - start), chars, element,
                       kind))
      return 0;
  }
  return TokenChainFlush(&chain) ? 1 : 0;
}

LineComments SourceViewLineComments(SourceView* view, int32_t lineIndex) {
  LineComments result = {lineIndex, nullptr, false};
  if (!view) return result;
  if (!view->commentsSwept) SweepComments(view);
  if (const SourceLine* line = SourceViewLine(view, lineIndex)) {
    result.span = line->commentSpan;
    result.wholeLine = line->wholeComment != 0;
  }
  return result;
}

uint8_t SyntaxTokenElementIn(const LineComments* comments, const SyntaxToken* token) {
  const CommentSpan* span = comments->span;
  if (!span) return token->element;
  int32_t line = comments->line;
  if (span->startLine == line) {
    if (!SpanIsOpen(span) && span->endLine == line) return token->element;  // began and ended here
    return token->firstChar >= span->startChar ? static_cast<uint8_t>(kColorComment) : token->element;
  }
  return token->firstChar <= span->endChar ? static_cast<uint8_t>(kColorComment) : token->element;
}

uint8_t SyntaxTokenEffectiveElement(SourceView* view, int32_t lineIndex, const SyntaxToken* token) {
  LineComments comments = SourceViewLineComments(view, lineIndex);
  return SyntaxTokenElementIn(&comments, token);
}

int SourceViewIsCommentLine(SourceView* view, int32_t lineIndex) {
  return SourceViewLineComments(view, lineIndex).wholeLine ? 1 : 0;
}

// The window-free part of the source view: the record's life, the line marks
// and the runs that painting draws.
//
// Runs. A line is drawn as a sequence of runs, each one text call in one
// colour pair, kept in the record's fixed array of 128 so that painting
// allocates nothing. Neighbouring tokens of the same effective element share
// a run (the pixels are the same, the text calls fewer), so a line needs more
// than 128 runs only when its colour changes more than 127 times. Such a line
// still paints all its text: the 128th run covers everything from its start
// to the end of the line as other text (element 7).
#include "sourceview/SourceView.h"

#include <cstdio>

#include "memory/HashTable.h"
#include "memory/List.h"
#include "sourceview/Classifier.h"

namespace {

HashTable* MarkTable(const SourceView* view, int selector) {
  return selector == kMarkCurrentLine ? view->currentLineMarks : view->breakpointMarks;
}

// Line marks are keyed by the line index in decimal.
struct LineKey {
  char text[16];
  explicit LineKey(int32_t line) { std::snprintf(text, sizeof text, "%d", static_cast<int>(line)); }
};

void AddRun(SourceView* view, const char* text, int32_t length, uint8_t element) {
  DrawRun& run = view->runs[view->runCount++];
  run.text = text;
  run.length = length;
  run.element = element;
}

}  // namespace

SourceView* SourceViewNew(HWND parent, int32_t controlId, void* font, uint32_t styleFlags) {
  MemPoolHandle pool = MemPoolCreate(kSourcePoolSize, kSourcePoolFlags);
  if (pool == kMemPoolFailed) return nullptr;
  auto* view = static_cast<SourceView*>(MemPoolAlloc(pool, sizeof(SourceView)));
  if (!view) {
    MemPoolDestroy(pool);
    return nullptr;
  }
  *view = SourceView();
  view->pool = pool;
  view->parent = parent;
  view->controlId = controlId;
  view->font = font;
  view->styleFlags = styleFlags;
  view->fileHandle = kPlatformNoFile;
  view->maxLines = kSourceMaxLines;
  view->vocabulary = HashCreateInPool(kHashBuckets, 4, 0, pool);
  view->breakpointMarks = HashCreateInPool(kHashBuckets, 4, 0, pool);
  view->currentLineMarks = HashCreateInPool(kHashBuckets, 4, 0, pool);
  view->commentSpans = ListCreateInPool(sizeof(CommentSpan), pool);
  if (!view->vocabulary || !view->breakpointMarks || !view->currentLineMarks || !view->commentSpans) {
    MemPoolDestroy(pool);
    return nullptr;
  }
  return view;
}

void SourceViewFree(SourceView* view) {
  if (!view) return;
  MemPoolHandle pool = view->pool;
  ListDestroy(view->commentSpans);
  MemPoolDestroy(pool);  // the record, the lines, the tokens and the tables with it
}

SourceLine* SourceViewLine(const SourceView* view, int32_t index) {
  if (!view || index < 0 || index >= view->lineCount) return nullptr;
  return view->lines[index / kSourceLinePageSize][index % kSourceLinePageSize];
}

int SourceViewSetLineMark(SourceView* view, int32_t line, uint8_t element, int selector) {
  if (!view) return 0;
  return HashInsert(MarkTable(view, selector), LineKey(line).text, element, 1) == 0;
}

int SourceViewClearLineMark(SourceView* view, int32_t line, int selector) {
  if (!view) return 0;
  return HashRemove(MarkTable(view, selector), LineKey(line).text);
}

uint8_t SourceViewLineMark(const SourceView* view, int32_t line) {
  if (!view) return 0;
  LineKey key(line);
  intptr_t element;
  if (HashLookup(view->currentLineMarks, key.text, &element) || HashLookup(view->breakpointMarks, key.text, &element))
    return static_cast<uint8_t>(element);
  return 0;
}

int32_t SourceViewLineRuns(SourceView* view, int32_t lineIndex) {
  if (!view) return 0;
  view->runCount = 0;
  const SourceLine* line = SourceViewLine(view, lineIndex);
  if (!line || line->length == 0) return 0;

  if (uint8_t mark = SourceViewLineMark(view, lineIndex)) {
    AddRun(view, line->text, line->length, mark);
    return view->runCount;
  }
  LineComments comments = SourceViewLineComments(view, lineIndex);
  if (comments.wholeLine) {
    AddRun(view, line->text, line->length, kColorComment);
    return view->runCount;
  }
  for (const SyntaxToken* token = line->tokens; token; token = token->next) {
    uint8_t element = SyntaxTokenElementIn(&comments, token);
    if (view->runCount > 0 && view->runs[view->runCount - 1].element == element) {
      view->runs[view->runCount - 1].length += token->byteLength;
    } else if (view->runCount == kSourceMaxRuns) {
      DrawRun& rest = view->runs[kSourceMaxRuns - 1];
      rest.length = static_cast<int32_t>(line->text + line->length - rest.text);
      rest.element = kColorOther;
      break;
    } else {
      AddRun(view, line->text + token->byteOffset, token->byteLength, element);
    }
  }
  return view->runCount;
}

int SourceViewSetColors(SourceView* view, int element, uint32_t foreground, uint32_t background) {
  if (!view || element < 0 || element >= kColorSlots) return 0;
  view->foreground[element] = foreground;
  view->background[element] = background;
  return 1;
}

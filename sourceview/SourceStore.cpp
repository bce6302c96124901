// The text store: a script file read into the view's line table.
//
// The file is read in 8192-byte blocks into a buffer from the view's pool and
// split into lines. A line that runs past the end of a block is read again
// from its first byte by seeking back, so every line but an overlong one is
// cut out of a single block. Every line's record and text are one block of
// the view's pool; its tokens come from the pool too (Classifier.cpp).
//
// How strange files are read (what a user of a source viewer expects):
//
// - Line ends: CR LF is one line end, and so are a lone CR and a lone LF; the
//   line after any of them is kept whole. LF CR is two line ends (an LF, then
//   a CR), as editors show it. A CR as the last byte of a block is a line end
//   whose LF, if the next block begins with one, belongs to it.
// - A file whose last line has no line end still gives that line; a file that
//   ends with a line end gives no empty line after it.
// - Ctrl-Z (byte 26) anywhere is shown as a space, and so is a NUL byte: a
//   NUL must neither end the line's text early nor hide the rest of the file.
// - Long lines: a line of any length up to kSourceLineMaxBytes is kept and
//   shown whole, also when it is longer than one block (it is gathered in a
//   buffer from the pool, block after block). Of a longer line the first
//   kSourceLineMaxBytes bytes are kept and the rest is skipped up to the line
//   end: the line keeps its number, which the debug information refers to.
// - Line ends are found byte by byte, not character by character: no
//   double-byte code page uses CR, LF, Ctrl-Z or NUL as a trail byte, so a
//   lead byte right before a line end is a broken character, not a reason to
//   join two lines.
// - A read error ends the load with 0 (the file cannot be read), rather than
//   passing a half-read file off as whole.
#include "sourceview/SourceStore.h"

#include <cstdio>
#include <cstring>

#include "memory/List.h"
#include "memory/MemPool.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "sourceview/Classifier.h"
#include "sourceview/SourceView.h"

namespace {

static_assert(sizeof(SourceLine) + kSourceLineMaxBytes + 1 <= kSourcePoolSize,
              "the longest line and its record must fit in one block of the view's pool");
static_assert(sizeof(SourceLine*) * kSourceLinePageSize <= kSourcePoolSize, "a page of the line table is one block");
static_assert(sizeof(SourceView) <= kSourcePoolSize, "the record is one block of its pool");

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kCtrlZ = 26;

// The gathering of a line longer than one block.
struct LongLine {
  char* buffer;     // kSourceLineMaxBytes bytes from the view's pool, or null
  uint32_t length;  // bytes gathered (the rest of a longer line is dropped)
  bool pending;     // a line is being gathered
};

bool LongLineAppend(SourceView* view, LongLine* gathered, const char* bytes, uint32_t count) {
  if (!gathered->buffer) {
    gathered->buffer = static_cast<char*>(MemPoolAlloc(view->pool, kSourceLineMaxBytes));
    if (!gathered->buffer) return false;
  }
  uint32_t room = kSourceLineMaxBytes - gathered->length;
  if (count > room) count = room;
  std::memcpy(gathered->buffer + gathered->length, bytes, count);
  gathered->length += count;
  gathered->pending = true;
  return true;
}

// Shows the line-limit message, owned by the view's parent.
void ReportLineLimit(const SourceView* view) {
  char format[256], caption[64], text[300];
  PlatformLoadString(IDS_LINE_LIMIT, format, sizeof format);
  PlatformLoadString(IDS_LINE_LIMIT_CAPTION, caption, sizeof caption);
  std::snprintf(text, sizeof text, format, static_cast<long>(kSourceMaxLines));
  PlatformMessageBox(view->parent, text, caption, kMessageBoxOk | kMessageBoxExclamation);
}

// Character index of the last character: a line of ASCII only, the common
// case, has a character per byte and needs no walk.
int32_t LastCharIndex(const SourceLine* line) {
  unsigned char high = 0;
  for (uint32_t i = 0; i < line->length; i++) high |= static_cast<unsigned char>(line->text[i]);
  if (high < 0x80) return static_cast<int32_t>(line->length) - 1;
  return SourceLineCharIndex(line, line->length - 1);
}

enum StoreResult { kStored, kLimit, kNoMemory };

StoreResult StoreNextLine(SourceView* view, const char* text, uint32_t length) {
  if (view->lineCount >= view->maxLines) return kLimit;
  return SourceViewAppendLine(view, text, length) ? kStored : kNoMemory;
}

// Scans from `from` for the next CR or LF below `end`, turning Ctrl-Z and NUL
// into spaces on the way; `end` when there is none.
char* FindLineEnd(char* from, char* end) {
  for (char* p = from; p < end; p++) {
    if (static_cast<unsigned char>(*p) > kCtrlZ) continue;
    if (*p == kCR || *p == kLF) return p;
    if (*p == kCtrlZ || *p == 0) *p = ' ';
  }
  return end;
}

enum LoadResult { kLoadDone, kLoadFailed };

// Splits the block in view->blockBuffer (view->blockBytes bytes) into lines.
// Leaves view->fileOffset at the file offset where the next read must begin,
// and the file position there. `skipLF` says that the previous block ended
// with a CR, whose LF may begin this block.
LoadResult SplitBlock(SourceView* view, LongLine* gathered, bool* skipLF) {
  char* data = view->blockBuffer;
  char* end = data + view->blockBytes;
  char* lineStart = data;
  if (*skipLF && *data == kLF) lineStart++;
  *skipLF = false;

  while (lineStart < end) {
    char* stop = FindLineEnd(lineStart, end);
    if (stop == end && !view->atEnd) {
      if (lineStart > data && !gathered->pending) {
        // Incomplete: read it again from its first byte, as the start of the next block.
        view->fileOffset += static_cast<uint32_t>(lineStart - data);
        return PlatformFileSeek(view->fileHandle, static_cast<int32_t>(view->fileOffset)) < 0 ? kLoadFailed
                                                                                             : kLoadDone;
      }
      // Longer than a block: gather it and go on with the next block.
      if (!LongLineAppend(view, gathered, lineStart, static_cast<uint32_t>(end - lineStart))) return kLoadFailed;
      break;
    }

    StoreResult stored;
    if (gathered->pending) {
      if (!LongLineAppend(view, gathered, lineStart, static_cast<uint32_t>(stop - lineStart))) return kLoadFailed;
      gathered->pending = false;
      stored = StoreNextLine(view, gathered->buffer, gathered->length);
      gathered->length = 0;
    } else {
      stored = StoreNextLine(view, lineStart, static_cast<uint32_t>(stop - lineStart));
    }
    if (stored == kLimit) return ReportLineLimit(view), kLoadFailed;
    if (stored == kNoMemory) return kLoadFailed;

    lineStart = stop + 1;
    if (stop < end && *stop == kCR) {
      if (lineStart < end && *lineStart == kLF) lineStart++;
      else if (lineStart == end) *skipLF = true;
    }
  }
  view->fileOffset += static_cast<uint32_t>(view->blockBytes);
  return kLoadDone;
}

}  // namespace

int SourceViewAppendLine(SourceView* view, const char* text, uint32_t length) {
  if (!view || view->lineCount >= view->maxLines) return 0;
  int32_t index = view->lineCount;
  if (length > kSourceLineMaxBytes) length = kSourceLineMaxBytes;
  SourceLine**& page = view->lines[index / kSourceLinePageSize];
  if (!page) {
    page = static_cast<SourceLine**>(MemPoolAlloc(view->pool, sizeof(SourceLine*) * kSourceLinePageSize));
    if (!page) return 0;
  }
  // The record and its text in one block.
  auto* line = static_cast<SourceLine*>(MemPoolAlloc(view->pool, static_cast<uint32_t>(sizeof(SourceLine)) + length + 1));
  if (!line) return 0;
  line->text = reinterpret_cast<char*>(line + 1);
  std::memcpy(line->text, text, length);
  line->text[length] = 0;
  line->capacity = 0;
  line->commentSpan = nullptr;
  line->wholeComment = 0;
  line->length = static_cast<uint16_t>(length);
  line->lastCharIndex = LastCharIndex(line);
  line->tokens = nullptr;
  if (!SourceViewClassifyLine(view, line, index)) return 0;
  page[index % kSourceLinePageSize] = line;
  view->lineCount++;
  return 1;
}

int32_t SourceLineCharIndex(const SourceLine* line, int32_t bytePosition) {
  if (!line || bytePosition < 0 || bytePosition >= line->length) return kNoCharIndex;
  const char* target = line->text + bytePosition;
  int32_t index = 0;
  for (const char* p = line->text;; index++) {
    const char* next = SourceCharNext(p);
    if (target < next) return index;
    p = next;
  }
}

int SourceViewLoadFile(SourceView* view, const char* path) {
  if (!view) return 0;
  view->blockBuffer = static_cast<char*>(MemPoolAlloc(view->pool, kSourceBlockBytes + 1));
  if (!view->blockBuffer) return 0;
  view->fileHandle = PlatformFileOpen(path, kFileRead);
  if (view->fileHandle == kPlatformNoFile) {
    MemPoolFree(view->pool, view->blockBuffer);
    view->blockBuffer = nullptr;
    return 0;
  }
  int32_t size = PlatformFileSize(view->fileHandle);
  view->fileLength = size < 0 ? 0 : static_cast<uint32_t>(size);
  view->fileOffset = 0;
  view->atEnd = 0;
  view->lineCount = 0;
  // The spans of an earlier load would name lines of the old text.
  while (ListFirst(view->commentSpans)) ListRemove(view->commentSpans);
  view->commentsSwept = 0;

  LongLine gathered = {nullptr, 0, false};
  bool skipLF = false;
  int result = 1;
  for (;;) {
    view->blockBytes = PlatformFileRead(view->fileHandle, view->blockBuffer, kSourceBlockBytes);
    if (view->blockBytes < 0) {
      result = 0;
      break;
    }
    if (view->blockBytes == 0) {
      // The file ended sooner than its length said, in the middle of a long line.
      if (gathered.pending) {
        StoreResult stored = StoreNextLine(view, gathered.buffer, gathered.length);
        if (stored == kLimit) ReportLineLimit(view);
        if (stored != kStored) result = 0;
      }
      break;
    }
    view->atEnd = static_cast<uint32_t>(view->blockBytes) < kSourceBlockBytes ||
                  view->fileOffset + static_cast<uint32_t>(view->blockBytes) >= view->fileLength;
    if (SplitBlock(view, &gathered, &skipLF) != kLoadDone) {
      result = 0;
      break;
    }
  }

  PlatformFileClose(view->fileHandle);
  view->fileHandle = kPlatformNoFile;
  if (gathered.buffer) MemPoolFree(view->pool, gathered.buffer);
  MemPoolFree(view->pool, view->blockBuffer);
  view->blockBuffer = nullptr;
  return result;
}

// The text store of the source view: reads a script file into the view's line
// table, line by line, each line classified as it is stored.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

struct SourceLine;
struct SourceView;

// Reads the file at `path` into the view, replacing lineCount (the lines of
// an earlier load are not freed: a view is made for one file). 1 when the
// whole file was read; 0 when it cannot be opened or read, when it has more
// than 16025 lines (after telling the user; the first 16025 lines stay), or
// when the view's memory runs out.
int SourceViewLoadFile(SourceView* view, const char* path);

// Stores `length` bytes of `text` as the next line (index lineCount),
// classifies it and counts it; a longer text than kSourceLineMaxBytes is cut
// there. 0 when the view holds 16025 lines already or memory runs out.
int SourceViewAppendLine(SourceView* view, const char* text, uint32_t length);

// Character index of a byte position of a line: the characters (a double-byte
// character counts once) before the one that holds the position;
// kNoCharIndex for a position at or beyond the end (or before the start).
int32_t SourceLineCharIndex(const SourceLine* line, int32_t bytePosition);

// The character after the one at `position` (not the terminator). ASCII is
// stepped here: no double-byte code page has a lead byte below 0x80, so only
// the higher bytes ask the platform.
inline const char* SourceCharNext(const char* position) {
  return static_cast<unsigned char>(*position) < 0x80 ? position + 1 : PlatformCharNext(position);
}

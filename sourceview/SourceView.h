// SourceView: the read-only source view control, one per source file of the
// debugged script. The record is shared by three parts that know each other
// only through the functions declared here and in SourceStore.h and
// Classifier.h:
//
//   the text store  (SourceStore.cpp)  reads a file into lines;
//   the colouriser  (Classifier.cpp)   splits each stored line into tokens
//                                      with a colour element, keeps the block
//                                      comments that run over several lines;
//   the view        (SourceView.cpp, and the window code)  lays the lines out
//                                      in runs of one colour and paints them.
//
// Everything the view holds (the record, the line table, every line, token,
// comment span, vocabulary entry and line mark) comes from the view's own
// 64100-byte pool, so destroying that pool frees the view at once.
//
// Widths. The store keeps lines up to kSourceLineMaxBytes bytes whole, so the
// byte and character positions of a line (SourceLine::length, the offsets of
// a SyntaxToken) are 16 bits wide rather than 8: a line of 300 or 20,000
// bytes is stored, classified and painted whole.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"
#include "platform/Platform.h"
#include "qndbgc.h"

struct CommentSpan;
struct HashTable;
struct List;
struct SourceView;

// ---------------------------------------------------------------------------
// Colour elements: the tokenizer gives 1, 2, 3, 4, 7, 8 and 9; painting adds
// 6, 10 and 11; 5 is never produced.

enum ColorElement : uint8_t {
  kColorComment = 1,
  kColorFunction = 2,     // built-in function name
  kColorString = 3,       // string literal
  kColorKeyword = 4,
  kColorLabel = 5,        // script label
  kColorSelected = 6,     // selected text
  kColorOther = 7,        // spaces, punctuation, words not in the vocabulary
  kColorConstant = 8,
  kColorNumber = 9,       // number literal
  kColorBreakpoint = 10,  // breakpoint line
  kColorCurrentLine = 11,
};

constexpr int kColorSlots = 14;  // colour slots per view, indexed by element (0, 12, 13 unused)

// ---------------------------------------------------------------------------
// Text

constexpr int32_t kSourceMaxLines = 16025;         // the line limit of a file
constexpr uint32_t kSourcePoolSize = 64100;        // the view's pool
constexpr uint32_t kSourcePoolFlags = 0x1003;      // zero-filled blocks, growing
constexpr uint32_t kSourceBlockBytes = 8192;       // the file is read in blocks of this size
// The longest line kept: a line's record and text share one pool block, which
// can be at most the pool size. Bytes of a longer line beyond this are not
// shown (the line keeps its place, so line numbers stay right).
constexpr uint32_t kSourceLineMaxBytes = 64000;
constexpr int32_t kNoCharIndex = -1;  // a byte position at or beyond the end

enum CommentKind : uint8_t {
  kCommentNone = 0,
  kCommentLine = 1,        // "//" to the end of the line
  kCommentBlockStart = 3,  // "/*", up to its "*/" or the end of the line
  kCommentBlockEnd = 4,    // a "*/" met outside a comment
};

// One token of a line, chained in line order from SourceLine::tokens. The
// tokens of a line cover its text exactly, without gaps or overlap.
struct SyntaxToken {
  uint16_t byteOffset;   // offset of the token's first byte in the line text
  uint16_t firstChar;    // character index of the token's first character
  uint16_t lastChar;     // character index of the token's last character
  uint16_t byteLength;   // length of the token in bytes
  uint8_t element;       // ColorElement the tokenizer gave it
  uint8_t commentKind;   // CommentKind
  SyntaxToken* next;     // next token of the line, or null
};

// One stored line. Pointers come first to keep the record small; the record
// and its text are one pool block.
struct SourceLine {
  char* text;             // the line without its line end, zero-terminated
  SyntaxToken* tokens;    // first token, or null for an empty line
  // How the block comments colour the line, worked out for all lines at once
  // when painting first asks after the comment spans changed (Classifier.cpp).
  const CommentSpan* commentSpan;  // first span that began or closed on the line, or null
  uint8_t wholeComment;   // the line lies wholly inside a block comment
  uint8_t capacity;       // bytes reserved for editing: 0, a read-only view's text is sized to the line
  uint16_t length;        // byte length of text (up to kSourceLineMaxBytes)
  int32_t lastCharIndex;  // character index of the last character; kNoCharIndex for an empty line
};

// The line table is kept in pages: a flat table of 16025 pointers would need
// 128200 bytes on a 64-bit build, more than the largest block the view's pool
// can give. A page is taken from the pool when its first line is stored.
constexpr int32_t kSourceLinePageSize = 2048;
constexpr int32_t kSourceLinePages = (kSourceMaxLines + kSourceLinePageSize - 1) / kSourceLinePageSize;

// Item of SourceView::commentSpans, in the order the spans were opened. A span
// with endLine 0 and endChar 0 is open (no "*/" met since it began).
struct CommentSpan {
  int32_t startLine;  // line of the "/*"
  int32_t endLine;    // line of the "*/" that closed it; 0 while open
  int32_t startChar;  // character index of the "/" of "/*"
  int32_t endChar;    // character index of the "/" of "*/"; 0 while open
};
static_assert(sizeof(CommentSpan) == 16, "comment spans are 16-byte list items");

constexpr int kVocabularyWordBytes = 80;  // a word of up to 79 characters

// Value of the vocabulary table: the word and its colour element.
struct VocabularyEntry {
  char word[kVocabularyWordBytes];
  uint8_t element;
};

// ---------------------------------------------------------------------------
// Painting

constexpr int kSourceMaxRuns = 128;

// A piece of one line drawn in one colour pair.
struct DrawRun {
  const char* text;  // into the line text
  int32_t length;    // bytes
  uint8_t element;   // ColorElement
};

// Called with the view and a line index (or the new first visible line).
typedef void (*SourceViewCallback)(SourceView* view, int32_t value);

// Style flag bit 0: read-only view (the only kind the debugger creates).
constexpr uint32_t kSourceViewReadOnly = 0x0001;

// Selector of the line mark tables.
enum LineMarkSelector : int {
  kMarkBreakpoint = 0,
  kMarkCurrentLine = 1,
};

// ---------------------------------------------------------------------------
// The record. Fields not set by SourceViewNew start at zero.

struct SourceView {
  // The store.
  MemPoolHandle pool;         // the view's own pool
  int32_t firstVisibleLine;   // index of the line shown at the top
  int32_t lineCount;          // lines stored; indexes run 0 .. lineCount-1
  PlatformFile fileHandle;    // file being read, only during SourceViewLoadFile
  char* blockBuffer;          // kSourceBlockBytes + 1 bytes, only during SourceViewLoadFile
  int32_t blockBytes;         // bytes delivered by the last read
  uint32_t fileOffset;        // file offset at which the current block began
  uint8_t atEnd;              // the last read reached the end of the file
  uint32_t fileLength;        // length of the file, taken when it is opened
  SourceLine** lines[kSourceLinePages];  // the line table, in pages (above)
  int32_t maxLines;           // kSourceMaxLines
  List* commentSpans;         // CommentSpan items, in the order the spans opened
  uint8_t commentsSwept;      // the lines' comment fields agree with the spans
  uint32_t styleFlags;        // kSourceViewReadOnly
  HashTable* vocabulary;      // word -> VocabularyEntry*
  // Shapes of the vocabulary's words, so that a token that cannot be a word
  // is not looked up: bit n of entry c is set when some word begins (ends)
  // with byte c and is n bytes long (bit 63: 63 bytes or more).
  uint64_t vocabularyStarts[256];
  uint64_t vocabularyEnds[256];
  HashTable* breakpointMarks;   // "%d" line -> element to paint the line with
  HashTable* currentLineMarks;  // "%d" line -> element to paint the line with

  // Painting.
  void* font;                 // HFONT handed to creation, or null
  int32_t lineHeight;         // pixel height of one line
  int32_t charWidth;          // pixel width of a space
  int32_t descent;            // descent of the font, refreshed when it is selected
  int32_t hScroll;            // horizontal scroll offset in pixels
  DrawRun runs[kSourceMaxRuns];  // the runs of the line being painted
  int32_t runCount;           // valid entries of runs
  uint32_t foreground[kColorSlots];  // COLORREF per element
  uint32_t background[kColorSlots];  // COLORREF per element

  // The window.
  HWND parent;                // owner given at creation; owns the view's message boxes
  HWND window;                // the view window
  int32_t controlId;          // child-window id given at creation
  int32_t cursorLine;         // line of the invisible cursor
  int32_t cursorColumn;       // column of the invisible cursor
  int32_t hRange;             // maximum of the horizontal scroll range, in pixels
  int32_t visibleLines;       // client height / lineHeight
  int32_t clientWidth;        // client width in pixels
  SourceViewCallback onActivateLine;  // double-click: (view, line)
  SourceViewCallback onClickLine;     // left-button press: (view, line)
  SourceViewCallback onScrolled;      // after vertical scrolling: (view, firstVisibleLine)
};

// ---------------------------------------------------------------------------
// Life of the record (the window code's SourceViewCreate and WM_DESTROY call
// these around the window's own part).

// The pool, the record, the three 983-bucket tables, the line table and the
// comment-span list; null when any of them cannot be made (nothing is left).
SourceView* SourceViewNew(HWND parent, int32_t controlId, void* font, uint32_t styleFlags);
// Destroys the comment-span list and the pool, and with it everything else.
void SourceViewFree(SourceView* view);

// The stored line at `index`, or null outside 0 .. lineCount-1.
SourceLine* SourceViewLine(const SourceView* view, int32_t index);

// ---------------------------------------------------------------------------
// Line marks (window-free part of SourceViewMarkLine / SourceViewUnmarkLine;
// the window code repaints the line after calling them).

// Enters the line with its element into the current-line marks (selector 1) or
// the breakpoint marks (selector 0), replacing an earlier value. 1, or 0 when
// the view is null or memory runs out.
int SourceViewSetLineMark(SourceView* view, int32_t line, uint8_t element, int selector);
// Removes the line from the marks of the selector; the table's removal result.
int SourceViewClearLineMark(SourceView* view, int32_t line, int selector);
// The element a marked line is painted with: its current-line mark, else its
// breakpoint mark; 0 for an unmarked line.
uint8_t SourceViewLineMark(const SourceView* view, int32_t line);

// Stores the colour pair of an element (0..13) in the view's slots: 1, or 0
// for a null view or an element out of range. The caller repaints.
int SourceViewSetColors(SourceView* view, int element, uint32_t foreground, uint32_t background);

// ---------------------------------------------------------------------------
// What painting draws

// Fills view->runs and view->runCount with the runs of line `line` and returns
// runCount (0 for a line outside the file or an empty one). The runs cover the
// line's text exactly, in order: a marked line is one run in its mark's
// element; a line wholly inside a block comment one run of element 1;
// otherwise the tokens with their effective elements, neighbours of the same
// element drawn as one run.
int32_t SourceViewLineRuns(SourceView* view, int32_t line);

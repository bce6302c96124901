// Debug information loader.
//
// The file is a run of little-endian 16-bit words and strings (a length word,
// then that many bytes without a terminator; a length of 0 or less is the
// empty string); a name list is a count word and that many strings:
//
//   word    offset of the global name lists
//   word    not interpreted
//   word    magic 0xF93A
//   string  the main script's name
//   ...     not interpreted, up to the offset of the global name lists
//   list    global string variables (kind 2), indexes 0, 1, ...
//   list    global number variables (kind 1), indexes 0, 1, ...
//   records to the end of the file, each opened by a tag word T, whose kind
//   is decided in this order:
//     T & 0x4000  source file switch: a word (not interpreted), the file's name
//     T & 0x8000  line record: line T & 0x7FFF, then the block and offset words
//     otherwise   function record: its name, its local string variables, its
//                 local number variables (indexes -101, -102, ... per kind);
//                 the record after it is the line record of its first statement
//
// One reader record carries the stream and the loader's state. Two primitives
// carry the reading rules: ReadWord (a byte past the end of the file reads as
// -1, so a word there is -1) and ReadName (a string whose length word lies past
// the end is empty; a name longer than its buffer is cut and the rest of its
// bytes passed over, so the stream stays in step). Each record kind has a
// small handler; the loop decides what a failed handler means.
//
// The loop reads a tag, handles its record, reads the next tag and ends when
// the position has then reached the file's size; that last tag is not
// handled. So a spare word at the end changes nothing, and a file cut inside
// a record ends at the next tag with the record read as -1 words.
#include "debuginfo/DebugInfoLoader.h"

#include <climits>
#include <cstring>

#include "debuginfo/BufferedFile.h"
#include "resources/resource.h"
#include "session/ShowMessage.h"
#include "util/Text.h"

namespace {

constexpr int kMagic = -1734;  // the word 0xF93A, read signed
constexpr int kTagSwitch = 0x4000;
constexpr int kTagLine = 0x8000;
constexpr int kLineBits = 0x7FFF;
constexpr int32_t kFirstLocalIndex = -101;

struct DebugReader {
  PlatformFile file;
  int32_t size;                       // the loop ends at a tag read at or past it
  FunctionTable* functions;
  VariableTable* globals;
  LineTable* lines;
  SourceFileList* files;
  char fileName[kDebugFileNameSize];  // the source file whose statements follow
  bool newFile;                       // fileName has no entry yet: its first line record makes it
  int32_t fileCounter;                // file index of fileName: 0 for the main script, +1 per switch
};

// ---------------------------------------------------------------------------
// Primitives

int ReadWord(DebugReader* reader) { return BufReadWord(reader->file); }

void SkipBytes(DebugReader* reader, int32_t count) {
  int32_t at = BufTell(reader->file);
  BufSeek(reader->file, count > INT32_MAX - at ? INT32_MAX : at + count);
}

// A string into `out`, cut to `size` - 1 bytes.
void ReadName(DebugReader* reader, char* out, size_t size) {
  int32_t length = ReadWord(reader);
  int32_t kept = 0;
  for (; kept < length && static_cast<size_t>(kept) + 1 < size; kept++)
    out[kept] = static_cast<char>(BufReadByte(reader->file));
  out[kept] = 0;
  if (length > kept) SkipBytes(reader, length - kept);
}

// Passes over a name list. Past the end of the file every further name is
// empty and moves nothing, so the walk stops there.
void SkipNameList(DebugReader* reader) {
  int32_t count = ReadWord(reader);
  for (int32_t i = 0; i < count && BufTell(reader->file) < reader->size; i++) {
    int32_t length = ReadWord(reader);
    if (length > 0) SkipBytes(reader, length);
  }
}

// ---------------------------------------------------------------------------
// Name lists

// The compiler's own temporaries: the user has no use for them in the lists.
bool IsHiddenGlobal(const char* name) {
  return std::strcmp(name, "TEMPSTRING") == 0 || (name[0] == '_' && name[1] == '_');
}

// A hidden name still uses up its index: the indexes are the host's.
void LoadGlobals(DebugReader* reader, int32_t kind) {
  char name[kDebugNameSize];
  int32_t count = ReadWord(reader);
  for (int32_t index = 0; index < count; index++) {
    ReadName(reader, name, sizeof name);
    if (!IsHiddenGlobal(name)) VariableTableAdd(reader->globals, name, index, kind);
  }
}

void LoadLocals(DebugReader* reader, const char* function, int32_t kind) {
  char name[kDebugNameSize];
  int32_t count = ReadWord(reader);
  for (int32_t i = 0; i < count; i++) {
    ReadName(reader, name, sizeof name);
    FunctionTableAddLocal(reader->functions, function, name, kFirstLocalIndex - i, kind);
  }
}

// ---------------------------------------------------------------------------
// Records: 1, or 0 when the stream cannot be followed.

int LoadSwitch(DebugReader* reader) {
  ReadWord(reader);  // not interpreted
  ReadName(reader, reader->fileName, sizeof reader->fileName);
  reader->newFile = true;
  reader->fileCounter++;  // also for a file seen before, and for one without line records
  return 1;
}

int LoadLine(DebugReader* reader, int tag) {
  int32_t line = tag & kLineBits;
  int32_t block = ReadWord(reader);
  int32_t offset = ReadWord(reader);
  if (reader->newFile) {
    SourceFileListAdd(reader->files, reader->fileName, block, offset, reader->fileCounter);
    reader->newFile = false;
  }
  LineTableAdd(reader->lines, line, reader->fileCounter & 0xFF, block, offset);
  return 1;
}

// The function's block and first line stand in the line record after its
// local lists: read them ahead, then come back for the lists. The step back
// spans only the lists, so it usually stays inside the file buffer.
int LoadFunction(DebugReader* reader) {
  char name[kDebugNameSize];
  ReadName(reader, name, sizeof name);
  int32_t lists = BufTell(reader->file);
  SkipNameList(reader);
  SkipNameList(reader);
  int32_t firstLine = ReadWord(reader) & kLineBits;
  int32_t block = ReadWord(reader);
  if (BufSeek(reader->file, lists) != 0) return 0;

  FunctionTableAdd(reader->functions, name, block);
  LoadLocals(reader, name, kVariableString);
  LoadLocals(reader, name, kVariableNumber);
  FunctionTableAddExtent(reader->functions, block, firstLine, reader->fileCounter);
  return 1;
}

int LoadRecord(DebugReader* reader, int tag) {
  if (tag & kTagSwitch) return LoadSwitch(reader);  // whatever bit 0x8000 is
  if (tag & kTagLine) return LoadLine(reader, tag);
  return LoadFunction(reader);
}

// ---------------------------------------------------------------------------

int LoadFile(DebugReader* reader, char* scriptName) {
  reader->size = BufSize(reader->file);
  int32_t listsOffset = ReadWord(reader);
  ReadWord(reader);  // not interpreted
  if (ReadWord(reader) != kMagic) return 0;
  ReadName(reader, reader->fileName, sizeof reader->fileName);
  if (scriptName) TextCopy(scriptName, kDebugFileNameSize, reader->fileName);
  reader->newFile = true;
  reader->fileCounter = 0;

  // A negative offset cannot be reached: the header is damaged.
  if (BufSeek(reader->file, listsOffset) != 0) return 0;
  LoadGlobals(reader, kVariableString);
  LoadGlobals(reader, kVariableNumber);

  int tag = ReadWord(reader);
  for (;;) {
    if (!LoadRecord(reader, tag)) return 0;
    tag = ReadWord(reader);
    if (BufTell(reader->file) >= reader->size) return 1;
  }
}

}  // namespace

int LoadDebugInfo(FunctionTable* functions, VariableTable* globals, LineTable* lines, SourceFileList* files,
                  const char* debugFileName, char* scriptName) {
  DebugReader reader{};
  reader.file = BufOpen(debugFileName, kBufRead);
  if (reader.file == kPlatformNoFile) {
    ShowMessage(IDS_DEBUG_FILE_NOT_FOUND, debugFileName);
    return 0;
  }
  reader.functions = functions;
  reader.globals = globals;
  reader.lines = lines;
  reader.files = files;
  int loaded = LoadFile(&reader, scriptName);
  BufClose(reader.file);
  return loaded;
}

// Buffered file access.
//
// A slot buffers one block of its file: `count` valid bytes that stand at the
// file offsets blockStart .. blockEnd (blockEnd = blockStart + count - 1), and
// `index`, the position inside them, so the current offset is blockStart +
// index. Reading past the buffered bytes fills the buffer with the block that
// follows; a seek inside the block only moves `index`; a seek elsewhere empties
// the buffer at the new offset and the next read fills it from there. Every
// fill sets the platform position first, so a seek needs no platform call of
// its own.
//
// At the end of the file a fill reads nothing and changes nothing: BufTell
// stays at the end of the data, and a seek back into the block is still free.
// The slot remembers that it stands at the end, so that further reads there
// (a damaged file read on past its end) answer -1 without asking the platform
// again; any seek or write forgets it.
//
// A writable slot keeps written bytes in the buffer (dirty) and writes the
// whole block back at its offset before the buffer moves on (a fill, a seek out
// of the block, a full buffer) and at close; the buffer then starts empty
// right after the block.
//
// The slots and the buffer pool are process-wide; the pool lives while at
// least one file is open.
#include "debuginfo/BufferedFile.h"

#include <climits>
#include <cstdio>

#include "memory/MemPool.h"
#include "qndbgc.h"  // WINAPI: the version library's functions are __stdcall on i686

namespace {

struct BufSlot {
  PlatformFile file = kPlatformNoFile;  // the open file; kPlatformNoFile when the slot is free
  uint8_t* buffer = nullptr;            // kBufSize bytes from the buffer pool; null when free
  int32_t index = 0;                    // read or write position inside the buffer
  int32_t count = 0;                    // valid bytes in the buffer
  int32_t blockStart = 0;               // file offset of buffer[0]
  int32_t blockEnd = 0;                 // file offset of the last valid byte
  bool writable = false;                // opened with kBufCreate or kBufReadWrite
  bool dirty = false;                   // the buffer holds bytes not yet written
  bool atEnd = false;                   // the last fill found nothing: the position is the end
};

BufSlot gSlots[2];
MemPoolHandle gBufferPool = kMemPoolFailed;

BufSlot* SlotOf(PlatformFile file) {
  if (file == kPlatformNoFile) return nullptr;
  for (BufSlot& slot : gSlots)
    if (slot.buffer && slot.file == file) return &slot;
  return nullptr;
}

void EmptyBlockAt(BufSlot* slot, int32_t offset) {
  slot->blockStart = offset;
  slot->blockEnd = offset;
  slot->index = 0;
  slot->count = 0;
}

// The offset just past the buffered bytes, kept within the 32-bit offsets.
int32_t BufferedEnd(const BufSlot* slot) {
  int64_t end = static_cast<int64_t>(slot->blockStart) + slot->count;
  return end > INT32_MAX ? INT32_MAX : static_cast<int32_t>(end);
}

// Writes a dirty block back at its offset; a writable slot then starts an
// empty block right after the one it held. 0, or -1 when the platform did not
// take the bytes (the block stays dirty, so a later write back tries again).
int WriteBack(BufSlot* slot) {
  if (!slot->writable || slot->count == 0) return 0;
  if (slot->dirty) {
    if (PlatformFileSeek(slot->file, slot->blockStart) != slot->blockStart) return -1;
    if (PlatformFileWrite(slot->file, slot->buffer, static_cast<uint32_t>(slot->count)) != slot->count)
      return -1;
    slot->dirty = false;
  }
  EmptyBlockAt(slot, BufferedEnd(slot));
  return 0;
}

// Fills the buffer with the block after the buffered one (or, when the buffer
// is empty, the block at blockStart). 0, or -1 at the end of the file or on an
// error, with the current offset unchanged.
int Fill(BufSlot* slot) {
  if (WriteBack(slot) != 0) return -1;
  int32_t next = slot->count > 0 ? slot->blockEnd + 1 : slot->blockStart;
  if (PlatformFileSeek(slot->file, next) != next) return -1;
  int32_t got = PlatformFileRead(slot->file, slot->buffer, kBufSize);
  if (got == 0) slot->atEnd = true;
  if (got <= 0 || got - 1 > INT32_MAX - next) return -1;
  slot->blockStart = next;
  slot->blockEnd = next + got - 1;
  slot->count = got;
  slot->index = 0;
  return 0;
}

void DestroyPoolWhenIdle() {
  if (gBufferPool == kMemPoolFailed || gSlots[0].buffer || gSlots[1].buffer) return;
  MemPoolDestroy(gBufferPool);
  gBufferPool = kMemPoolFailed;
}

}  // namespace

PlatformFile BufOpen(const char* name, int mode) {
  if (mode != kBufCreate && mode != kBufRead && mode != kBufReadWrite) return kPlatformNoFile;
  PlatformFile file = PlatformFileOpen(name, static_cast<PlatformFileMode>(mode));
  if (file == kPlatformNoFile) return kPlatformNoFile;
  if (gBufferPool == kMemPoolFailed) gBufferPool = MemPoolCreate(kBufPoolSize, kBufPoolFlags);
  BufSlot* slot = !gSlots[0].buffer ? &gSlots[0] : !gSlots[1].buffer ? &gSlots[1] : nullptr;
  uint8_t* buffer = nullptr;
  if (slot && gBufferPool != kMemPoolFailed)
    buffer = static_cast<uint8_t*>(MemPoolAlloc(gBufferPool, kBufBlockSize));
  if (!buffer) {
    PlatformFileClose(file);
    DestroyPoolWhenIdle();
    return kPlatformNoFile;
  }
  *slot = BufSlot();
  slot->file = file;
  slot->buffer = buffer;
  slot->writable = mode != kBufRead;
  return file;
}

int BufClose(PlatformFile file) {
  // A handle that is in no slot is not ours to close.
  BufSlot* slot = SlotOf(file);
  if (!slot) return -1;
  int result = WriteBack(slot);
  if (!PlatformFileClose(slot->file)) result = -1;
  MemPoolFree(gBufferPool, slot->buffer);
  *slot = BufSlot();
  DestroyPoolWhenIdle();
  return result;
}

int32_t BufSize(PlatformFile file) {
  BufSlot* slot = SlotOf(file);
  if (!slot) return 0;
  int32_t size = PlatformFileSize(slot->file);
  int32_t buffered = BufferedEnd(slot);
  return buffered > size ? buffered : size;
}

int BufReadByte(PlatformFile file) {
  BufSlot* slot = SlotOf(file);
  if (!slot) return -1;
  if (slot->index >= slot->count && (slot->atEnd || Fill(slot) != 0)) return -1;
  return static_cast<int8_t>(slot->buffer[slot->index++]);
}

int BufReadWord(PlatformFile file) {
  int low = BufReadByte(file);
  int high = BufReadByte(file);
  return static_cast<int16_t>((low & 0xFF) | ((high & 0xFF) << 8));
}

int32_t BufTell(PlatformFile file) {
  BufSlot* slot = SlotOf(file);
  return slot ? slot->blockStart + slot->index : 0;
}

int BufSeek(PlatformFile file, int32_t offset) {
  BufSlot* slot = SlotOf(file);
  if (!slot || offset < 0) return -1;
  slot->atEnd = false;
  if (slot->count > 0 && offset >= slot->blockStart && offset <= slot->blockEnd) {
    slot->index = offset - slot->blockStart;
    return 0;
  }
  if (WriteBack(slot) != 0) return -1;
  EmptyBlockAt(slot, offset);
  return 0;
}

int BufWriteByte(PlatformFile file, int value) {
  BufSlot* slot = SlotOf(file);
  if (!slot || !slot->writable) return -1;
  if (slot->index >= kBufSize && WriteBack(slot) != 0) return -1;
  if (slot->index >= INT32_MAX - slot->blockStart) return -1;  // past the last 32-bit offset
  slot->atEnd = false;
  slot->buffer[slot->index++] = static_cast<uint8_t>(value);
  if (slot->index > slot->count) {
    slot->count = slot->index;
    slot->blockEnd = slot->blockStart + slot->count - 1;
  }
  slot->dirty = true;
  return 0;
}

int BufWrite(PlatformFile file, const void* bytes, uint32_t count) {
  if (!bytes && count) return -1;
  const auto* at = static_cast<const uint8_t*>(bytes);
  for (uint32_t i = 0; i < count; i++)
    if (BufWriteByte(file, at[i]) != 0) return -1;
  return 0;
}

int FileExists(const char* name) { return name && PlatformFileExists(name) ? 1 : 0; }

// ---------------------------------------------------------------------------
// Version query through the platform's version library, loaded at run time.

namespace {

typedef uint32_t(WINAPI* GetFileVersionInfoSizeProc)(const char* name, uint32_t* handle);
typedef int(WINAPI* GetFileVersionInfoProc)(const char* name, uint32_t handle, uint32_t size, void* data);
typedef int(WINAPI* VerQueryValueProc)(const void* block, const char* subBlock, void** value, unsigned* length);

// The fixed version record at the root of a version resource.
struct FixedFileInfo {
  uint32_t signature;  // kFixedFileInfoSignature
  uint32_t structVersion;
  uint32_t fileVersionMS;
  uint32_t fileVersionLS;
  uint32_t productVersionMS;
  uint32_t productVersionLS;
  uint32_t fileFlagsMask;
  uint32_t fileFlags;
  uint32_t fileOS;
  uint32_t fileType;
  uint32_t fileSubtype;
  uint32_t fileDateMS;
  uint32_t fileDateLS;
};
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

struct VersionLibrary {
  GetFileVersionInfoSizeProc infoSize;
  GetFileVersionInfoProc info;
  VerQueryValueProc query;
};

// -1 when a function is missing, else 0 with the three functions.
int FindVersionFunctions(void* library, VersionLibrary* functions) {
  functions->infoSize =
      reinterpret_cast<GetFileVersionInfoSizeProc>(PlatformLibrarySymbol(library, "GetFileVersionInfoSizeA"));
  functions->info = reinterpret_cast<GetFileVersionInfoProc>(PlatformLibrarySymbol(library, "GetFileVersionInfoA"));
  functions->query = reinterpret_cast<VerQueryValueProc>(PlatformLibrarySymbol(library, "VerQueryValueA"));
  return functions->infoSize && functions->info && functions->query ? 0 : -1;
}

// A file without version information: -2 when it cannot even be opened, -8
// when it can.
int MissingVersionResult(const char* name) {
  PlatformFile file = BufOpen(name, kBufRead);
  if (file == kPlatformNoFile) return -2;
  BufClose(file);
  return -8;
}

int ReadVersion(const VersionLibrary& functions, const char* name, uint32_t* high, uint32_t* low) {
  uint32_t handle = 0;
  uint32_t size = functions.infoSize(name, &handle);
  if (size == 0) return MissingVersionResult(name);
  if (size == UINT32_MAX) return -1;
  void* block = MemPoolAlloc(kMemPoolDirect, size + 1);
  if (!block) return -1;
  int result = -1;
  void* value = nullptr;
  unsigned length = 0;
  if (functions.info(name, handle, size, block) && functions.query(block, "\\", &value, &length) && value &&
      length >= sizeof(FixedFileInfo)) {
    const auto* fixed = static_cast<const FixedFileInfo*>(value);
    if (fixed->signature == kFixedFileInfoSignature) {
      if (high) *high = fixed->fileVersionMS;
      if (low) *low = fixed->fileVersionLS;
      result = 0;
    }
  }
  MemPoolFree(kMemPoolDirect, block);
  return result;
}

}  // namespace

int GetFileVersion(const char* name, uint32_t* high, uint32_t* low) {
  if (!name || !*name) return -1;
  void* library = PlatformLibraryLoad("VERSION.DLL");
  if (!library) return -3;
  VersionLibrary functions;
  int result = FindVersionFunctions(library, &functions);
  if (result == 0) result = ReadVersion(functions, name, high, low);
  PlatformLibraryFree(library);
  return result;
}

void FormatVersionNumber(uint32_t version, char* out, size_t size) {
  if (!out || !size) return;
  std::snprintf(out, size, "%d.%d", static_cast<int>(version >> 16), static_cast<int>(static_cast<int16_t>(version & 0xFFFF)));
}

// The POSIX side of the platform seam: what the window-free code needs, built
// from plain POSIX calls so that it runs natively under the sanitizers.
#include "platform/Platform.h"
#include "platform/PlatformTesting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>

// ---------------------------------------------------------------------------
// Module

namespace {
void* gModule = nullptr;
}

void PlatformSetModule(void* instance) { gModule = instance; }
void* PlatformModule() { return gModule; }

// ---------------------------------------------------------------------------
// Movable memory: plain allocation, with a registry of the locked addresses so
// that finding a handle from an address never reads memory it does not own.

struct PlatformMemory {
  void* data;
  uint32_t bytes;
  int locks;
};

namespace {
std::unordered_map<const void*, PlatformMemory*>& LockedBlocks() {
  static std::unordered_map<const void*, PlatformMemory*> blocks;
  return blocks;
}
}  // namespace

PlatformMemHandle PlatformMemAlloc(uint32_t mode, uint32_t bytes) {
  (void)mode;
  if (bytes == 0) return nullptr;
  auto* block = static_cast<PlatformMemory*>(std::malloc(sizeof(PlatformMemory)));
  if (!block) return nullptr;
  block->data = std::malloc(bytes);
  if (!block->data) {
    std::free(block);
    return nullptr;
  }
  block->bytes = bytes;
  block->locks = 0;
  return block;
}

void* PlatformMemLock(PlatformMemHandle block) {
  if (!block) return nullptr;
  block->locks++;
  LockedBlocks()[block->data] = block;
  return block->data;
}

void PlatformMemUnlock(PlatformMemHandle block) {
  if (block && block->locks > 0 && --block->locks == 0) LockedBlocks().erase(block->data);
}

void PlatformMemFree(PlatformMemHandle block) {
  if (!block) return;
  LockedBlocks().erase(block->data);
  std::free(block->data);
  std::free(block);
}

void PlatformMemCompact(uint32_t) {}

PlatformMemHandle PlatformMemHandleOf(const void* address) {
  auto found = LockedBlocks().find(address);
  return found == LockedBlocks().end() ? nullptr : found->second;
}

// ---------------------------------------------------------------------------
// Files

namespace {
long gFileReads = 0;
}

PlatformFile PlatformFileOpen(const char* name, PlatformFileMode mode) {
  if (!name || !*name) return kPlatformNoFile;
  int flags = 0;
  switch (mode) {
    case kFileCreate: flags = O_RDWR | O_CREAT | O_TRUNC; break;
    case kFileRead: flags = O_RDONLY; break;
    case kFileReadWrite: flags = O_RDWR; break;
    default: return kPlatformNoFile;
  }
  int fd = ::open(name, flags | O_CLOEXEC, 0644);
  if (fd < 0) return kPlatformNoFile;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kPlatformNoFile;
  }
  return fd;
}

int32_t PlatformFileRead(PlatformFile file, void* buffer, uint32_t bytes) {
  gFileReads++;
  ssize_t got = ::read(static_cast<int>(file), buffer, bytes);
  return got < 0 ? -1 : static_cast<int32_t>(got);
}

int32_t PlatformFileWrite(PlatformFile file, const void* buffer, uint32_t bytes) {
  ssize_t put = ::write(static_cast<int>(file), buffer, bytes);
  return put < 0 ? -1 : static_cast<int32_t>(put);
}

int32_t PlatformFileSeek(PlatformFile file, int32_t offset) {
  if (offset < 0) return -1;
  off_t at = ::lseek(static_cast<int>(file), offset, SEEK_SET);
  return at < 0 ? -1 : static_cast<int32_t>(at);
}

int32_t PlatformFileSize(PlatformFile file) {
  struct stat info;
  if (fstat(static_cast<int>(file), &info) != 0) return -1;
  return info.st_size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(info.st_size);
}

int PlatformFileTruncate(PlatformFile file) {
  off_t at = ::lseek(static_cast<int>(file), 0, SEEK_CUR);
  return at >= 0 && ::ftruncate(static_cast<int>(file), at) == 0;
}

int PlatformFileClose(PlatformFile file) { return ::close(static_cast<int>(file)) == 0; }

int PlatformFileExists(const char* name) {
  PlatformFile file = PlatformFileOpen(name, kFileRead);
  if (file == kPlatformNoFile) return 0;
  PlatformFileClose(file);
  return 1;
}

int PlatformFileDelete(const char* name) { return name && ::unlink(name) == 0; }

long PlatformFileReadCount() { return gFileReads; }

// ---------------------------------------------------------------------------
// Characters

namespace {
bool gDoubleByte = false;

bool IsLeadByte(unsigned char c) {
  return gDoubleByte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}
}  // namespace

void PlatformUseDoubleByteCodePage(bool on) { gDoubleByte = on; }

const char* PlatformCharNext(const char* position) {
  if (!position || !*position) return position;
  if (IsLeadByte(static_cast<unsigned char>(*position)) && position[1]) return position + 2;
  return position + 1;
}

const char* PlatformCharPrev(const char* start, const char* position) {
  if (!start || !position || position <= start) return start;
  // Walk forward from the start: the only sure way to tell a trail byte.
  const char* previous = start;
  for (const char* p = start; p < position && *p;) {
    previous = p;
    p = PlatformCharNext(p);
  }
  return previous;
}

void PlatformCharUpper(char* text) {
  for (char* p = text; p && *p; p = const_cast<char*>(PlatformCharNext(p)))
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
}

void PlatformCharLower(char* text) {
  for (char* p = text; p && *p; p = const_cast<char*>(PlatformCharNext(p)))
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
}

int PlatformCompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
    if (ca != cb || !ca) return ca < cb ? -1 : ca > cb ? 1 : 0;
  }
}

// No OEM code page natively: the text stays as it is.
int PlatformCharToOem(const char* source, char* destination) {
  std::memmove(destination, source, std::strlen(source) + 1);
  return 1;
}

int PlatformCurrentDirectory(char* buffer, uint32_t size) {
  return buffer && size && ::getcwd(buffer, size) != nullptr;
}

// ---------------------------------------------------------------------------
// Strings: the library's string table is compiled in from the same list the
// resource script uses.

namespace {
struct StringEntry {
  uint32_t id;
  const char* text;
};
const StringEntry kStrings[] = {
#define QN_STRING(id, text) {id, text},
#include "resources/strings.inc"
#undef QN_STRING
};

std::map<uint32_t, std::string>& HostStrings() {
  static std::map<uint32_t, std::string> strings;
  return strings;
}

int CopyString(const char* text, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  if (!text) {
    buffer[0] = 0;
    return 0;
  }
  int length = static_cast<int>(std::strlen(text));
  if (length > size - 1) length = size - 1;
  std::memcpy(buffer, text, static_cast<size_t>(length));
  buffer[length] = 0;
  return length;
}
}  // namespace

int PlatformLoadString(uint32_t id, char* buffer, int size) {
  for (const StringEntry& entry : kStrings)
    if (entry.id == id) return CopyString(entry.text, buffer, size);
  return CopyString(nullptr, buffer, size);
}

void PlatformSetHostString(uint32_t id, const char* text) { HostStrings()[id] = text; }

int PlatformLoadHostString(uint32_t id, char* buffer, int size) {
  auto found = HostStrings().find(id);
  return CopyString(found == HostStrings().end() ? nullptr : found->second.c_str(), buffer, size);
}

// ---------------------------------------------------------------------------
// Messages

namespace {
std::vector<PlatformShownMessage>& ShownMessages() {
  static std::vector<PlatformShownMessage> shown;
  return shown;
}
bool gEchoMessages = true;
}  // namespace

int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style) {
  ShownMessages().push_back({text ? text : "", caption ? caption : "", style, owner});
  if (gEchoMessages) std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
  return 1;  // IDOK
}

void PlatformBeep(uint32_t) {}

const std::vector<PlatformShownMessage>& PlatformShownMessages() { return ShownMessages(); }
void PlatformClearShownMessages() { ShownMessages().clear(); }
void PlatformEchoMessages(bool on) { gEchoMessages = on; }

// ---------------------------------------------------------------------------
// Libraries: none natively, so version queries report the library missing.

void* PlatformLibraryLoad(const char*) { return nullptr; }
void* PlatformLibrarySymbol(void*, const char*) { return nullptr; }
void PlatformLibraryFree(void*) {}

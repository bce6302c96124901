// The Win32 side of the platform seam: what QNDBGC.DLL runs on.
#include "platform/Platform.h"

#include <windows.h>

// ---------------------------------------------------------------------------
// Module

namespace {
HINSTANCE gModule = nullptr;
}

void PlatformSetModule(void* instance) { gModule = static_cast<HINSTANCE>(instance); }
void* PlatformModule() { return gModule; }

// ---------------------------------------------------------------------------
// Movable memory: the global heap's movable blocks, as the pools expect.

PlatformMemHandle PlatformMemAlloc(uint32_t mode, uint32_t bytes) {
  return reinterpret_cast<PlatformMemHandle>(GlobalAlloc(mode, bytes));
}

void* PlatformMemLock(PlatformMemHandle block) { return GlobalLock(reinterpret_cast<HGLOBAL>(block)); }

void PlatformMemUnlock(PlatformMemHandle block) { GlobalUnlock(reinterpret_cast<HGLOBAL>(block)); }

void PlatformMemFree(PlatformMemHandle block) { GlobalFree(reinterpret_cast<HGLOBAL>(block)); }

void PlatformMemCompact(uint32_t bytes) { GlobalCompact(bytes); }

PlatformMemHandle PlatformMemHandleOf(const void* address) {
  return reinterpret_cast<PlatformMemHandle>(GlobalHandle(address));
}

// ---------------------------------------------------------------------------
// Files. CreateFileA rather than OpenFile: OpenFile cannot take a path longer
// than 127 characters, and script folders are often deeper than that.

namespace {
long gFileReads = 0;
}

PlatformFile PlatformFileOpen(const char* name, PlatformFileMode mode) {
  if (!name || !*name) return kPlatformNoFile;
  DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
  switch (mode) {
    case kFileCreate: access = GENERIC_READ | GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case kFileRead: break;
    case kFileReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: return kPlatformNoFile;
  }
  HANDLE file = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kPlatformNoFile;
  return reinterpret_cast<PlatformFile>(file);
}

int32_t PlatformFileRead(PlatformFile file, void* buffer, uint32_t bytes) {
  gFileReads++;
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, bytes, &got, nullptr)) return -1;
  return static_cast<int32_t>(got);
}

int32_t PlatformFileWrite(PlatformFile file, const void* buffer, uint32_t bytes) {
  DWORD put = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(file), buffer, bytes, &put, nullptr)) return -1;
  return static_cast<int32_t>(put);
}

int32_t PlatformFileSeek(PlatformFile file, int32_t offset) {
  if (offset < 0) return -1;
  DWORD at = SetFilePointer(reinterpret_cast<HANDLE>(file), offset, nullptr, FILE_BEGIN);
  return at == INVALID_SET_FILE_POINTER ? -1 : static_cast<int32_t>(at);
}

int32_t PlatformFileSize(PlatformFile file) {
  DWORD high = 0;
  DWORD low = GetFileSize(reinterpret_cast<HANDLE>(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  if (high || low > 0x7FFFFFFF) return 0x7FFFFFFF;
  return static_cast<int32_t>(low);
}

int PlatformFileTruncate(PlatformFile file) { return SetEndOfFile(reinterpret_cast<HANDLE>(file)) != 0; }

int PlatformFileClose(PlatformFile file) { return CloseHandle(reinterpret_cast<HANDLE>(file)) != 0; }

int PlatformFileExists(const char* name) {
  PlatformFile file = PlatformFileOpen(name, kFileRead);
  if (file == kPlatformNoFile) return 0;
  PlatformFileClose(file);
  return 1;
}

int PlatformFileDelete(const char* name) { return name && DeleteFileA(name) != 0; }

long PlatformFileReadCount() { return gFileReads; }

// ---------------------------------------------------------------------------
// Characters

const char* PlatformCharNext(const char* position) { return CharNextA(position); }

const char* PlatformCharPrev(const char* start, const char* position) { return CharPrevA(start, position); }

void PlatformCharUpper(char* text) {
  if (text && *text) CharUpperA(text);
}

void PlatformCharLower(char* text) {
  if (text && *text) CharLowerA(text);
}

int PlatformCompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }

int PlatformCharToOem(const char* source, char* destination) { return CharToOemA(source, destination) != 0; }

int PlatformCurrentDirectory(char* buffer, uint32_t size) {
  if (!buffer || !size) return 0;
  DWORD length = GetCurrentDirectoryA(size, buffer);
  return length != 0 && length < size;
}

// ---------------------------------------------------------------------------
// Strings

namespace {
int LoadFrom(HINSTANCE module, uint32_t id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  return LoadStringA(module, id, buffer, size);
}
}  // namespace

int PlatformLoadString(uint32_t id, char* buffer, int size) { return LoadFrom(gModule, id, buffer, size); }

int PlatformLoadHostString(uint32_t id, char* buffer, int size) {
  return LoadFrom(GetModuleHandleA(nullptr), id, buffer, size);
}

// ---------------------------------------------------------------------------
// Messages

int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

void PlatformBeep(uint32_t type) { MessageBeep(type); }

// ---------------------------------------------------------------------------
// Libraries

void* PlatformLibraryLoad(const char* name) {
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryA(name);
  SetErrorMode(previous);
  return library;
}

void* PlatformLibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void PlatformLibraryFree(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

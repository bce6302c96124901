// The seam through which the window-free code of the debugger reaches the
// operating system: movable memory for the pools, files, double-byte character
// stepping, string resources, the message box and run-time loaded libraries.
//
// Platform_win.cpp is what QNDBGC.DLL uses. Platform_posix.cpp lets the same
// window-free code build and run natively for the tests, the fuzzers and the
// benchmarks; it stands in for what Linux lacks (movable memory becomes plain
// allocation, the string resources are compiled in, the message box is written
// to standard error and kept for the tests, the character stepping follows the
// lead-byte rule of a double-byte code page when a test switches one on).
//
// Window code does not come through here: it calls Win32 directly. Nothing in
// this header, nor in any window-free file, may include <windows.h>.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------
// Module

// The library's module instance; the library entry point stores it on every
// call. Under the tests it is the test program's own module.
void PlatformSetModule(void* instance);
void* PlatformModule();

// ---------------------------------------------------------------------------
// Movable memory (the pools take their segments from here)

struct PlatformMemory;
typedef PlatformMemory* PlatformMemHandle;

constexpr uint32_t kPlatformMemMovable = 0x0002;        // an ordinary movable block
constexpr uint32_t kPlatformMemMovableShared = 0x2002;  // the same, as shared memory

PlatformMemHandle PlatformMemAlloc(uint32_t mode, uint32_t bytes);  // null on failure
void* PlatformMemLock(PlatformMemHandle block);
void PlatformMemUnlock(PlatformMemHandle block);
void PlatformMemFree(PlatformMemHandle block);
void PlatformMemCompact(uint32_t bytes);
// The handle of the block whose locked address is `address`; null when none.
PlatformMemHandle PlatformMemHandleOf(const void* address);

// ---------------------------------------------------------------------------
// Files

typedef intptr_t PlatformFile;
constexpr PlatformFile kPlatformNoFile = -1;

enum PlatformFileMode : int {
  kFileCreate = 1,     // create (or truncate) for writing
  kFileRead = 2,       // existing file, reading, others may read and write it too
  kFileReadWrite = 3,  // existing file, reading and writing
};

PlatformFile PlatformFileOpen(const char* name, PlatformFileMode mode);
// Bytes read (0 at the end), or -1 on an error.
int32_t PlatformFileRead(PlatformFile file, void* buffer, uint32_t bytes);
// Bytes written, or -1 on an error.
int32_t PlatformFileWrite(PlatformFile file, const void* buffer, uint32_t bytes);
// Sets the position from the start of the file; the new position, or -1.
int32_t PlatformFileSeek(PlatformFile file, int32_t offset);
// Length of the open file in bytes, or -1.
int32_t PlatformFileSize(PlatformFile file);
// Cuts the file at its current position; 1 on success.
int PlatformFileTruncate(PlatformFile file);
int PlatformFileClose(PlatformFile file);  // 1 on success
// 1 when a file of that name can be found and opened for reading.
int PlatformFileExists(const char* name);
int PlatformFileDelete(const char* name);  // 1 on success

// Number of PlatformFileRead calls made so far in the process: lets the tests
// see that a seek inside a buffer cost no read.
long PlatformFileReadCount();

// ---------------------------------------------------------------------------
// Characters of the current ANSI code page (one byte, or two for a double-byte
// character: a lead byte and the trail byte after it)

const char* PlatformCharNext(const char* position);
const char* PlatformCharPrev(const char* start, const char* position);
void PlatformCharUpper(char* text);  // in place
void PlatformCharLower(char* text);  // in place
// Compares ignoring case, as the platform's own list boxes sort.
int PlatformCompareNoCase(const char* a, const char* b);
// Converts to the OEM code page; `destination` holds as many bytes as `source`.
int PlatformCharToOem(const char* source, char* destination);

// The current directory; 0 when it cannot be had or does not fit.
int PlatformCurrentDirectory(char* buffer, uint32_t size);

// ---------------------------------------------------------------------------
// Strings

// Loads string `id` of the library's own string table; the number of
// characters copied (0 when there is no such string; `buffer` is then empty).
int PlatformLoadString(uint32_t id, char* buffer, int size);
// The same from the host process's own module (the program that loaded us).
int PlatformLoadHostString(uint32_t id, char* buffer, int size);

// ---------------------------------------------------------------------------
// Messages

constexpr uint32_t kMessageBoxOk = 0x0000;           // MB_OK
constexpr uint32_t kMessageBoxExclamation = 0x0030;  // MB_ICONEXCLAMATION

// A modal message box; `owner` is a window handle or null.
int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style);
void PlatformBeep(uint32_t type);

// ---------------------------------------------------------------------------
// Libraries loaded at run time

// Loads a library with the critical-error and open-file error boxes switched
// off during the load; null when it cannot be loaded (always, natively).
void* PlatformLibraryLoad(const char* name);
void* PlatformLibrarySymbol(void* library, const char* name);
void PlatformLibraryFree(void* library);

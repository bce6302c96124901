// Buffered file access: the byte-and-word stream the debug information loader
// reads, plus two small file helpers (does a file exist, what version does a
// program file carry).
//
// At most two buffered files are open at once, each in one of two process-wide
// slots. A slot reads through a 4096-byte buffer from one shared pool that the
// first open creates and the last close destroys. Positions are file offsets;
// a seek that stays inside the buffered block costs no platform call, so the
// loader's look-ahead and step back is free.
//
// The end of the file and a read error look the same: BufReadByte gives -1.
// Callers find the end by comparing BufTell with BufSize.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Platform.h"

enum BufMode : int {
  kBufCreate = 1,     // create (or empty) the file for writing
  kBufRead = 2,       // read an existing file
  kBufReadWrite = 3,  // read and write an existing file
};

constexpr int32_t kBufSize = 4096;                     // bytes of file data a slot buffers
constexpr uint32_t kBufBlockSize = kBufSize + 10;      // the buffer's block in the pool
constexpr uint32_t kBufPoolSize = kBufSize * 7 / 6;    // 4778
constexpr uint32_t kBufPoolFlags = 0x0103;             // blocks not zero-filled

// The platform handle, which names the file towards callers; -1 when the file
// cannot be opened, no slot is free or no buffer can be had.
PlatformFile BufOpen(const char* name, int mode);
// Writes back what is buffered and closes the file: 0, or -1 when the write
// back or the close failed or the file is not in a slot.
int BufClose(PlatformFile file);
// The platform's size of the file, or the end of buffered data written past
// it; 0 for a file not in a slot.
int32_t BufSize(PlatformFile file);
// The next byte as a signed 8-bit number; -1 at the end or on an error.
int BufReadByte(PlatformFile file);
// Two bytes, low then high, as a signed 16-bit number (bytes 3A F9 give -1734).
int BufReadWord(PlatformFile file);
// The current file offset; 0 for a file not in a slot.
int32_t BufTell(PlatformFile file);
// 0; -1 for a file not in a slot, a negative offset (the position stays) or a
// failed write back.
int BufSeek(PlatformFile file, int32_t offset);
// Writes one byte at the current offset of a file opened with kBufCreate or
// kBufReadWrite: 0, or -1 (not writable, not in a slot, write back failed).
int BufWriteByte(PlatformFile file, int value);
// Writes `count` bytes the same way: 0, or -1.
int BufWrite(PlatformFile file, const void* bytes, uint32_t count);

// 1 when the platform can find and open the file by that name, else 0; no file
// stays open.
int FileExists(const char* name);

// The file version of a program file (the two 32-bit numbers of its fixed
// version record, most significant first): 0 with the version, or
//   -1  the name is empty, a version function is missing or the version cannot be read
//   -2  the file cannot be opened
//   -3  the platform's version library cannot be loaded (always, natively)
//   -8  the file exists but carries no version information
int GetFileVersion(const char* name, uint32_t* high, uint32_t* low);

// One 32-bit version number as "%d.%d": the upper 16 bits, then the lower 16
// bits as a signed number (0x00020001 gives 2.1).
void FormatVersionNumber(uint32_t version, char* out, size_t size);

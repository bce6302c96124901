// The buffered file layer: the reading rules the loader relies on (signed
// bytes, little-endian signed words, -1 at the end), what a seek costs, the
// two slots, write-back, and the version helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempFiles.h"
#include "debuginfo/BufferedFile.h"
#include "memory/MemPoolDebug.h"
#include "platform/Platform.h"

namespace {

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

int Signed(uint8_t byte) { return static_cast<int8_t>(byte); }

// Opens a file for reading and closes it at the end of the scope.
struct ReadFile {
  PlatformFile file;
  explicit ReadFile(const std::string& path) : file(BufOpen(path.c_str(), kBufRead)) {}
  ~ReadFile() {
    if (file != kPlatformNoFile) BufClose(file);
  }
};

TEST(BufReading, ThreeByteFileGivesItsBytesSignedThenMinusOne) {
  ReadFile in(WriteTempFile("three", {0x41, 0x80, 0x7F}));
  ASSERT_NE(in.file, kPlatformNoFile);
  EXPECT_EQ(BufSize(in.file), 3);
  EXPECT_EQ(BufReadByte(in.file), 0x41);
  EXPECT_EQ(BufReadByte(in.file), -128);
  EXPECT_EQ(BufReadByte(in.file), 127);
  EXPECT_EQ(BufReadByte(in.file), -1);
  long reads = PlatformFileReadCount();
  for (int i = 0; i < 100; i++) EXPECT_EQ(BufReadByte(in.file), -1);
  EXPECT_EQ(PlatformFileReadCount(), reads);  // the end is remembered, not asked for again
  EXPECT_GE(BufTell(in.file), 3);
  // The data is still buffered: a step back reads it again.
  EXPECT_EQ(BufSeek(in.file, 1), 0);
  EXPECT_EQ(BufReadByte(in.file), -128);
}

TEST(BufReading, WordsAreLittleEndianAndSigned) {
  ReadFile in(WriteTempFile("words", {0x3A, 0xF9, 0x0E, 0x00, 0x05}));
  EXPECT_EQ(BufReadWord(in.file), -1734);  // 0xF93A, the debug information's magic
  EXPECT_EQ(BufReadWord(in.file), 14);
  // A word whose high byte lies past the end takes -1 there.
  EXPECT_EQ(BufReadWord(in.file), static_cast<int16_t>(0xFF05));
  EXPECT_EQ(BufReadWord(in.file), -1);
}

TEST(BufReading, SequentialReadsCrossBlocksWithOneReadPerBlock) {
  std::vector<uint8_t> bytes = Pattern(3 * kBufSize + 100);
  ReadFile in(WriteTempFile("blocks", bytes));
  long before = PlatformFileReadCount();
  for (size_t i = 0; i < bytes.size(); i++) ASSERT_EQ(BufReadByte(in.file), Signed(bytes[i])) << "at " << i;
  EXPECT_EQ(PlatformFileReadCount() - before, 4);
  EXPECT_EQ(BufTell(in.file), static_cast<int32_t>(bytes.size()));
}

TEST(BufSeeking, BackInsideTheBufferCostsNoPlatformRead) {
  std::vector<uint8_t> bytes = Pattern(10000);
  ReadFile in(WriteTempFile("seekback", bytes));
  for (int i = 0; i < 200; i++) BufReadByte(in.file);
  long reads = PlatformFileReadCount();
  EXPECT_EQ(BufSeek(in.file, 10), 0);
  EXPECT_EQ(BufTell(in.file), 10);
  for (int i = 10; i < 20; i++) EXPECT_EQ(BufReadByte(in.file), Signed(bytes[i]));
  EXPECT_EQ(BufSeek(in.file, kBufSize - 1), 0);  // the last byte of the block
  EXPECT_EQ(BufReadByte(in.file), Signed(bytes[kBufSize - 1]));
  EXPECT_EQ(PlatformFileReadCount(), reads);
}

TEST(BufSeeking, ToBlockEndPlusOneRefillsFromThere) {
  std::vector<uint8_t> bytes = Pattern(10000);
  ReadFile in(WriteTempFile("refill", bytes));
  BufReadByte(in.file);  // buffers 0 .. 4095
  long reads = PlatformFileReadCount();
  EXPECT_EQ(BufSeek(in.file, kBufSize), 0);
  EXPECT_EQ(BufTell(in.file), kBufSize);
  EXPECT_EQ(BufReadByte(in.file), Signed(bytes[kBufSize]));
  EXPECT_EQ(PlatformFileReadCount(), reads + 1);
  // Now the block starts there: the byte before it is outside again.
  EXPECT_EQ(BufSeek(in.file, kBufSize - 1), 0);
  EXPECT_EQ(BufReadByte(in.file), Signed(bytes[kBufSize - 1]));
  EXPECT_EQ(PlatformFileReadCount(), reads + 2);
}

TEST(BufSeeking, PastTheEndReadsMinusOneAndANegativeOffsetIsRefused) {
  ReadFile in(WriteTempFile("past", Pattern(50)));
  EXPECT_EQ(BufSeek(in.file, 500), 0);
  EXPECT_EQ(BufReadByte(in.file), -1);
  EXPECT_EQ(BufTell(in.file), 500);
  EXPECT_EQ(BufSeek(in.file, -2), -1);
  EXPECT_EQ(BufTell(in.file), 500);
}

TEST(BufSlots, AThirdOpenFailsUntilASlotIsFreed) {
  std::string path = WriteTempFile("slots", Pattern(10));
  int freeSlots = MemPoolFreeSlots();
  PlatformFile first = BufOpen(path.c_str(), kBufRead);
  PlatformFile second = BufOpen(path.c_str(), kBufRead);
  ASSERT_NE(first, kPlatformNoFile);
  ASSERT_NE(second, kPlatformNoFile);
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots - 1);  // one buffer pool for both
  EXPECT_EQ(BufOpen(path.c_str(), kBufRead), kPlatformNoFile);
  // Each reads on its own.
  EXPECT_EQ(BufReadByte(first), Signed(Pattern(10)[0]));
  EXPECT_EQ(BufReadByte(first), Signed(Pattern(10)[1]));
  EXPECT_EQ(BufReadByte(second), Signed(Pattern(10)[0]));
  EXPECT_EQ(BufClose(first), 0);
  PlatformFile third = BufOpen(path.c_str(), kBufRead);
  EXPECT_NE(third, kPlatformNoFile);
  EXPECT_EQ(BufClose(second), 0);
  EXPECT_EQ(BufClose(third), 0);
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);  // the last close gives the pool back
}

TEST(BufSlots, OperationsOnAFileNotInASlotFail) {
  EXPECT_EQ(BufClose(12345), -1);
  EXPECT_EQ(BufReadByte(12345), -1);
  EXPECT_EQ(BufSeek(12345, 0), -1);
  EXPECT_EQ(BufSize(12345), 0);
  EXPECT_EQ(BufOpen(TempPath("missing").c_str(), kBufRead), kPlatformNoFile);
  EXPECT_EQ(BufOpen("", kBufRead), kPlatformNoFile);
}

TEST(BufWriting, CreatedFileRoundTripsAcrossBlocks) {
  std::string path = TempPath("created");
  std::vector<uint8_t> bytes = Pattern(2 * kBufSize + 17);
  PlatformFile out = BufOpen(path.c_str(), kBufCreate);
  ASSERT_NE(out, kPlatformNoFile);
  EXPECT_EQ(BufWrite(out, bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
  EXPECT_EQ(BufSize(out), static_cast<int32_t>(bytes.size()));  // what is still buffered counts
  EXPECT_EQ(BufClose(out), 0);
  EXPECT_EQ(ReadWholeFile(path), bytes);
}

TEST(BufWriting, ReadWriteFileChangesOnlyTheBytesWritten) {
  std::vector<uint8_t> bytes = Pattern(6000);
  std::string path = WriteTempFile("patched", bytes);
  PlatformFile file = BufOpen(path.c_str(), kBufReadWrite);
  ASSERT_NE(file, kPlatformNoFile);
  EXPECT_EQ(BufReadByte(file), Signed(bytes[0]));
  EXPECT_EQ(BufSeek(file, 10), 0);
  EXPECT_EQ(BufWriteByte(file, 0xAB), 0);
  EXPECT_EQ(BufReadByte(file), Signed(bytes[11]));  // reading goes on after the byte written
  EXPECT_EQ(BufSeek(file, 5000), 0);                // leaves the block: it is written back
  EXPECT_EQ(BufWriteByte(file, 0xCD), 0);
  EXPECT_EQ(BufSeek(file, 10), 0);
  EXPECT_EQ(BufReadByte(file), Signed(0xAB));
  EXPECT_EQ(BufClose(file), 0);
  bytes[10] = 0xAB;
  bytes[5000] = 0xCD;
  EXPECT_EQ(ReadWholeFile(path), bytes);
}

TEST(BufWriting, AFileOpenedForReadingIsNotWritten) {
  std::vector<uint8_t> bytes = Pattern(20);
  std::string path = WriteTempFile("readonly", bytes);
  ReadFile in(path);
  EXPECT_EQ(BufWriteByte(in.file, 1), -1);
  EXPECT_EQ(BufClose(in.file), 0);
  in.file = kPlatformNoFile;
  EXPECT_EQ(ReadWholeFile(path), bytes);
}

TEST(FileHelpers, ExistsAndVersion) {
  std::string path = WriteTempFile("exists", {1});
  EXPECT_EQ(FileExists(path.c_str()), 1);
  EXPECT_EQ(FileExists(TempPath("no such file").c_str()), 0);
  EXPECT_EQ(FileExists(""), 0);

  uint32_t high = 7, low = 7;
  EXPECT_EQ(GetFileVersion("", &high, &low), -1);
  EXPECT_EQ(GetFileVersion(nullptr, &high, &low), -1);
  // No version library natively: the query says so for any named file.
  EXPECT_EQ(GetFileVersion(path.c_str(), &high, &low), -3);
  EXPECT_EQ(high, 7u);
  EXPECT_EQ(low, 7u);
}

TEST(FileHelpers, VersionNumbersFormatHighThenSignedLow) {
  char text[32];
  FormatVersionNumber(0x00020001, text, sizeof text);
  EXPECT_STREQ(text, "2.1");
  FormatVersionNumber(0x0001FFFF, text, sizeof text);
  EXPECT_STREQ(text, "1.-1");
  FormatVersionNumber(0xFFFF0000, text, sizeof text);
  EXPECT_STREQ(text, "65535.0");
}

}  // namespace

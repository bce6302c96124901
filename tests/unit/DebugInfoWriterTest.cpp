// The debug information writer: the bytes it produces for the loader's
// examples, the fields it refuses, and a round trip through an independent
// reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/DebugInfoReader.h"
#include "DebugInfoWriter/DebugInfoWriter.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
  return bytes;
}

std::vector<uint8_t> Write(const DebugInfoDescription& info) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_EQ(1, DebugInfoWrite(info, &bytes, &error)) << error;
  return bytes;
}

DebugInfoDescription MinimalFile() {
  DebugInfoDescription info;
  info.mainScript = "main.q";
  info.globalStrings = {"s"};
  DebugInfoAddLine(&info, 5, 0, 0);
  DebugInfoAddFunction(&info, "f", {}, {}, 9, 1, 0);
  return info;
}

}  // namespace

TEST(DebugInfoWriter, MinimalFileMatchesTheLoadersExampleByteForByte) {
  std::vector<uint8_t> expected = Bytes({
      0x0E, 0x00, 0x00, 0x00, 0x3A, 0xF9,            // offset 14, unused, magic
      0x06, 0x00, 'm', 'a', 'i', 'n', '.', 'q',       // main script name
      0x01, 0x00, 0x01, 0x00, 's',                    // one global string
      0x00, 0x00,                                     // no global numbers
      0x05, 0x80, 0x00, 0x00, 0x00, 0x00,             // line 5 at (0, 0)
      0x00, 0x00, 0x01, 0x00, 'f', 0x00, 0x00, 0x00, 0x00,  // function f
      0x09, 0x80, 0x01, 0x00, 0x00, 0x00,             // line 9 at (1, 0)
      0x00, 0x00,                                     // spare word
  });
  EXPECT_EQ(expected, Write(MinimalFile()));

  DebugInfoDescription noSpare = MinimalFile();
  noSpare.spareWord = false;
  std::vector<uint8_t> withoutSpare(expected.begin(), expected.end() - 2);
  EXPECT_EQ(withoutSpare, Write(noSpare));
}

TEST(DebugInfoWriter, FillerMovesTheGlobalListsAndTheOffsetWordFollows) {
  DebugInfoDescription info = MinimalFile();
  info.filler = {0xAA, 0xBB, 0xCC};
  std::vector<uint8_t> bytes = Write(info);
  EXPECT_EQ(17, bytes[0] | (bytes[1] << 8));
  EXPECT_EQ(0xAA, bytes[14]);
  EXPECT_EQ(0xCC, bytes[16]);
  EXPECT_EQ(0x01, bytes[17]);  // the global string list's count
}

TEST(DebugInfoWriter, RecordsCarrySignedWordsTagsAndLocalLists) {
  DebugInfoDescription info;
  info.mainScript = "m";
  info.globalNumbers = {"n1", "n2"};
  DebugInfoAddSwitch(&info, "inc.q");
  DebugInfoAddLine(&info, 16383, -1, -2);
  DebugInfoAddFunctionRecord(&info, "g", {"a", "b"}, {"c"});
  DebugInfoAddRaw(&info, Bytes({0x00, 0xC0}));
  info.spareWord = false;
  std::vector<uint8_t> bytes = Write(info);
  std::vector<uint8_t> expected = Bytes({
      0x09, 0x00, 0x00, 0x00, 0x3A, 0xF9, 0x01, 0x00, 'm',
      0x00, 0x00,                                      // no global strings
      0x02, 0x00, 0x02, 0x00, 'n', '1', 0x02, 0x00, 'n', '2',
      0x00, 0x40, 0x00, 0x00, 0x05, 0x00, 'i', 'n', 'c', '.', 'q',  // switch
      0xFF, 0xBF, 0xFF, 0xFF, 0xFE, 0xFF,              // line 16383 at (-1, -2)
      0x00, 0x00, 0x01, 0x00, 'g',                     // function g
      0x02, 0x00, 0x01, 0x00, 'a', 0x01, 0x00, 'b',    // two local strings
      0x01, 0x00, 0x01, 0x00, 'c',                     // one local number
      0x00, 0xC0,                                      // raw bytes
  });
  EXPECT_EQ(expected, bytes);
}

TEST(DebugInfoWriter, RefusesWhatTheFormatCannotCarry) {
  std::vector<uint8_t> bytes;
  std::string error;
  DebugInfoDescription info = MinimalFile();
  DebugInfoAddLine(&info, 16384, 0, 1);  // its tag would read as a file switch
  EXPECT_EQ(0, DebugInfoWrite(info, &bytes, &error));
  EXPECT_NE(std::string::npos, error.find("16384"));
  EXPECT_TRUE(bytes.empty());

  info = MinimalFile();
  info.mainScript.assign(40000, 'x');
  EXPECT_EQ(0, DebugInfoWrite(info, &bytes, &error));

  info = MinimalFile();
  info.filler.assign(32760, 0);
  EXPECT_EQ(0, DebugInfoWrite(info, &bytes, &error));
  EXPECT_NE(std::string::npos, error.find("header"));
}

TEST(DebugInfoWriter, FileRoundTripsThroughAnIndependentReader) {
  DebugInfoDescription info;
  info.mainScript = "/tmp/setup.qn";
  info.globalStrings = {"SRCDIR", "TARGETDIR", "TEMPSTRING", "szName"};
  info.globalNumbers = {"__LASTRESULT", "nCount"};
  DebugInfoAddLine(&info, 40, 0, 0);
  DebugInfoAddLine(&info, 41, 0, 1);
  DebugInfoAddSwitch(&info, "/tmp/helpers.qn");
  DebugInfoAddFunction(&info, "Join", {"szA", "szB"}, {"nLen"}, 7, 1, 0);
  DebugInfoAddLine(&info, 8, 1, 1);

  std::string path = testing::TempDir() + "writer_roundtrip.dbg";
  std::string error;
  ASSERT_EQ(1, DebugInfoWriteFile(info, path.c_str(), &error)) << error;
  ReadDebugInfo read;
  ASSERT_EQ(1, ReadDebugInfoFile(path.c_str(), &read, &error)) << error;
  std::remove(path.c_str());

  EXPECT_EQ(0xF93A, read.magic);
  EXPECT_EQ(info.mainScript, read.mainScript);
  EXPECT_EQ(info.globalStrings, read.globalStrings);
  EXPECT_EQ(info.globalNumbers, read.globalNumbers);
  ASSERT_EQ(info.records.size(), read.records.size());
  for (size_t i = 0; i < info.records.size(); ++i) {
    const DebugRecord& w = info.records[i];
    const ReadRecord& r = read.records[i];
    EXPECT_EQ(static_cast<int>(w.kind), r.kind) << i;
    EXPECT_EQ(w.name, r.name) << i;
    EXPECT_EQ(w.line, r.line) << i;
    EXPECT_EQ(w.block, r.block) << i;
    EXPECT_EQ(w.offset, r.offset) << i;
    EXPECT_EQ(w.localStrings, r.localStrings) << i;
    EXPECT_EQ(w.localNumbers, r.localNumbers) << i;
  }
  EXPECT_EQ(2, read.trailingBytes);

  EXPECT_EQ(0, DebugInfoWriteFile(info, "/nonexistent-dir/x.dbg", &error));
  EXPECT_NE(std::string::npos, error.find("/nonexistent-dir/x.dbg"));
}

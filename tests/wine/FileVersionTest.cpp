// The version query through the platform's version library, loaded at run
// time: the debugger's own file carries the version the About box shows; a
// file without version information and a missing file are told apart.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/WineTestSupport.h"
#include "debuginfo/BufferedFile.h"
#include "resources/version.h"

namespace {

TEST(GetFileVersion, OfTheDebuggerItselfIsItsVersion) {
  uint32_t high = 0, low = 0;
  ASSERT_EQ(GetFileVersion(DebuggerDllPath().c_str(), &high, &low), 0) << DebuggerDllPath();
  EXPECT_EQ(high, static_cast<uint32_t>(MAKELONG(QN_VERSION_MINOR, QN_VERSION_MAJOR)));
  EXPECT_EQ(low, static_cast<uint32_t>(MAKELONG(QN_VERSION_BUILD, QN_VERSION_PATCH)));
  char text[32];
  FormatVersionNumber(high, text, sizeof text);
  EXPECT_EQ(std::string(text), std::to_string(QN_VERSION_MAJOR) + "." + std::to_string(QN_VERSION_MINOR));
}

TEST(GetFileVersion, FileWithoutVersionAndMissingFileAreToldApart) {
  TempDir folder;
  std::string text = folder.Write("notes.txt", "no version information here\r\n");
  ASSERT_FALSE(text.empty());
  uint32_t high = 7, low = 7;
  EXPECT_EQ(GetFileVersion(text.c_str(), &high, &low), -8);
  EXPECT_EQ(GetFileVersion(folder.File("missing.dll").c_str(), &high, &low), -2);
  EXPECT_EQ(GetFileVersion("", &high, &low), -1);
  EXPECT_EQ(high, 7u);
  EXPECT_EQ(low, 7u);
}

}  // namespace

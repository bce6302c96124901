// Settings files: where a plain name lands, reading and writing keys.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "util/Profile.h"

namespace {

std::string WindowsDirectory() {
  char directory[MAX_PATH];
  GetWindowsDirectoryA(directory, MAX_PATH);
  return directory;
}

TEST(ProfileOpen, PlainNameLandsInTheWindowsDirectory) {
  const char* name = "qnprofile-test.ini";
  std::string expected = WindowsDirectory() + "\\" + name;
  DeleteFileA(expected.c_str());
  EXPECT_EQ(ProfileOpen(name, 0), nullptr);  // missing, and not to be made
  ProfileHandle profile = ProfileOpen(name, 1);
  ASSERT_NE(profile, nullptr);
  EXPECT_STREQ(profile, expected.c_str());
  EXPECT_NE(GetFileAttributesA(expected.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ProfileClose(profile), 1);
  DeleteFileA(expected.c_str());
}

TEST(ProfileOpen, NameWithAFolderIsUsedAsItStands) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "qnprofile-folder.ini";
  DeleteFileA(path.c_str());
  ProfileHandle profile = ProfileOpen(path.c_str(), 1);
  ASSERT_NE(profile, nullptr);
  EXPECT_STREQ(profile, path.c_str());
  EXPECT_EQ(std::string(profile).find(WindowsDirectory() + "\\qnprofile"), std::string::npos);
  ProfileClose(profile);
  DeleteFileA(path.c_str());
}

TEST(ProfileOpen, OverLongPathIsRefused) {
  std::string name = "C:\\" + std::string(150, 'x') + ".ini";
  EXPECT_EQ(ProfileOpen(name.c_str(), 1), nullptr);
}

TEST(ProfileStrings, WrittenValuesReadBackAndMissingKeysAreEmpty) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "qnprofile-values.ini";
  DeleteFileA(path.c_str());
  ProfileHandle profile = ProfileOpen(path.c_str(), 1);
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(ProfileWriteString(profile, "Color", "bk_brkline", "255"), 1);
  char value[kProfileValueSize] = "junk";
  EXPECT_EQ(ProfileGetString(profile, "Color", "bk_brkline", value), 1);
  EXPECT_STREQ(value, "255");
  EXPECT_EQ(ProfileGetString(profile, "Color", "fg_missing", value), 0);
  EXPECT_STREQ(value, "");
  char untouched[kProfileValueSize] = "keep";
  EXPECT_EQ(ProfileGetString(nullptr, "Color", "bk_brkline", untouched), 0);
  EXPECT_STREQ(untouched, "keep");
  EXPECT_EQ(ProfileWriteString(nullptr, "Color", "k", "v"), 0);
  EXPECT_EQ(ProfileClose(nullptr), 0);
  ProfileClose(profile);
  DeleteFileA(path.c_str());
}

}  // namespace

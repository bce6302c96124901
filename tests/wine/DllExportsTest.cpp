// QNDBGC.DLL as a host sees it: loaded from the program's folder by name, its
// entry points found by their plain names, its version and string table read
// from the module.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "qndbgc.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "support/WineTestSupport.h"

namespace {

class DllExportsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    library = LoadLibraryA(DebuggerDllPath().c_str());
    loadError = GetLastError();
  }
  static void TearDownTestSuite() {
    if (library) FreeLibrary(library);
    library = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(library, nullptr) << "LoadLibraryA(" << DebuggerDllPath() << ") failed, error " << loadError;
  }
  static HMODULE library;
  static DWORD loadError;
};

HMODULE DllExportsTest::library = nullptr;
DWORD DllExportsTest::loadError = 0;

TEST_F(DllExportsTest, EntryPointsHaveTheirPlainNames) {
  for (const char* name : {"QNdbgInit", "QNdbgBreak", "QNdbgExit", "WEP"}) {
    EXPECT_NE(GetProcAddress(library, name), nullptr) << name << " is not exported under its plain name";
  }
}

TEST_F(DllExportsTest, ExitProcedureAnswersOne) {
  auto wep = reinterpret_cast<decltype(&WEP)>(GetProcAddress(library, "WEP"));
  ASSERT_NE(wep, nullptr);
  EXPECT_EQ(wep(0), 1);
}

TEST_F(DllExportsTest, CarriesItsVersion) {
  const std::string path = DebuggerDllPath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no VERSIONINFO, error " << GetLastError();
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  ASSERT_GE(fixedSize, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(QN_VERSION_MINOR, QN_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(QN_VERSION_BUILD, QN_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(DllExportsTest, StringTableHoldsTheDebuggerTitle) {
  char text[64] = "";
  int length = LoadStringA(library, IDS_DEBUGGER_TITLE, text, sizeof text);
  EXPECT_STREQ(text, "Quendle Debugger") << "LoadStringA answered " << length;
}

}  // namespace

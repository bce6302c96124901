// The demo's tour (samples/diskspace.tour) played by qnrun.exe as
// scripts/demo.sh plays it: every expected stop comes, and a screenshot of
// each is written.
#include <gtest/gtest.h>

#include "E2eSession.h"
#include "host/SessionScript.h"

namespace {

std::string Windows(const std::string& path) {
  std::string turned = path;
  for (char& c : turned) {
    if (c == '/') c = '\\';
  }
  return turned;
}

// Width and height of a BMP file; 0, 0 when it is none.
std::pair<long, long> BmpSize(const std::string& file) {
  std::pair<long, long> size(0, 0);
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return size;
  BITMAPFILEHEADER header;
  BITMAPINFOHEADER info;
  DWORD n1 = 0, n2 = 0;
  if (ReadFile(handle, &header, sizeof header, &n1, nullptr) && ReadFile(handle, &info, sizeof info, &n2, nullptr) &&
      n1 == sizeof header && n2 == sizeof info && header.bfType == 0x4D42 &&
      header.bfSize == GetFileSize(handle, nullptr))
    size = {info.biWidth, info.biHeight};
  CloseHandle(handle);
  return size;
}

// The screenshots the tour asks for, in its order.
std::vector<std::string> TourShots() {
  std::vector<std::string> names;
  HANDLE file = CreateFileA(Windows(SamplePath("diskspace.tour")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  std::string text(1 << 16, '\0');
  DWORD n = 0;
  if (file != INVALID_HANDLE_VALUE) ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &n, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  text.resize(n);
  SessionScript tour;
  std::string error;
  EXPECT_TRUE(SessionScriptParse(text, &tour, &error)) << error;
  for (const SessionCommand& c : tour.commands) {
    if (c.kind == kSessionShot) names.push_back(c.name);
    if (!c.shot.empty()) names.push_back(c.shot);
  }
  return names;
}

TEST(QnrunTour, TheDemoTourStopsWhereItSaysAndShootsEachStop) {
  E2eFolder shots;
  QnrunResult run = RunQnrun("--debug --stdout-messages --no-delay --session \"" + Windows(SamplePath("diskspace.tour")) +
                             "\" --shots \"" + shots.Path() + "\" \"" + Windows(SamplePath("diskspace.qn")) + "\"");
  EXPECT_EQ(0u, run.code) << run.out << run.err;
  EXPECT_EQ(std::string::npos, run.out.find("FAILED")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("session: stop 5: diskspace.qn(50) in TotalKb, depth 1\n")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("session:   local nIndex: was 1, typed 5, shows 5\n")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("session: stop 6: diskspace.qn(51) in TotalKb, depth 1\n")) << run.out;
  EXPECT_EQ(std::string::npos, run.out.find("stop 7")) << run.out;
  // Exit in the middle: the script's own message never came.
  EXPECT_EQ(std::string::npos, run.out.find("[Information]")) << run.out;
  std::vector<std::string> names = TourShots();
  EXPECT_EQ(8u, names.size());
  for (const std::string& name : names) {
    std::pair<long, long> size = BmpSize(shots.Path() + "\\" + name + ".bmp");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), size.first) << name;
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), size.second) << name;
  }
}

}  // namespace

// The helpers of the Windows tests, on real windows and real dialog boxes:
// a helper that answered the wrong button, read the wrong pixel or missed a
// box would make every test built on it pass or hang for the wrong reason.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/WineTestSupport.h"

namespace {

// ---------------------------------------------------------------------------
// A dialog that asks for a name: OK with an empty name shows a message box
// and keeps the dialog open; OK with a name ends it with the name's length.

constexpr int kNameEdit = 100;

std::vector<WORD> NameDialogTemplate() {
  std::vector<WORD> words;
  auto put32 = [&](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  auto putText = [&](const wchar_t* text) {
    do words.push_back(*text); while (*text++);
  };
  auto putItem = [&](DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* text) {
    if (words.size() % 2) words.push_back(0);  // items start on a DWORD
    put32(WS_CHILD | WS_VISIBLE | style);
    put32(0);
    words.insert(words.end(), {WORD(x), WORD(y), WORD(cx), WORD(cy), id, 0xFFFF, atom});
    putText(text);
    words.push_back(0);  // no creation data
  };
  put32(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  put32(0);
  words.insert(words.end(), {2, 10, 10, 160, 60, 0, 0});  // items, x, y, cx, cy, no menu, no class
  putText(L"Name");
  putItem(WS_BORDER | ES_AUTOHSCROLL, 10, 10, 140, 14, kNameEdit, 0x0081, L"");
  putItem(BS_DEFPUSHBUTTON, 55, 35, 50, 14, IDOK, 0x0080, L"OK");
  return words;
}

INT_PTR CALLBACK NameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  } else if (LOWORD(wParam) == IDOK) {
    char name[64] = "";
    GetDlgItemTextA(dialog, kNameEdit, name, sizeof name);
    if (name[0]) {
      EndDialog(dialog, lstrlenA(name));
    } else {
      MessageBoxA(dialog, "Type a name first.", "Name", MB_OK | MB_ICONEXCLAMATION);
    }
  }
  return TRUE;
}

INT_PTR RunNameDialog() {
  std::vector<WORD> words = NameDialogTemplate();
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), nullptr,
                                 NameDlgProc, 0);
}

TEST(WineSupportTest, WatcherPressesTheChosenButtonAndKeepsWhatTheBoxSaid) {
  MessageBoxWatcher watcher(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Go on?", "Question", MB_YESNO), IDNO);
  // A box without that button: its Cancel button, else its default one.
  EXPECT_EQ(MessageBoxA(nullptr, "Stop?", "Question", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Done.", "Note", MB_OK), IDOK);
  ASSERT_EQ(watcher.Shown().size(), 3u) << watcher.Describe();
  EXPECT_EQ(watcher.Shown()[0].caption, "Question");
  EXPECT_EQ(watcher.Shown()[0].text, "Go on?");
  EXPECT_EQ(watcher.Shown()[2].caption, "Note");
  EXPECT_EQ(watcher.Shown()[2].text, "Done.");
}

TEST(WineSupportTest, NewestWatcherAnswers) {
  MessageBoxWatcher outer(IDYES);
  {
    MessageBoxWatcher inner(IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Inner?", "Nested", MB_YESNO), IDNO);
    EXPECT_EQ(inner.Shown().size(), 1u);
  }
  EXPECT_TRUE(outer.Shown().empty()) << outer.Describe();
  EXPECT_EQ(MessageBoxA(nullptr, "Outer?", "Nested", MB_YESNO), IDYES);
  EXPECT_EQ(outer.Shown().size(), 1u);
}

TEST(WineSupportTest, UnexpectedBoxFailsTheTestInsteadOfHangingIt) {
  EXPECT_NONFATAL_FAILURE(MessageBoxA(nullptr, "stray text", "Stray", MB_OK),
                          "unexpected dialog box \"Stray\": \"stray text\"");
}

TEST(WineSupportTest, DriverActsOnTheOpenDialog) {
  DialogDriver driver([](HWND dialog) {
    SetDlgItemTextA(dialog, kNameEdit, "Quendle");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(RunNameDialog(), 7);
  EXPECT_TRUE(driver.Acted());
}

TEST(WineSupportTest, DriverEndsADialogItsActionLeftOpen) {
  char title[32] = "";
  DialogDriver driver([&](HWND dialog) { GetWindowTextA(dialog, title, sizeof title); });
  EXPECT_EQ(RunNameDialog(), kDialogDriverEnded);
  EXPECT_STREQ(title, "Name");
}

TEST(WineSupportTest, BoxShownByADrivenDialogIsAnswered) {
  MessageBoxWatcher watcher;
  DialogDriver driver([](HWND dialog) {
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // empty name: a box, the dialog stays
    SetDlgItemTextA(dialog, kNameEdit, "Step");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(RunNameDialog(), 4);
  ASSERT_EQ(watcher.Shown().size(), 1u) << watcher.Describe();
  EXPECT_EQ(watcher.Shown()[0].text, "Type a name first.");
}

// ---------------------------------------------------------------------------
// A popup window painted in two colours: left half and right half.

constexpr COLORREF kLeft = RGB(200, 30, 40);
constexpr COLORREF kRight = RGB(20, 60, 220);
constexpr int kWidth = 200, kHeight = 100;
constexpr UINT kPing = WM_APP + 1;
int gPings = 0;

LRESULT CALLBACK TwoColourWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) {
    gPings++;
    return 0;
  }
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT left = {0, 0, kWidth / 2, kHeight}, right = {kWidth / 2, 0, kWidth, kHeight};
  HBRUSH brush = CreateSolidBrush(kLeft);
  FillRect(dc, &left, brush);
  DeleteObject(brush);
  brush = CreateSolidBrush(kRight);
  FillRect(dc, &right, brush);
  DeleteObject(brush);
  EndPaint(window, &paint);
  return 0;
}

class TwoColourWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TwoColourWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QNTWOCOLOURTEST";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "QNTWOCOLOURTEST", "", WS_POPUP | WS_VISIBLE, 40, 40, kWidth, kHeight, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    PumpMessages();
  }
  void TearDown() override { DestroyWindow(window); }
  HWND window = nullptr;
};

TEST_F(TwoColourWindowTest, PumpDeliversPostedMessages) {
  gPings = 0;
  PostMessageA(window, kPing, 0, 0);
  PostMessageA(window, kPing, 0, 0);
  PumpMessages();
  EXPECT_EQ(gPings, 2);
}

TEST_F(TwoColourWindowTest, ReadPixelSeesWhatWasPainted) {
  EXPECT_EQ(ReadPixel(window, 10, 50), kLeft);
  EXPECT_EQ(ReadPixel(window, kWidth - 10, 50), kRight);
}

TEST_F(TwoColourWindowTest, SavedBitmapHoldsTheWindow) {
  TempDir folder;
  const std::string path = folder.File("window.bmp");
  ASSERT_TRUE(SaveWindowBmp(window, path));

  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  ASSERT_GT(got, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));

  auto fileHeader = reinterpret_cast<const BITMAPFILEHEADER*>(bytes.data());
  auto header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data() + sizeof(BITMAPFILEHEADER));
  EXPECT_EQ(fileHeader->bfType, 0x4D42);
  EXPECT_EQ(fileHeader->bfSize, got);
  EXPECT_EQ(header->biWidth, kWidth);
  EXPECT_EQ(header->biHeight, kHeight);
  EXPECT_EQ(header->biBitCount, 24);
  auto pixel = [&](int x, int y) {
    const int stride = (kWidth * 3 + 3) & ~3;
    const unsigned char* bgr =
        reinterpret_cast<const unsigned char*>(bytes.data()) + fileHeader->bfOffBits + (kHeight - 1 - y) * stride + x * 3;
    return RGB(bgr[2], bgr[1], bgr[0]);
  };
  EXPECT_EQ(pixel(10, 50), kLeft);
  EXPECT_EQ(pixel(kWidth - 10, 50), kRight);
}

// ---------------------------------------------------------------------------

TEST(WineSupportTest, TrackerListsTheObjectsStillAlive) {
  GdiObjectTracker tracker;
  HBRUSH brush = CreateSolidBrush(kLeft);
  HPEN pen = CreatePen(PS_SOLID, 1, kRight);
  ASSERT_TRUE(tracker.Track(brush, "brush"));
  ASSERT_TRUE(tracker.Track(pen, "pen"));
  DeleteObject(pen);
  EXPECT_EQ(tracker.Alive().find("pen"), std::string::npos) << tracker.Alive();
  EXPECT_EQ(tracker.Alive().rfind("brush (", 0), 0u) << tracker.Alive();
  DeleteObject(brush);
  EXPECT_EQ(tracker.Alive(), "");
  // A handle that is dead already proves nothing later.
  EXPECT_FALSE(tracker.Track(brush, "deleted brush"));
  EXPECT_FALSE(tracker.Track(nullptr, "null"));
  EXPECT_EQ(tracker.Count(), 2u);
}

TEST(WineSupportTest, TempDirGoesWithItsFiles) {
  std::string folder, file;
  {
    TempDir temp;
    folder = temp.Path();
    ASSERT_FALSE(folder.empty());
    file = temp.Write("a.txt", std::string("line\r\n\0tail", 11));
    ASSERT_EQ(file, temp.File("a.txt"));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 11u);
  }
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

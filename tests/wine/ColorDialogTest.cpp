// The Color dialog driven as a user drives it: elements picked in the list,
// palette buttons clicked, "&Default Colors", OK and Cancel, with the marks
// and the sample read back from the pixels; what OK and Cancel do to the
// scheme and its settings file; and a hundred runs without a GDI object left.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/BoxTesting.h"
#include "support/GdiTable.h"
#include "support/WineTestSupport.h"
#include "memory/List.h"
#include "resources/resource.h"
#include "sourceview/ColorScheme.h"
#include "ui/ColorDialog_win.h"
#include "ui/ColorPalette.h"
#include "util/Font.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kDarkGreen = RGB(0, 128, 0);

// List index of each offered element: element 5 is not among them.
enum Offered { kComments, kFunctions, kStrings, kKeywords, kSelected, kOther, kConstants, kNumbers, kBreakLines, kCurrent };
const std::vector<std::string> kOfferedNames = {"Comments",          "Quendle functions", "String literals",
                                                "Language keywords", "Selected text",     "Miscellaneous",
                                                "Quendle constants", "Number literals",   "Break points",
                                                "Current line"};

std::string IniPath() {
  char folder[MAX_PATH];
  GetWindowsDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\qn20dbg.ini";
}

// The file's bytes; false when there is no such file.
bool ReadWholeFile(const std::string& path, std::string* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes->append(buffer, got);
  CloseHandle(file);
  return true;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// The "key=value" lines of the file's "Color" section, in file order.
std::vector<std::string> ColorSectionLines() {
  char section[4096];
  DWORD length = GetPrivateProfileSectionA("Color", section, sizeof section, IniPath().c_str());
  std::vector<std::string> lines;
  for (const char* line = section; line < section + length && *line; line += lstrlenA(line) + 1) lines.push_back(line);
  return lines;
}

// --- acting on the open dialog as a user does ------------------------------

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

// Scrolls the element into view when it is not, and clicks it.
void ClickElement(HWND dialog, int index) {
  HWND list = Item(dialog, IDC_COLOR_ELEMENTS);
  RECT item{}, client{};
  GetClientRect(list, &client);
  SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  if (item.bottom > client.bottom || item.top < 0) {
    SendMessageA(list, LB_SETTOPINDEX, index, 0);
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  }
  const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
  PumpMessages();
}

void Click(HWND dialog, int id) {
  SendMessageA(Item(dialog, id), BM_CLICK, 0, 0);
  PumpMessages();
}

// --- reading the dialog's pixels -------------------------------------------

// 'S' for a palette button drawn sunken (shadow along its top), 'R' raised
// (white along its top), '?' for anything else.
char Relief(HWND dialog, int id) {
  COLORREF top = ReadPixel(Item(dialog, id), 4, 1);
  if (top == GetSysColor(COLOR_BTNSHADOW)) return 'S';
  if (top == kWhite) return 'R';
  return '?';
}

// The ids of the palette buttons drawn sunken, in id order.
std::vector<int> SunkenButtons(HWND dialog) {
  std::vector<int> sunken;
  for (int base : {kBackgroundButtonBase, kForegroundButtonBase})
    for (int k = 1; k <= kPaletteSize; k++)
      if (Relief(dialog, base + k) == 'S') sunken.push_back(base + k);
  return sunken;
}

struct SamplePixels {
  COLORREF fill = CLR_INVALID;  // a corner inside the frame
  int text = 0;                 // pixels of the colour asked for
};

SamplePixels ReadSample(HWND dialog, COLORREF textColor) {
  HWND sample = Item(dialog, IDC_COLOR_SAMPLE);
  UpdateWindow(sample);
  RECT r;
  GetClientRect(sample, &r);
  SamplePixels pixels;
  HDC dc = GetDC(sample);
  pixels.fill = GetPixel(dc, 3, 3);
  for (int y = 3; y < r.bottom - 3; y++)
    for (int x = 3; x < r.right - 3; x++)
      if (GetPixel(dc, x, y) == textColor) pixels.text++;
  ReleaseDC(sample, dc);
  return pixels;
}

// --- the fixture -------------------------------------------------------------

class ColorDialogTest : public ::testing::Test {
 protected:
  static HWND owner;
  static HFONT font;
  static bool hadIni;
  static std::string savedIni;

  static void SetUpTestSuite() {
    owner = CreateTestParent("ColorDialogOwner", DefWindowProcA, 400, 300);
    font = CreateFontByName(0, "MS Sans Serif", 8, 0, 0, 0, 0);
    hadIni = ReadWholeFile(IniPath(), &savedIni);
  }
  static void TearDownTestSuite() {
    DestroyWindow(owner);
    DeleteObject(font);
    if (hadIni)
      WriteWholeFile(IniPath(), savedIni);
    else
      DeleteFileA(IniPath().c_str());
  }

  // As the debugger starts: no settings file, the defaults, the file read.
  void SetUp() override {
    ASSERT_NE(owner, nullptr);
    DeleteFileA(IniPath().c_str());
    ColorSchemeResetForTesting();
    ColorSchemeSetDefaults();
    ColorSchemeLoad();
  }

  // A working list like the scheme's, every element at its defaults.
  static List* DefaultEntries() {
    List* entries = ListCreate(sizeof(ColorEntry));
    const ColorScheme& scheme = ColorSchemeCurrent();
    for (int element = 1; element <= kColorElements; element++) {
      if (element == 5) continue;
      ColorEntry entry{};
      lstrcpynA(entry.name, kOfferedNames[ListCount(entries)].c_str(), sizeof entry.name);
      entry.foreground = entry.defaultForeground = scheme.defaultForeground[element];
      entry.background = entry.defaultBackground = scheme.defaultBackground[element];
      entry.element = element;
      ListAdd(entries, &entry);
    }
    return entries;
  }
  static ColorEntry* EntryAt(List* entries, int index) {
    void* item = ListFirst(entries);
    for (int i = 0; item && i < index; i++) item = ListNext(entries);
    return static_cast<ColorEntry*>(item);
  }

  // Runs ColorDialogRun over `entries` with `act` inside; the dialog's result.
  int Run(List* entries, std::function<void(HWND)> act) {
    DialogDriver driver([&](HWND dialog) {
      PumpMessages();
      act(dialog);
    });
    int result = ColorDialogRun(owner, entries, font, 0);
    EXPECT_TRUE(driver.Acted()) << "the dialog never came up";
    return result;
  }
};
HWND ColorDialogTest::owner = nullptr;
HFONT ColorDialogTest::font = nullptr;
bool ColorDialogTest::hadIni = false;
std::string ColorDialogTest::savedIni;

// ---------------------------------------------------------------------------

TEST_F(ColorDialogTest, OpensWithTenElementsNoneSelectedEveryButtonRaisedAndABlackOnWhiteSample) {
  int result = -1;
  DialogDriver driver([&](HWND dialog) {
    PumpMessages();
    char caption[64];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Color");
    HWND list = Item(dialog, IDC_COLOR_ELEMENTS);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 10);
    for (int i = 0; i < 10; i++) {
      char name[64] = "";
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
      EXPECT_EQ(name, kOfferedNames[i]) << "entry " << i;
      EXPECT_STRNE(name, "Script labels");
    }
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(SunkenButtons(dialog), std::vector<int>{});
    for (int base : {kBackgroundButtonBase, kForegroundButtonBase})
      for (int k = 1; k <= kPaletteSize; k++) {
        HWND button = Item(dialog, base + k);
        EXPECT_EQ(Relief(dialog, base + k), 'R') << base + k;
        RECT r;
        GetClientRect(button, &r);
        EXPECT_EQ(ReadPixel(button, r.right / 2, r.bottom / 2), ColorPaletteColor(k)) << base + k;
        EXPECT_EQ((GetWindowLongA(button, GWL_STYLE) & WS_TABSTOP) != 0, k == 1) << base + k;
      }
    SamplePixels sample = ReadSample(dialog, kBlack);
    EXPECT_EQ(sample.fill, kWhite);
    EXPECT_GT(sample.text, 10) << "\"-Sample Text-\" in black";
    Click(dialog, IDCANCEL);
  });
  result = ColorSchemeRunDialog(owner, font);
  EXPECT_TRUE(driver.Acted());
  EXPECT_EQ(result, 0);
}

TEST_F(ColorDialogTest, SelectingAnElementSinksItsColoursAndPaintsTheSampleInThem) {
  List* entries = DefaultEntries();
  Run(entries, [&](HWND dialog) {
    ClickElement(dialog, kComments);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_COLOR_ELEMENTS, LB_GETCURSEL, 0, 0), kComments);
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{302, 412})) << "white behind, dark green text";
    SamplePixels sample = ReadSample(dialog, kDarkGreen);
    EXPECT_EQ(sample.fill, kWhite);
    EXPECT_GT(sample.text, 10);

    ClickElement(dialog, kCurrent);  // scrolled into view first
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{301, 402})) << "the old marks rise again";
    sample = ReadSample(dialog, kWhite);
    EXPECT_EQ(sample.fill, kBlack);
    EXPECT_GT(sample.text, 10);
  });
  ListDestroy(entries);
}

TEST_F(ColorDialogTest, ClickingAColourChangesOnlyTheSelectedEntryAndNothingWithoutASelection) {
  List* entries = DefaultEntries();
  ColorEntry before[10];
  for (int i = 0; i < 10; i++) before[i] = *EntryAt(entries, i);
  int result = Run(entries, [&](HWND dialog) {
    Click(dialog, 403);  // red, before any element is chosen
    Click(dialog, 305);
    EXPECT_EQ(SunkenButtons(dialog), std::vector<int>{});
    EXPECT_EQ(ReadSample(dialog, kRed).text, 0);
    for (int i = 0; i < 10; i++) EXPECT_EQ(std::memcmp(EntryAt(entries, i), &before[i], sizeof before[i]), 0) << i;

    ClickElement(dialog, kKeywords);
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{302, 405}));
    Click(dialog, 403);
    // A double click counts as well.
    SendMessageA(Item(dialog, 308), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(Item(dialog, 308), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    PumpMessages();
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{308, 403}));
    SamplePixels sample = ReadSample(dialog, kRed);
    EXPECT_EQ(sample.fill, kCyan);
    EXPECT_GT(sample.text, 10);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(result, 1);
  for (int i = 0; i < 10; i++) {
    const ColorEntry* entry = EntryAt(entries, i);
    if (i == kKeywords) {
      EXPECT_EQ(entry->foreground, kRed);
      EXPECT_EQ(entry->background, kCyan);
      EXPECT_EQ(entry->defaultForeground, kBlue);
    } else {
      EXPECT_EQ(std::memcmp(entry, &before[i], sizeof before[i]), 0) << i;
    }
  }
  ListDestroy(entries);
}

TEST_F(ColorDialogTest, ColoursOutsideThePaletteShowWhiteOnBlackButtonsAndStayUntilAClick) {
  List* entries = DefaultEntries();
  ColorEntry* numbers = EntryAt(entries, kNumbers);
  numbers->foreground = RGB(1, 2, 3);
  numbers->background = RGB(250, 240, 230);
  int result = Run(entries, [&](HWND dialog) {
    ClickElement(dialog, kNumbers);
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{301, 402}));
    SamplePixels sample = ReadSample(dialog, kWhite);
    EXPECT_EQ(sample.fill, kBlack) << "the colours of the buttons, not the entry's own";
    EXPECT_GT(sample.text, 10);
    ClickElement(dialog, kComments);
    ClickElement(dialog, kNumbers);
    Click(dialog, 404);  // green text only
    Click(dialog, IDOK);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(numbers->foreground, RGB(0, 255, 0));
  EXPECT_EQ(numbers->background, RGB(250, 240, 230));
  ListDestroy(entries);
}

TEST_F(ColorDialogTest, DefaultColorsRestoresEveryEntryAndCancelThenLeavesTheSchemeAndFileAlone) {
  ColorScheme& scheme = ColorSchemeCurrent();
  for (int element = 1; element <= kColorElements; element++) {
    scheme.foreground[element] = RGB(0, 128, 128);
    scheme.background[element] = RGB(128, 128, 0);
  }
  scheme.foreground[5] = 12345;  // "Script labels": stays whatever it is
  const ColorScheme before = scheme;
  std::string fileBefore;
  ASSERT_TRUE(ReadWholeFile(IniPath(), &fileBefore));

  std::vector<ColorEntry> seen;
  DialogDriver driver([&](HWND dialog) {
    PumpMessages();
    ClickElement(dialog, kBreakLines);
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{314, 416}));
    Click(dialog, IDC_COLOR_DEFAULTS);
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{303, 402})) << "the defaults of \"Break points\"";
    SamplePixels sample = ReadSample(dialog, kWhite);
    EXPECT_EQ(sample.fill, kRed);
    EXPECT_GT(sample.text, 10);
    // The entries as the dialog holds them, read through its list box order.
    Click(dialog, IDC_COLOR_DEFAULTS);  // a second press changes nothing
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{303, 402}));
    SendMessageA(dialog, WM_CLOSE, 0, 0);  // closing is Cancel
  });
  // The dialog's own list is gone when the call returns; watch it from the
  // scheme's side: nothing of the defaults may reach it.
  EXPECT_EQ(ColorSchemeRunDialog(owner, font), 0);
  EXPECT_TRUE(driver.Acted());
  EXPECT_EQ(std::memcmp(&scheme, &before, sizeof scheme), 0);
  std::string fileAfter;
  ASSERT_TRUE(ReadWholeFile(IniPath(), &fileAfter));
  EXPECT_EQ(fileAfter, fileBefore);
}

TEST_F(ColorDialogTest, DefaultColorsPutsBackEveryEntryOfTheList) {
  List* entries = DefaultEntries();
  for (int i = 0; i < 10; i++) {
    EntryAt(entries, i)->foreground = RGB(128, 128, 128);
    EntryAt(entries, i)->background = RGB(1, 1, 1);
  }
  Run(entries, [&](HWND dialog) {
    ClickElement(dialog, kConstants);
    Click(dialog, 409);
    Click(dialog, IDC_COLOR_DEFAULTS);
    EXPECT_EQ(SunkenButtons(dialog), (std::vector<int>{302, 413}));
    Click(dialog, IDOK);
  });
  for (int i = 0; i < 10; i++) {
    const ColorEntry* entry = EntryAt(entries, i);
    EXPECT_EQ(entry->foreground, entry->defaultForeground) << i;
    EXPECT_EQ(entry->background, entry->defaultBackground) << i;
  }
  ListDestroy(entries);
}

TEST_F(ColorDialogTest, OkSavesTwentyTwoKeysBackgroundsFirstAndCancelWritesNothing) {
  ColorScheme& scheme = ColorSchemeCurrent();
  scheme.foreground[5] = 12345;
  std::string fileBefore;
  ASSERT_TRUE(ReadWholeFile(IniPath(), &fileBefore));

  DialogDriver cancel([&](HWND dialog) {
    PumpMessages();
    ClickElement(dialog, kKeywords);
    Click(dialog, 403);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // Escape, as the dialog manager sends it
  });
  EXPECT_EQ(ColorSchemeRunDialog(owner, font), 0);
  ASSERT_TRUE(cancel.Acted());
  EXPECT_EQ(scheme.foreground[4], kBlue);
  std::string fileAfter;
  ASSERT_TRUE(ReadWholeFile(IniPath(), &fileAfter));
  EXPECT_EQ(fileAfter, fileBefore);

  DialogDriver ok([&](HWND dialog) {
    PumpMessages();
    ClickElement(dialog, kKeywords);
    Click(dialog, 403);
    ClickElement(dialog, kCurrent);
    Click(dialog, 305);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(ColorSchemeRunDialog(owner, font), 1);
  ASSERT_TRUE(ok.Acted());
  EXPECT_EQ(scheme.foreground[4], kRed);
  EXPECT_EQ(scheme.background[11], kBlue);
  EXPECT_EQ(scheme.foreground[5], 12345u);
  ASSERT_TRUE(ReadWholeFile(IniPath(), &fileAfter));
  const std::vector<std::string> expected = {
      "bk_Comment=16777215", "bk_QNfx=16777215",    "bk_string=16777215",   "bk_keyword=16777215",
      "bk_label=16777215",   "bk_selected=0",       "bk_other=16777215",    "bk_constant=16777215",
      "bk_number=16777215",  "bk_brkline=255",      "bk_curline=16711680",  "fg_Comment=32768",
      "fg_QNfx=128",         "fg_string=8388736",   "fg_keyword=255",       "fg_label=12345",
      "fg_selected=16777215", "fg_other=0",         "fg_constant=8388608",  "fg_number=0",
      "fg_brkline=16777215", "fg_curline=16777215"};
  EXPECT_EQ(ColorSectionLines(), expected) << fileAfter;
}

TEST_F(ColorDialogTest, GroupBoxesAreEtchedWithTheCaptionOverTheirTopLine) {
  List* entries = DefaultEntries();
  Run(entries, [&](HWND dialog) {
    for (int id : {IDC_COLOR_FOREGROUND_GROUP, IDC_COLOR_BACKGROUND_GROUP}) {
      HWND box = Item(dialog, id);
      EXPECT_EQ(GetWindowLongPtrA(box, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(SclrStaticSubclass));
      HDC dc = GetDC(box);
      SelectObject(dc, font);
      SIZE caption{}, letter{};
      GetTextExtentPoint32A(dc, "  Foreground  ", 14, &caption);
      GetTextExtentPoint32A(dc, "T", 1, &letter);
      ReleaseDC(box, dc);
      RECT r;
      GetClientRect(box, &r);
      const int top = 2 * caption.cy / 5 + 1, middle = r.bottom / 2;
      const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), face = GetSysColor(COLOR_BTNFACE);
      EXPECT_EQ(ReadPixel(box, 0, middle), shadow) << id;
      EXPECT_EQ(ReadPixel(box, 1, middle), kWhite) << id;
      EXPECT_EQ(ReadPixel(box, r.right - 3, middle), shadow) << id;
      EXPECT_EQ(ReadPixel(box, r.right - 2, middle), kWhite) << id;
      EXPECT_EQ(ReadPixel(box, letter.cx - 2, top - 1), shadow) << id;
      EXPECT_EQ(ReadPixel(box, letter.cx - 2, top), kWhite) << id;
      // The leading blanks of the caption cover the line.
      EXPECT_EQ(ReadPixel(box, letter.cx + 1, top), face) << id;
      EXPECT_EQ(ReadPixel(box, letter.cx + 1, top - 1), face) << id;
    }
    // The dialog's own face: a raised edge two pixels wide.
    RECT r;
    GetClientRect(dialog, &r);
    EXPECT_EQ(ReadPixel(dialog, 1, r.bottom / 2), kWhite);
    EXPECT_EQ(ReadPixel(dialog, r.right - 2, r.bottom / 2), GetSysColor(COLOR_BTNSHADOW));
  });
  ListDestroy(entries);
}

TEST_F(ColorDialogTest, OneDialogAtATimeAndNoListNoDialog) {
  List* entries = DefaultEntries();
  int inner = -1;
  Run(entries, [&](HWND) { inner = ColorDialogRun(owner, entries, font, 0); });
  EXPECT_EQ(inner, 0);
  ListDestroy(entries);
  EXPECT_EQ(ColorDialogRun(owner, nullptr, font, 0), 0);
  // And a later one opens again.
  entries = DefaultEntries();
  EXPECT_EQ(Run(entries, [&](HWND dialog) { Click(dialog, IDOK); }), 1);
  ListDestroy(entries);
}

TEST_F(ColorDialogTest, AHundredRunsLeaveNoGdiObjectBehind) {
  GdiObjectTracker brushes;
  auto runOnce = [&](int run) {
    DialogDriver driver([&](HWND dialog) {
      PumpMessages();
      HWND label = Item(dialog, IDC_COLOR_ELEMENTS_LABEL);
      HDC dc = GetDC(label);
      auto brush = reinterpret_cast<HGDIOBJ>(
          SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
      ReleaseDC(label, dc);
      EXPECT_TRUE(brushes.Track(brush, "face brush of run " + std::to_string(run)));
      ClickElement(dialog, run % 10);
      Click(dialog, 401 + run % 16);
      Click(dialog, 301 + (run + 5) % 16);
      SetFocus(Item(dialog, 405));  // the focused face too
      UpdateWindow(dialog);
      ReadSample(dialog, kBlack);
      Click(dialog, run % 7 ? IDC_COLOR_DEFAULTS : IDOK);
    });
    ColorSchemeRunDialog(owner, font);
    EXPECT_TRUE(driver.Acted());
  };
  runOnce(0);  // the first run warms the system's own caches
  PumpMessages();
  const int live = LiveGdiObjects();
  ASSERT_GT(live, 0);
  for (int run = 1; run <= 100; run++) runOnce(run);
  PumpMessages();
  EXPECT_EQ(LiveGdiObjects(), live);
  EXPECT_EQ(brushes.Count(), 101u);
  EXPECT_EQ(brushes.Alive(), "");
}

// The dialog as the user sees it with "Language keywords" chosen, kept as
// color-dialog.bmp. QN_HOLD_SECONDS keeps it open that long for a capture.
TEST_F(ColorDialogTest, Screenshot) {
  List* entries = DefaultEntries();
  Run(entries, [&](HWND dialog) {
    ClickElement(dialog, kKeywords);
    SetFocus(Item(dialog, IDC_COLOR_ELEMENTS));
    PumpMessages();
    EXPECT_TRUE(SaveWindowBmp(dialog, ScreenshotPath("color-dialog.bmp")));
    RECT frame;
    GetWindowRect(dialog, &frame);
    printf("dialog at %ld,%ld size %ldx%ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    const char* hold = getenv("QN_HOLD_SECONDS");
    for (DWORD end = GetTickCount() + (hold ? atoi(hold) * 1000 : 0); GetTickCount() < end;) {
      PumpMessages();
      Sleep(20);
    }
    Click(dialog, IDCANCEL);
  });
  ListDestroy(entries);
}

}  // namespace

// The About box: its texts and the library's own version, the etched
// separator and the raised face in pixels, the credits strip started by a
// right click (once), run to its end or cut short by closing, never leaving a
// timer or a GDI object behind, and the italic font made once a session.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/GdiTable.h"
#include "support/WineTestSupport.h"
#include "debuginfo/BufferedFile.h"
#include "qndbgc.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "session/Session.h"
#include "ui/AboutBox_win.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

std::string Text(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

int WindowHeight(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

// Pixels of `color` in the rows from `top` to `bottom` of the client area.
int CountPixels(HWND window, int top, int bottom, COLORREF color) {
  RECT r;
  GetClientRect(window, &r);
  HDC dc = GetDC(window);
  int count = 0;
  for (int y = top; y < bottom; y++)
    for (int x = 0; x < r.right; x++)
      if (GetPixel(dc, x, y) == color) count++;
  ReleaseDC(window, dc);
  return count;
}

// Height of a line of text in the box's controls' font.
int LineHeight(HWND dialog) {
  HWND name = GetDlgItem(dialog, IDC_ABOUT_NAME);
  HDC dc = GetDC(name);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(name, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, "T", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(name, dc);
  return size.cy;
}

void Wait(DWORD milliseconds) {
  for (DWORD end = GetTickCount() + milliseconds; GetTickCount() < end;) {
    PumpMessages();
    Sleep(10);
  }
}

void RightClick(HWND dialog) {
  SendMessageA(dialog, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  SendMessageA(dialog, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  PumpMessages();
}

// Runs the box with `act` inside it.
void RunAbout(HWND owner, std::function<void(HWND)> act) {
  DialogDriver driver([&](HWND dialog) {
    PumpMessages();
    act(dialog);
  });
  AboutBoxRun(owner);
  EXPECT_TRUE(driver.Acted()) << "the box never came up";
}

TEST(AboutBox, ShowsNameVersionOfTheLibrarysOwnFileSeparatorAndRaisedFace) {
  uint32_t high = 0, low = 0;
  ASSERT_EQ(GetFileVersion(DebuggerDllPath().c_str(), &high, &low), 0);
  char dllVersion[32];
  snprintf(dllVersion, sizeof dllVersion, "%d.%d.%d.%d", HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
  char built[32];
  snprintf(built, sizeof built, "%d.%d.%d.%d", QN_VERSION_MAJOR, QN_VERSION_MINOR, QN_VERSION_PATCH,
           QN_VERSION_BUILD);
  ASSERT_STREQ(dllVersion, built);

  RunAbout(nullptr, [&](HWND dialog) {
    char caption[64];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "About Quendle Debugger");
    EXPECT_EQ(Text(dialog, IDC_ABOUT_NAME), "Quendle Debugger");
    EXPECT_EQ(Text(dialog, IDC_ABOUT_VERSION_LABEL), "Version");
    EXPECT_EQ(Text(dialog, IDC_ABOUT_VERSION), dllVersion);
    EXPECT_FALSE(Text(dialog, IDC_ABOUT_NOTICE).empty());
    EXPECT_EQ(Text(dialog, IDOK), "OK");

    HWND separator = GetDlgItem(dialog, IDC_ABOUT_SEPARATOR);
    RECT line;
    GetClientRect(separator, &line);
    ASSERT_GE(line.bottom, 1);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(ReadPixel(separator, line.right / 2, 0), shadow);
    if (line.bottom > 1) EXPECT_EQ(ReadPixel(separator, line.right / 2, 1), kWhite);

    RECT r;
    GetClientRect(dialog, &r);
    EXPECT_EQ(ReadPixel(dialog, 0, r.bottom / 2), kWhite);
    EXPECT_EQ(ReadPixel(dialog, 1, r.bottom / 2), kWhite);
    EXPECT_EQ(ReadPixel(dialog, r.right - 1, r.bottom / 2), shadow);
    EXPECT_EQ(ReadPixel(dialog, r.right - 2, r.bottom / 2), shadow);
    EXPECT_EQ(ReadPixel(dialog, r.right / 2, r.bottom - 3), GetSysColor(COLOR_BTNFACE));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
}

TEST(AboutBox, CreditsRunOnceInAStripBelowAndGiveEverythingBackAtTheirEnd) {
  RunAbout(nullptr, [&](HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    const int height = WindowHeight(dialog), h = LineHeight(dialog);
    RightClick(dialog);
    ASSERT_EQ(WindowHeight(dialog), height + h + 16) << "grown by a line and 16 pixels";
    const int stripTop = client.bottom + 6, stripBottom = client.bottom + h + 10;
    EXPECT_GT(CountPixels(dialog, stripTop, stripBottom, kBlack), (client.right - 12) * h);
    EXPECT_EQ(ReadPixel(dialog, client.right / 2, stripTop - 2), GetSysColor(COLOR_BTNFACE));

    // The heading scrolls in from the right on the box's own timer.
    Wait(600);
    EXPECT_GT(CountPixels(dialog, stripTop, stripBottom, kCyan), 0);
    EXPECT_EQ(CountPixels(dialog, 0, stripTop, kCyan), 0);

    RightClick(dialog);  // while they run: nothing
    EXPECT_EQ(WindowHeight(dialog), height + h + 16);
    EXPECT_GT(CountPixels(dialog, stripTop, stripBottom, kCyan), 0) << "not started again from black";

    // Step by step to the end, faster than the clock, looking for the names.
    int red = 0, steps = 0;
    for (; steps < 5000 && WindowHeight(dialog) != height; steps++) {
      SendMessageA(dialog, WM_TIMER, IDT_ABOUT_CREDITS, 0);
      if (steps % 20 == 0) red += CountPixels(dialog, stripTop, stripBottom, kRed);
    }
    EXPECT_LT(steps, 5000);
    EXPECT_GT(red, 0) << "the names in red";
    EXPECT_EQ(WindowHeight(dialog), height);
    EXPECT_FALSE(KillTimer(dialog, IDT_ABOUT_CREDITS)) << "the timer was left running";
    Wait(200);
    EXPECT_EQ(WindowHeight(dialog), height);

    RightClick(dialog);  // over: a right click starts them again
    EXPECT_EQ(WindowHeight(dialog), height + h + 16);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(KillTimer(dialog, IDT_ABOUT_CREDITS)) << "closing left the timer running";
  });
}

TEST(AboutBox, ClosingWithOkOrCancelLeavesNoGdiObjectOrTimer) {
  RunAbout(nullptr, [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDOK, 0); });  // makes the kept font
  PumpMessages();
  const int live = LiveGdiObjects();
  ASSERT_GT(live, 0);
  for (int run = 0; run < 20; run++) {
    const int command = run % 2 ? IDOK : IDCANCEL;
    bool timerLeft = true;
    RunAbout(nullptr, [&](HWND dialog) {
      const int height = WindowHeight(dialog);
      RightClick(dialog);
      if (run % 4 < 2) {  // closed while the credits run
        Wait(120);
      } else {  // closed after they ran to their end
        for (int step = 0; step < 5000 && WindowHeight(dialog) != height; step++)
          SendMessageA(dialog, WM_TIMER, IDT_ABOUT_CREDITS, 0);
      }
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
      timerLeft = KillTimer(dialog, IDT_ABOUT_CREDITS) != FALSE;
    });
    EXPECT_FALSE(timerLeft) << "run " << run;
    PumpMessages();
    EXPECT_EQ(LiveGdiObjects(), live) << "run " << run << " closed with " << command;
  }
}

// A script of one main program line and one function: its debug information
// file, and the source beside it, in a folder made the current one (where a
// source window looks for its file first).
class ScriptFolder {
 public:
  ScriptFolder() {
    const unsigned char bytes[] = {0x0E, 0x00, 0x00, 0x00, 0x3A, 0xF9, 0x06, 0x00, 'M',  'A',  'I',
                                   'N',  '.',  'Q',  0x01, 0x00, 0x01, 0x00, 'S',  0x00, 0x00, 0x05,
                                   0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 'F',  0x00,
                                   0x00, 0x00, 0x00, 0x09, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
    debugFile = folder.Write("SETUP.DBG", std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
    std::string script;
    for (int line = 1; line <= 12; line++) script += "// line " + std::to_string(line) + "\r\n";
    folder.Write("MAIN.Q", script);
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.Path().c_str());
  }
  ~ScriptFolder() { SetCurrentDirectoryA(previous); }
  // Opens a session on the script; its main window, or null.
  HWND Open() {
    HWND mainWindow = nullptr;
    opened = QNdbgInit(1, &callbacks, 0, 0, debugFile.c_str(), &mainWindow) == 1;
    return mainWindow;
  }
  bool opened = false;

 private:
  TempDir folder;
  std::string debugFile;
  char previous[MAX_PATH] = "";
  HostCallbacks callbacks{};
};

TEST(AboutBox, ItalicFontIsMadeOnceASessionAndGoesWithIt) {
  ScriptFolder script;
  QNdbgExit();  // forget a font the boxes opened outside a session made

  HFONT first = nullptr;
  for (int session = 0; session < 2; session++) {
    HWND mainWindow = script.Open();
    ASSERT_TRUE(script.opened);
    EXPECT_EQ(SessionAboutFont(), nullptr) << "session " << session;
    HFONT made = nullptr;
    for (int open = 0; open < 3; open++) {
      RunAbout(mainWindow, [&](HWND dialog) {
        for (int id : {IDOK, IDC_ABOUT_NAME, IDC_ABOUT_VERSION, IDC_ABOUT_NOTICE})
          EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0)),
                    SessionControlFont())
              << id;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      });
      if (open == 0) made = SessionAboutFont();
      ASSERT_NE(made, nullptr);
      EXPECT_EQ(SessionAboutFont(), made) << "made again at opening " << open;
      EXPECT_EQ(GetObjectType(made), static_cast<DWORD>(OBJ_FONT));
    }
    LOGFONTA font{};
    GetObjectA(made, sizeof font, &font);
    EXPECT_TRUE(font.lfItalic);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    if (session == 0) first = made;
    EXPECT_EQ(QNdbgExit(), 1);
    EXPECT_EQ(GetObjectType(made), 0u) << "the session's end deletes it";
    EXPECT_EQ(SessionAboutFont(), nullptr);
  }
  EXPECT_EQ(GetObjectType(first), 0u);
}

// The box in a session with the credits running, kept as about-box.bmp;
// QN_HOLD_SECONDS keeps it open that long for a capture.
TEST(AboutBox, Screenshot) {
  ScriptFolder script;
  HWND mainWindow = script.Open();
  ASSERT_TRUE(script.opened);
  RunAbout(mainWindow, [&](HWND dialog) {
    RightClick(dialog);
    for (int step = 0; step < 120; step++) SendMessageA(dialog, WM_TIMER, IDT_ABOUT_CREDITS, 0);
    KillTimer(dialog, IDT_ABOUT_CREDITS);  // hold the strip still for the picture
    EXPECT_TRUE(SaveWindowBmp(dialog, ScreenshotPath("about-box.bmp")));
    RECT frame;
    GetWindowRect(dialog, &frame);
    printf("dialog at %ld,%ld size %ldx%ld\n", frame.left, frame.top, frame.right - frame.left,
           frame.bottom - frame.top);
    const char* hold = getenv("QN_HOLD_SECONDS");
    Wait(hold ? atoi(hold) * 1000 : 0);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  QNdbgExit();
}

}  // namespace

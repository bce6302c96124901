// Helpers of the Windows tests that run under Wine on a headless X server.
//
// The tests are written the way a control test suite is: a real parent
// window, a message sent, then the state read back from the windows (or the
// pixels) and checked with a message that gives the actual values. Every
// helper works on the calling thread, the one thread the debugger runs on.
//
// Modal windows never hang a test: while a test runs, every dialog box that
// nobody expects is answered and reported as a failure (WineTestMain.cpp);
// a MessageBoxWatcher answers the boxes a test does expect and keeps what
// they said; a DialogDriver acts on the dialog a test opens.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Dispatches every message waiting for this thread, painting included, so
// that what is checked next is the state after them.
void PumpMessages();

// A shown top-level window of its own class (registered on first use) with
// the given procedure, at (0,0).
inline HWND CreateTestParent(const char* className, WNDPROC procedure, int width, int height) {
  WNDCLASSA parentClass{};
  parentClass.lpfnWndProc = procedure;
  parentClass.hInstance = GetModuleHandleA(nullptr);
  parentClass.lpszClassName = className;
  parentClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  RegisterClassA(&parentClass);
  HWND parent = CreateWindowA(className, className, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, width,
                              height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  PumpMessages();
  return parent;
}

// Records the style each window of one class is created with, while it lives
// (caught as the window is made: a style the window changes at once, such as
// a scroll bar taken away again, is seen as asked for). One at a time.
class CreationStyles {
 public:
  explicit CreationStyles(const char* className) {
    watched = className;
    styles.clear();
    hook = SetWindowsHookExA(WH_CBT, Catch, nullptr, GetCurrentThreadId());
  }
  ~CreationStyles() { UnhookWindowsHookEx(hook); }
  const std::vector<LONG>& Styles() const { return styles; }

 private:
  static LRESULT CALLBACK Catch(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
      if (HIWORD(reinterpret_cast<ULONG_PTR>(create->lpszClass)) && lstrcmpA(create->lpszClass, watched) == 0)
        styles.push_back(create->style);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook;
  static inline const char* watched = nullptr;
  static inline std::vector<LONG> styles;
};

// ---------------------------------------------------------------------------
// Modal windows

// A message box (or any dialog box) that was answered.
struct ShownBox {
  std::string caption;
  std::string text;  // its static texts, one a line
};

// While it lives, answers every dialog box that the code under test shows on
// this thread (message boxes above all) by pressing the button `answer`, or
// the box's Cancel button when it has no such button, and records caption and
// text. Watchers nest: the newest one answers.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(int answer = IDOK);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  const std::vector<ShownBox>& Shown() const { return shown; }
  // All that was shown, as "caption: text" lines, for failure messages.
  std::string Describe() const;

  // Called for each box answered; the unexpected-box guard of the test main
  // reports a failure from here.
  std::function<void(const ShownBox&)> onShown;

 private:
  friend struct ModalWatch;
  int answer;
  std::vector<ShownBox> shown;
};

// The result a DialogDriver gives a dialog that its action left open.
constexpr INT_PTR kDialogDriverEnded = 0x7E57;

// Acts on the next dialog box (not a message box: those are a watcher's) that
// appears on this thread while it lives: once the dialog is up (initialised
// and in its modal loop), calls `act` with its window from inside that loop;
// if the dialog is still open after `act`, ends it with kDialogDriverEnded.
// Usage:
//   DialogDriver driver([](HWND dialog) { ...; SendMessageA(dialog, WM_COMMAND, IDOK, 0); });
//   INT_PTR result = FunctionThatRunsTheDialog(...);
//   EXPECT_TRUE(driver.Acted());
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND dialog)> act);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool Acted() const { return dialog != nullptr; }
  HWND Dialog() const { return dialog; }  // no longer a window once it has ended

 private:
  friend struct ModalWatch;
  std::function<void(HWND)> act;
  HWND dialog = nullptr;
};

// ---------------------------------------------------------------------------
// Pixels and pictures

// The colour at client point (x, y) of a visible window, after it has
// painted; CLR_INVALID when the point is not visible.
COLORREF ReadPixel(HWND window, int x, int y);

// Writes the whole window (frame included) as a 24-bit BMP file; false on
// failure. The shell turns it into a PNG (ImageMagick's convert).
bool SaveWindowBmp(HWND window, const std::string& path);

// The built QNDBGC.DLL, which lies beside the test programs.
std::string DebuggerDllPath();

// Where a test puts screenshots: the folder the test script names in
// QN_SCREENSHOTS (a Unix path, reached through Wine's Z: drive), else the
// current folder.
std::string ScreenshotPath(const std::string& name);

// ---------------------------------------------------------------------------
// GDI objects

// Keeps the GDI objects that some code made, to check later that it deleted
// them: a deleted handle answers GetObjectType 0. (GetGuiResources answers 0
// under Wine, so counting handles is no way to find a leak there.) Stock
// objects are never deleted: do not track them.
class GdiObjectTracker {
 public:
  // False (and nothing tracked) when `object` is not a live GDI object: a
  // handle that is already dead would pass the later check however the code
  // behaved.
  bool Track(HGDIOBJ object, const std::string& name);
  size_t Count() const { return objects.size(); }
  // The tracked objects that are still alive, one "name (handle, type n)" a
  // line; empty when every one was deleted.
  std::string Alive() const;

 private:
  struct Tracked {
    HGDIOBJ handle;
    std::string name;
  };
  std::vector<Tracked> objects;
};

// ---------------------------------------------------------------------------
// Files

// A fresh folder under the temporary folder, removed with all it holds when
// the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path; }  // ends without a backslash
  std::string File(const std::string& name) const { return path + "\\" + name; }
  // Writes `bytes` to the file `name` in the folder; its full path, or an
  // empty string when it cannot be written.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path;
};

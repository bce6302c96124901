#include "WineTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

void PumpMessages() {
  // Bounded, so that a window that never validates its paint region fails
  // the test that follows instead of spinning here for ever.
  MSG msg;
  for (int count = 0; count < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); count++) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// ---------------------------------------------------------------------------
// Modal windows
//
// One thread timer, alive while some watcher or driver is, looks at this
// thread's top-level windows every few milliseconds. A modal dialog box runs
// its own message loop, and that loop dispatches the timer: so the tick runs
// inside the box's loop, where pressing a button ends it. A dialog is handled
// once: the driver takes the first new dialog that is not a message box; the
// newest watcher answers message boxes and modal dialogs nobody drives.

namespace {
// One GUI thread, so one record.
struct ModalWatchState {
  std::vector<MessageBoxWatcher*> watchers;  // the newest answers
  DialogDriver* driver = nullptr;
  std::vector<HWND> driverSkips;  // dialogs open before the driver began
  std::vector<HWND> handled;      // answered or driven, until they are gone
  UINT_PTR timer = 0;
  bool acting = false;  // the driver's action runs (and may show boxes)
};
ModalWatchState gModalWatch;
}  // namespace

struct ModalWatch {
  static void Arm() {
    if (!gModalWatch.timer) gModalWatch.timer = SetTimer(nullptr, 0, 20, Tick);
  }
  static void DisarmIfIdle() {
    if (gModalWatch.timer && gModalWatch.watchers.empty() && !gModalWatch.driver) {
      KillTimer(nullptr, gModalWatch.timer);
      gModalWatch.timer = 0;
      gModalWatch.handled.clear();
    }
  }

  static bool IsDialogBox(HWND window) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window);
  }
  // The system's message box: its dialog procedure lives in USER32.
  static bool IsMessageBox(HWND window) {
    auto procedure = reinterpret_cast<LPCSTR>(GetWindowLongPtrW(window, DWLP_DLGPROC));
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       procedure, &module);
    return module && module == GetModuleHandleA("user32.dll");
  }
  static bool IsModal(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    return IsMessageBox(window) || (owner && !IsWindowEnabled(owner));
  }
  static bool Contains(const std::vector<HWND>& list, HWND window) {
    for (HWND item : list) {
      if (item == window) return true;
    }
    return false;
  }

  static BOOL CALLBACK NoteDialogBox(HWND window, LPARAM list) {
    if (IsDialogBox(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  }
  static std::vector<HWND> DialogBoxes() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), NoteDialogBox, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    std::vector<HWND> live;
    for (HWND window : gModalWatch.handled) {
      if (IsWindow(window)) live.push_back(window);
    }
    gModalWatch.handled.swap(live);
    DialogDriver* driver = gModalWatch.driver;
    for (HWND window : DialogBoxes()) {
      // A box shown by an earlier step of this tick may have ended it.
      if (!IsWindow(window) || Contains(gModalWatch.handled, window)) continue;
      bool drivable = driver && !driver->dialog && !gModalWatch.acting && !IsMessageBox(window) &&
                      !Contains(gModalWatch.driverSkips, window);
      if (drivable) {
        gModalWatch.handled.push_back(window);
        Drive(*driver, window);
      } else if (!gModalWatch.watchers.empty() && IsModal(window)) {
        gModalWatch.handled.push_back(window);
        Answer(*gModalWatch.watchers.back(), window);
      }
    }
  }

  static void Drive(DialogDriver& driver, HWND window) {
    driver.dialog = window;
    gModalWatch.acting = true;
    driver.act(window);
    gModalWatch.acting = false;
    // EndDialog hides the dialog at once; one still visible was left open.
    if (IsWindow(window) && IsWindowVisible(window)) EndDialog(window, kDialogDriverEnded);
  }

  static void Answer(MessageBoxWatcher& watcher, HWND box) {
    ShownBox shown;
    char text[2048];
    GetWindowTextA(box, text, sizeof text);
    shown.caption = text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      char name[16] = "";
      GetClassNameA(child, name, sizeof name);
      LONG style = GetWindowLongA(child, GWL_STYLE);
      if (lstrcmpiA(name, "Static") != 0 || (style & SS_TYPEMASK) == SS_ICON) continue;
      GetWindowTextA(child, text, sizeof text);
      if (!text[0]) continue;
      if (!shown.text.empty()) shown.text += "\n";
      shown.text += text;
    }
    int button = watcher.answer;
    if (!GetDlgItem(box, button)) {
      button = GetDlgItem(box, IDCANCEL) ? IDCANCEL : LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0));
    }
    watcher.shown.push_back(shown);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    if (watcher.onShown) watcher.onShown(shown);
  }
};

MessageBoxWatcher::MessageBoxWatcher(int answer) : answer(answer) {
  gModalWatch.watchers.push_back(this);
  ModalWatch::Arm();
}

MessageBoxWatcher::~MessageBoxWatcher() {
  auto& watchers = gModalWatch.watchers;
  watchers.erase(std::remove(watchers.begin(), watchers.end(), this), watchers.end());
  ModalWatch::DisarmIfIdle();
}

std::string MessageBoxWatcher::Describe() const {
  std::string all;
  for (const ShownBox& box : shown) all += "\"" + box.caption + "\": \"" + box.text + "\"\n";
  return all.empty() ? "(no box)" : all;
}

DialogDriver::DialogDriver(std::function<void(HWND)> act) : act(std::move(act)) {
  // One driver at a time: a dialog opened from a driven dialog's action is
  // driven by a driver made inside that action, once this one has acted.
  gModalWatch.driver = this;
  gModalWatch.driverSkips = ModalWatch::DialogBoxes();
  ModalWatch::Arm();
}

DialogDriver::~DialogDriver() {
  if (gModalWatch.driver == this) gModalWatch.driver = nullptr;
  ModalWatch::DisarmIfIdle();
}

// ---------------------------------------------------------------------------
// Pixels and pictures

COLORREF ReadPixel(HWND window, int x, int y) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  if (!dc) return CLR_INVALID;
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

bool SaveWindowBmp(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up rows, as a BMP file keeps them
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (width * 3 + 3) & ~3u;
  header.biSizeImage = stride * height;

  void* bits = nullptr;
  HDC windowDc = GetWindowDC(window);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = CreateDIBSection(windowDc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  bool copied = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memoryDc, old);
  }
  DeleteDC(memoryDc);
  ReleaseDC(window, windowDc);

  bool written = false;
  FILE* file = copied ? fopen(path.c_str(), "wb") : nullptr;
  if (file) {
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
    written = fwrite(&fileHeader, sizeof fileHeader, 1, file) == 1 && fwrite(&header, sizeof header, 1, file) == 1 &&
              fwrite(bits, header.biSizeImage, 1, file) == 1;
    written = fclose(file) == 0 && written;
  }
  if (bitmap) DeleteObject(bitmap);
  return written;
}

std::string DebuggerDllPath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string program(path, length);
  return program.substr(0, program.find_last_of("\\/") + 1) + "QNDBGC.DLL";
}

std::string ScreenshotPath(const std::string& name) {
  const char* folder = getenv("QN_SCREENSHOTS");
  if (!folder || !*folder) return name;
  std::string path = folder;
  if (path[0] == '/') {
    // Wine's Z: drive is the Unix root.
    path = "Z:" + path;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
  }
  CreateDirectoryA(path.c_str(), nullptr);
  return path + "\\" + name;
}

// ---------------------------------------------------------------------------
// GDI objects

bool GdiObjectTracker::Track(HGDIOBJ object, const std::string& name) {
  if (!object || GetObjectType(object) == 0) return false;
  objects.push_back({object, name});
  return true;
}

std::string GdiObjectTracker::Alive() const {
  std::string alive;
  for (const Tracked& object : objects) {
    DWORD type = GetObjectType(object.handle);
    if (type == 0) continue;
    char line[160];
    snprintf(line, sizeof line, " (%p, type %lu)\n", object.handle, static_cast<unsigned long>(type));
    alive += object.name + line;
  }
  return alive;
}

// ---------------------------------------------------------------------------
// Files

namespace {
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}
}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH];
  DWORD length = GetTempPathA(sizeof base, base);
  if (length == 0 || length >= sizeof base) lstrcpyA(base, ".\\");
  static unsigned counter = 0;
  for (;;) {
    char name[64];
    snprintf(name, sizeof name, "qntest-%lu-%u", GetCurrentProcessId(), ++counter);
    path = std::string(base) + name;
    if (CreateDirectoryA(path.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      path.clear();
      return;
    }
  }
}

TempDir::~TempDir() {
  if (!path.empty()) RemoveTree(path);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  if (path.empty()) return "";
  std::string file = File(name);
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return "";
  DWORD written = 0;
  BOOL ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(handle);
  return ok && written == bytes.size() ? file : "";
}

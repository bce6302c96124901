// The main debugger window of an open session: its controls where the
// template puts them, the button faces as the pixels show them, the painted
// captions and group box, the commands of the caption statics, closing from
// the system menu, and the "Source :" label.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "memory/List.h"
#include "platform/Platform.h"
#include "qndbgc.h"
#include "resources/resource.h"
#include "session/DebugSession.h"
#include "session/Session.h"
#include "session/SessionWindows.h"
#include "sourceview/SourceWindow.h"
#include "support/SessionScript.h"
#include "support/WineTestSupport.h"
#include "ui/MainWindow_win.h"
#include "ui/Watch_win.h"

namespace {

// ---------------------------------------------------------------------------
// Pixels

struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> colours;
  COLORREF At(int x, int y) const { return colours[static_cast<size_t>(y) * width + x]; }
};

// What `dc` shows in the rectangle (0, 0, width, height).
Pixels Grab(HDC dc, int width, int height) {
  Pixels out;
  out.width = width;
  out.height = height;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* words = static_cast<const DWORD*>(bits);
  for (int i = 0; i < width * height; i++)
    out.colours.push_back(RGB((words[i] >> 16) & 0xFF, (words[i] >> 8) & 0xFF, words[i] & 0xFF));
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  return out;
}

Pixels FacePixels(int faceId) {
  HBITMAP face = LoadBitmapA(static_cast<HINSTANCE>(PlatformModule()), MAKEINTRESOURCEA(faceId));
  BITMAP info = {};
  GetObjectA(face, sizeof info, &info);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, face);
  Pixels out = Grab(memory, info.bmWidth, info.bmHeight);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(face);
  return out;
}

Pixels OnScreen(HWND window) {
  UpdateWindow(window);
  RECT r;
  GetClientRect(window, &r);
  HDC dc = GetDC(window);
  Pixels out = Grab(dc, r.right, r.bottom);
  ReleaseDC(window, dc);
  return out;
}

// The button as WM_DRAWITEM draws it into a memory bitmap filled with
// magenta beforehand, for an item state of our choosing.
constexpr COLORREF kUntouched = RGB(255, 0, 255);
Pixels DrawnItem(HWND dialog, HWND button, UINT type, UINT action, UINT state) {
  RECT r;
  GetClientRect(button, &r);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH magenta = CreateSolidBrush(kUntouched);
  FillRect(memory, &r, magenta);
  DeleteObject(magenta);
  DRAWITEMSTRUCT item = {};
  item.CtlType = type;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
  item.itemAction = action;
  item.itemState = state;
  item.hwndItem = button;
  item.hDC = memory;
  item.rcItem = r;
  SendMessageA(dialog, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  Pixels out = Grab(memory, r.right, r.bottom);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return out;
}

// Empty when the button shows the face centred and the button face colour
// round it; else where it differs first and how many pixels differ.
std::string FaceMismatch(const Pixels& button, int faceId) {
  const Pixels face = FacePixels(faceId);
  if (face.width == 0) return "face " + std::to_string(faceId) + " does not load";
  const int left = (button.width - face.width) / 2, top = (button.height - face.height) / 2;
  int wrong = 0;
  std::string first;
  for (int y = 0; y < button.height; y++)
    for (int x = 0; x < button.width; x++) {
      const int fx = x - left, fy = y - top;
      const bool inFace = fx >= 0 && fy >= 0 && fx < face.width && fy < face.height;
      const COLORREF expected = inFace ? face.At(fx, fy) : GetSysColor(COLOR_BTNFACE);
      if (button.At(x, y) == expected) continue;
      if (!wrong++) {
        char text[120];
        std::snprintf(text, sizeof text, "at (%d, %d) %06lx instead of %06lx", x, y,
                      static_cast<unsigned long>(button.At(x, y)), static_cast<unsigned long>(expected));
        first = text;
      }
    }
  return wrong ? "face " + std::to_string(faceId) + ": " + std::to_string(wrong) + " pixels differ, first " + first
               : "";
}

// ---------------------------------------------------------------------------
// A session stopped at the script's first statement.

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(script.written);
    callbacks = host.Callbacks();
    ASSERT_EQ(QNdbgInit(host.Context(), &callbacks, 0, 0, script.debugPath.c_str(), &main), 1);
    ASSERT_NE(main, nullptr);
    PumpMessages();
  }
  // The script runs to its first statement, where the debugger stops it.
  void FirstStop() {
    ASSERT_EQ(host.RunUntilStop(QNdbgBreak), 0);
    PumpMessages();
    host.ClearCalls();
  }
  void TearDown() override { QNdbgExit(); }

  HWND Item(int id) const { return GetDlgItem(main, id); }
  void Command(int id) {
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
  }
  // Which of the state's controls are enabled, as "id+" or "id-" words.
  std::string Enabling() const {
    std::string out;
    const int ids[] = {IDC_STEP,         IDC_STEP_INTO,    IDC_GO,          IDC_STOP,        IDC_EXIT,
                       IDC_BREAK,        IDC_WATCH_LOCAL,  IDC_WATCH_GLOBAL, IDC_GLOBAL_NAMES, IDC_LOCAL_NAMES,
                       IDC_GLOBAL_VALUE, IDC_LOCAL_VALUE, IDC_WATCH_WINDOW};
    for (int id : ids) out += std::to_string(id) + (IsWindowEnabled(Item(id)) ? "+ " : "- ");
    HWND view = SourceWindowViewWindow(DebugSessionCurrent()->currentSource);
    out += std::string("view") + (IsWindowEnabled(view) ? "+" : "-");
    return out;
  }

  SessionScript script;
  ScriptedHost host{SessionScript::Run()};
  HostCallbacks callbacks{};
  HWND main = nullptr;
};

struct TemplateControl {
  int id;
  const char* className;
  const char* text;
  DWORD style;  // bits the control must have
  RECT units;   // x, y, width, height in dialog units
};

constexpr DWORD kCombo = CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kOwnerDrawn = BS_OWNERDRAW | WS_TABSTOP;

const TemplateControl kTemplate[] = {
    {IDC_SOURCE_LABEL, "Static", nullptr, 0, {8, 1, 42, 8}},
    {IDC_SOURCE_PLACEHOLDER, "Static", "", SS_BLACKFRAME, {8, 10, 274, 89}},
    {IDC_WATCH_LABEL, "Static", "Watch", 0, {9, 100, 30, 8}},
    {IDC_WATCH_PLACEHOLDER, "Static", "", SS_BLACKFRAME, {9, 109, 274, 63}},
    {IDC_VARIABLES_GROUP, "Button", "User Variables", BS_GROUPBOX, {9, 174, 274, 64}},
    {IDC_GLOBAL_LABEL, "Static", "Global", 0, {33, 185, 47, 8}},
    {IDC_WATCH_GLOBAL, "Button", "WG", kOwnerDrawn, {13, 192, 19, 15}},
    {IDC_GLOBAL_NAMES, "ComboBox", nullptr, kCombo, {33, 194, 99, 53}},
    {IDC_GLOBAL_VALUE, "Edit", "", kEdit, {136, 194, 141, 12}},
    {IDC_LOCAL_LABEL, "Static", "Local", 0, {33, 209, 26, 8}},
    {IDC_WATCH_LOCAL, "Button", "WL", kOwnerDrawn, {13, 217, 19, 15}},
    {IDC_LOCAL_NAMES, "ComboBox", nullptr, kCombo, {33, 219, 99, 53}},
    {IDC_LOCAL_VALUE, "Edit", "", kEdit, {136, 219, 141, 12}},
    {IDC_GO, "Button", "&Go", kOwnerDrawn, {18, 240, 29, 23}},
    {IDC_STOP, "Button", "S&top", kOwnerDrawn, {46, 240, 29, 23}},
    {IDC_STEP, "Button", "&Step", kOwnerDrawn, {111, 240, 29, 23}},
    {IDC_STEP_INTO, "Button", "Step&Into", kOwnerDrawn, {140, 240, 29, 23}},
    {IDC_EXIT, "Button", "E&xit", kOwnerDrawn, {193, 240, 29, 23}},
    {IDC_BREAK, "Button", "&Break", kOwnerDrawn, {249, 240, 29, 23}},
    {IDC_GO_CAPTION, "Static", "", SS_CENTER, {18, 265, 28, 8}},
    {IDC_STOP_CAPTION, "Static", "", SS_CENTER, {45, 265, 28, 8}},
    {IDC_STEP_CAPTION, "Static", "", SS_CENTER, {112, 265, 28, 8}},
    {IDC_STEP_INTO_CAPTION, "Static", "", SS_CENTER, {140, 265, 28, 8}},
    {IDC_EXIT_CAPTION, "Static", "", SS_CENTER, {193, 265, 29, 8}},
    {IDC_BREAK_CAPTION, "Static", "", SS_CENTER, {251, 265, 28, 8}},
};

RECT InDialog(HWND dialog, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST_F(MainWindowTest, TheWindowIsBuiltAsItsTemplateSays) {
  char text[300];
  GetWindowTextA(main, text, sizeof text);
  EXPECT_STREQ(text, "Quendle Debugger - MAIN.QN");
  EXPECT_STREQ(DebugSessionCurrent()->title, "Quendle Debugger");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(GetParent(main), nullptr);
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  RECT whole = {0, 0, 295, 278};
  MapDialogRect(main, &whole);
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(Describe(client), Describe(whole));

  for (const TemplateControl& control : kTemplate) {
    SCOPED_TRACE("control " + std::to_string(control.id));
    HWND window = Item(control.id);
    ASSERT_NE(window, nullptr);
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ(text, control.className);
    if (control.text) {
      GetWindowTextA(window, text, sizeof text);
      EXPECT_STREQ(text, control.text);
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    // The dialog manager turns an edit's border into a sunken client edge;
    // a combo box hands its scroll bar to its list.
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
    const bool combo = std::string(control.className) == "ComboBox";
    const DWORD wanted = combo ? control.style & ~WS_VSCROLL : control.style;
    EXPECT_EQ(style & wanted, wanted);
    // As the dialog manager places a control: origin and size each converted.
    RECT origin = {control.units.left, control.units.top, 0, 0}, size = {0, 0, control.units.right,
                                                                        control.units.bottom};
    MapDialogRect(main, &origin);
    MapDialogRect(main, &size);
    const RECT actual = InDialog(main, window);
    EXPECT_EQ(actual.left, origin.left);
    EXPECT_EQ(actual.top, origin.top);
    EXPECT_EQ(actual.right - actual.left, size.right);
    // A combo box's height in the template is that of the box with its list
    // dropped down, which is not its window's.
    if (!combo) EXPECT_EQ(actual.bottom - actual.top, size.bottom);
  }
  // (The placeholder 402 gets the font too, but a frame keeps none.)
  for (int id : {IDC_EXIT, IDC_STEP, IDC_STEP_INTO, IDC_GO, IDC_GLOBAL_NAMES,
                 IDC_LOCAL_NAMES, IDC_GLOBAL_VALUE, IDC_LOCAL_VALUE, IDC_BREAK, IDC_STOP, IDC_VARIABLES_GROUP,
                 IDC_SOURCE_LABEL, IDC_WATCH_LABEL, IDC_GLOBAL_LABEL, IDC_LOCAL_LABEL})
    EXPECT_EQ(SendMessageA(Item(id), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(SessionControlFont()))
        << "font of " << id;
  GetWindowTextA(Item(IDC_SOURCE_LABEL), text, sizeof text);
  EXPECT_EQ(std::string(text).rfind("Source : ", 0), 0u) << text;

  // The placeholders are hidden; the source view and the watch window lie
  // where they were.
  EXPECT_FALSE(IsWindowVisible(Item(IDC_SOURCE_PLACEHOLDER)));
  EXPECT_FALSE(IsWindowVisible(Item(IDC_WATCH_PLACEHOLDER)));
  HWND watch = WatchGetWindow(DebugSessionCurrent()->watch);
  ASSERT_NE(watch, nullptr);
  EXPECT_EQ(watch, Item(IDC_WATCH_WINDOW));
  EXPECT_TRUE(IsWindowVisible(watch));
  EXPECT_EQ(Describe(InDialog(main, watch)), Describe(InDialog(main, Item(IDC_WATCH_PLACEHOLDER))));
  HWND view = SourceWindowViewWindow(DebugSessionCurrent()->currentSource);
  EXPECT_TRUE(IsWindowVisible(view));

  // The watch window starts with the two directories, global strings.
  std::vector<std::string> watches;
  List* list = DebugSessionCurrent()->watch->watches;
  for (auto* item = static_cast<WatchItem*>(ListFirst(list)); item; item = static_cast<WatchItem*>(ListNext(list))) {
    EXPECT_EQ(item->global, 1) << item->name;
    EXPECT_EQ(item->kind, 2) << item->name;
    watches.push_back(item->name);
  }
  EXPECT_EQ(watches, (std::vector<std::string>{"TARGETDIR", "SRCDIR"}));

  // The system menu ends in "Set Colors..." and "About...", each after a separator.
  HMENU menu = GetSystemMenu(main, FALSE);
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 4);
  EXPECT_EQ(GetMenuState(menu, count - 4, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(menu, count - 3), static_cast<UINT>(IDM_SET_COLORS));
  GetMenuStringA(menu, IDM_SET_COLORS, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Set Colors...");
  EXPECT_EQ(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUT));
  GetMenuStringA(menu, IDM_ABOUT, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "About...");

  // The global names are in their combo box, sorted; the local one is empty.
  EXPECT_EQ(SendMessageA(Item(IDC_GLOBAL_NAMES), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(Item(IDC_LOCAL_NAMES), CB_GETCOUNT, 0, 0), 0);
}

TEST_F(MainWindowTest, ButtonsShowTheFaceOfTheirState) {
  ASSERT_NO_FATAL_FAILURE(FirstStop());
  struct Faced {
    int id, face;
  } const faced[] = {{IDC_EXIT, 550},      {IDC_STOP, 553}, {IDC_STEP_INTO, 556},    {IDC_STEP, 559},
                     {IDC_GO, 562},        {IDC_BREAK, 565}, {IDC_WATCH_GLOBAL, 568}, {IDC_WATCH_LOCAL, 568}};
  for (const Faced& button : faced) {
    SCOPED_TRACE("button " + std::to_string(button.id));
    HWND window = Item(button.id);
    const UINT all = ODA_DRAWENTIRE;
    EXPECT_EQ(FaceMismatch(DrawnItem(main, window, ODT_BUTTON, all, 0), button.face), "");
    EXPECT_EQ(FaceMismatch(DrawnItem(main, window, ODT_BUTTON, ODA_SELECT, ODS_SELECTED), button.face + 1), "");
    EXPECT_EQ(FaceMismatch(DrawnItem(main, window, ODT_BUTTON, all, ODS_DISABLED), button.face + 2), "");
    EXPECT_EQ(FaceMismatch(DrawnItem(main, window, ODT_BUTTON, ODA_SELECT, ODS_DISABLED | ODS_SELECTED),
                           button.face + 2),
              "");
  }
  // Nothing is drawn for a button without a face, for an item that is not a
  // button, or when no drawing is asked.
  HWND go = Item(IDC_GO);
  for (const Pixels& untouched : {DrawnItem(main, Item(IDC_VARIABLES_GROUP), ODT_BUTTON, ODA_DRAWENTIRE, 0),
                                  DrawnItem(main, go, ODT_STATIC, ODA_DRAWENTIRE, 0),
                                  DrawnItem(main, go, ODT_BUTTON, 0, 0)})
    EXPECT_EQ(untouched.At(untouched.width / 2, untouched.height / 2), kUntouched);

  // The focus rectangle lies four pixels inside the face: its dots change
  // that line of the face and nothing outside it.
  const Pixels focused = DrawnItem(main, go, ODT_BUTTON, ODA_FOCUS, ODS_FOCUS);
  const Pixels plain = DrawnItem(main, go, ODT_BUTTON, ODA_DRAWENTIRE, 0);
  const Pixels face = FacePixels(562);
  const int faceTop = (plain.height - face.height) / 2, faceLeft = (plain.width - face.width) / 2;
  int dotsOnLine = 0, dotsElsewhere = 0;
  for (int y = 0; y < plain.height; y++)
    for (int x = 0; x < plain.width; x++)
      if (focused.At(x, y) != plain.At(x, y)) {
        const bool onRectangle = (y == faceTop + 4 || y == faceTop + face.height - 5 || x == faceLeft + 4 ||
                                  x == faceLeft + face.width - 5);
        (onRectangle ? dotsOnLine : dotsElsewhere)++;
      }
  EXPECT_GT(dotsOnLine, 20);
  EXPECT_EQ(dotsElsewhere, 0);

  // On screen: pressed while selected, the third face when disabled even
  // while pressed.
  SendMessageA(go, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(FaceMismatch(OnScreen(go), 563), "");
  SendMessageA(go, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(FaceMismatch(OnScreen(go), 562), "");
  EnableWindow(go, FALSE);
  SendMessageA(go, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(FaceMismatch(OnScreen(go), 564), "");
  SendMessageA(go, BM_SETSTATE, FALSE, 0);
}

TEST_F(MainWindowTest, CaptionsAndTheGroupBoxPaintThemselves) {
  ASSERT_NO_FATAL_FAILURE(FirstStop());
  for (int id = IDC_GO_CAPTION; id <= IDC_BREAK_CAPTION; id++) {
    SCOPED_TRACE("caption " + std::to_string(id));
    HWND caption = Item(id);
    EXPECT_EQ(GetWindowLongPtrA(caption, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(QNdbgStaticSubclass));
    InvalidateRect(caption, nullptr, TRUE);
    const Pixels shown = OnScreen(caption);
    int ink = 0, left = shown.width, right = 0;
    for (int y = 0; y < shown.height; y++)
      for (int x = 0; x < shown.width; x++)
        if (shown.At(x, y) != GetSysColor(COLOR_BTNFACE)) {
          ink++;
          left = std::min(left, x);
          right = std::max(right, x);
        }
    EXPECT_GT(ink, 10) << "the caption's string is not drawn";
    // Centred: as much room on either side, give or take a pixel.
    EXPECT_LE(std::abs(left - (shown.width - 1 - right)), 2) << left << " " << right << " of " << shown.width;
  }

  HWND group = Item(IDC_VARIABLES_GROUP);
  EXPECT_EQ(GetWindowLongPtrA(group, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(QNdbgStaticSubclass));
  InvalidateRect(group, nullptr, TRUE);
  const Pixels box = OnScreen(group);
  const COLORREF white = RGB(255, 255, 255), shadow = GetSysColor(COLOR_BTNSHADOW);
  const int middle = box.height / 2;
  // Etched: shadow outside, white inside on the left; white outside, shadow
  // inside on the right and at the bottom.
  EXPECT_EQ(box.At(0, middle), shadow);
  EXPECT_EQ(box.At(1, middle), white);
  EXPECT_EQ(box.At(box.width - 3, middle), shadow);
  EXPECT_EQ(box.At(box.width - 2, middle), white);
  EXPECT_EQ(box.At(box.width / 2, box.height - 3), shadow);
  EXPECT_EQ(box.At(box.width / 2, box.height - 2), white);
  // The caption starts after the width of "Test" and covers the top line.
  int captionInk = 0, top = -1;
  for (int y = 0; y < middle && top < 0; y++)
    if (box.At(box.width - 10, y) == white) top = y;
  ASSERT_GT(top, 0);
  for (int y = 0; y < top + 6; y++)
    for (int x = 0; x < box.width / 2; x++)
      if (box.At(x, y) == GetSysColor(COLOR_WINDOWTEXT)) captionInk++;
  EXPECT_GT(captionInk, 10);
  EXPECT_EQ(box.At(5, top), white) << "the frame's top line before the caption";
  EXPECT_EQ(box.At(40, top), GetSysColor(COLOR_BTNFACE)) << "the caption's blank covers the top line";
}

TEST_F(MainWindowTest, CaptionStaticsActAsTheirButtons) {
  ASSERT_NO_FATAL_FAILURE(FirstStop());
  // Stopped outside a function: everything but Stop, and the local row
  // stays off while there are no locals.
  EXPECT_EQ(Enabling(), "501+ 502+ 503+ 504- 505+ 506+ 507- 508+ 301+ 302- 101+ 102- 403+ view+");

  Command(IDC_STEP_CAPTION);
  EXPECT_EQ(host.Commands(), (std::vector<std::string>{"SetTrace 0", "Resume", "SetTrace 1"}));
  EXPECT_EQ(Enabling(), "501+ 502+ 503+ 504+ 505+ 506+ 507- 508+ 301+ 302- 101+ 102- 403+ view+")
      << "Step enables Stop and leaves the other controls as they were";
  EXPECT_EQ(host.RunUntilStop(QNdbgBreak), 1);
  host.ClearCalls();

  Command(IDC_STEP_INTO_CAPTION);
  EXPECT_EQ(host.Commands(), (std::vector<std::string>{"SetTrace 0", "Resume", "SetTrace 1"}));
  EXPECT_EQ(host.RunUntilStop(QNdbgBreak), 2);
  host.ClearCalls();

  Command(IDC_GO_CAPTION);
  EXPECT_EQ(host.Commands(), (std::vector<std::string>{"SetTrace 0", "Resume"}));
  EXPECT_EQ(Enabling(), "501- 502- 503- 504+ 505+ 506- 507- 508- 301- 302- 101- 102- 403- view-");
  host.ClearCalls();
  Command(IDC_STOP_CAPTION);
  EXPECT_EQ(host.Commands(), (std::vector<std::string>{"SetTrace 1"}));
  EXPECT_EQ(host.RunUntilStop(QNdbgBreak), 3) << "Stop stops at the next line";
  EXPECT_EQ(Enabling(), "501+ 502+ 503+ 504- 505+ 506+ 507+ 508+ 301+ 302+ 101+ 102+ 403+ view+")
      << "stopped inside F, with its locals";
  host.ClearCalls();

  Command(IDC_EXIT_CAPTION);
  EXPECT_EQ(host.Commands(), (std::vector<std::string>{"ExitScript"}));
}

TEST_F(MainWindowTest, ClosingAsksTheHostToEndAndKeepsTheWindow) {
  ASSERT_NO_FATAL_FAILURE(FirstStop());
  SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpMessages();
  EXPECT_EQ(host.Commands(), (std::vector<std::string>{"ExitScript"}));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(DebugSessionCurrent()->mainWindow, main);
  QNdbgExit();
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(MainWindowTest, SystemMenuOpensTheColorDialogAndTheAboutBox) {
  ASSERT_NO_FATAL_FAILURE(FirstStop());
  HWND view = SourceWindowViewWindow(DebugSessionCurrent()->currentSource);
  HWND owner = nullptr;
  auto closeWith = [&owner](int button) {
    return [&owner, button](HWND dialog) {
      owner = GetWindow(dialog, GW_OWNER);
      SendMessageA(dialog, WM_COMMAND, button, 0);
    };
  };
  {
    DialogDriver driver(closeWith(IDOK));
    SendMessageA(main, WM_SYSCOMMAND, IDM_ABOUT, 0);
    ASSERT_TRUE(driver.Acted()) << "no About box";
    char caption[100];
    GetWindowTextA(driver.Dialog(), caption, sizeof caption);
    EXPECT_EQ(owner, main);
  }
  // Cancel leaves the views alone; OK gives them the new colours.
  UpdateWindow(view);
  {
    DialogDriver driver(closeWith(IDCANCEL));
    SendMessageA(main, WM_SYSCOMMAND, IDM_SET_COLORS, 0);
    ASSERT_TRUE(driver.Acted()) << "no Color dialog";
    EXPECT_EQ(owner, main);
  }
  EXPECT_FALSE(GetUpdateRect(view, nullptr, FALSE)) << "Cancel repainted the source";
  {
    DialogDriver driver(closeWith(IDOK));
    SendMessageA(main, WM_SYSCOMMAND, IDM_SET_COLORS, 0);
    ASSERT_TRUE(driver.Acted());
  }
  EXPECT_TRUE(GetUpdateRect(view, nullptr, FALSE)) << "OK did not repaint the source";
  EXPECT_EQ(host.Commands(), std::vector<std::string>{});
}

TEST_F(MainWindowTest, SourceLabelShowsTheFirstVisibleLine) {
  ASSERT_NO_FATAL_FAILURE(FirstStop());
  // The user drags the view's scroll box; the view reports that it scrolled.
  HWND view = SourceWindowViewWindow(DebugSessionCurrent()->currentSource);
  SendMessageA(view, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 11), 0);
  ASSERT_EQ(SourceWindowFirstVisibleLine(DebugSessionCurrent()->currentSource), 11);
  char text[100];
  GetDlgItemTextA(main, IDC_SOURCE_LABEL, text, sizeof text);
  EXPECT_STREQ(text, "Source :  12 ");
}

}  // namespace

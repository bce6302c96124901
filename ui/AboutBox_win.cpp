// The About box (see AboutBox_win.h): the debugger's name, the version of the
// library's own file, an etched separator and a notice line. A right click
// grows the box by a black strip through which a line of credits scrolls
// once, drawn from a bitmap made for the run and deleted at its end.
//
// The credits state is process-wide: one box at a time.
#include "ui/AboutBox_win.h"

#include <initializer_list>

#include "debuginfo/BufferedFile.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "session/Session.h"
#include "ui/RaisedFrame_win.h"
#include "util/Font.h"

namespace {

constexpr char kUnknownVersion[] = "2.0.00.000";  // when the file's version cannot be read
constexpr char kCreditsHeading[] = "Credits:";
constexpr char kCreditsNames[] =  // the blanks part it from the heading
    "  the Quendle debugger team, and every script author who sent in a bug with the script that showed it";
constexpr COLORREF kHeadingColor = RGB(0, 255, 255);
constexpr COLORREF kNamesColor = RGB(255, 0, 0);
constexpr UINT kCreditsPeriod = 50;  // ms a step
constexpr int kCreditsStep = 2;      // pixels a step
constexpr int kStripMargin = 6;

struct Credits {
  HBITMAP bitmap = nullptr;  // the whole line: a strip's width of black, heading, names, black again
  int bitmapWidth = 0;
  int bitmapHeight = 0;
  int position = 0;  // left edge of the piece shown, in bitmap pixels
  bool running = false;
  RECT strip{};       // in client coordinates, below the box's contents
  RECT windowRect{};  // the box before it grew
};

Credits gCredits;

HFONT ControlFont(HWND dialog) {
  if (HFONT font = SessionControlFont()) return font;
  return reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));  // outside a session
}

void AboutVersionText(char* text) {
  char path[MAX_PATH + 1] = "";
  GetModuleFileNameA(static_cast<HMODULE>(PlatformModule()), path, MAX_PATH);
  uint32_t high = 0, low = 0;
  if (GetFileVersion(path, &high, &low) < 0) {
    lstrcpyA(text, kUnknownVersion);
    return;
  }
  char upper[16], lower[16];
  FormatVersionNumber(high, upper, sizeof upper);
  FormatVersionNumber(low, lower, sizeof lower);
  wsprintfA(text, "%s.%s", upper, lower);
}

INT_PTR AboutInit(HWND dialog) {
  gCredits = Credits{};
  if (HFONT font = SessionControlFont()) {
    for (int id : {IDOK, IDC_ABOUT_SEPARATOR, IDC_ABOUT_NAME, IDC_ABOUT_VERSION_LABEL, IDC_ABOUT_VERSION,
                   IDC_ABOUT_NOTICE})
      SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  }
  char version[40];
  AboutVersionText(version);
  SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, version);
  // Made once, kept until the session ends (QNdbgExit deletes it).
  if (!SessionAboutFont()) SessionSetAboutFont(CreateFontByName(0, "MS Sans Serif", 8, 0, 1, 0, 0));
  return 0;
}

// The piece of the credits line from `position` on, centred in the strip.
void CreditsDraw(HDC dc, int position) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, gCredits.bitmap);
  const RECT& s = gCredits.strip;
  const int top = s.top + (s.bottom - s.top - gCredits.bitmapHeight) / 2;
  BitBlt(dc, s.left, top, s.right - s.left, gCredits.bitmapHeight, source, position, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

void FillStrip(HDC dc) { FillRect(dc, &gCredits.strip, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }

// Forgets the credits: timer, bitmap and all; the box keeps its size.
void CreditsClear(HWND dialog) {
  if (gCredits.running) KillTimer(dialog, IDT_ABOUT_CREDITS);
  if (gCredits.bitmap) DeleteObject(gCredits.bitmap);
  gCredits = Credits{};
}

// The credits line: black, the heading in cyan one strip's width in, the
// names in red after it, and a strip's width of black to scroll out into.
HBITMAP CreditsBitmap(HDC dc, HFONT headingFont, HFONT namesFont, int stripWidth, int height, int* width) {
  HDC memory = CreateCompatibleDC(dc);
  int saved = SaveDC(memory);
  SelectObject(memory, headingFont);
  SIZE heading{}, names{};
  GetTextExtentPoint32A(memory, kCreditsHeading, lstrlenA(kCreditsHeading), &heading);
  SelectObject(memory, namesFont);
  GetTextExtentPoint32A(memory, kCreditsNames, lstrlenA(kCreditsNames), &names);
  *width = heading.cx + names.cx + 2 * stripWidth;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, *width, height);
  if (bitmap) {
    SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, *width, height, BLACKNESS);
    SetBkMode(memory, TRANSPARENT);
    SelectObject(memory, headingFont);
    SetTextColor(memory, kHeadingColor);
    TextOutA(memory, stripWidth, 0, kCreditsHeading, lstrlenA(kCreditsHeading));
    SelectObject(memory, namesFont);
    SetTextColor(memory, kNamesColor);
    TextOutA(memory, stripWidth + heading.cx, 0, kCreditsNames, lstrlenA(kCreditsNames));
  }
  RestoreDC(memory, saved);
  DeleteDC(memory);
  return bitmap;
}

void CreditsStart(HWND dialog) {
  if (gCredits.running) return;
  HFONT headingFont = ControlFont(dialog);
  HFONT namesFont = SessionAboutFont() ? SessionAboutFont() : headingFont;
  HDC dc = GetDC(dialog);
  int saved = SaveDC(dc);
  if (headingFont) SelectObject(dc, headingFont);
  const int h = TextExtentHeight(TextExtent(dc, kCreditsHeading, lstrlenA(kCreditsHeading)));
  RestoreDC(dc, saved);
  RECT client;
  GetClientRect(dialog, &client);
  const RECT strip = {kStripMargin, client.bottom + kStripMargin, client.right - kStripMargin, client.bottom + h + 10};
  int width = 0;
  // Without its bitmap the strip would stay black: then nothing starts.
  HBITMAP bitmap = CreditsBitmap(dc, headingFont, namesFont, strip.right - strip.left, h, &width);
  ReleaseDC(dialog, dc);
  if (!bitmap) return;

  gCredits.bitmap = bitmap;
  gCredits.bitmapWidth = width;
  gCredits.bitmapHeight = h;
  gCredits.position = 0;
  gCredits.strip = strip;
  GetWindowRect(dialog, &gCredits.windowRect);
  const RECT& w = gCredits.windowRect;
  SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left, w.bottom - w.top + h + 16,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  gCredits.running = true;
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // the face, the strip black
  SetTimer(dialog, IDT_ABOUT_CREDITS, kCreditsPeriod, nullptr);
}

void CreditsStop(HWND dialog) {
  const RECT w = gCredits.windowRect;
  CreditsClear(dialog);
  SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left, w.bottom - w.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CreditsTick(HWND dialog) {
  if (!gCredits.running) return;
  HDC dc = GetDC(dialog);
  CreditsDraw(dc, gCredits.position);
  ReleaseDC(dialog, dc);
  gCredits.position += kCreditsStep;
  const int stripWidth = gCredits.strip.right - gCredits.strip.left;
  if (gCredits.position + stripWidth - 10 > gCredits.bitmapWidth) gCredits.position = 0;
  if (gCredits.position == 0) CreditsStop(dialog);
}

// The raised face and, while the credits run, the strip as the last step left
// it, so that a box uncovered meanwhile does not lose it until the next step.
void AboutPaint(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  if (!dc) return;
  PaintRaisedFrame(dialog, dc);
  if (gCredits.running) {
    FillStrip(dc);
    if (gCredits.position > 0) CreditsDraw(dc, gCredits.position - kCreditsStep);
  }
  EndPaint(dialog, &paint);
}

// The separator: the button's top row in shadow, the row below in white.
INT_PTR AboutDrawSeparator(const DRAWITEMSTRUCT* item) {
  if (item->CtlID != IDC_ABOUT_SEPARATOR) return FALSE;
  HDC dc = item->hDC;
  const RECT& r = item->rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc, shadow);
  MoveToEx(dc, r.left, r.top, nullptr);
  LineTo(dc, r.right, r.top);
  SelectObject(dc, white);
  MoveToEx(dc, r.left, r.top + 1, nullptr);
  LineTo(dc, r.right, r.top + 1);
  SelectObject(dc, old);
  DeleteObject(shadow);
  DeleteObject(white);
  return TRUE;
}

}  // namespace

void AboutBoxRun(HWND owner) {
  DialogBoxParamA(static_cast<HINSTANCE>(PlatformModule()), MAKEINTRESOURCEA(IDD_ABOUT_BOX), owner, QNdbgAboutProc,
                  0);
}

extern "C" INT_PTR CALLBACK QNdbgAboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return AboutInit(dialog);
    case WM_PAINT:
      AboutPaint(dialog);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DRAWITEM:
      return AboutDrawSeparator(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return FaceControlColor(message, wParam, SessionFaceBrush());
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        CreditsClear(dialog);
      }
      return 0;
    case WM_RBUTTONDOWN:
      CreditsStart(dialog);
      return 0;
    case WM_TIMER:
      if (wParam == IDT_ABOUT_CREDITS) CreditsTick(dialog);
      return 0;
    case WM_DESTROY:
      // Also when the box goes with its owner rather than by a command.
      CreditsClear(dialog);
      return 0;
    default:
      return 0;
  }
}

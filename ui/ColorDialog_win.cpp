// The Color dialog (see ColorDialog_win.h). It edits the entries of the list
// it is given in place and keeps no copy: Cancel works because the caller
// throws the list away, OK because the caller copies it back.
//
// One dialog at a time, so its state is one record of this file, set up by
// ColorDialogRun and shared by the dialog procedure and the subclass of the
// two group boxes. The marks are the ids of the palette buttons drawn sunken
// (ColorPalette.h); the sample shows the marks' colours, not the entry's, so
// an entry whose colour lies outside the palette shows the colour of the
// button it maps to until the user picks one.
#include "ui/ColorDialog_win.h"

#include <initializer_list>

#include "platform/Platform.h"
#include "resources/resource.h"
#include "ui/ColorPalette.h"
#include "ui/RaisedFrame_win.h"

namespace {

constexpr int kTextSize = 90;  // captions and the sample text: at most 89 characters

struct ColorDialogData {
  List* entries = nullptr;       // the ColorEntry items being edited
  HFONT font = nullptr;          // the caller's font for the controls and the sample
  int foregroundMark = kNoForegroundMark;
  int backgroundMark = kNoBackgroundMark;
  int result = 0;                // 1 after OK
  HBRUSH faceBrush = nullptr;    // COLOR_BTNFACE, for the controls' backgrounds
  WNDPROC groupBoxProc = nullptr;  // the group boxes' procedure before the subclass
};

ColorDialogData gDialog;
bool gOpen = false;

const COLORREF kWhite = RGB(255, 255, 255);

void Invalidate(HWND dialog, int id) {
  // Never a null window: that would invalidate the whole screen.
  if (HWND control = GetDlgItem(dialog, id)) InvalidateRect(control, nullptr, TRUE);
}

// The entry selected in the list box, or null.
ColorEntry* SelectedEntry(HWND dialog) {
  LRESULT index = SendDlgItemMessageA(dialog, IDC_COLOR_ELEMENTS, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR || index < 0) return nullptr;
  void* item = ListFirst(gDialog.entries);
  for (LRESULT i = 0; item && i < index; i++) item = ListNext(gDialog.entries);
  return static_cast<ColorEntry*>(item);
}

void ColorDialogSelectElement(HWND dialog) {
  ColorEntry* entry = SelectedEntry(dialog);
  if (!entry) return;
  Invalidate(dialog, gDialog.foregroundMark);
  Invalidate(dialog, gDialog.backgroundMark);
  gDialog.backgroundMark = ColorPaletteBackgroundButton(entry->background);
  gDialog.foregroundMark = ColorPaletteForegroundButton(entry->foreground);
  Invalidate(dialog, gDialog.foregroundMark);
  Invalidate(dialog, gDialog.backgroundMark);
  Invalidate(dialog, IDC_COLOR_SAMPLE);
}

void ColorDialogChoose(HWND dialog, int button) {
  ColorEntry* entry = SelectedEntry(dialog);
  if (!entry) return;
  const bool foreground = button > kForegroundButtonBase;
  int& mark = foreground ? gDialog.foregroundMark : gDialog.backgroundMark;
  if (mark > 0) Invalidate(dialog, mark);
  mark = button;
  Invalidate(dialog, button);
  Invalidate(dialog, IDC_COLOR_SAMPLE);
  (foreground ? entry->foreground : entry->background) = ColorPaletteColor(ColorPalettePosition(button));
}

void ColorDialogDefaults(HWND dialog) {
  // The buttons sunk until now are redrawn raised: with no element selected
  // nothing else would repaint them.
  Invalidate(dialog, gDialog.foregroundMark);
  Invalidate(dialog, gDialog.backgroundMark);
  Invalidate(dialog, IDC_COLOR_SAMPLE);
  gDialog.foregroundMark = kNoForegroundMark;
  gDialog.backgroundMark = kNoBackgroundMark;
  for (void* item = ListFirst(gDialog.entries); item; item = ListNext(gDialog.entries)) {
    auto* entry = static_cast<ColorEntry*>(item);
    entry->foreground = entry->defaultForeground;
    entry->background = entry->defaultBackground;
  }
  ColorDialogSelectElement(dialog);
}

INT_PTR ColorDialogInit(HWND dialog) {
  HWND foregroundGroup = GetDlgItem(dialog, IDC_COLOR_FOREGROUND_GROUP);
  HWND backgroundGroup = GetDlgItem(dialog, IDC_COLOR_BACKGROUND_GROUP);
  gDialog.groupBoxProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(foregroundGroup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SclrStaticSubclass)));
  SetWindowLongPtrA(backgroundGroup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SclrStaticSubclass));
  for (int id : {IDOK, IDCANCEL, IDC_COLOR_DEFAULTS, IDC_COLOR_ELEMENTS, IDC_COLOR_FOREGROUND_GROUP,
                 IDC_COLOR_BACKGROUND_GROUP, IDC_COLOR_SAMPLE, IDC_COLOR_ELEMENTS_LABEL})
    SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(gDialog.font), 0);
  for (void* item = ListFirst(gDialog.entries); item; item = ListNext(gDialog.entries))
    SendDlgItemMessageA(dialog, IDC_COLOR_ELEMENTS, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(static_cast<ColorEntry*>(item)->name));
  gDialog.foregroundMark = kNoForegroundMark;
  gDialog.backgroundMark = kNoBackgroundMark;
  return 0;
}

void ColorDialogCommand(HWND dialog, int id, int notification) {
  if (id == IDOK) {
    gDialog.result = 1;
    EndDialog(dialog, 1);
  } else if (id == IDCANCEL) {
    EndDialog(dialog, 0);
  } else if (id == IDC_COLOR_ELEMENTS) {
    if (notification == LBN_SELCHANGE) ColorDialogSelectElement(dialog);
  } else if (id == IDC_COLOR_DEFAULTS) {
    ColorDialogDefaults(dialog);
  } else if (ColorPalettePosition(id)) {
    // Any notification of a palette button picks its colour, a double click too.
    ColorDialogChoose(dialog, id);
  }
}

void Line(HDC dc, HPEN pen, int x0, int y0, int x1, int y1, int x2, int y2) {
  SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  LineTo(dc, x2, y2);
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void DrawPaletteButton(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  RECT r;
  GetClientRect(item->hwndItem, &r);
  const int id = static_cast<int>(item->CtlID);
  const bool chosen = id == gDialog.foregroundMark || id == gDialog.backgroundMark;
  int saved = SaveDC(dc);
  Fill(dc, r, GetSysColor(COLOR_BTNFACE));
  if (item->itemState & ODS_FOCUS) {
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  }
  InflateRect(&r, -1, -1);
  HPEN white = CreatePen(PS_SOLID, 1, kWhite);
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  const int L = r.left, T = r.top, R = r.right, B = r.bottom;
  if (chosen) {  // sunken
    Line(dc, white, R - 1, T, R - 1, B - 1, L, B - 1);
    Line(dc, shadow, R - 1, T, L, T, L, B);
  } else {  // raised
    Line(dc, white, R - 1, T, L, T, L, B);
    Line(dc, shadow, R - 1, T, R - 1, B - 1, L, B - 1);
  }
  RestoreDC(dc, saved);
  DeleteObject(white);
  DeleteObject(shadow);
  InflateRect(&r, -2, -2);
  Fill(dc, r, ColorPaletteColor(ColorPalettePosition(id)));
}

void DrawSample(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  RECT r;
  GetClientRect(item->hwndItem, &r);
  int saved = SaveDC(dc);
  Fill(dc, r, GetSysColor(COLOR_BTNFACE));
  HPEN white = CreatePen(PS_SOLID, 1, kWhite);
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  const int L = r.left, T = r.top, R = r.right, B = r.bottom;
  Line(dc, shadow, R - 1, T, L, T, L, B);
  Line(dc, white, R - 1, T, R - 1, B - 1, L, B - 1);
  InflateRect(&r, -2, -2);
  Fill(dc, r, ColorPaletteMarkColor(gDialog.backgroundMark));
  char text[kTextSize] = "";
  GetWindowTextA(item->hwndItem, text, sizeof text);
  if (gDialog.font) SelectObject(dc, gDialog.font);
  SetTextColor(dc, ColorPaletteMarkColor(gDialog.foregroundMark));
  SetBkMode(dc, TRANSPARENT);
  r.top += 2;
  DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RestoreDC(dc, saved);
  DeleteObject(white);
  DeleteObject(shadow);
}

INT_PTR ColorDialogDrawItem(const DRAWITEMSTRUCT* item) {
  if (item->CtlType != ODT_BUTTON) return FALSE;
  if (item->CtlID == IDC_COLOR_SAMPLE)
    DrawSample(item);
  else
    DrawPaletteButton(item);
  return TRUE;
}

// The group box's own face: an etched frame whose top runs through the middle
// of the caption, and the caption drawn over it.
void PaintGroupBox(HWND box) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(box, &paint);
  if (!dc) return;
  int saved = SaveDC(dc);
  if (HFONT font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0))) SelectObject(dc, font);
  char text[kTextSize] = "", caption[kTextSize + 4];
  GetWindowTextA(box, text, sizeof text);
  wsprintfA(caption, "  %s  ", text);
  const int length = lstrlenA(caption);
  SIZE letter{};
  GetTextExtentPoint32A(dc, "T", 1, &letter);
  RECT r;
  GetClientRect(box, &r);
  PaintEtchedGroupBox(dc, r, caption, length, letter.cx);
  RestoreDC(dc, saved);
  EndPaint(box, &paint);
}

}  // namespace

int ColorDialogRun(HWND owner, List* entries, HFONT font, INT_PTR) {
  if (!entries || gOpen) return 0;
  gOpen = true;
  gDialog = ColorDialogData{};
  gDialog.entries = entries;
  gDialog.font = font;
  gDialog.faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  DialogBoxParamA(static_cast<HINSTANCE>(PlatformModule()), MAKEINTRESOURCEA(IDD_COLOR_DIALOG), owner,
                  SclrDlgProc, 0);
  DeleteObject(gDialog.faceBrush);
  const int result = gDialog.result;
  gDialog = ColorDialogData{};
  gOpen = false;
  return result;
}

extern "C" INT_PTR CALLBACK SclrDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return ColorDialogInit(dialog);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintRaisedFrameMessage(dialog);
      return 0;
    case WM_DRAWITEM:
      return ColorDialogDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
      ColorDialogCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return FaceControlColor(message, wParam, gDialog.faceBrush);
    default:
      return 0;
  }
}

extern "C" LRESULT CALLBACK SclrStaticSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintGroupBox(window);
    return 0;
  }
  if (gDialog.groupBoxProc) return CallWindowProcA(gDialog.groupBoxProc, window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The Set Breakpoints dialog over the session's BreakpointTable. The table
// does the work: Set, Clear and Clear All call it, and it keeps list box 401
// in step itself (through the table's `dialog` field) while the dialog is
// open. The dialog only fills its lists when it opens and reads its controls
// when a command comes.
//
// Only the Close button ends the dialog: Escape and the system menu's Close
// send the cancel command, which is left alone, so that a breakpoint list is
// never closed by a stray key.
#include "ui/BreakpointsDialog_win.h"

#include "debuginfo/ComboFill.h"
#include "debuginfo/FunctionTable.h"
#include "memory/List.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "session/BreakpointTable.h"
#include "session/DebugSession.h"
#include "session/Session.h"
#include "ui/RaisedFrame_win.h"

namespace {

constexpr int kLocationChars = 44;  // the longest location text read from the edit

// The table of the open dialog; null while it is closed.
BreakpointTable* gTable = nullptr;

constexpr int kControls[] = {IDC_BREAK_SET,        IDC_BREAK_CLEAR,          IDC_BREAK_CLEAR_ALL,
                             IDC_BREAK_CLOSE,      IDC_BREAK_LIST,           IDC_BREAK_LOCATION,
                             IDC_BREAK_FUNCTIONS,  IDC_BREAK_LIST_LABEL,     IDC_BREAK_LOCATION_LABEL,
                             IDC_BREAK_FUNCTIONS_LABEL};

void Initialise(HWND dialog, BreakpointTable* table) {
  // Without a session's control font the template's own font stays.
  if (HFONT font = SessionControlFont())
    for (int id : kControls) SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (auto* record = static_cast<BreakpointRecord*>(ListFirst(table->records)); record;
       record = static_cast<BreakpointRecord*>(ListNext(table->records)))
    SendDlgItemMessageA(dialog, IDC_BREAK_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record->label));
  SendDlgItemMessageA(dialog, IDC_BREAK_FUNCTIONS, CB_RESETCONTENT, 0, 0);
  FunctionTableFillList(table->functionTable, dialog, IDC_BREAK_FUNCTIONS);
}

// A line number means a line of the file the script last stopped in; a
// function name finds the function in whatever file it is.
void SetAtLocation(HWND dialog, BreakpointTable* table) {
  char text[kLocationChars + 1];
  GetDlgItemTextA(dialog, IDC_BREAK_LOCATION, text, sizeof text);
  if (!text[0]) return;
  SetBreakpointAt(table, text, table->session ? table->session->currentFileIndex : 0);
}

void ClearSelected(HWND dialog, BreakpointTable* table) {
  char label[kBreakpointLabelSize] = "";
  HWND list = GetDlgItem(dialog, IDC_BREAK_LIST);
  const LRESULT item = SendMessageA(list, LB_GETCURSEL, 0, 0);
  // The list holds labels only, which fit; anything longer is no label.
  if (item != LB_ERR && SendMessageA(list, LB_GETTEXTLEN, item, 0) < kBreakpointLabelSize)
    SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(label));
  ClearBreakpointByLabel(table, label);
}

void TakeFunction(HWND dialog) {
  char name[kFunctionNameSize] = "";
  HWND functions = GetDlgItem(dialog, IDC_BREAK_FUNCTIONS);
  const LRESULT item = SendMessageA(functions, CB_GETCURSEL, 0, 0);
  if (item != CB_ERR && SendMessageA(functions, CB_GETLBTEXTLEN, item, 0) < static_cast<LRESULT>(sizeof name))
    SendMessageA(functions, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(name));
  if (name[0]) SetDlgItemTextA(dialog, IDC_BREAK_LOCATION, name);
}

void Command(HWND dialog, int id) {
  switch (id) {
    case IDC_BREAK_SET:
      SetAtLocation(dialog, gTable);
      break;
    case IDC_BREAK_CLEAR:
      ClearSelected(dialog, gTable);
      break;
    case IDC_BREAK_CLEAR_ALL:
      ClearAllBreakpoints(gTable);
      break;
    case IDC_BREAK_CLOSE:
      EndDialog(dialog, 0);
      break;
    case IDC_BREAK_FUNCTIONS:
      TakeFunction(dialog);
      break;
    default:
      break;  // the cancel command among them: the dialog stays open
  }
}

}  // namespace

void BreakpointsDialogRun(HWND owner, BreakpointTable* table) {
  if (!table) return;
  DialogBoxParamA(static_cast<HINSTANCE>(PlatformModule()), MAKEINTRESOURCEA(IDD_BREAKPOINTS), owner, BreakDlgProc,
                  reinterpret_cast<LPARAM>(table));
}

extern "C" INT_PTR CALLBACK BreakDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      gTable = reinterpret_cast<BreakpointTable*>(lParam);
      if (gTable) {
        gTable->dialog = dialog;
        Initialise(dialog, gTable);
      }
      return FALSE;
    case WM_DESTROY:
      if (gTable) gTable->dialog = nullptr;
      gTable = nullptr;
      return FALSE;
    case WM_PAINT:
      PaintRaisedFrameMessage(dialog);
      return FALSE;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return FaceControlColor(message, wParam, SessionFaceBrush());
    case WM_COMMAND:
      if (gTable) Command(dialog, LOWORD(wParam));
      return FALSE;
    default:
      return FALSE;
  }
}

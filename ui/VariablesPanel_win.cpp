// The user variables panel: two rows of the main window, each a name combo
// box, a value edit and a watch button, over a VariableTable (the session's
// globals; the locals of the function the script stopped in). Values travel
// only through the host's variable callbacks, by the index the table gives.
//
// The panel keeps no state of its own beyond the edits' previous window
// procedures: the tables and the current function are the session's, and
// what a row shows lives in its controls. Every operation reads the row's
// controls afresh, so a user who types, selects or edits in any order gets
// what the controls say at that moment.
//
// Choices of our own:
// - The local row's label (static 1004) names the function the script stands
//   in, "Local  %s " (string 405), or says "(Not in function)" (string 406).
//   The template gives the label only the width of "Local"; the first time
//   the label is set (at the first stop) it is widened, on its own line, up
//   to the right edge of the value edit below it, and drawn on one line
//   without word breaks, with an ellipsis when a long name still does not
//   fit, and without '&' prefixes (a name is not a mnemonic).
// - When the statement address the host reports has no line, the script is
//   taken to stand in no function: the local row is disabled and empty rather
//   than showing some function's locals that may not exist there.
// - The watch value provider reports the kind the table gives back through
//   the watch's kind, so a local watch follows the variable of that name in
//   whichever function it is found.
#include "ui/VariablesPanel_win.h"

#include <cstdio>
#include <initializer_list>

#include "debuginfo/ComboFill.h"
#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/VariableTable.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "session/DebugSession.h"
#include "session/HostLink.h"
#include "session/ShowMessage.h"
#include "ui/WatchList.h"
#include "util/Text.h"

namespace {

constexpr int kValueSize = 1024;       // what the host may write for one value
constexpr int kWatchNameChars = 89;    // a name taken for a watch

struct PanelRow {
  int names;        // combo box of the variable names
  int value;        // edit of the value
  int32_t global;   // 1 for the globals' row, 0 for the locals'
};
constexpr PanelRow kGlobalRow{IDC_GLOBAL_NAMES, IDC_GLOBAL_VALUE, 1};
constexpr PanelRow kLocalRow{IDC_LOCAL_NAMES, IDC_LOCAL_VALUE, 0};

// Previous window procedures of edits 101 and 102. Process-wide: there is one
// main window at a time, and the procedures outlive no session (put back at
// exit).
WNDPROC gEditProcs[2] = {nullptr, nullptr};

int EditSlot(int id) { return id == IDC_GLOBAL_VALUE ? 0 : id == IDC_LOCAL_VALUE ? 1 : -1; }

VariableTable* RowTable(const DebugSession* session, const PanelRow& row) {
  return row.global ? session->globals : session->locals;
}

// The value text of a variable, as the host gives it.
void ReadValue(const DebugSession* session, int32_t index, int32_t kind, char* buffer) {
  if (kind == kVariableNumber) {
    const int32_t number = static_cast<int32_t>(HostCall(session, kHostGetVarNumber, index));
    std::snprintf(buffer, kValueSize, "%ld", static_cast<long>(number));
  } else {
    HostCall(session, kHostGetVarText, index, reinterpret_cast<INT_PTR>(buffer));
    buffer[kValueSize - 1] = 0;  // a host that fills the buffer to its end
  }
}

void ShowValue(const DebugSession* session, const PanelRow& row, int32_t index, int32_t kind) {
  char buffer[kValueSize] = "";  // stays empty when the host has no text callback
  ReadValue(session, index, kind, buffer);
  SetDlgItemTextA(session->mainWindow, row.value, buffer);
}

void ShowBySelection(const DebugSession* session, const PanelRow& row) {
  char name[kTextSize] = "";
  HWND names = GetDlgItem(session->mainWindow, row.names);
  const LRESULT item = SendMessageA(names, CB_GETCURSEL, 0, 0);
  if (item != CB_ERR && SendMessageA(names, CB_GETLBTEXTLEN, item, 0) < kTextSize)
    SendMessageA(names, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(name));
  int32_t index, kind;
  if (VariableTableFind(RowTable(session, row), name, &index, &kind)) ShowValue(session, row, index, kind);
}

void ShowByTypedName(const DebugSession* session, const PanelRow& row) {
  char name[kTextSize];
  GetDlgItemTextA(session->mainWindow, row.names, name, sizeof name);
  int32_t index, kind;
  if (VariableTableFind(RowTable(session, row), name, &index, &kind))
    ShowValue(session, row, index, kind);
  else
    SetDlgItemTextA(session->mainWindow, row.value, "");
}

void WriteBack(const DebugSession* session, const PanelRow& row) {
  char text[kTextSize], name[kTextSize];
  GetDlgItemTextA(session->mainWindow, row.value, text, sizeof text);
  GetDlgItemTextA(session->mainWindow, row.names, name, sizeof name);
  int32_t index, kind;
  if (!VariableTableFind(RowTable(session, row), name, &index, &kind)) return;
  if (kind == kVariableNumber)
    HostCall(session, kHostSetVarNumber, index, TextToNumber(text));
  else
    HostCall(session, kHostSetVarText, index, reinterpret_cast<INT_PTR>(text));
}

// The block of the function holding the statement the host stands on; 0 for
// the main program, and for an address without a line.
int32_t CurrentFunction(const DebugSession* session) {
  LONG block = -1, offset = -1;  // a host without the callback leaves no address
  HostCall(session, kHostGetPosition, reinterpret_cast<INT_PTR>(&block), reinterpret_cast<INT_PTR>(&offset));
  int32_t line, fileIndex;
  if (!LineTableFindLine(session->lineTable, block, offset, &line, &fileIndex)) return 0;
  return FunctionTableBlockAtLine(session->functionTable, session->currentLine, fileIndex);
}

// Widens the label over the free width of its line: from its left edge to
// the right edge of the value edit below it.
void LayOutLocalLabel(HWND window) {
  HWND label = GetDlgItem(window, IDC_LOCAL_LABEL), edit = GetDlgItem(window, IDC_LOCAL_VALUE);
  if (!label || !edit) return;
  RECT labelRect, editRect;
  GetWindowRect(label, &labelRect);
  GetWindowRect(edit, &editRect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&labelRect), 2);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&editRect), 2);
  const LONG_PTR style = GetWindowLongPtrA(label, GWL_STYLE);
  const LONG_PTR oneLine = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_LEFTNOWORDWRAP | SS_NOPREFIX |
                           SS_ENDELLIPSIS;
  if (style != oneLine) SetWindowLongPtrA(label, GWL_STYLE, oneLine);
  if (labelRect.right != editRect.right)
    SetWindowPos(label, nullptr, 0, 0, editRect.right - labelRect.left, labelRect.bottom - labelRect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowLocalLabel(const DebugSession* session, int32_t function) {
  char name[kTextSize] = "", format[64], label[kTextSize + 64];
  if (!function || !FunctionTableGetName(session->functionTable, function, name, sizeof name))
    PlatformLoadString(IDS_NOT_IN_FUNCTION, name, sizeof name);
  PlatformLoadString(IDS_LOCAL_LABEL, format, sizeof format);
  std::snprintf(label, sizeof label, format, name);  // our own "Local  %s "
  LayOutLocalLabel(session->mainWindow);
  SetDlgItemTextA(session->mainWindow, IDC_LOCAL_LABEL, label);
}

void EnableLocalRow(HWND window, BOOL enable) {
  EnableWindow(GetDlgItem(window, IDC_LOCAL_NAMES), enable);
  EnableWindow(GetDlgItem(window, IDC_LOCAL_VALUE), enable);
  EnableWindow(GetDlgItem(window, IDC_WATCH_LOCAL), enable);
}

// The local row follows the current function: refilled only when the
// function changes, so that stopping again in the same one keeps the user's
// list and selection.
void UpdateLocalRow(DebugSession* session) {
  const int32_t function = CurrentFunction(session);
  HWND window = session->mainWindow;
  VariableTable* table = nullptr;
  if (function) {
    table = FunctionTableGetLocals(session->functionTable, function);
    if (function != session->currentFunction) {
      EnableLocalRow(window, TRUE);
      VariableTableFillList(table, window, IDC_LOCAL_NAMES);
    }
  } else {
    SendDlgItemMessageA(window, IDC_LOCAL_NAMES, CB_RESETCONTENT, 0, 0);
    SetDlgItemTextA(window, IDC_LOCAL_VALUE, "");
    EnableLocalRow(window, FALSE);
  }
  session->currentFunction = function;
  session->locals = table;
  ShowLocalLabel(session, function);
}

void AddWatch(const DebugSession* session, const PanelRow& row) {
  char name[kWatchNameChars + 1];
  GetDlgItemTextA(session->mainWindow, row.names, name, sizeof name);
  int32_t index, kind;
  if (!VariableTableFind(RowTable(session, row), name, &index, &kind)) {
    ShowMessage(IDS_NO_VARIABLE_SELECTED, nullptr);
    return;
  }
  WatchAdd(session->watch, kind, row.global, name);
}

// What leaving a value edit (or Enter in it) does: the watch shows the values
// before the change, both rows are written back and shown again, and the
// watch shows the values after it.
void CommitEdits(DebugSession* session) {
  WatchRefresh(session->watch);
  WriteBack(session, kGlobalRow);
  WriteBack(session, kLocalRow);
  ShowBySelection(session, kGlobalRow);
  UpdateLocalRow(session);
  ShowBySelection(session, kLocalRow);
  WatchRefresh(session->watch);
}

bool PanelReady(const DebugSession* session) { return session && session->mainWindow; }

}  // namespace

void VariablesPanelFill(DebugSession* session) {
  if (!PanelReady(session)) return;
  VariableTableFillList(session->globals, session->mainWindow, IDC_GLOBAL_NAMES);
  SendDlgItemMessageA(session->mainWindow, IDC_LOCAL_NAMES, CB_RESETCONTENT, 0, 0);
}

void VariablesPanelRefresh(DebugSession* session) {
  if (!PanelReady(session)) return;
  ShowBySelection(session, kGlobalRow);
  UpdateLocalRow(session);
  ShowBySelection(session, kLocalRow);
  ShowByTypedName(session, kGlobalRow);
  ShowByTypedName(session, kLocalRow);
}

int VariablesPanelCommand(DebugSession* session, int id, int notification) {
  if (!PanelReady(session)) return 0;
  switch (id) {
    case IDC_GLOBAL_NAMES:
    case IDC_LOCAL_NAMES: {
      const PanelRow& row = id == IDC_GLOBAL_NAMES ? kGlobalRow : kLocalRow;
      if (notification == CBN_SELCHANGE) ShowBySelection(session, row);
      if (notification == CBN_EDITCHANGE) ShowByTypedName(session, row);
      return 1;
    }
    case IDC_WATCH_GLOBAL:
      AddWatch(session, kGlobalRow);
      return 1;
    case IDC_WATCH_LOCAL:
      AddWatch(session, kLocalRow);
      return 1;
    default:
      return 0;
  }
}

void VariablesPanelSubclassEdits(DebugSession* session) {
  if (!PanelReady(session)) return;
  for (int id : {IDC_GLOBAL_VALUE, IDC_LOCAL_VALUE}) {
    HWND edit = GetDlgItem(session->mainWindow, id);
    if (!edit || reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC)) == QNdbgSubWndProc) continue;
    gEditProcs[EditSlot(id)] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QNdbgSubWndProc)));
  }
}

void VariablesPanelRestoreEdits(DebugSession* session) {
  if (!PanelReady(session)) return;
  for (int id : {IDC_GLOBAL_VALUE, IDC_LOCAL_VALUE}) {
    HWND edit = GetDlgItem(session->mainWindow, id);
    WNDPROC& previous = gEditProcs[EditSlot(id)];
    if (edit && previous && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC)) == QNdbgSubWndProc)
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    previous = nullptr;
  }
}

int32_t VariablesPanelWatchValue(void* context, const char* name, int32_t* global, int32_t* kind, char* buffer) {
  PlatformLoadString(IDS_VARIABLE_NOT_FOUND, buffer, kWatchValueSize);
  auto* session = static_cast<DebugSession*>(context);
  if (!session || !name) return -1;
  int32_t index, foundKind;
  if (!VariableTableFind(*global ? session->globals : session->locals, name, &index, &foundKind)) return -1;
  *kind = foundKind;
  // Without the host's text callback the buffer keeps "<variable not found>".
  ReadValue(session, index, foundKind, buffer);
  return 0;
}

extern "C" LRESULT CALLBACK QNdbgSubWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const int slot = EditSlot(GetDlgCtrlID(window));
  WNDPROC previous = slot < 0 ? nullptr : gEditProcs[slot];
  if (message == WM_KILLFOCUS || (message == WM_GETDLGCODE && wParam == VK_RETURN)) {
    DebugSession* session = DebugSessionCurrent();
    if (PanelReady(session) && GetParent(window) == session->mainWindow) CommitEdits(session);
  }
  return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                  : DefWindowProcA(window, message, wParam, lParam);
}

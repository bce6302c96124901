#include "debuginfo/ComboFill.h"

namespace {

struct ComboBox {
  HWND dialog;
  int controlId;
};

void ComboReset(void* context) {
  auto* box = static_cast<ComboBox*>(context);
  SendDlgItemMessageA(box->dialog, box->controlId, CB_RESETCONTENT, 0, 0);
}

void ComboAdd(void* context, const char* name) {
  auto* box = static_cast<ComboBox*>(context);
  SendDlgItemMessageA(box->dialog, box->controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

}  // namespace

int FunctionTableFillList(FunctionTable* table, HWND dialog, int controlId) {
  ComboBox box{dialog, controlId};
  return FunctionTableListNames(table, NameSink{ComboReset, ComboAdd, &box});
}

int VariableTableFillList(VariableTable* table, HWND dialog, int controlId) {
  ComboBox box{dialog, controlId};
  return VariableTableListNames(table, NameSink{ComboReset, ComboAdd, &box});
}

// The symbol tables' names in the combo boxes of the debugger's dialogs: the
// Set Breakpoints dialog lists the functions, the user variables panel the
// variables. Window code only.
#pragma once

#include <windows.h>

#include "debuginfo/FunctionTable.h"
#include "debuginfo/VariableTable.h"

// Empties combo box `controlId` of the dialog and adds the name of every
// function, in extent order. 1, or 0 for a null table (the box is left alone).
int FunctionTableFillList(FunctionTable* table, HWND dialog, int controlId);
// Empties combo box `controlId` of the dialog and, for a non-null table, adds
// every variable name in the order the names were added.
int VariableTableFillList(VariableTable* table, HWND dialog, int controlId);

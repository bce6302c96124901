// Where the symbol tables list names for the user: the combo boxes of the
// debugger's dialogs (ComboFill_win.cpp), or whatever a test collects them in.
// The tables decide which names and in which order; the sink only shows them.
#pragma once

struct NameSink {
  void (*reset)(void* context);                    // empty the list
  void (*add)(void* context, const char* name);    // append one name
  void* context;
};

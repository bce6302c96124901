// The variables of a script as the watch window's evaluator sees them, for the
// watch tests of every layer (header-only: it builds natively and for Windows).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Platform.h"
#include "resources/resource.h"
#include "ui/WatchList.h"
#include "util/Text.h"

// Globals, and the locals of the function the script stands in (none outside one).
struct WatchScript {
  std::map<std::string, std::string> globals, locals;
  bool insideFunction = false;
};

// Behaves like the main window's evaluator: "<variable not found>" first, then
// the value when the name is among the globals or the current locals.
inline int32_t WatchScriptEvaluator(void* context, const char* name, int32_t* global, int32_t*, char* buffer) {
  auto* script = static_cast<WatchScript*>(context);
  PlatformLoadString(IDS_VARIABLE_NOT_FOUND, buffer, kWatchValueSize);
  if (!*global && !script->insideFunction) return -1;
  const auto& table = *global ? script->globals : script->locals;
  auto found = table.find(name);
  if (found == table.end()) return -1;
  TextCopy(buffer, kWatchValueSize, found->second.c_str());
  return 0;
}

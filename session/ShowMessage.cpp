#include "session/ShowMessage.h"

#include <cstdio>
#include <cstring>

#include "platform/Platform.h"
#include "resources/resource.h"

namespace {

// Replaces the first "%s" of the format with the argument, and nothing else:
// the texts come from our own string table, but the argument (a file name)
// must never be read as a format.
void FormatMessage(const char* format, const char* argument, char* out, size_t size) {
  const char* marker = std::strstr(format, "%s");
  if (!marker) {
    std::snprintf(out, size, "%s", format);
    return;
  }
  std::snprintf(out, size, "%.*s%s%s", static_cast<int>(marker - format), format, argument ? argument : "",
                marker + 2);
}

}  // namespace

int ShowMessage(uint32_t id, const char* argument) {
  char format[512], title[128], text[1024];
  PlatformLoadString(id, format, sizeof format);
  PlatformLoadString(IDS_DEBUGGER_TITLE, title, sizeof title);
  FormatMessage(format, argument, text, sizeof text);
  PlatformBeep(0);
  PlatformMessageBox(nullptr, text, title, kMessageBoxOk | kMessageBoxExclamation);
  return 1;
}

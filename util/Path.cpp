#include "util/Path.h"

#include <cstring>

#include "platform/Platform.h"
#include "util/Text.h"

namespace {
bool IsSeparator(char c) { return c == '\\' || c == ':'; }
}  // namespace

void PathFileName(const char* path, char* out, size_t size) {
  if (!out || size == 0) return;
  out[0] = 0;
  if (!path) return;
  // Walk forward by characters, so that a trail byte that happens to be a
  // backslash's code is never taken for a separator.
  const char* component = path;
  for (const char* p = path; *p; p = PlatformCharNext(p))
    if (IsSeparator(*p)) component = p + 1;
  TextCopy(out, size, component);
}

int PathAddBackslash(char* path, size_t size) {
  if (!path) return 0;
  size_t length = std::strlen(path);
  const char* last = length ? PlatformCharPrev(path, path + length) : nullptr;
  if (last && *last == '\\' && last == path + length - 1) return 1;
  if (length + 2 > size) return 0;
  path[length] = '\\';
  path[length + 1] = 0;
  return 1;
}

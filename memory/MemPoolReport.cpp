// The pools' error report. Its text and title belong to the host program (its
// own string resources 402 and 86), so a host that ships them sees pool
// errors in its own words. String 402 is used as a printf format, which makes
// it untrusted input: it is used only when it holds exactly one conversion and
// that conversion prints an integer (%d, %i, %u, %x, %X or %o, with flags, a
// width and a precision of at most two digits, '#' only where it means
// something, and any length modifier, which is dropped because the number is
// passed as an int). Anything else ("%s",
// "%n", "%*d", two conversions, none) falls back to the library's own text, as
// does a host without the string; a host without string 86 gets the library's
// own title. The two strings are judged apart: a sane title stays even when
// the format does not.
#include "memory/MemPoolReport.h"

#include <cstdio>
#include <cstring>

#include "platform/Platform.h"

namespace {

constexpr uint32_t kHostFormatString = 402;
constexpr uint32_t kHostTitleString = 86;
constexpr uint32_t kOwnTitleString = 407;  // "Quendle Debugger"
constexpr int kReportNumberBase = 3000;
constexpr char kOwnFormat[] = "Memory pool error %d";
constexpr char kOwnTitle[] = "Quendle Debugger";
constexpr int kMaxSpecDigits = 2;  // of a width or a precision

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Copies `format` into `safe` with its one integer conversion stripped of any
// length modifier; false when the format is not fit to be used.
bool ReportFormatSanitize(const char* format, char* safe, size_t size) {
  size_t out = 0;
  int conversions = 0;
  auto put = [&](char c) {
    if (out + 1 >= size) return false;
    safe[out++] = c;
    return true;
  };
  for (const char* p = format; *p; p++) {
    if (*p != '%') {
      if (!put(*p)) return false;
      continue;
    }
    if (p[1] == '%') {
      if (!put('%') || !put('%')) return false;
      p++;
      continue;
    }
    if (++conversions > 1 || !put('%')) return false;
    p++;
    bool alternate = false;
    while (*p && std::strchr("-+ #0", *p)) {
      alternate = alternate || *p == '#';
      if (!put(*p++)) return false;
    }
    for (int digits = 0; IsDigit(*p); digits++)
      if (digits == kMaxSpecDigits || !put(*p++)) return false;
    if (*p == '.') {
      if (!put(*p++)) return false;
      for (int digits = 0; IsDigit(*p); digits++)
        if (digits == kMaxSpecDigits || !put(*p++)) return false;
    }
    while (*p == 'h' || *p == 'l') p++;
    if (!*p || !std::strchr(alternate ? "xXo" : "diuxXo", *p) || !put(*p)) return false;
  }
  safe[out] = 0;
  return conversions == 1;
}

}  // namespace

void MemPoolReportError(int number) {
  char hostFormat[256], format[256], title[256], text[512];
  if (PlatformLoadHostString(kHostFormatString, hostFormat, sizeof hostFormat) <= 0 ||
      !ReportFormatSanitize(hostFormat, format, sizeof format))
    std::snprintf(format, sizeof format, "%s", kOwnFormat);
  if (PlatformLoadHostString(kHostTitleString, title, sizeof title) <= 0 &&
      PlatformLoadString(kOwnTitleString, title, sizeof title) <= 0)
    std::snprintf(title, sizeof title, "%s", kOwnTitle);
  if (std::snprintf(text, sizeof text, format, kReportNumberBase + number) < 0)
    std::snprintf(text, sizeof text, kOwnFormat, kReportNumberBase + number);
  PlatformMessageBox(nullptr, text, title, kMessageBoxOk | kMessageBoxExclamation);
}

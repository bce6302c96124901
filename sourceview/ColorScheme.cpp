#include "sourceview/ColorScheme.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "sourceview/SourceView.h"

const char kColorSettingsFile[] = "qn20dbg.ini";
const char kColorSettingsSection[] = "Color";

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

struct ElementDefault {
  const char* iniName;
  uint32_t foreground;
  uint32_t background;
};

constexpr uint32_t kWhite = Rgb(255, 255, 255);
constexpr uint32_t kBlack = Rgb(0, 0, 0);

constexpr ElementDefault kDefaults[kColorElements + 1] = {
    {"", kBlack, kWhite},
    {"Comment", Rgb(0, 128, 0), kWhite},
    {"QNfx", Rgb(128, 0, 0), kWhite},
    {"string", Rgb(128, 0, 128), kWhite},
    {"keyword", Rgb(0, 0, 255), kWhite},
    {"label", kBlack, kWhite},
    {"selected", kWhite, kBlack},
    {"other", kBlack, kWhite},
    {"constant", Rgb(0, 0, 128), kWhite},
    {"number", kBlack, kWhite},
    {"brkline", kWhite, Rgb(255, 0, 0)},
    {"curline", kWhite, kBlack},
};

ColorScheme gScheme;
bool gDefaultsSet = false;
bool gLoaded = false;

void KeyOf(char* key, size_t size, const char* prefix, int element) {
  std::snprintf(key, size, "%s%s", prefix, gScheme.iniName[element]);
}

}  // namespace

ColorScheme& ColorSchemeCurrent() { return gScheme; }

void ColorSchemeSetDefaults() {
  if (gDefaultsSet) return;
  gDefaultsSet = true;
  for (int element = 1; element <= kColorElements; element++) {
    const ElementDefault& d = kDefaults[element];
    gScheme.foreground[element] = gScheme.defaultForeground[element] = d.foreground;
    gScheme.background[element] = gScheme.defaultBackground[element] = d.background;
    std::snprintf(gScheme.iniName[element], kColorIniNameSize, "%s", d.iniName);
  }
}

uint32_t ColorSchemeParseValue(const char* text) {
  while (*text && std::isspace(static_cast<unsigned char>(*text))) text++;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  uint32_t value = 0;  // wraps as the 32-bit signed value the file holds
  while (*text >= '0' && *text <= '9') value = value * 10u + static_cast<uint32_t>(*text++ - '0');
  return negative ? 0u - value : value;
}

void ColorSchemeReadSettings(ColorSettingRead read, void* context) {
  char key[kColorIniNameSize + 4], value[144];
  for (int element = 1; element <= kColorElements; element++) {
    KeyOf(key, sizeof key, "bk_", element);
    if (read(context, key, value) && value[0]) gScheme.background[element] = ColorSchemeParseValue(value);
  }
  for (int element = 1; element <= kColorElements; element++) {
    KeyOf(key, sizeof key, "fg_", element);
    if (read(context, key, value) && value[0]) gScheme.foreground[element] = ColorSchemeParseValue(value);
  }
}

void ColorSchemeWriteSettings(ColorSettingWrite write, void* context) {
  char key[kColorIniNameSize + 4], value[16];
  for (int element = 1; element <= kColorElements; element++) {
    KeyOf(key, sizeof key, "bk_", element);
    std::snprintf(value, sizeof value, "%ld", static_cast<long>(static_cast<int32_t>(gScheme.background[element])));
    write(context, key, value);
  }
  for (int element = 1; element <= kColorElements; element++) {
    KeyOf(key, sizeof key, "fg_", element);
    std::snprintf(value, sizeof value, "%ld", static_cast<long>(static_cast<int32_t>(gScheme.foreground[element])));
    write(context, key, value);
  }
}

bool ColorSchemeTakeLoad() {
  if (gLoaded) return false;
  gLoaded = true;
  return true;
}

void ColorSchemeApply(SourceView* view) {
  for (int element = 1; element <= kColorElements; element++)
    SourceViewSetColors(view, element, gScheme.foreground[element], gScheme.background[element]);
}

void ColorSchemeResetForTesting() {
  gDefaultsSet = false;
  gLoaded = false;
  gScheme = ColorScheme{};
}

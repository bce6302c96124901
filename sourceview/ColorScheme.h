// The colour scheme of the source views: a foreground and a background colour
// for each of the eleven colour elements, with their defaults, kept in the
// settings file "qn20dbg.ini", section "Color", under "bk_<name>" and
// "fg_<name>". One scheme per process: the defaults are set and the file read
// once per run; the current colours are written back only when the user
// accepts the Color dialog.
//
// The tables and the key walk are window-free; reading and writing the
// settings file goes through the profile helpers (ColorScheme_win.cpp).
#pragma once

#include <cstdint>

struct SourceView;

constexpr int kColorElements = 11;  // elements 1..11
constexpr int kColorIniNameSize = 40;
constexpr int kColorDisplayNameBase = 350;  // string id of an element's display name: base + element
extern const char kColorSettingsFile[];     // "qn20dbg.ini"
extern const char kColorSettingsSection[];  // "Color"

// The four tables, indexed by element 1..11 (slot 0 unused).
struct ColorScheme {
  uint32_t foreground[kColorElements + 1];
  uint32_t background[kColorElements + 1];
  uint32_t defaultForeground[kColorElements + 1];
  uint32_t defaultBackground[kColorElements + 1];
  char iniName[kColorElements + 1][kColorIniNameSize];
};

// The process's scheme.
ColorScheme& ColorSchemeCurrent();

// Fills the four tables with the defaults and the ini names; only the first
// call of the process run does anything.
void ColorSchemeSetDefaults();

// A COLORREF as the settings file holds it: leading white space skipped, one
// optional sign, decimal digits up to the first other character; no digits
// read as 0.
uint32_t ColorSchemeParseValue(const char* text);

// The settings walk, in file order: the eleven "bk_" keys, then the eleven
// "fg_" keys. `read` answers 1 and fills `value` (144 bytes) when the key has a
// non-empty value; a key it does not answer keeps its colour.
typedef int (*ColorSettingRead)(void* context, const char* key, char* value);
typedef void (*ColorSettingWrite)(void* context, const char* key, const char* value);
void ColorSchemeReadSettings(ColorSettingRead read, void* context);
void ColorSchemeWriteSettings(ColorSettingWrite write, void* context);

// Reads the settings file into the current tables; only the first call of the
// process run does anything. A file that cannot be opened keeps the defaults.
void ColorSchemeLoad();
// Writes the current tables to the settings file, creating it if needed.
void ColorSchemeSave();

// True for the first call of the process run only: the settings file is read
// then and never again.
bool ColorSchemeTakeLoad();

// Gives the view the current colours of elements 1..11 (the caller repaints).
void ColorSchemeApply(SourceView* view);

// For tests: forget that the defaults were set and the file read.
void ColorSchemeResetForTesting();

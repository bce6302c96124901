// The "Set Colors..." command: the colour scheme handed to the Color dialog
// as a working list of entries and, when the user accepts, taken back and
// saved. The list is the only copy the dialog edits, so Cancel leaves the
// scheme as it was.
#include "platform/Platform.h"
#include "sourceview/ColorScheme.h"
#include "ui/ColorDialog_win.h"
#include "ui/ColorPalette.h"

namespace {

constexpr int kLabelElement = 5;  // "Script labels": kept in the scheme, not offered

// The ten entries in element order; null when memory runs out (a list with
// elements missing would let OK save only part of a choice).
List* ColorSchemeEntries() {
  List* entries = ListCreate(sizeof(ColorEntry));
  if (!entries) return nullptr;
  const ColorScheme& scheme = ColorSchemeCurrent();
  for (int element = 1; element <= kColorElements; element++) {
    if (element == kLabelElement) continue;
    ColorEntry entry{};
    PlatformLoadString(kColorDisplayNameBase + element, entry.name, kColorEntryNameSize);
    entry.foreground = scheme.foreground[element];
    entry.background = scheme.background[element];
    entry.defaultForeground = scheme.defaultForeground[element];
    entry.defaultBackground = scheme.defaultBackground[element];
    entry.element = element;
    if (!ListAdd(entries, &entry)) {
      ListDestroy(entries);
      return nullptr;
    }
  }
  return entries;
}

}  // namespace

int ColorSchemeRunDialog(HWND owner, HFONT font) {
  // Both run once per process and have run already when a source window
  // exists; should the command come first, the dialog still shows the stored
  // colours and OK never writes a scheme of zeros.
  ColorSchemeSetDefaults();
  ColorSchemeLoad();
  List* entries = ColorSchemeEntries();
  if (!entries) return 0;
  const int result = ColorDialogRun(owner, entries, font, 0);
  if (result) {
    ColorScheme& scheme = ColorSchemeCurrent();
    for (void* item = ListFirst(entries); item; item = ListNext(entries)) {
      const auto* entry = static_cast<const ColorEntry*>(item);
      if (entry->element < 1 || entry->element > kColorElements) continue;
      scheme.foreground[entry->element] = entry->foreground;
      scheme.background[entry->element] = entry->background;
    }
    ColorSchemeSave();
  }
  ListDestroy(entries);
  return result;
}

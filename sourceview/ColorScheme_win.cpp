// The colour scheme's settings file, through the profile helpers.
#include "sourceview/ColorScheme.h"

#include "util/Profile.h"

namespace {

int ReadSetting(void* profile, const char* key, char* value) {
  return ProfileGetString(static_cast<ProfileHandle>(profile), kColorSettingsSection, key, value);
}

void WriteSetting(void* profile, const char* key, const char* value) {
  ProfileWriteString(static_cast<ProfileHandle>(profile), kColorSettingsSection, key, value);
}

}  // namespace

void ColorSchemeLoad() {
  if (!ColorSchemeTakeLoad()) return;
  ProfileHandle profile = ProfileOpen(kColorSettingsFile, 1);
  if (!profile) return;  // the defaults stay
  ColorSchemeReadSettings(ReadSetting, profile);
  ProfileClose(profile);
}

void ColorSchemeSave() {
  ProfileHandle profile = ProfileOpen(kColorSettingsFile, 1);
  if (!profile) return;
  ColorSchemeWriteSettings(WriteSetting, profile);
  ProfileClose(profile);
}

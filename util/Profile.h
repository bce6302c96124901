// Settings files in the section/key/value format of initialisation files. A
// plain file name lies in the Windows directory; a name with a folder or a
// drive is used as it stands. A handle is a copy of the file's full path (at
// most 148 characters) in a small pool kept for the process run. Window code
// only (it sits on the platform's profile functions).
#pragma once

typedef char* ProfileHandle;

constexpr int kProfileValueSize = 144;  // a value read back holds at most 143 characters

// Null when the file does not exist (create 0), cannot be created (create
// nonzero), or the path is too long.
ProfileHandle ProfileOpen(const char* name, int create);
int ProfileClose(ProfileHandle profile);
// 1 when the key has a non-empty value (copied into `out`, which holds
// kProfileValueSize bytes); 0 otherwise, with `out` empty (or untouched for a
// null handle).
int ProfileGetString(ProfileHandle profile, const char* section, const char* key, char* out);
int ProfileWriteString(ProfileHandle profile, const char* section, const char* key, const char* value);

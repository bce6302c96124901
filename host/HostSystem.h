// HostSystem: what the script engine needs from the operating system, beside
// the language's standard library: directories, file copies, the environment,
// waiting, full paths and message boxes. HostSystem_posix.cpp and
// HostSystem_win.cpp are its two sides; nothing else in the engine reaches
// the system directly.
#pragma once

#include <string>

// The full path of `path` with "." and ".." folded; `path` itself when the
// system cannot say.
std::string HostSystemFullPath(const std::string& path);
bool HostSystemDirExists(const std::string& path);
// Creates the directory and any missing parents; true when it exists afterwards.
bool HostSystemCreateDir(const std::string& path);
// Copies one file; false when the source cannot be read or the target written.
bool HostSystemCopyFile(const std::string& source, const std::string& target);
bool HostSystemGetEnv(const std::string& name, std::string* value);
void HostSystemSleep(int milliseconds);
// A modal message box with an OK button (Windows); false when none can be
// shown (natively there is none: callers print instead).
bool HostSystemMessageBox(const std::string& text, const std::string& caption, int icon);
// The path separator of this system and whether file names ignore case.
char HostSystemSeparator();
bool HostSystemNamesIgnoreCase();

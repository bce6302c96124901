// The Windows side of HostSystem: the engine inside qnrun.exe.
#include "HostSystem.h"

#include <windows.h>

#include "QnPath.h"

std::string HostSystemFullPath(const std::string& path) {
  char full[MAX_PATH * 4];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  return std::string(full, n);
}

bool HostSystemDirExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HostSystemCreateDir(const std::string& path) {
  std::string folded = QnPathFold(path);
  for (size_t i = 1; i <= folded.size(); ++i) {
    if (i == folded.size() || folded[i] == '/') {
      std::string step = folded.substr(0, i);
      if (step.size() == 2 && step[1] == ':') continue;  // a drive
      if (!CreateDirectoryA(step.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
      }
    }
  }
  return HostSystemDirExists(folded);
}

bool HostSystemCopyFile(const std::string& source, const std::string& target) {
  return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

bool HostSystemGetEnv(const std::string& name, std::string* value) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return false;
  value->assign(buffer, n);
  return true;
}

void HostSystemSleep(int milliseconds) {
  if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

bool HostSystemMessageBox(const std::string& text, const std::string& caption, int icon) {
  UINT style = MB_OK | (icon == 3 ? MB_ICONERROR : icon == 2 ? MB_ICONWARNING : MB_ICONINFORMATION);
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style) != 0;
}

char HostSystemSeparator() { return '\\'; }
bool HostSystemNamesIgnoreCase() { return true; }

// The POSIX side of HostSystem: the engine built natively, for the tests,
// the fuzzer and the benchmarks. Paths written with backslashes (as Windows
// scripts write them) are read with slashes.
#include "HostSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "QnPath.h"

namespace {

std::string Native(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

}  // namespace

std::string HostSystemFullPath(const std::string& path) {
  std::string native = Native(path);
  if (!native.empty() && native[0] == '/') return QnPathFold(native);
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return QnPathFold(std::string(cwd) + "/" + native);
}

bool HostSystemDirExists(const std::string& path) {
  struct stat info;
  return stat(Native(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HostSystemCreateDir(const std::string& path) {
  std::string native = QnPathFold(Native(path));
  for (size_t i = 1; i <= native.size(); ++i) {
    if (i == native.size() || native[i] == '/') {
      std::string step = native.substr(0, i);
      if (mkdir(step.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  return HostSystemDirExists(native);
}

bool HostSystemCopyFile(const std::string& source, const std::string& target) {
  FILE* in = std::fopen(Native(source).c_str(), "rb");
  if (!in) return false;
  FILE* out = std::fopen(Native(target).c_str(), "wb");
  if (!out) {
    std::fclose(in);
    return false;
  }
  char buffer[65536];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    if (std::fwrite(buffer, 1, n, out) != n) ok = false;
  }
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  return ok;
}

bool HostSystemGetEnv(const std::string& name, std::string* value) {
  const char* found = std::getenv(name.c_str());
  if (!found) return false;
  *value = found;
  return true;
}

void HostSystemSleep(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec wait{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  nanosleep(&wait, nullptr);
}

bool HostSystemMessageBox(const std::string&, const std::string&, int) { return false; }

char HostSystemSeparator() { return '/'; }
bool HostSystemNamesIgnoreCase() { return false; }

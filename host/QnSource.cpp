#include "QnSource.h"

#include <cstdio>

#include "HostSystem.h"
#include "QnPath.h"

std::string QnSourceResolve(const std::string& includer, const std::string& name) {
  if (includer.empty() || QnPathIsAbsolute(name)) return QnPathFold(name);
  return QnPathFold(QnPathFolder(includer) + name);
}

bool QnSourceRead(const QnSourceReader& reader, const std::string& path, std::string* text) {
  if (reader.memory) {
    auto found = reader.memory->find(path);
    if (found == reader.memory->end()) return false;
    *text = found->second;
    return true;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  text->clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

std::string QnSourceFullPath(const QnSourceReader& reader, const std::string& path) {
  return reader.memory ? path : HostSystemFullPath(path);
}

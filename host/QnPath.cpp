#include "QnPath.h"

#include <cctype>
#include <vector>

bool QnPathIsSeparator(char c) { return c == '/' || c == '\\'; }

bool QnPathIsAbsolute(const std::string& path) {
  if (!path.empty() && QnPathIsSeparator(path[0])) return true;
  return path.size() >= 2 && path[1] == ':';
}

std::string QnPathFold(const std::string& path) {
  std::string prefix;
  size_t at = 0;
  if (path.size() >= 2 && path[1] == ':') {
    prefix = path.substr(0, 2);
    at = 2;
  }
  bool rooted = at < path.size() && QnPathIsSeparator(path[at]);
  if (rooted) {
    prefix += '/';
    ++at;
  }
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = at; i <= path.size(); ++i) {
    if (i < path.size() && !QnPathIsSeparator(path[i])) {
      part += path[i];
      continue;
    }
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!rooted) {
        parts.push_back(part);
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  }
  std::string folded = prefix;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) folded += '/';
    folded += parts[i];
  }
  return folded.empty() ? std::string(".") : folded;
}

std::string QnPathFolder(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string QnPathLeaf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool QnPathInside(const std::string& path, const std::string& folder, bool ignoreCase) {
  std::string p = QnPathFold(path);
  std::string f = QnPathFold(folder);
  if (p.size() < f.size()) return false;
  for (size_t i = 0; i < f.size(); ++i) {
    char a = p[i], b = f[i];
    if (ignoreCase) {
      a = static_cast<char>(std::tolower(static_cast<unsigned char>(a)));
      b = static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
    }
    if (a != b) return false;
  }
  return p.size() == f.size() || p[f.size()] == '/' || (!f.empty() && f.back() == '/');
}

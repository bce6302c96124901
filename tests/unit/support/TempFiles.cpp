#include "TempFiles.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

struct TempFolder {
  std::string path;
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qndbg-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) path = made;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

const std::string& Folder() {
  static TempFolder folder;
  return folder.path;
}

}  // namespace

std::string TempPath(const std::string& name) { return Folder() + "/" + name; }

std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = TempPath(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#include "util/Profile.h"

#include <windows.h>

#include <cstring>

#include "memory/MemPool.h"
#include "platform/Platform.h"

namespace {

constexpr size_t kMaxProfilePath = 148;
constexpr UINT kMaxWindowsDirectory = 144;
MemPoolHandle gProfilePool = kMemPoolFailed;

bool HasFolderOrDrive(const char* name) { return std::strchr(name, '\\') || std::strchr(name, ':'); }

}  // namespace

ProfileHandle ProfileOpen(const char* name, int create) {
  if (!name || !*name) return nullptr;
  char path[MAX_PATH + 1];
  if (HasFolderOrDrive(name)) {
    if (std::strlen(name) > kMaxProfilePath) return nullptr;
    std::strcpy(path, name);
  } else {
    UINT length = GetWindowsDirectoryA(path, kMaxWindowsDirectory + 1);
    if (length == 0 || length > kMaxWindowsDirectory) return nullptr;
    if (path[length - 1] != '\\') path[length++] = '\\';
    if (length + std::strlen(name) > kMaxProfilePath) return nullptr;
    std::strcpy(path + length, name);
  }
  if (!PlatformFileExists(path)) {
    if (!create) return nullptr;
    PlatformFile file = PlatformFileOpen(path, kFileCreate);
    if (file == kPlatformNoFile) return nullptr;
    PlatformFileClose(file);
  }
  if (gProfilePool == kMemPoolFailed) gProfilePool = MemPoolCreate(600, 0x1003);
  auto* handle = static_cast<char*>(MemPoolAlloc(gProfilePool, static_cast<uint32_t>(std::strlen(path) + 1)));
  if (!handle) return nullptr;
  std::strcpy(handle, path);
  return handle;
}

int ProfileClose(ProfileHandle profile) {
  if (!profile) return 0;
  MemPoolFree(gProfilePool, profile);
  return 1;
}

int ProfileGetString(ProfileHandle profile, const char* section, const char* key, char* out) {
  if (!profile || !out) return 0;
  out[0] = 0;
  GetPrivateProfileStringA(section, key, "", out, kProfileValueSize, profile);
  return out[0] != 0;
}

int ProfileWriteString(ProfileHandle profile, const char* section, const char* key, const char* value) {
  if (!profile) return 0;
  WritePrivateProfileStringA(section, key, value, profile);
  return 1;
}

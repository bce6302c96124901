// Replacing an import of a Windows test program. The library's code is
// linked into each test program, so its calls to the system go through the
// program's own import table: a replaced import sees every call it makes
// (every pen or brush made, every device context taken).
#pragma once

#include <windows.h>

// Replaces an import of this program (the library's code is linked into it,
// so its calls to the platform go through this program's import table); the
// function it replaced, or null when there is no such import.
inline void* PatchImport(const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
       module++) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + module->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData; names++, slots++) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
      DWORD protection;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      return previous;
    }
  }
  return nullptr;
}

// Counts the device contexts the program's code takes with GetDC and gives
// back with ReleaseDC, while it lives: Balance() is 0 when every one taken
// was given back. One at a time.
class DcBalance {
 public:
  DcBalance() {
    getDC = reinterpret_cast<decltype(&GetDC)>(PatchImport("user32.dll", "GetDC", reinterpret_cast<void*>(Get)));
    releaseDC = reinterpret_cast<decltype(&ReleaseDC)>(
        PatchImport("user32.dll", "ReleaseDC", reinterpret_cast<void*>(Release)));
  }
  ~DcBalance() {
    if (getDC) PatchImport("user32.dll", "GetDC", reinterpret_cast<void*>(getDC));
    if (releaseDC) PatchImport("user32.dll", "ReleaseDC", reinterpret_cast<void*>(releaseDC));
  }
  bool Installed() const { return getDC && releaseDC; }
  int Balance() const { return balance; }

 private:
  static HDC WINAPI Get(HWND window) {
    HDC dc = getDC(window);
    if (dc) balance++;
    return dc;
  }
  static int WINAPI Release(HWND window, HDC dc) {
    int released = releaseDC(window, dc);
    if (released) balance--;
    return released;
  }
  static inline decltype(&GetDC) getDC = nullptr;
  static inline decltype(&ReleaseDC) releaseDC = nullptr;
  static inline int balance = 0;
};

#include "ui/ControlClass_win.h"

#include "platform/Platform.h"

bool ControlClassEnsure(const char* className, WNDPROC procedure) {
  auto instance = static_cast<HINSTANCE>(PlatformModule());
  WNDCLASSA windowClass;
  if (GetClassInfoA(instance, className, &windowClass)) return true;
  windowClass = WNDCLASSA{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.cbClsExtra = 4;
  windowClass.cbWndExtra = sizeof(void*);  // the record pointer: 8 bytes on 64-bit builds
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  return RegisterClassA(&windowClass) != 0;
}

// The window classes of the custom controls (box, watch window), made sure of
// before each creation: looked up first, registered only when absent, so that
// a class left registered by an earlier session is taken as it is.
#pragma once

#include <windows.h>

// Class styles CS_HREDRAW and CS_VREDRAW, 4 class bytes, one pointer of window
// bytes (the control's record), the library's instance, the arrow cursor, no
// icon, no background brush, no menu. False when it cannot be registered.
bool ControlClassEnsure(const char* className, WNDPROC procedure);

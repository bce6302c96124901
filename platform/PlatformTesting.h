// Hooks of the POSIX side of the platform seam that only the native tests use:
// they let a test switch on a double-byte code page, give the host process
// string resources, and read back the message boxes that were "shown".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Double-byte stepping as in a double-byte code page whose lead bytes are
// 0x81..0x9F and 0xE0..0xFC; off (single-byte, as code page 1252) by default.
void PlatformUseDoubleByteCodePage(bool on);

// A string of the host process's module (for PlatformLoadHostString).
void PlatformSetHostString(uint32_t id, const char* text);

struct PlatformShownMessage {
  std::string text;
  std::string caption;
  uint32_t style;
  void* owner;  // the owner window given to the message box
};
// Every message box shown since the last clear, oldest first.
const std::vector<PlatformShownMessage>& PlatformShownMessages();
void PlatformClearShownMessages();
// Whether a message box is also written to standard error (on by default).
void PlatformEchoMessages(bool on);

// The debugger's one message box: a beep, then a box without owner titled
// "Quendle Debugger" (string 407) with an exclamation icon and an OK button.
// The text is the string `id` of the library's string table, formatted with
// `argument` in place of its %s (if it has one).
#pragma once

#include <cstdint>

int ShowMessage(uint32_t id, const char* argument);

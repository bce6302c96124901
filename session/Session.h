// The process-wide objects of the debugger's windows, made by QNdbgInit and
// deleted by QNdbgExit: the dialog background brush and the two fonts every
// window draws with, and the About box's font (made when the box first opens).
// Window code only.
#pragma once

#include <windows.h>

HBRUSH SessionFaceBrush();     // solid brush of COLOR_BTNFACE
HFONT SessionSourceFont();     // 8-point "Courier": the source view's text
HFONT SessionControlFont();    // 8-point "MS Sans Serif": every control
HFONT SessionAboutFont();      // 8-point italic "MS Sans Serif", or null
void SessionSetAboutFont(HFONT font);

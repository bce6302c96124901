// SourceWindow: what the debugger holds for one source file of the script. It
// makes the file's source view over the main window's placeholder frame, finds
// the file (asking the user with the Script Location dialog when it is
// missing), loads it, shows the current line, keeps the breakpoint marks of
// that file, and goes away with its view. Lines are counted from 1 here.
//
// Window code only. The SourceFileList (debuginfo/) makes one per source file
// and keeps it in the file's entry.
#pragma once

#include <windows.h>

#include <cstdint>

struct SourceWindow;

// The new source window, or null when the view could not be made, the user
// cancelled the Script Location dialog or the file could not be loaded. `path`
// is a buffer of 261 characters that receives the path the user chose.
SourceWindow* SourceWindowCreate(char* path, HWND placeholder, HFONT viewFont, HFONT dialogFont);
// Hides and closes the view and gives back the record: 1, or 0 for null.
int SourceWindowDestroy(SourceWindow* window);
// 0 hides the view; non-zero shows it on top of its siblings. 1, or 0 when the
// view's window does not exist.
int SourceWindowShow(SourceWindow* window, int show);
HWND SourceWindowViewWindow(SourceWindow* window);
// Brings the line into view and makes it the current line: 1.
int SourceWindowShowLine(SourceWindow* window, int32_t line);
// add non-zero marks the line as a breakpoint (once); add 0 removes the mark of
// the line, or of every line when line is -1.
int SourceWindowMarkBreakpoint(SourceWindow* window, int add, int32_t line);
int SourceWindowFirstVisibleLine(SourceWindow* window);
// The last component of the window's path into the buffer (261 characters): 1.
int SourceWindowFileName(SourceWindow* window, char* buffer);
// Gives the view the current colour scheme and repaints it.
void SourceWindowApplyColors(SourceWindow* window);

// The source windows of the SourceFileList: made when the main window is set
// up, given the colour scheme after the Color dialog, and cleared of their
// breakpoint marks. Window code only.
//
// The list walks its entries itself (SourceFileList.cpp); these pass it the
// SourceWindow operations. They are inline so that only the window code that
// calls them needs the source window linked in.
#pragma once

#include <windows.h>

#include "debuginfo/SourceFileList.h"
#include "sourceview/SourceWindow.h"

struct SourceViewFonts {
  HWND placeholder;
  HFONT sourceFont;     // the fixed-pitch font of the source text
  HFONT interfaceFont;  // the font of the debugger's controls, for the Color dialog
};

inline SourceWindow* SourceFileViewMake(char* path, void* context) {
  auto* fonts = static_cast<SourceViewFonts*>(context);
  return SourceWindowCreate(path, fonts->placeholder, fonts->sourceFont, fonts->interfaceFont);
}

inline void SourceFileViewApplyColors(SourceWindow* view, void*) { SourceWindowApplyColors(view); }

inline void SourceFileViewClearMarks(SourceWindow* view, void*) { SourceWindowMarkBreakpoint(view, 0, -1); }

// Makes a SourceWindow for every entry over the placeholder: 1.
inline int SourceFileListCreateViews(SourceFileList* list, HFONT sourceFont, HFONT interfaceFont, HWND placeholder) {
  SourceViewFonts fonts{placeholder, sourceFont, interfaceFont};
  return SourceFileListMakeViews(list, placeholder, SourceFileViewMake, &fonts, SourceWindowDestroy);
}

// Gives every source window the current colour scheme and repaints it.
inline void SourceFileListApplyColors(SourceFileList* list) {
  SourceFileListVisitViews(list, SourceFileViewApplyColors, nullptr);
}

// Removes every breakpoint mark of every source window.
inline void SourceFileListClearMarks(SourceFileList* list) {
  SourceFileListVisitViews(list, SourceFileViewClearMarks, nullptr);
}

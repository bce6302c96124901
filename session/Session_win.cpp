// The library's entry points: the library entry procedure, QNdbgInit,
// QNdbgExit and WEP, and the process-wide objects a session makes.
#include "session/Session.h"

#include <cstring>

#include "debuginfo/DebugInfoLoader.h"
#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "debuginfo/VariableTable.h"
#include "memory/MemPool.h"
#include "platform/Platform.h"
#include "qndbgc.h"
#include "session/BreakpointTable.h"
#include "session/DebugSession.h"
#include "sourceview/SourceWindow.h"
#include "sourceview/Vocabulary.h"
#include "ui/MainWindow_win.h"
#include "ui/VariablesPanel_win.h"
#include "util/Font.h"

namespace {

HBRUSH gFaceBrush = nullptr;
HFONT gSourceFont = nullptr;
HFONT gControlFont = nullptr;
HFONT gAboutFont = nullptr;

void DeleteObjectOnce(HGDIOBJ& object) {
  if (object) DeleteObject(object);
  object = nullptr;
}

void MakeProcessObjects() {
  gFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  gSourceFont = CreateFontByName(0, "Courier", 8, 0, 0, 0, 0);
  gControlFont = CreateFontByName(0, "MS Sans Serif", 8, 0, 0, 0, 0);
}

void DeleteProcessObjects() {
  DeleteObjectOnce(reinterpret_cast<HGDIOBJ&>(gFaceBrush));
  DeleteObjectOnce(reinterpret_cast<HGDIOBJ&>(gSourceFont));
  DeleteObjectOnce(reinterpret_cast<HGDIOBJ&>(gControlFont));
  // The About box makes its font anew in the next session.
  DeleteObjectOnce(reinterpret_cast<HGDIOBJ&>(gAboutFont));
}

// The symbol tables of the session, empty; a table that cannot be made stays
// null and its lookups simply fail.
void CreateSymbolTables(DebugSession* session) {
  session->lineTable = LineTableCreate();
  session->functionTable = FunctionTableCreate();
  session->globals = VariableTableCreate();
  session->sourceFiles = SourceFileListCreate();
}

void DestroySymbolTables(DebugSession* session) {
  LineTableDestroy(session->lineTable);
  session->lineTable = nullptr;
  VariableTableDestroy(session->globals);
  session->globals = nullptr;
  FunctionTableDestroy(session->functionTable);
  session->functionTable = nullptr;
  SourceFileListDestroy(session->sourceFiles);
  session->sourceFiles = nullptr;
}

}  // namespace

static_assert(kTextSize >= kDebugFileNameSize, "the session holds the main script name the loader reads");

HBRUSH SessionFaceBrush() { return gFaceBrush; }
HFONT SessionSourceFont() { return gSourceFont; }
HFONT SessionControlFont() { return gControlFont; }
HFONT SessionAboutFont() { return gAboutFont; }
void SessionSetAboutFont(HFONT font) { gAboutFont = font; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  PlatformSetModule(instance);
  return TRUE;
}

extern "C" INT_PTR WINAPI WEP(INT_PTR) { return 1; }

extern "C" INT_PTR WINAPI QNdbgInit(INT_PTR hostContext, const HostCallbacks* callbacks, INT_PTR hostArg3,
                                    INT_PTR hostArg4, const char* debugFileName, HWND* outMainWindow) {
  if (outMainWindow) *outMainWindow = nullptr;
  // One session at a time: a host that opens a second one without ending the
  // first gets the first one closed rather than leaked.
  if (DebugSessionCurrent()) QNdbgExit();

  MemPoolHandle pool = MemPoolCreate(kSessionPoolSize, 0x1003);
  if (pool == kMemPoolFailed) return 0;
  auto* session = static_cast<DebugSession*>(MemPoolAlloc(pool, sizeof(DebugSession)));
  if (!session) {
    MemPoolDestroy(pool);
    return 0;
  }
  DebugSessionSetCurrent(session);

  VocabularyLoad();
  MakeProcessObjects();

  session->pool = pool;
  session->stopped = 1;
  session->hostContext = hostContext;
  session->hostArg3 = hostArg3;
  session->hostArg4 = hostArg4;
  if (callbacks) std::memcpy(&session->callbacks, callbacks, sizeof(HostCallbacks));
  session->currentLine = 0;
  session->currentFunction = 0;
  session->locals = nullptr;
  session->currentFileIndex = 0;

  CreateSymbolTables(session);
  if (!LoadDebugInfo(session->functionTable, session->globals, session->lineTable, session->sourceFiles,
                     debugFileName, session->scriptFileName))
    return 0;
  SourceFileListSetMain(session->sourceFiles, session->scriptFileName);
  session->currentFileName[0] = 0;
  // The main window brings the source windows, the watch window, the one-shot
  // breakpoint at the first statement and the global names.
  if (!MainWindowCreate(session, outMainWindow)) return 0;
  session->breakpoints = BreakpointTableCreate(session->functionTable, session->lineTable, session);
  InvalidateRect(SourceWindowViewWindow(session->currentSource), nullptr, TRUE);
  SourceWindowShow(session->currentSource, 1);
  return 1;
}

extern "C" INT_PTR WINAPI QNdbgExit(void) {
  if (DebugSession* session = DebugSessionCurrent()) {
    if (session->mainWindow && IsWindow(session->mainWindow)) {
      VariablesPanelRestoreEdits(session);
      DestroyWindow(session->mainWindow);
    }
    session->mainWindow = nullptr;
    session->watch = nullptr;  // went with its window
    std::memset(&session->callbacks, 0, sizeof session->callbacks);
    DestroySymbolTables(session);
    BreakpointTableDestroy(session->breakpoints);
    session->breakpoints = nullptr;
    DebugSessionSetCurrent(nullptr);
    MemPoolDestroy(session->pool);
  }
  DeleteProcessObjects();
  return 1;
}

// SourceFileList: the script's source files in the order their statements
// first appear, each with the statement address of its first statement, its
// file index and, once the main window has made them, its SourceWindow. The
// main script's entry stands first, at statement address (0, 0).
//
// A statement belongs to the last entry whose first statement address is not
// above it, comparing block, then offset, as unsigned 32-bit numbers.
//
// The list itself is window-free. The source windows are made, walked and
// destroyed through the functions given to SourceFileListMakeViews and
// SourceFileListVisitViews, which the Win32 side (SourceFileViews.h) passes in;
// natively an entry has no view unless a test gives it one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "memory/List.h"
#include "memory/MemPool.h"
#include "qndbgc.h"  // HWND

struct SourceWindow;

constexpr size_t kSourceNameSize = 261;  // 260 and the terminator

struct SourceFileEntry {
  int32_t block;               // statement address of the file's first statement
  int32_t offset;
  char name[kSourceNameSize];  // the name in the debug information (or as the user corrected it)
  SourceWindow* view;          // none until the source windows are made
  int32_t fileIndex;           // the file index of the file's line records
};

// Makes the view of one file; may rewrite the path (kSourceNameSize bytes).
typedef SourceWindow* (*SourceViewMaker)(char* path, void* context);
typedef void (*SourceViewVisitor)(SourceWindow* view, void* context);
typedef int (*SourceViewDestroyer)(SourceWindow* view);

struct SourceFileList {
  List* files;                      // SourceFileEntry copies (the shared list pool)
  HWND viewParent;                  // placeholder the views are laid over, once they are made
  MemPoolHandle pool;               // holds this header
  char mainScript[kSourceNameSize]; // empty until SourceFileListSetMain
  SourceViewDestroyer destroyView;  // how the views were made to go, given with their maker
};

SourceFileList* SourceFileListCreate();
// Appends an entry with no view: 1, or 0.
int SourceFileListAdd(SourceFileList* list, const char* name, int32_t block, int32_t offset, int32_t fileIndex);
// Stores the main script's name; unless the first entry already starts at
// (0, 0), puts an entry for the main script there, file index 0, in front.
int SourceFileListSetMain(SourceFileList* list, const char* mainScript);
// The view of the file that holds the statement at (block, offset), with the
// file's name (into `name`, `nameSize` bytes) and file index. When no entry
// holds it (only possible before SourceFileListSetMain) the result is null, the
// name empty and the file index -1.
SourceWindow* SourceFileListFind(SourceFileList* list, int32_t block, int32_t offset, char* name, size_t nameSize,
                                 int32_t* fileIndex);
// The view of the first entry with that file index, or null.
SourceWindow* SourceFileListViewOf(SourceFileList* list, int32_t fileIndex);
// Stores the placeholder and makes the view of every entry, in list order,
// with make(entry's name, context); an entry keeps what it gives (null when it
// could not be made). `destroy` is what SourceFileListDestroy will use on them.
int SourceFileListMakeViews(SourceFileList* list, HWND placeholder, SourceViewMaker make, void* context,
                            SourceViewDestroyer destroy);
// Calls visit(view, context) for the view of every entry that has one, in list order.
void SourceFileListVisitViews(SourceFileList* list, SourceViewVisitor visit, void* context);
// Destroys the view of every entry, then the list and its pool.
void SourceFileListDestroy(SourceFileList* list);

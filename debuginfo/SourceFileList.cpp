// SourceFileList. Entries are fixed-size copies in a list; the walks go through
// the list's current position, so no walk here calls another that walks the
// same list.
#include "debuginfo/SourceFileList.h"

#include "debuginfo/SymbolTableBase.h"
#include "util/Text.h"

namespace {

SourceFileEntry MakeEntry(const char* name, int32_t block, int32_t offset, int32_t fileIndex) {
  SourceFileEntry entry{};
  entry.block = block;
  entry.offset = offset;
  TextCopy(entry.name, sizeof entry.name, name ? name : "");
  entry.view = nullptr;
  entry.fileIndex = fileIndex;
  return entry;
}

// Whether the entry's first statement lies above (block, offset): block first,
// then offset, both unsigned, so a negative number sorts above every positive one.
bool StartsAbove(const SourceFileEntry* entry, int32_t block, int32_t offset) {
  auto entryBlock = static_cast<uint32_t>(entry->block), atBlock = static_cast<uint32_t>(block);
  if (entryBlock != atBlock) return entryBlock > atBlock;
  return static_cast<uint32_t>(entry->offset) > static_cast<uint32_t>(offset);
}

SourceFileEntry* First(SourceFileList* list) { return static_cast<SourceFileEntry*>(ListFirst(list->files)); }
SourceFileEntry* Next(SourceFileList* list) { return static_cast<SourceFileEntry*>(ListNext(list->files)); }

}  // namespace

SourceFileList* SourceFileListCreate() {
  MemPoolHandle pool;
  auto* list = static_cast<SourceFileList*>(SymbolTableNewHeader(sizeof(SourceFileList), &pool));
  if (!list) return nullptr;
  list->pool = pool;
  list->viewParent = nullptr;
  list->mainScript[0] = 0;
  list->destroyView = nullptr;
  list->files = ListCreate(sizeof(SourceFileEntry));
  return list;
}

int SourceFileListAdd(SourceFileList* list, const char* name, int32_t block, int32_t offset, int32_t fileIndex) {
  if (!list) return 0;
  SourceFileEntry entry = MakeEntry(name, block, offset, fileIndex);
  ListLast(list->files);
  return ListAdd(list->files, &entry);
}

int SourceFileListSetMain(SourceFileList* list, const char* mainScript) {
  if (!list) return 0;
  TextCopy(list->mainScript, sizeof list->mainScript, mainScript ? mainScript : "");
  const SourceFileEntry* first = First(list);
  if (first && first->block == 0 && first->offset == 0) return 1;
  SourceFileEntry entry = MakeEntry(list->mainScript, 0, 0, 0);
  return ListInsertFirst(list->files, &entry);
}

SourceWindow* SourceFileListFind(SourceFileList* list, int32_t block, int32_t offset, char* name, size_t nameSize,
                                 int32_t* fileIndex) {
  if (name && nameSize) name[0] = 0;
  if (fileIndex) *fileIndex = -1;
  if (!list) return nullptr;
  const SourceFileEntry* holder = nullptr;
  for (const SourceFileEntry* entry = First(list); entry && !StartsAbove(entry, block, offset); entry = Next(list))
    holder = entry;
  if (!holder) return nullptr;
  if (name) TextCopy(name, nameSize, holder->name);
  if (fileIndex) *fileIndex = holder->fileIndex;
  return holder->view;
}

SourceWindow* SourceFileListViewOf(SourceFileList* list, int32_t fileIndex) {
  if (!list) return nullptr;
  for (const SourceFileEntry* entry = First(list); entry; entry = Next(list))
    if (entry->fileIndex == fileIndex) return entry->view;
  return nullptr;
}

int SourceFileListMakeViews(SourceFileList* list, HWND placeholder, SourceViewMaker make, void* context,
                            SourceViewDestroyer destroy) {
  if (!list || !make) return 0;
  list->viewParent = placeholder;
  list->destroyView = destroy;
  for (SourceFileEntry* entry = First(list); entry; entry = Next(list)) entry->view = make(entry->name, context);
  return 1;
}

void SourceFileListVisitViews(SourceFileList* list, SourceViewVisitor visit, void* context) {
  if (!list || !visit) return;
  for (const SourceFileEntry* entry = First(list); entry; entry = Next(list))
    if (entry->view) visit(entry->view, context);
}

void SourceFileListDestroy(SourceFileList* list) {
  if (!list) return;
  if (list->destroyView) {
    for (SourceFileEntry* entry = First(list); entry; entry = Next(list)) {
      if (entry->view) list->destroyView(entry->view);
      entry->view = nullptr;
    }
  }
  ListDestroy(list->files);
  MemPoolDestroy(list->pool);
}

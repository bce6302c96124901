#include "session/BreakpointTable.h"

#include <cstdio>
#include <cstring>

#include "debuginfo/FunctionTable.h"
#include "debuginfo/LineTable.h"
#include "debuginfo/SourceFileList.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "session/DebugSession.h"
#include "session/HostLink.h"
#include "session/SessionWindows.h"
#include "util/Text.h"

namespace {

constexpr uint32_t kBreakpointPoolSize = 500;

SourceWindow* SourceOf(const BreakpointTable* table, int32_t fileIndex) {
  return table->session ? SourceFileListViewOf(table->session->sourceFiles, fileIndex) : nullptr;
}

void Format(char* label, uint32_t formatId, const char* text, int32_t line) {
  char format[64];
  PlatformLoadString(formatId, format, sizeof format);
  // The formats are our own strings: "Line: %.4d (%s)" and "Function: %s".
  if (formatId == IDS_LINE_BREAKPOINT)
    std::snprintf(label, kBreakpointLabelSize, format, line, text);
  else
    std::snprintf(label, kBreakpointLabelSize, format, text);
}

void ClearMark(SourceWindow* source, void*) { SessionWindowsMarkBreakpoint(source, 0, -1); }

}  // namespace

BreakpointTable* BreakpointTableCreate(FunctionTable* functions, LineTable* lines, DebugSession* session) {
  MemPoolHandle pool = MemPoolCreate(kBreakpointPoolSize, 0x1003);
  if (pool == kMemPoolFailed) return nullptr;
  auto* table = static_cast<BreakpointTable*>(MemPoolAlloc(pool, sizeof(BreakpointTable)));
  List* records = table ? ListCreateInPool(sizeof(BreakpointRecord), pool) : nullptr;
  if (!records) {
    MemPoolDestroy(pool);
    return nullptr;
  }
  table->records = records;
  table->dialog = nullptr;
  table->session = session;
  table->lineTable = lines;
  table->functionTable = functions;
  table->pool = pool;
  return table;
}

int BreakpointTableDestroy(BreakpointTable* table) {
  if (!table) return 0;
  MemPoolDestroy(table->pool);  // the records and the header with it
  return 1;
}

BreakpointRecord* BreakpointTableFindLabel(BreakpointTable* table, const char* label) {
  if (!table || !label) return nullptr;
  for (auto* record = static_cast<BreakpointRecord*>(ListFirst(table->records)); record;
       record = static_cast<BreakpointRecord*>(ListNext(table->records)))
    if (std::strcmp(record->label, label) == 0) return record;
  return nullptr;
}

BreakpointRecord* BreakpointTableFindLine(BreakpointTable* table, int32_t line, int32_t fileIndex) {
  if (!table) return nullptr;
  for (auto* record = static_cast<BreakpointRecord*>(ListFirst(table->records)); record;
       record = static_cast<BreakpointRecord*>(ListNext(table->records)))
    if (record->line == line && record->fileIndex == fileIndex) return record;
  return nullptr;
}

int SetBreakpointAt(BreakpointTable* table, const char* text, int32_t fileIndex) {
  if (!table) return 0;
  if (!text || !*text) return 1;
  BreakpointRecord record{};
  if (*text < '0' || *text > '9') {
    int32_t block;
    if (!FunctionTableFindBlock(table->functionTable, text, &block)) return 0;
    record.kind = kBreakpointFunction;
    record.line = FunctionTableGetExtent(table->functionTable, block, &fileIndex);
    Format(record.label, IDS_FUNCTION_BREAKPOINT, text, 0);
  } else {
    record.kind = kBreakpointLine;
    record.line = TextToNumber(text);
    char name[kTextSize] = "";
    if (SourceWindow* source = SourceOf(table, fileIndex)) SessionWindowsSourceFileName(source, name);
    Format(record.label, IDS_LINE_BREAKPOINT, StrLower(name), record.line);
  }
  record.fileIndex = fileIndex;

  int32_t block, offset;
  if (!LineTableFindAddress(table->lineTable, record.line, record.fileIndex, &block, &offset)) return 1;
  if (BreakpointTableFindLabel(table, record.label)) return 1;
  ListLast(table->records);
  if (!ListAdd(table->records, &record)) return 1;
  if (table->dialog) SessionWindowsDialogAddLabel(table->dialog, record.label);
  HostSetUserBreakpoint(table->session, 1, block, offset);
  SessionWindowsMarkBreakpoint(SourceOf(table, record.fileIndex), 1, record.line);
  return 1;
}

int ClearBreakpointByLabel(BreakpointTable* table, const char* label) {
  if (!table) return 0;
  BreakpointRecord* record = BreakpointTableFindLabel(table, label);
  if (!record) return 1;
  ListPosition position = ListGetPosition(table->records);
  int32_t block, offset;
  if (!LineTableFindAddress(table->lineTable, record->line, record->fileIndex, &block, &offset)) return 1;
  HostSetUserBreakpoint(table->session, 0, block, offset);
  SessionWindowsMarkBreakpoint(SourceOf(table, record->fileIndex), 0, record->line);
  if (table->dialog) SessionWindowsDialogRemoveLabel(table->dialog, record->label);
  ListSetPosition(table->records, position);
  ListRemove(table->records);
  return 1;
}

int ClearAllBreakpoints(BreakpointTable* table) {
  if (!table) return 0;
  ListDestroy(table->records);
  table->records = ListCreateInPool(sizeof(BreakpointRecord), table->pool);
  if (table->dialog) SessionWindowsDialogClearLabels(table->dialog);
  HostSetUserBreakpoint(table->session, 0, -1, -1);
  if (table->session) SourceFileListVisitViews(table->session->sourceFiles, ClearMark, nullptr);
  return 1;
}

int ToggleBreakpoint(BreakpointTable* table, int32_t line, int32_t fileIndex) {
  if (!table) return 0;
  char text[16];
  std::snprintf(text, sizeof text, "%d", line);
  if (BreakpointRecord* record = BreakpointTableFindLine(table, line, fileIndex)) {
    char label[kBreakpointLabelSize];
    TextCopy(label, sizeof label, record->label);
    ClearBreakpointByLabel(table, label);
  } else {
    SetBreakpointAt(table, text, fileIndex);
  }
  SessionWindowsInvalidateSource(SourceOf(table, fileIndex));
  return 1;
}

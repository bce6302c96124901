#include "DebuggerLink.h"

#include <cstring>

namespace {

DebuggerLink* gLink = nullptr;
// Copied from the linked VM's debug state for the callbacks of every traced
// statement, one load short of it: the class tables (fixed for the VM's
// life; none without a link), the depth counter (a zero without a link) and
// the state SetTrace writes (null without a link).
const QnClassTable* gClassTables = nullptr;
uint32_t gClassBlocks = 0;
const int32_t kNoDepth = 0;
const int32_t* gDepth = &kNoDepth;
QnVmDebugState* gDebug = nullptr;

// The debugger may pass a local's index as the low 16 bits of -101 - i.
int32_t VariableIndex(INT_PTR index) {
  if (index >= 32768 && index <= 65535) return static_cast<int32_t>(index) - 65536;
  return static_cast<int32_t>(index);
}

QnVm* LinkedVm() { return gLink ? gLink->vm : nullptr; }

INT_PTR WINAPI GetVarText(INT_PTR index, char* buffer) {
  if (!buffer) return 0;
  std::string value;
  bool found = LinkedVm() && QnVmGetString(LinkedVm(), VariableIndex(index), &value);
  size_t n = value.size() < 1023 ? value.size() : 1023;
  std::memcpy(buffer, value.data(), n);
  buffer[n] = 0;
  return found ? 1 : 0;
}

INT_PTR WINAPI SetVarText(INT_PTR index, const char* text) {
  return LinkedVm() && text && QnVmSetString(LinkedVm(), VariableIndex(index), text) ? 1 : 0;
}

INT_PTR WINAPI GetVarNumber(INT_PTR index, LONG* value) {
  int32_t number = 0;
  bool found = LinkedVm() && QnVmGetNumber(LinkedVm(), VariableIndex(index), &number);
  if (value) *value = number;
  return found ? 1 : 0;
}

INT_PTR WINAPI SetVarNumber(INT_PTR index, LONG value) {
  return LinkedVm() && QnVmSetNumber(LinkedVm(), VariableIndex(index), static_cast<int32_t>(value)) ? 1 : 0;
}

// SetTrace, GetStatementClass and GetCallDepth come with every traced
// statement: they read and write the VM's debug state inline.
INT_PTR WINAPI SetTrace(INT_PTR, INT_PTR on) {
  if (!gDebug) return 0;
  QnDebugSetTrace(gDebug, on != 0);
  return 1;
}

INT_PTR WINAPI SetBreakpoint(INT_PTR, INT_PTR persistent, INT_PTR set, INT_PTR block, INT_PTR offset) {
  if (!LinkedVm()) return 0;
  int kind = persistent ? kQnBreakPersistent : kQnBreakOneShot;
  if (!set && block == -1 && offset == -1) {
    QnVmClearBreakpoints(LinkedVm(), kind);
    return 1;
  }
  return QnVmSetBreakpoint(LinkedVm(), kind, set != 0, static_cast<int32_t>(block),
                           static_cast<int32_t>(offset));
}

INT_PTR WINAPI GetStatementClass(INT_PTR, INT_PTR block, INT_PTR offset) {
  return QnClassAt(gClassTables, gClassBlocks, static_cast<int32_t>(block), static_cast<int32_t>(offset));
}

INT_PTR WINAPI GetPosition(INT_PTR, LONG* block, LONG* offset) {
  QnActivation here;
  if (!LinkedVm() || !QnVmGetActivation(LinkedVm(), 0, &here)) return 0;
  if (block) *block = here.block;
  if (offset) *offset = here.offset;
  return 1;
}

INT_PTR WINAPI GetCallDepth(INT_PTR) { return *gDepth; }

INT_PTR WINAPI Suspend(INT_PTR) {
  if (!gLink) return 0;
  gLink->suspended = true;
  QnVmClearBreakpoints(gLink->vm, kQnBreakOneShot);
  return 1;
}

INT_PTR WINAPI Resume(INT_PTR) {
  if (!gLink) return 0;
  gLink->suspended = false;
  return 1;
}

INT_PTR WINAPI ExitScript(INT_PTR) {
  if (!gLink) return 0;
  gLink->exitRequested = true;
  QnVmRequestStop(gLink->vm);
  return 1;
}

const HostCallbacks kCallbacks = {GetVarText,   SetVarText,        GetVarNumber, SetVarNumber,
                                  SetTrace,     SetBreakpoint,     GetStatementClass,
                                  GetPosition,  GetCallDepth,      Suspend,
                                  Resume,       ExitScript};

// One QNdbgBreak call; true when the debugger stopped the script there (it is
// then held until Resume or ExitScript).
// The script is held while the debugger has it suspended.
void Hold(DebuggerLink* link) {
  if (!link->exitRequested && link->waitWhileSuspended) link->waitWhileSuspended(link);
  link->suspended = false;
}

bool Break(DebuggerLink* link, INT_PTR mode, const QnHookEvent& event) {
  if (!link->api.breakAt) return false;
  link->api.breakAt(mode, event.block, event.offset);
  if (!link->suspended) return false;
  Hold(link);
  return true;
}

// A traced statement: the VM's statement hook, one call on to QNdbgBreak.
int TracedStatement(void* user, int32_t block, int32_t offset) {
  DebuggerLink* link = static_cast<DebuggerLink*>(user);
  if (link->api.breakAt) {
    link->api.breakAt(2, block, offset);
    if (__builtin_expect(link->suspended, 0)) Hold(link);
  }
  return link->exitRequested ? 1 : 0;
}

int Hook(QnVm* vm, const QnHookEvent& event, void* user) {
  DebuggerLink* link = static_cast<DebuggerLink*>(user);
  switch (event.kind) {
    case kQnEventPoll:
      if (link->pollMessages) link->pollMessages(link);
      break;
    case kQnEventBreak:
      if (!Break(link, 1, event) && !link->exitRequested && QnVmTracing(vm)) Break(link, 2, event);
      break;
    case kQnEventStatement:
      Break(link, 2, event);
      break;
  }
  return link->exitRequested ? 1 : 0;
}

}  // namespace

const HostCallbacks* DebuggerLinkCallbacks() { return &kCallbacks; }

INT_PTR DebuggerLinkOpen(DebuggerLink* link, QnVm* vm, const char* debugFileName) {
  link->vm = vm;
  link->debug = QnVmDebug(vm);
  link->suspended = false;
  link->exitRequested = false;
  gLink = link;
  gClassTables = link->debug->blocks;
  gClassBlocks = link->debug->blockCount;
  gDepth = &link->debug->depth;
  gDebug = link->debug;
  QnVmSetHook(vm, Hook, link, kQnMaskPoll, kDebuggerPollInterval);
  QnVmSetStatementHook(vm, TracedStatement, link);
  if (!link->api.init) return 0;
  return link->api.init(reinterpret_cast<INT_PTR>(link), &kCallbacks, 0, 0, debugFileName,
                        &link->mainWindow);
}

void DebuggerLinkClose(DebuggerLink* link) {
  if (link->api.exit) link->api.exit();
  if (link->vm) QnVmSetHook(link->vm, nullptr, nullptr, 0);
  link->mainWindow = nullptr;
  if (gLink == link) {
    gLink = nullptr;
    gClassTables = nullptr;
    gClassBlocks = 0;
    gDepth = &kNoDepth;
    gDebug = nullptr;
  }
}

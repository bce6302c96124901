// List: a doubly linked list with one current position, in a MemPool.
//
// Nodes and item copies come from the list's pool: the shared 65000-byte list
// pool unless the list was created in a pool of its own. An item copy is the
// item's bytes (its item size, or a string's length plus the terminator) and
// one spare byte. Items of a by-reference list are the caller's pointers; the
// list neither copies nor frees them. Item copies and nodes are taken as
// records (MemPoolAllocRecord), so that they start aligned however small: an
// item is read back as the caller's record.
//
// Freeing an item switches the pools' error report off for that one call: a
// pointer added with ListAddRef to a copying list is not the pool's, and its
// free is refused quietly rather than reported to the user.
#include "memory/List.h"

#include <cstring>

struct ListNode {
  void* item;
  ListNode* next;
  ListNode* previous;
};

namespace {

MemPoolHandle gSharedListPool = kMemPoolFailed;

MemPoolHandle SharedListPool() {
  if (gSharedListPool == kMemPoolFailed) gSharedListPool = MemPoolCreate(kListPoolSize, 0x1003);
  return gSharedListPool;
}

bool CopiesItems(const List* list) { return list->itemSize >= 0; }

void FreeItem(List* list, void* item) {
  if (!CopiesItems(list) || !item) return;
  int reporting = MemPoolGetOption(kPoolOptionReport);
  MemPoolSetOption(kPoolOptionReport, 0);
  MemPoolFree(list->pool, item);
  MemPoolSetOption(kPoolOptionReport, reporting);
  MemPoolError ignored;
  MemPoolLastError(&ignored);
}

// A private copy of the item, or null when the pool is out of memory.
void* CopyItem(List* list, const void* item) {
  if (!item) return nullptr;
  size_t length = list->itemSize > 0 ? static_cast<size_t>(list->itemSize)
                                     : std::strlen(static_cast<const char*>(item)) + 1;
  if (length + 1 > 0xFFFFFFFFu) return nullptr;
  auto* copy = static_cast<char*>(MemPoolAllocRecord(list->pool, static_cast<uint32_t>(length + 1)));
  if (!copy) return nullptr;
  std::memcpy(copy, item, length);
  copy[length] = 0;
  return copy;
}

ListNode* NewNode(List* list, void* item) {
  auto* node = static_cast<ListNode*>(MemPoolAllocRecord(list->pool, sizeof(ListNode)));
  if (!node) return nullptr;
  node->item = item;
  node->next = nullptr;
  node->previous = nullptr;
  return node;
}

// Links the node in after the current node and makes it current. With no
// current node (an empty list, or a position of none set on a full one) it
// goes to the front, so that no node is ever lost.
void LinkAfterCurrent(List* list, ListNode* node) {
  ListNode* at = list->current;
  if (!at) {
    node->next = list->first;
    if (list->first) list->first->previous = node;
    else list->last = node;
    list->first = node;
  } else {
    node->previous = at;
    node->next = at->next;
    if (at->next) at->next->previous = node;
    else list->last = node;
    at->next = node;
  }
  list->current = node;
  list->count++;
}

void LinkFirst(List* list, ListNode* node) {
  node->next = list->first;
  if (list->first) list->first->previous = node;
  else list->last = node;
  list->first = node;
  list->current = node;
  list->count++;
}

// Takes the current node out of the chain and gives it back to the pool; the
// successor becomes current, or the predecessor when the last node went.
void* UnlinkCurrent(List* list) {
  ListNode* node = list->current;
  if (!node) return nullptr;
  if (node->next) node->next->previous = node->previous;
  else list->last = node->previous;
  if (node->previous) node->previous->next = node->next;
  else list->first = node->next;
  list->current = node->next ? node->next : node->previous;
  list->count--;
  void* item = node->item;
  MemPoolFree(list->pool, node);
  return item;
}

void* ItemOf(const ListNode* node) { return node ? node->item : nullptr; }

}  // namespace

List* ListCreate(int32_t itemSize) { return ListCreateInPool(itemSize, kMemPoolFailed); }

List* ListCreateInPool(int32_t itemSize, MemPoolHandle pool) {
  if (pool == kMemPoolFailed) pool = SharedListPool();
  if (pool == kMemPoolFailed) return nullptr;
  auto* list = static_cast<List*>(MemPoolAlloc(pool, sizeof(List)));
  if (!list) return nullptr;
  list->count = 0;
  list->itemSize = itemSize < 0 ? kListByReference : itemSize;
  list->first = list->last = list->current = nullptr;
  list->pool = pool;
  return list;
}

void ListDestroy(List* list) {
  if (!list) return;
  for (ListNode* node = list->first; node;) {
    ListNode* next = node->next;
    FreeItem(list, node->item);
    MemPoolFree(list->pool, node);
    node = next;
  }
  MemPoolFree(list->pool, list);
}

int ListAdd(List* list, const void* item) {
  if (!list || !CopiesItems(list)) return 0;
  void* copy = CopyItem(list, item);
  if (!copy) return 0;
  ListNode* node = NewNode(list, copy);
  if (!node) {
    FreeItem(list, copy);
    return 0;
  }
  LinkAfterCurrent(list, node);
  return 1;
}

int ListAddRef(List* list, void* pointer) {
  if (!list) return 0;
  ListNode* node = NewNode(list, pointer);
  if (!node) return 0;
  LinkAfterCurrent(list, node);
  return 1;
}

int ListInsertFirst(List* list, const void* item) {
  if (!list || !CopiesItems(list)) return 0;
  void* copy = CopyItem(list, item);
  if (!copy) return 0;
  ListNode* node = NewNode(list, copy);
  if (!node) {
    FreeItem(list, copy);
    return 0;
  }
  LinkFirst(list, node);
  return 1;
}

void* ListFirst(List* list) {
  if (!list) return nullptr;
  list->current = list->first;
  return ItemOf(list->current);
}

void* ListLast(List* list) {
  if (!list) return nullptr;
  list->current = list->last;
  return ItemOf(list->current);
}

void* ListNext(List* list) {
  if (!list || !list->current || !list->current->next) return nullptr;
  list->current = list->current->next;
  return list->current->item;
}

void* ListCurrent(List* list) { return list ? ItemOf(list->current) : nullptr; }

ListPosition ListGetPosition(List* list) { return list ? list->current : nullptr; }

ListPosition ListSetPosition(List* list, ListPosition position) {
  if (!list) return nullptr;
  list->current = position;
  return position;
}

void ListRemove(List* list) {
  if (!list || !CopiesItems(list) || !list->current) return;
  FreeItem(list, UnlinkCurrent(list));
}

void ListUnlink(List* list) {
  if (list) UnlinkCurrent(list);
}

uint32_t ListCount(const List* list) { return list ? list->count : 0; }

// List: the one sequence type of the debugger. A doubly linked list with one
// current position, whose items are either private copies made by the list
// (fixed-size records, or zero-terminated strings) or pointers that the caller
// keeps owning. Lists live in a MemPool: by default the one 65000-byte pool
// that all lists share.
//
// All iteration goes through the current position (ListFirst, then ListNext
// until null), so a list is walked by one reader at a time; a walk that calls
// another operation walking the same list loses its place unless it stores
// the position (ListGetPosition) and comes back to it (ListSetPosition).
//
// Item size: above 0, items are copies of that many bytes; 0, copies of
// strings; below 0 (kListByReference), items are held by reference and never
// copied or freed by the list.
//
// Every operation given a null list answers 0 or null and does nothing.
#pragma once

#include <cstdint>

#include "memory/MemPool.h"

struct ListNode;
typedef ListNode* ListPosition;

constexpr int32_t kListStrings = 0;
constexpr int32_t kListByReference = -1;
constexpr uint32_t kListPoolSize = 65000;  // the shared list pool

struct List {
  uint32_t count;      // number of items
  int32_t itemSize;    // see above
  ListNode* first;     // none when empty
  ListNode* last;      // none when empty
  ListNode* current;   // none only when empty or after setting a position of none
  MemPoolHandle pool;  // pool of the header, the nodes and the item copies
};

List* ListCreate(int32_t itemSize);
// pool -1 means the shared list pool.
List* ListCreateInPool(int32_t itemSize, MemPoolHandle pool);
void ListDestroy(List* list);

// Copies the item and inserts it after the current node; the new node becomes
// current. 0 for a by-reference list or when memory runs out.
int ListAdd(List* list, const void* item);
// Inserts the pointer itself after the current node; the new node becomes current.
int ListAddRef(List* list, void* pointer);
// Copies the item and inserts it before the first node; the new node becomes
// current. 0 for a by-reference list.
int ListInsertFirst(List* list, const void* item);

void* ListFirst(List* list);
void* ListLast(List* list);
// Steps to the next node; null at the end, where the current node stays.
void* ListNext(List* list);
void* ListCurrent(List* list);
ListPosition ListGetPosition(List* list);
ListPosition ListSetPosition(List* list, ListPosition position);  // unchecked

// Removes the current node and frees its item; nothing for a by-reference list.
void ListRemove(List* list);
// Removes the current node, leaving its item alone; works on any list.
void ListUnlink(List* list);
uint32_t ListCount(const List* list);

// What the tests and the allocation-failure runs see of the pools beyond their
// interface: free slots, segments, an invariant check, and a switch that makes
// the n-th allocation fail.
#pragma once

#include "memory/MemPool.h"

// Number of free ordinary slots (2..39); 38 before the first create.
int MemPoolFreeSlots();

// Number of segments the pool holds now; 0 for a free or invalid slot. Pool 0
// is the pool system's own pool of segment headers.
int MemPoolSegmentCount(MemPoolHandle pool);

// 1 when every segment of the pool is sound: its blocks cover it exactly, every
// tag is sound, every block longer than 12 bytes is aligned, the free index is
// sorted and names free blocks of its lengths, the size-ordered free list holds
// exactly the free blocks, the in-use count matches, and the segment's header
// is a block in use of pool 0. 0 otherwise (or for an invalid handle or a slot
// not in use). Pool 0, the pool of segment headers, can be checked too.
int MemPoolCheck(MemPoolHandle pool);

// From now on, the n-th request for memory (counting from 1; a request is a
// call of MemPoolCreate or MemPoolAlloc) fails as if the platform had no memory
// left: error 2, and -1 or null. 0 switches it off. Each call re-arms the
// count. The allocation-failure tests run a whole session once for every n.
void MemPoolFailAllocation(long n);

// Number of requests for memory (MemPoolCreate and MemPoolAlloc calls) since
// the process started.
long MemPoolAllocationCount();

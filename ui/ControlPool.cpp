#include "ui/ControlPool.h"

void* ControlPoolAlloc(ControlPool* pool, uint32_t bytes) {
  if (pool->current == kMemPoolFailed) pool->current = MemPoolCreate(pool->size, pool->flags);
  if (pool->current == kMemPoolFailed) return nullptr;
  if (void* block = MemPoolAlloc(pool->current, bytes)) return block;
  MemPoolHandle fresh = MemPoolCreate(pool->size, pool->flags);
  if (fresh == kMemPoolFailed) return nullptr;
  pool->current = fresh;
  return MemPoolAlloc(pool->current, bytes);
}

#include <windows.h>

#include <new>

#include "gamelist/chunk_pool.h"

namespace gamelist {

// Plain committed memory: large pages need a privilege users do not hold.
ChunkPool::SystemChunk::SystemChunk(std::size_t bytes)
    : data_(static_cast<char*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))), size_(bytes) {
  if (!data_) throw std::bad_alloc();
}

// On Windows the pages fault in as they are touched.
void ChunkPool::SystemChunk::Prefault(void*, std::size_t) {}

ChunkPool::SystemChunk::~SystemChunk() {
  if (data_) VirtualFree(data_, 0, MEM_RELEASE);
}

}  // namespace gamelist

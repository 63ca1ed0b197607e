#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "gamelist/chunk_pool.h"

namespace gamelist {

namespace {

// The size of a large page: a chunk that size or more, aligned to it, may be
// backed by large pages.
constexpr std::size_t kLargePage = 2 * 1024 * 1024;

}  // namespace

ChunkPool::SystemChunk::SystemChunk(std::size_t bytes) : data_(nullptr), size_(bytes) {
  const bool large = bytes >= kLargePage;
  // A large chunk is mapped with room to spare and trimmed to an aligned start.
  const std::size_t mapped = large ? bytes + kLargePage : bytes;
  void* const at = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED) throw std::bad_alloc();
  char* const start = static_cast<char*>(at);
  if (!large) {
    data_ = start;
    return;
  }
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
  char* const aligned = start + ((kLargePage - address % kLargePage) % kLargePage);
  if (aligned > start) munmap(start, static_cast<std::size_t>(aligned - start));
  char* const end = aligned + bytes;
  if (end < start + mapped) munmap(end, static_cast<std::size_t>(start + mapped - end));
  data_ = aligned;
  // Only advice: without large pages the chunk works the same.
  madvise(data_, size_, MADV_HUGEPAGE);
}

void ChunkPool::SystemChunk::Prefault(void* at, std::size_t bytes) {
  static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(at) / page * page;
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(at) + bytes + page - 1) / page * page;
  // Linux 5.14 and later; an older kernel refuses the advice and the pages
  // fault in as they are touched.
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
}

ChunkPool::SystemChunk::~SystemChunk() {
  if (data_) munmap(data_, size_);
}

}  // namespace gamelist

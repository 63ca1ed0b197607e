#pragma once
// The memory of a document: blocks carved one after another out of large
// chunks taken straight from the system, all given back at once when the
// pool goes. Nothing in it is ever freed alone, so a block costs no heap
// header and no bookkeeping.
//
// Chunks grow from 256 KiB to 4 MiB, so a small document stays small. A big
// document would touch its memory in ten thousand page faults, and on a
// virtual machine each fault is a costly trap. So, where the system can
// (Linux), a chunk from 2 MiB on is backed by large pages, a few dozen
// faults in all, and each block is mapped in with one call when it is
// handed out, which spares the faults where large pages are not given.
#include <cstddef>
#include <vector>

namespace gamelist {

class ChunkPool {
 public:
  static constexpr std::size_t kAlignment = 64;
  static constexpr std::size_t kFirstChunk = 256 * 1024;
  static constexpr std::size_t kLargestChunk = 4 * 1024 * 1024;

  ChunkPool() = default;
  ChunkPool(const ChunkPool&) = delete;
  ChunkPool& operator=(const ChunkPool&) = delete;
  ~ChunkPool();

  // `bytes` of uninitialised memory aligned to kAlignment, valid as long as
  // the pool. A request larger than the chunk in turn gets a chunk of its
  // own. Throws std::bad_alloc when the system has no more.
  void* Take(std::size_t bytes);

 private:
  // Memory mapped from the system; the platform's source file says how.
  class SystemChunk {
   public:
    explicit SystemChunk(std::size_t bytes);
    SystemChunk(SystemChunk&& other) noexcept : data_(other.data_), size_(other.size_) { other.data_ = nullptr; }
    SystemChunk(const SystemChunk&) = delete;
    SystemChunk& operator=(const SystemChunk&) = delete;
    SystemChunk& operator=(SystemChunk&&) = delete;
    ~SystemChunk();

    // Maps in the pages of a block about to be used, where the system can
    // do that in one call instead of a fault per page. Only advice.
    static void Prefault(void* at, std::size_t bytes);

    char* Data() const { return data_; }
    std::size_t Size() const { return size_; }

   private:
    char* data_;
    std::size_t size_;
  };

  std::vector<SystemChunk> chunks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t chunk_size_ = kFirstChunk;
};

}  // namespace gamelist

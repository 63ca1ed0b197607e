#pragma once
// A many-readers/one-writer lock that is re-entrant for its holders: a
// writer may write again and read while it writes, and a reader may read
// again even while a writer waits. Waiting writers go before new readers,
// so a stream of readers cannot starve a writer.
//
// Threads: any. The lock's own critical section is a leaf: it is held only
// to change the counts, never while a caller waits for the lock.
#include <windows.h>

#include <mutex>
#include <vector>

namespace framework {

class TMultiReadExclusiveWriteSynchronizer {
 public:
  TMultiReadExclusiveWriteSynchronizer();
  ~TMultiReadExclusiveWriteSynchronizer();
  TMultiReadExclusiveWriteSynchronizer(const TMultiReadExclusiveWriteSynchronizer&) = delete;
  TMultiReadExclusiveWriteSynchronizer& operator=(const TMultiReadExclusiveWriteSynchronizer&) = delete;

  void BeginRead();
  void EndRead();
  // A thread that only reads may ask to write: it waits until it is the
  // last reader. Two readers asking so at once would wait for each other.
  void BeginWrite();
  void EndWrite();

  // What the calling thread holds (for checks and tests).
  bool WritingHere() const;
  int ReadDepthHere() const;

 private:
  struct TReader {
    DWORD thread;
    int depth;
  };
  TReader* FindReader(DWORD thread);
  const TReader* FindReader(DWORD thread) const;

  mutable CRITICAL_SECTION lock_;
  CONDITION_VARIABLE changed_;
  DWORD writer_ = 0;
  int write_depth_ = 0;
  int waiting_writers_ = 0;
  std::vector<TReader> readers_;  // threads holding read locks, outside a write
};

class TReadLock {
 public:
  explicit TReadLock(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) { lock_.BeginRead(); }
  ~TReadLock() { lock_.EndRead(); }
  TReadLock(const TReadLock&) = delete;
  TReadLock& operator=(const TReadLock&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& lock_;
};

class TWriteLock {
 public:
  explicit TWriteLock(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) { lock_.BeginWrite(); }
  ~TWriteLock() { lock_.EndWrite(); }
  TWriteLock(const TWriteLock&) = delete;
  TWriteLock& operator=(const TWriteLock&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& lock_;
};

}  // namespace framework

// Threads: any; lock_ guards every field and is never held while waiting
// for the lock itself (SleepConditionVariableCS releases it).
#include "framework/rw_lock.h"

#include <algorithm>

namespace framework {

TMultiReadExclusiveWriteSynchronizer::TMultiReadExclusiveWriteSynchronizer() {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&changed_);
}

TMultiReadExclusiveWriteSynchronizer::~TMultiReadExclusiveWriteSynchronizer() { DeleteCriticalSection(&lock_); }

TMultiReadExclusiveWriteSynchronizer::TReader* TMultiReadExclusiveWriteSynchronizer::FindReader(DWORD thread) {
  for (TReader& reader : readers_) {
    if (reader.thread == thread) return &reader;
  }
  return nullptr;
}

const TMultiReadExclusiveWriteSynchronizer::TReader* TMultiReadExclusiveWriteSynchronizer::FindReader(
    DWORD thread) const {
  for (const TReader& reader : readers_) {
    if (reader.thread == thread) return &reader;
  }
  return nullptr;
}

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  const DWORD me = GetCurrentThreadId();
  EnterCriticalSection(&lock_);
  if (writer_ == me) {
    // Reading inside one's own write: counted as one more write level, so
    // the matching EndRead gives it back.
    ++write_depth_;
  } else if (TReader* reader = FindReader(me)) {
    ++reader->depth;  // never waits for a writer that waits for this reader
  } else {
    while (writer_ != 0 || waiting_writers_ > 0) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
    readers_.push_back(TReader{me, 1});
  }
  LeaveCriticalSection(&lock_);
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  const DWORD me = GetCurrentThreadId();
  EnterCriticalSection(&lock_);
  if (writer_ == me) {
    if (--write_depth_ == 0) writer_ = 0;
    WakeAllConditionVariable(&changed_);
  } else if (TReader* reader = FindReader(me)) {
    if (--reader->depth == 0) {
      readers_.erase(readers_.begin() + (reader - readers_.data()));
      WakeAllConditionVariable(&changed_);
    }
  }
  LeaveCriticalSection(&lock_);
}

void TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  const DWORD me = GetCurrentThreadId();
  EnterCriticalSection(&lock_);
  if (writer_ == me) {
    ++write_depth_;
  } else {
    ++waiting_writers_;
    for (;;) {
      const TReader* mine = FindReader(me);
      const bool others_read = readers_.size() > (mine ? 1u : 0u);
      if (writer_ == 0 && !others_read) break;
      SleepConditionVariableCS(&changed_, &lock_, INFINITE);
    }
    --waiting_writers_;
    writer_ = me;
    // An upgrading reader's reads become write levels until it ends them.
    if (TReader* mine = FindReader(me)) {
      write_depth_ = mine->depth + 1;
      readers_.erase(readers_.begin() + (mine - readers_.data()));
    } else {
      write_depth_ = 1;
    }
  }
  LeaveCriticalSection(&lock_);
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  EnterCriticalSection(&lock_);
  if (writer_ == GetCurrentThreadId()) {
    if (--write_depth_ == 0) writer_ = 0;
    WakeAllConditionVariable(&changed_);
  }
  LeaveCriticalSection(&lock_);
}

bool TMultiReadExclusiveWriteSynchronizer::WritingHere() const {
  EnterCriticalSection(&lock_);
  const bool writing = writer_ == GetCurrentThreadId();
  LeaveCriticalSection(&lock_);
  return writing;
}

int TMultiReadExclusiveWriteSynchronizer::ReadDepthHere() const {
  EnterCriticalSection(&lock_);
  const TReader* reader = FindReader(GetCurrentThreadId());
  const int depth = reader ? reader->depth : 0;
  LeaveCriticalSection(&lock_);
  return depth;
}

}  // namespace framework

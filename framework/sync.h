#pragma once
// Critical sections owned by RAII. TCriticalSection meets the standard's
// Lockable requirements, so std::lock_guard / std::unique_lock hold it; a
// critical section is re-entrant for the thread that holds it.
#include <windows.h>

#include <mutex>

namespace framework {

class TCriticalSection {
 public:
  TCriticalSection() { InitializeCriticalSection(&section_); }
  ~TCriticalSection() { DeleteCriticalSection(&section_); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }
  bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }

  void lock() { Enter(); }
  void unlock() { Leave(); }
  bool try_lock() { return TryEnter(); }

 private:
  CRITICAL_SECTION section_;
};

using TCriticalSectionLock = std::lock_guard<TCriticalSection>;

}  // namespace framework

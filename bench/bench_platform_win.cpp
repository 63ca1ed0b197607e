#include <windows.h>
#include <io.h>
#include <psapi.h>

#include "bench/bench_platform.h"

namespace bench {

double CpuSeconds() {
  FILETIME creation, exit, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

std::size_t PeakMemoryBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

void SyncToDisk(std::FILE* file) { FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))); }

}  // namespace bench

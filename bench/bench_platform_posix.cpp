#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "bench/bench_platform.h"

extern char** environ;

namespace bench {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::size_t PeakMemoryBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // Linux reports KiB
}

std::size_t CommittedBytes() {
  // /proc/self/statm: total, resident, shared, text, library, data (pages).
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long pages[6] = {};
  const int read = std::fscanf(statm, "%lu %lu %lu %lu %lu %lu", &pages[0], &pages[1], &pages[2], &pages[3],
                               &pages[4], &pages[5]);
  std::fclose(statm);
  return read == 6 ? static_cast<std::size_t>(pages[5]) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

void SyncToDisk(std::FILE* file) { fsync(fileno(file)); }

bool RunSelf(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{"/proc/self/exe"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace bench

#pragma once
// What the benchmarks measure and do that differs between Windows and Linux.
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// User plus system CPU time this process has used so far, in seconds.
double CpuSeconds();

// The most memory this process has held resident so far (peak working set
// on Windows, maximum resident set size on Linux), in bytes.
std::size_t PeakMemoryBytes();

// The memory this process has committed now (private bytes on Windows, and
// under Wine, which leaves those 0, the page-file usage; the data size on
// Linux), in bytes: what a structure costs is the growth across building it.
std::size_t CommittedBytes();

// Pushes a flushed stream's bytes to the disk, as a durable save does.
void SyncToDisk(std::FILE* file);

// Runs this program again, in a fresh process, with `arguments` (UTF-8,
// without quotes) and waits for it; true when it exited with 0.
bool RunSelf(const std::vector<std::string>& arguments);

}  // namespace bench

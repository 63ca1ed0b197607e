#pragma once
// What the benchmarks measure that differs between Windows and Linux.
#include <cstddef>
#include <cstdio>

namespace bench {

// User plus system CPU time this process has used so far, in seconds.
double CpuSeconds();

// The most memory this process has held resident so far (peak working set
// on Windows, maximum resident set size on Linux), in bytes.
std::size_t PeakMemoryBytes();

// Pushes a flushed stream's bytes to the disk, as a durable save does.
void SyncToDisk(std::FILE* file);

}  // namespace bench

// Figures for the gamelist engine beside its floor, measured in the same run:
// building and saving the gamelist of 100,000 typical lines (a tenth of them
// Chinese), against encoding the finished document's text to GB2312 and
// writing it through a buffer with no document at all. Prints the CPU time,
// wall time and peak memory of each, the ratio of the CPU times (target: at
// most 4x) and the engine's peak against the file's size (target: under 3x).
// Runs natively (build/host) and under Wine (build/win); see scripts/bench.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_platform.h"
#include "bench/typical_lines.h"
#include "gamelist/gb2312.h"
#include "gamelist/generate.h"
#include "gamelist/text.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

struct Cost {
  double cpu_seconds;
  double wall_seconds;
  std::size_t peak_bytes;   // the process's peak after the step
  std::size_t peak_growth;  // how far the step raised it
};

Cost Measure(const char* what, const std::function<void()>& work) {
  const std::size_t peak_before = bench::PeakMemoryBytes();
  const double cpu_before = bench::CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  Cost cost;
  cost.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cost.cpu_seconds = bench::CpuSeconds() - cpu_before;
  cost.peak_bytes = bench::PeakMemoryBytes();
  cost.peak_growth = cost.peak_bytes - peak_before;
  std::printf("%-44s cpu %7.1f ms   wall %7.1f ms   peak %6.1f MiB (+%.1f MiB)\n", what, cost.cpu_seconds * 1e3,
              cost.wall_seconds * 1e3, cost.peak_bytes / kMiB, cost.peak_growth / kMiB);
  return cost;
}

// The floor: text already laid out and escaped, encoded one code point at a
// time (GB2312 where it has the character, a reference where it does not)
// and written through a buffer, then flushed to the disk as a save is.
void EncodeAndWrite(const std::string& utf8, const std::string& path) {
  constexpr std::size_t kBuffer = 64 * 1024;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::string buffer;
  buffer.reserve(kBuffer + 16);
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = gamelist::DecodeUtf8(utf8, pos);
    if (cp < 0x80) {
      buffer += static_cast<char>(cp);
    } else if (const std::uint16_t code = gamelist::Gb2312Encode(cp)) {
      buffer += static_cast<char>(code >> 8);
      buffer += static_cast<char>(code & 0xFF);
    } else {
      char reference[16];
      std::snprintf(reference, sizeof reference, "&#x%X;", static_cast<unsigned>(cp));
      buffer += reference;
    }
    if (buffer.size() >= kBuffer) {
      std::fwrite(buffer.data(), 1, buffer.size(), file);
      buffer.clear();
    }
  }
  std::fwrite(buffer.data(), 1, buffer.size(), file);
  std::fflush(file);
  bench::SyncToDisk(file);
  std::fclose(file);
}

}  // namespace

int main() {
  test_support::TempDir dir;
  const std::vector<std::string> lines = bench::TypicalLines();
  std::printf("gamelist-bench: %zu lines, a tenth of them Chinese\n", lines.size());

  const std::string engine_file = dir.Join("gamelist.xml");
  const Cost engine = Measure("engine: build and save gamelist.xml (GB2312)", [&] {
    gamelist::TXMLDocument document;
    gamelist::GenerateGamelist(document, lines, "GB2312", engine_file);
    document.SetActive(false);
  });

  // The baseline's input is the same document as UTF-8 text with the
  // GB2312 declaration, made outside the measurement.
  std::string text;
  {
    gamelist::TXMLDocument document;
    gamelist::GenerateGamelist(document, lines, "UTF-8", dir.Join("utf8.xml"));
    text = test_support::ReadBytes(dir.Join("utf8.xml"));
    const std::string from = "encoding=\"UTF-8\"", to = "encoding=\"GB2312\"";
    text.replace(text.find(from), from.size(), to);
  }
  const std::string raw_file = dir.Join("raw.xml");
  const Cost raw = Measure("baseline: encode and write the same bytes", [&] { EncodeAndWrite(text, raw_file); });

  const std::string bytes = test_support::ReadBytes(engine_file);
  if (test_support::ReadBytes(raw_file) != bytes) {
    std::printf("the baseline's file differs from the engine's: the comparison is void\n");
    return 1;
  }
  const double size = static_cast<double>(bytes.size());
  const double cpu_ratio = engine.cpu_seconds / raw.cpu_seconds;
  const double memory_ratio = engine.peak_bytes / size;
  std::printf("  (both files %.1f MiB, byte for byte the same)\n", size / kMiB);
  std::printf("engine CPU / baseline CPU: %.2fx (target at most 4x: %s)\n", cpu_ratio,
              cpu_ratio <= 4 ? "holds" : "MISSED");
  std::printf("engine peak / file size:   %.2fx (target under 3x: %s)\n", memory_ratio,
              memory_ratio < 3 ? "holds" : "MISSED");
  return 0;
}

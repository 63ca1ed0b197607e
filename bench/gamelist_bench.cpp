// Figures for the gamelist engine beside its floor, measured in the same run:
// building and saving the gamelist of 100,000 typical lines (a tenth of them
// Chinese), against encoding the finished document's text to GB2312 and
// writing it through a buffer with no document at all. Prints the CPU time,
// wall time and peak memory of each, the ratio of the CPU times (target: at
// most 4x) and the engine's peak against the file's size (target: under 3x).
// Runs natively (build/host) and under Wine (build/win); see scripts/bench.
//
// Each round runs in a fresh process: in a warm one the engine would reuse
// the memory the round before freed and hide the cost of first touching it.
// The figures compared are the best of the rounds, since a busy machine only
// ever adds time.
#include <algorithm>
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

constexpr int kRounds = 3;
constexpr double kMiB = 1024.0 * 1024.0;

struct Cost {
  double cpu_seconds = 0;
  double wall_seconds = 0;
  double peak_bytes = 0;    // the process's peak after the step
  double peak_growth = 0;   // how far the step raised it
};

struct Round {
  Cost engine;
  Cost raw;
  double file_bytes = 0;
};

Cost Measure(const std::function<void()>& work) {
  const double peak_before = static_cast<double>(bench::PeakMemoryBytes());
  const double cpu_before = bench::CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  Cost cost;
  cost.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cost.cpu_seconds = bench::CpuSeconds() - cpu_before;
  cost.peak_bytes = static_cast<double>(bench::PeakMemoryBytes());
  cost.peak_growth = cost.peak_bytes - peak_before;
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

// One round, in this process; false when the two files differ.
bool RunRound(Round& round) {
  test_support::TempDir dir;
  const std::vector<std::string> lines = bench::TypicalLines();

  const std::string engine_file = dir.Join("gamelist.xml");
  round.engine = Measure([&] {
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
  round.raw = Measure([&] { EncodeAndWrite(text, raw_file); });

  const std::string bytes = test_support::ReadBytes(engine_file);
  round.file_bytes = static_cast<double>(bytes.size());
  return test_support::ReadBytes(raw_file) == bytes;
}

// The growth of the process's peak is the step's own memory; the baseline's
// input is made before it, so it grows the peak by its buffer alone.
void PrintCost(const char* what, const Cost& cost) {
  std::printf("  %-42s cpu %7.1f ms   wall %7.1f ms   peak +%5.1f MiB\n", what, cost.cpu_seconds * 1e3,
              cost.wall_seconds * 1e3, cost.peak_growth / kMiB);
}

const char* Verdict(bool holds) { return holds ? "holds" : "MISSED"; }

}  // namespace

// Without arguments: runs the rounds, each as "gamelist-bench --round FILE",
// which leaves its figures in FILE.
int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--round") {
    Round round;
    if (!RunRound(round)) {
      std::printf("the baseline's file differs from the engine's: the comparison is void\n");
      return 1;
    }
    std::FILE* out = std::fopen(argv[2], "w");
    if (!out) return 1;
    const Cost* costs[] = {&round.engine, &round.raw};
    for (const Cost* cost : costs)
      std::fprintf(out, "%.6f %.6f %.0f %.0f\n", cost->cpu_seconds, cost->wall_seconds, cost->peak_bytes,
                   cost->peak_growth);
    std::fprintf(out, "%.0f\n", round.file_bytes);
    return std::fclose(out) == 0 ? 0 : 1;
  }

  std::printf("gamelist-bench: %zu lines, a tenth of them Chinese; best of %d rounds, each in a fresh process\n",
              bench::TypicalLines().size(), kRounds);
  test_support::TempDir dir;
  const std::string figures = dir.Join("round.txt");
  std::vector<Round> rounds;
  for (int i = 1; i <= kRounds; ++i) {
    if (!bench::RunSelf({"--round", figures})) return 1;
    Round round;
    std::FILE* in = std::fopen(figures.c_str(), "r");
    if (!in) return 1;
    Cost* costs[] = {&round.engine, &round.raw};
    bool read = true;
    for (Cost* cost : costs)
      read = read && std::fscanf(in, "%lf %lf %lf %lf", &cost->cpu_seconds, &cost->wall_seconds, &cost->peak_bytes,
                                 &cost->peak_growth) == 4;
    read = read && std::fscanf(in, "%lf", &round.file_bytes) == 1;
    std::fclose(in);
    if (!read) return 1;
    std::printf("round %d\n", i);
    PrintCost("engine: build and save gamelist.xml", round.engine);
    PrintCost("baseline: encode and write the same bytes", round.raw);
    rounds.push_back(round);
  }

  const auto least = [&](double Cost::*field, Cost Round::*which) {
    double best = rounds.front().*which.*field;
    for (const Round& round : rounds) best = std::min(best, round.*which.*field);
    return best;
  };
  const double engine_cpu = least(&Cost::cpu_seconds, &Round::engine);
  const double raw_cpu = least(&Cost::cpu_seconds, &Round::raw);
  const double engine_peak = least(&Cost::peak_bytes, &Round::engine);
  const double size = rounds.front().file_bytes;
  std::printf("file %.1f MiB, the engine's and the baseline's byte for byte the same\n", size / kMiB);
  std::printf("best engine CPU %.1f ms / best baseline CPU %.1f ms = %.2fx (target at most 4x: %s)\n",
              engine_cpu * 1e3, raw_cpu * 1e3, engine_cpu / raw_cpu, Verdict(engine_cpu <= 4 * raw_cpu));
  std::printf("engine peak %.1f MiB (the whole process, its list included) / file size = %.2fx "
              "(target under 3x: %s)\n",
              engine_peak / kMiB, engine_peak / size, Verdict(engine_peak < 3 * size));
  return 0;
}

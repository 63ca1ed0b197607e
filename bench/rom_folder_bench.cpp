// Listing a folder of 100,000 files by the window's rule, beside a bare
// FindFirstFileW enumeration of the same folder measured in the same run.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_platform.h"
#include "bench/typical_lines.h"
#include "gamelist/platform_win.h"
#include "gamelist/rom_folder.h"
#include "tests/support/temp_dir.h"

namespace {

void Measure(const char* what, const std::function<void()>& work) {
  const std::size_t peak_before = bench::PeakMemoryBytes();
  const auto start = std::chrono::steady_clock::now();
  work();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const std::size_t peak_after = bench::PeakMemoryBytes();
  std::printf("%-46s %9.1f ms   peak working set %7.1f MiB (+%.1f MiB)\n", what, ms, peak_after / 1048576.0,
              (peak_after - peak_before) / 1048576.0);
}

}  // namespace

// argv[1], when given, is a folder already holding the 100,000 files
// (scripts/bench makes it on the Linux side: creating them through Wine,
// which looks every new name up in the growing folder, takes minutes).
int wmain(int argc, wchar_t** argv) {
  test_support::TempDir dir;
  const std::vector<std::string> lines = bench::TypicalLines();
  std::printf("rom-folder-bench: folder of %zu files\n", lines.size());

  std::string roms = dir.Join("roms");
  if (argc > 1) {
    roms = gamelist::NarrowPath(argv[1]);
  } else {
    test_support::MakeFolder(roms);
  }
  for (std::size_t i = 0; argc <= 1 && i < lines.size(); ++i) {
    const std::wstring name = gamelist::WidePath(roms + "\\" + lines[i]);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  std::size_t bare = 0;
  Measure("baseline: bare FindFirstFileW enumeration", [&] {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(gamelist::WidePath(roms + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do ++bare;
    while (FindNextFileW(find, &data));
    FindClose(find);
  });
  std::vector<std::string> listed;
  Measure("list the folder by the window's rule", [&] {
    gamelist::ListRomFolder(roms, [&](const std::string& name) { listed.push_back(name); });
  });
  std::printf("  (%zu entries enumerated, %zu listed)\n", bare, listed.size());
  return listed.size() == lines.size() ? 0 : 1;
}

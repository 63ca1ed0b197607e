// Figures for the gamelist engine, each beside a baseline measured in the
// same run: building and saving a gamelist of 100,000 typical lines against
// a bare buffered write of the same bytes, and listing a folder of 100,000
// files by the window's rule against a bare FindFirstFileW enumeration.
#include <windows.h>
#include <io.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gamelist/generate.h"
#include "gamelist/platform_win.h"
#include "gamelist/rom_folder.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kCount = 100000;

std::size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

void Measure(const char* what, const std::function<void()>& work) {
  const std::size_t peak_before = PeakWorkingSet();
  const auto start = std::chrono::steady_clock::now();
  work();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const std::size_t peak_after = PeakWorkingSet();
  std::printf("%-46s %9.1f ms   peak working set %7.1f MiB (+%.1f MiB)\n", what, ms, peak_after / 1048576.0,
              (peak_after - peak_before) / 1048576.0);
}

std::vector<std::string> TypicalLines() {
  std::vector<std::string> lines;
  lines.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    const std::string n = std::to_string(i);
    if (i % 10 == 0)  // 魂斗罗 N (中国).zip
      lines.push_back("\xE9\xAD\x82\xE6\x96\x97\xE7\xBD\x97 " + n + " (\xE4\xB8\xAD\xE5\x9B\xBD).zip");
    else
      lines.push_back("Super Adventure Game " + n + " (USA, Europe) (Rev 1).zip");
  }
  return lines;
}

}  // namespace

// argv[1], when given, is a folder already holding the 100,000 files
// (scripts/bench makes it on the Linux side: creating them through Wine,
// which looks every new name up in the growing folder, takes minutes).
int wmain(int argc, wchar_t** argv) {
  test_support::TempDir dir;
  const std::vector<std::string> lines = TypicalLines();
  std::printf("gamelist-bench: %d lines, a tenth of them Chinese; folder of %d files\n\n", kCount, kCount);

  std::string bytes;
  Measure("build and save gamelist.xml (GB2312)", [&] {
    gamelist::TXMLDocument document;
    gamelist::GenerateGamelist(document, lines, "GB2312", dir.Join("gamelist.xml"));
    document.SetActive(false);
  });
  bytes = test_support::ReadBytes(dir.Join("gamelist.xml"));
  Measure("baseline: buffered write of the same bytes", [&] {
    std::FILE* file = _wfopen(test_support::FsPath(dir.Join("plain.xml")).c_str(), L"wb");
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
    FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
    std::fclose(file);
  });
  std::printf("  (file size %.1f MiB)\n\n", bytes.size() / 1048576.0);

  std::string roms = dir.Join("roms");
  if (argc > 1) {
    roms = gamelist::NarrowPath(argv[1]);
  } else {
    test_support::MakeFolder(roms);
  }
  for (int i = 0; argc <= 1 && i < kCount; ++i) {
    const std::wstring name = gamelist::WidePath(roms + "\\" + lines[static_cast<std::size_t>(i)]);
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
  return listed.size() == static_cast<std::size_t>(kCount) ? 0 : 1;
}

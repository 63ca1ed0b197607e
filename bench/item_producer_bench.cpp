// Prints what a large folder costs through the item producer under the real
// shell: enumerating and sorting 20,000 entries on the UI thread (with the
// memory each record takes), then fetching every record's full information
// on the gatherer's worker.
//
// Threads: the main thread fills the producer and drains the done list; the
// gatherer's worker fetches under the producer's read lock.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_platform.h"
#include "framework/application.h"
#include "framework/thread.h"
#include "shellcore/gatherer.h"
#include "shellcore/item_producer.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEntries = 20000;
constexpr int kFolders = 200;

class BenchProducer : public shellcore::TcxCustomItemProducer {
 public:
  explicit BenchProducer(shellcore::TcxShellItemsInfoGatherer* gatherer)
      : TcxCustomItemProducer(nullptr), gatherer_(gatherer) {}
  ~BenchProducer() override { ReleaseResources(); }
  void FetchInBackground(shellcore::TcxShellItemInfo* item) override { FetchItem(item); }
  DWORD EnumerationFlags() override { return SHCONTF_FOLDERS | SHCONTF_NONFOLDERS; }
  shellcore::TcxShellItemsInfoGatherer* ItemGatherer() override { return gatherer_; }
  bool WantsInfoTips() override { return false; }
  bool IsFetched(shellcore::TcxShellItemInfo* item) override { return item->FullyLoaded; }
  void AfterFetch(shellcore::TcxShellItemInfo* item) override {
    if (!item->OnRemovableMedia)
      item->MayHaveChildren = shellcore::FolderHasChildren(FolderInterface(), item->AbsoluteId.Get(), EnumerationFlags());
  }

 private:
  shellcore::TcxShellItemsInfoGatherer* gatherer_;
};

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Where one full load's time goes, for a sample of records, on this thread.
void Breakdown(BenchProducer& producer, int sample) {
  double attributes = 0, icons = 0, mapped = 0, overlay = 0, children = 0;
  IShellFolder* folder = producer.FolderInterface();
  for (int i = 0; i < sample && i < producer.ItemCount(); ++i) {
    shellcore::TcxShellItemInfo* item = producer.Item(i * (producer.ItemCount() / sample));
    LPCITEMIDLIST relative = item->RelativeId.Get();
    Clock::time_point start = Clock::now();
    for (SFGAOF mask : {SFGAOF{SFGAO_FILESYSTEM}, shellcore::kItemStateAttributes, shellcore::kItemCapabilityAttributes}) {
      SFGAOF answer = mask;
      folder->GetAttributesOf(1, &relative, &answer);
    }
    attributes += Since(start);
    start = Clock::now();
    SHFILEINFOW info{};
    shellcore::LockedGetFileInfo(item->AbsoluteId.Get(), info, shellcore::kItemIconQuery);
    icons += Since(start);
    start = Clock::now();
    int open = -1;
    shellcore::LockedMapIdListToIconIndex(folder, relative, &open);
    mapped += Since(start);
    start = Clock::now();
    item->ComputeShellOverlay();
    overlay += Since(start);
    start = Clock::now();
    shellcore::FolderHasChildren(folder, item->AbsoluteId.Get(), producer.EnumerationFlags());
    children += Since(start);
  }
  std::printf("per record, of a sample of %d:\n", sample);
  std::printf("  three attribute queries                 %8.1f us\n", attributes * 1e6 / sample);
  std::printf("  icon query by ID list (not used)        %8.1f us\n", icons * 1e6 / sample);
  std::printf("  icons from the folder in hand (used)    %8.1f us\n", mapped * 1e6 / sample);
  std::printf("  overlay (the record's way)              %8.1f us\n", overlay * 1e6 / sample);
  std::printf("  child-folder test                       %8.1f us\n", children * 1e6 / sample);
}


void MakeEntries(const std::wstring& root) {
  for (int i = 0; i < kEntries - kFolders; ++i) {
    const std::wstring path = root + L"\\Game " + std::to_wstring(i) + (i % 3 ? L" (USA).zip" : L" (Japan).nes");
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  for (int i = 0; i < kFolders; ++i) {
    const std::wstring folder = root + L"\\Set " + std::to_wstring(i);
    CreateDirectoryW(folder.c_str(), nullptr);
    if (i % 2) CreateDirectoryW((folder + L"\\disc").c_str(), nullptr);
  }
}

void Run(std::wstring root) {
  test_support::TempDir temp;
  if (root.empty()) {
    root = test_support::FsPath(temp.Path()).wstring();
    const Clock::time_point start = Clock::now();
    MakeEntries(root);
    std::printf("made %d entries in %.1f s\n", kEntries, Since(start));
  }
  const Microsoft::WRL::ComPtr<IShellFolder> desktop = shellcore::ShellDesktop();
  shellcore::TIdList folder_id;
  Microsoft::WRL::ComPtr<IShellFolder> folder;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, root.data(), nullptr, folder_id.Put(), nullptr)) ||
      FAILED(desktop->BindToObject(folder_id.Get(), nullptr, IID_PPV_ARGS(&folder)))) {
    std::printf("cannot open the folder\n");
    return;
  }

  shellcore::TcxShellItemsInfoGatherer gatherer(nullptr);
  BenchProducer producer(&gatherer);
  producer.SetFolder(folder.Get(), folder_id.Get());
  const SIZE_T before = bench::CommittedBytes();
  Clock::time_point start = Clock::now();
  producer.EnumerateFolder();
  const double enumerate = Since(start);
  const SIZE_T after = bench::CommittedBytes();
  const int count = producer.ItemCount();
  start = Clock::now();
  producer.SortItems();
  const double sort = Since(start);
  std::printf("records                                   %8d\n", count);
  std::printf("enumerate and sort (UI thread)            %8.2f s  %8.1f us per record\n", enumerate,
              enumerate * 1e6 / count);
  std::printf("  of which a sort of the sorted list      %8.2f s\n", sort);
  std::printf("memory per record                         %8.0f bytes\n",
              static_cast<double>(after - before) / count);

  Breakdown(producer, 100);

  std::vector<shellcore::TcxShellItemInfo*> all;
  for (int i = 0; i < count; ++i) all.push_back(producer.Item(i));
  start = Clock::now();
  gatherer.RequestItems(all);
  int done = 0;
  while (done < count) {
    while (gatherer.TakeDoneItem()) ++done;
    framework::CheckSynchronize();
    if (!gatherer.WorkerRunning()) break;
    Sleep(5);
  }
  const double fetch = Since(start);
  std::printf("full information on the worker            %8.2f s  %8.1f us per record (%d answered)\n", fetch,
              fetch * 1e6 / count, done);
  std::printf("memory per record after the full load     %8.0f bytes\n",
              static_cast<double>(bench::CommittedBytes() - before) / count);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  shellcore::ShellCommonStartup();
  {
    framework::TComApartment com;
    Run(argc > 1 ? argv[1] : L"");
  }
  shellcore::ShellCommonShutdown();
  return 0;
}

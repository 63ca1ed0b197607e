// Prints what the folder tree costs on a large folder under the real shell,
// beside the bare shell enumeration of the same folder in the same run:
// the time from an expand request until the children show (no mask and a
// two-pattern mask), the time until every visible node's details are
// applied with no input, the memory per node (node, record and producer),
// and the whole window: a click on a folder of many files until the list
// holds them, beside the bare listing.
//
// and what change tracking costs: a rebuild keeping the view of a tree with
// 2,000 expanded nodes, and a burst of 1,000 notifications.
//
// Usage: tree-bench FOLDER_OF_20000 FOLDER_OF_ROMS FOLDER_OF_2000_FOLDERS
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/main.h"
#include "bench/bench_platform.h"
#include "framework/application.h"
#include "framework/find_handle.h"
#include "framework/thread.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "shelltree/shell_tree_view.h"
#include "tests/support/tree_clicks.h"
#include "tests/support/ui_host.h"

namespace {

using Clock = std::chrono::steady_clock;
using shelltree::TTreeNode;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The bare enumeration: every child's ID list fetched and freed.
int BareEnumeration(const std::wstring& path) {
  Microsoft::WRL::ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(&desktop);
  const shellcore::TIdList id = shellcore::IdListFromPath(path);
  Microsoft::WRL::ComPtr<IShellFolder> folder;
  desktop->BindToObject(id.Get(), nullptr, IID_PPV_ARGS(&folder));
  Microsoft::WRL::ComPtr<IEnumIDList> children;
  folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &children);
  int count = 0;
  for (;;) {
    shellcore::TIdList child;
    ULONG fetched = 0;
    if (children->Next(1, child.Put(), &fetched) != S_OK || fetched == 0) break;
    ++count;
  }
  return count;
}

using test_support::HostForm;

// Every node the tree shows at once has its fetched record applied.
bool VisibleDetailsShown(shelltree::TcxInnerShellTreeView& tree) {
  TTreeNode node = tree.TopItem();
  for (int i = 0; node && i < tree.VisibleCount(); ++i, node = tree.NextVisible(node)) {
    const shellcore::TcxShellItemInfo* item = tree.ItemOfNode(node);
    if (item && !item->ShownInView) return false;
  }
  return true;
}

void TreeFigures(const std::wstring& folder, const wchar_t* mask) {
  HostForm host;
  ShowWindow(host.Handle(), SW_SHOWNOACTIVATE);
  shelltree::TcxShellTreeView control;
  control.Root().SetCustomPath(folder);
  control.Root().SetBrowseFolder(shellcore::bfCustomPath);
  if (mask) control.Options().SetFileMask(mask);
  // The root is filled when the window comes; its own listing is the
  // figure, so the window comes first with nothing listed yet.
  const Clock::time_point bare_start = Clock::now();
  const int bare_count = BareEnumeration(folder);
  const double bare = Since(bare_start);

  const SIZE_T memory_before = bench::CommittedBytes();
  const Clock::time_point start = Clock::now();
  control.CreateHandle(host.Handle(), 0, 0, 380, 560);
  auto& tree = control.Tree();
  tree.Expand(tree.FirstNode());
  const double shown = Since(start);
  const int nodes = tree.ChildCount(tree.FirstNode());
  const SIZE_T memory_after = bench::CommittedBytes();
  const Clock::time_point details_start = Clock::now();
  const bool applied = test_support::RunUntil([&] { return VisibleDetailsShown(tree); }, 30000);
  const double details = Since(details_start);
  std::printf("  mask %-12ls %6d children shown in %7.3f s; bare enumeration of %d entries %7.3f s (%.2fx)\n",
              mask ? mask : L"(none)", nodes, shown, bare_count, bare, shown / bare);
  std::printf("  %-17s visible details applied %s %.3f s after the children showed (no input)\n", "",
              applied ? "within" : "NOT within", details);
  if (!mask) {
    std::printf("  %-17s memory per node (node + record + producer): %.0f bytes\n", "",
                static_cast<double>(memory_after - memory_before) / (nodes ? nodes : 1));
  }
}

void WindowFigures(const std::wstring& roms) {
  const Clock::time_point bare_start = Clock::now();
  int bare_count = 0;
  WIN32_FIND_DATAW data;
  framework::TFindHandle find(FindFirstFileW((roms + L"\\*.*").c_str(), &data));
  if (find.Valid()) {
    do ++bare_count;
    while (FindNextFileW(find.Get(), &data));
  }
  const double bare = Since(bare_start);

  TForm1 form;
  Form1 = &form;
  form.Show(SW_SHOWNOACTIVATE);
  framework::Application->ProcessMessages();
  auto& tree = form.cxShellTreeView1.Tree();
  const shellcore::TIdList id = shellcore::IdListFromPath(roms);
  tree.NavigateTo(id.Get());
  framework::Application->ProcessMessages();
  const TTreeNode node = tree.Selected();
  const Clock::time_point start = Clock::now();
  test_support::ClickTreeNode(tree.Handle(), node);
  framework::Application->ProcessMessages();
  const double listed = Since(start);
  std::printf("  a click on a folder of %d entries: lst1 holds %d lines after %.3f s; bare listing %.3f s (%.1fx)\n",
              bare_count - 2, form.lst1.Count(), listed, bare, listed / bare);
  Form1 = nullptr;
}

// Every folder below `path` (itself included), enumerated bare.
int BareEnumerationOfTree(const std::wstring& path, double& seconds) {
  int folders = 0;
  std::vector<std::wstring> pending{path};
  const Clock::time_point start = Clock::now();
  while (!pending.empty()) {
    const std::wstring folder = pending.back();
    pending.pop_back();
    ++folders;
    BareEnumeration(folder);
    WIN32_FIND_DATAW data;
    framework::TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find.Valid()) continue;
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'.')
        pending.push_back(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
  }
  seconds = Since(start);
  return folders;
}

// Handles what is queued, as the loop would, until nothing is left.
void Settle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ChangeFigures(const std::wstring& folder) {
  HostForm host;
  ShowWindow(host.Handle(), SW_SHOWNOACTIVATE);
  shelltree::TcxShellTreeView control;
  control.Root().SetCustomPath(folder);
  control.Root().SetBrowseFolder(shellcore::bfCustomPath);
  control.CreateHandle(host.Handle(), 0, 0, 380, 560);
  auto& tree = control.Tree();
  for (TTreeNode node = tree.FirstNode(); node; node = tree.NextInTreeOrder(node)) {
    if (tree.HasChildren(node)) tree.Expand(node);
  }
  int expanded = 0, nodes = 0;
  for (TTreeNode node = tree.FirstNode(); node; node = tree.NextInTreeOrder(node), ++nodes) expanded += tree.IsExpanded(node);
  Settle();

  const std::size_t peak_before = bench::PeakMemoryBytes();
  Clock::time_point start = Clock::now();
  tree.Refresh();
  Settle();
  const double rebuild = Since(start);
  const std::size_t peak_after = bench::PeakMemoryBytes();
  double bare = 0;
  const int folders = BareEnumerationOfTree(folder, bare);
  std::printf("  rebuild keeping the view of %d nodes, %d expanded: %.3f s, peak memory %+.1f MiB\n", nodes, expanded,
              rebuild, (static_cast<double>(peak_after) - static_cast<double>(peak_before)) / 1048576.0);
  std::printf("    of which the shell's enumeration of the %d folders (bare, same run): %.3f s; tree work %.3f s\n",
              folders, bare, rebuild - bare);

  std::vector<std::wstring> files;
  WIN32_FIND_DATAW data;
  framework::TFindHandle find(FindFirstFileW((folder + L"\\*.zip").c_str(), &data));
  if (find.Valid()) {
    do files.push_back(folder + L"\\" + data.cFileName);
    while (FindNextFileW(find.Get(), &data));
  }
  int told = 0;
  control.OnShellChange = [&](framework::TControl*, DWORD, LPCITEMIDLIST, LPCITEMIDLIST) { ++told; };
  start = Clock::now();
  for (const std::wstring& file : files) SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, file.c_str(), nullptr);
  Settle();
  const double burst = Since(start);
  std::printf("  a burst of %zu notifications: idle again after %.3f s (%d told), %.2fx one rebuild\n", files.size(),
              burst, told, burst / rebuild);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tree-bench FOLDER_OF_20000 FOLDER_OF_ROMS FOLDER_OF_2000_FOLDERS\n");
    return 2;
  }
  framework::TApplication application;
  shellcore::ShellCommonStartup();
  {
    framework::TComApartment com;
    std::printf("folder tree over %ls\n", argv[1]);
    TreeFigures(argv[1], nullptr);
    TreeFigures(argv[1], L"*.zip;*.7z");
    std::printf("the window\n");
    WindowFigures(argv[2]);
    std::printf("change tracking over %ls\n", argv[3]);
    ChangeFigures(argv[3]);
    shellcore::ShellCommonShutdown();
  }
  return 0;
}

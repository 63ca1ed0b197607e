// Prints what the folder tree costs on a large folder under the real shell,
// beside the bare shell enumeration of the same folder in the same run:
// the time from an expand request until the children show (no mask and a
// two-pattern mask), the time until every visible node's details are
// applied with no input, the memory per node (node, record and producer),
// and the whole window: a click on a folder of many files until the list
// holds them, beside the bare listing.
//
// Usage: tree-bench FOLDER_OF_20000 FOLDER_OF_ROMS
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/main.h"
#include "bench/bench_platform.h"
#include "framework/application.h"
#include "framework/find_handle.h"
#include "framework/thread.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "shelltree/shell_tree_view.h"
#include "tests/support/tree_clicks.h"

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

class HostForm : public framework::TForm {
 public:
  HostForm() : TForm(Description()) {}

 private:
  static framework::TFormDescription Description() {
    framework::TFormDescription description;
    description.caption = L"tree bench";
    description.width = 400;
    description.height = 600;
    description.font_name = L"Tahoma";
    return description;
  }
};

// Runs the loop with no input until every visible node shows its record.
bool RunUntilVisibleShown(shelltree::TcxInnerShellTreeView& tree, DWORD limit_ms) {
  bool met = false;
  const int id = framework::Application->AddIdleHandler([&] {
    TTreeNode node = tree.TopItem();
    bool all = true;
    for (int i = 0; node && i < tree.VisibleCount(); ++i, node = tree.NextVisible(node)) {
      const shellcore::TcxShellItemInfo* item = tree.ItemOfNode(node);
      if (item && !item->ShownInView) all = false;
    }
    if (all && !met) {
      met = true;
      framework::Application->Terminate();
    }
    return true;
  });
  const DWORD ui = GetCurrentThreadId();
  const HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE limit = CreateThread(
      nullptr, 0,
      [](void* parameter) -> DWORD {
        auto* args = static_cast<std::pair<HANDLE, std::pair<DWORD, DWORD>>*>(parameter);
        if (WaitForSingleObject(args->first, args->second.second) == WAIT_TIMEOUT)
          PostThreadMessageW(args->second.first, WM_QUIT, 0, 0);
        return 0;
      },
      new std::pair<HANDLE, std::pair<DWORD, DWORD>>(stop, {ui, limit_ms}), 0, nullptr);
  framework::Application->Run();
  SetEvent(stop);
  WaitForSingleObject(limit, INFINITE);
  CloseHandle(limit);
  CloseHandle(stop);
  framework::Application->RemoveIdleHandler(id);
  return met;
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
  const bool applied = RunUntilVisibleShown(tree, 30000);
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tree-bench FOLDER_OF_20000 FOLDER_OF_ROMS\n");
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
    shellcore::ShellCommonShutdown();
  }
  return 0;
}

#pragma once
// A small producer of the tests' own over the real base: enumeration flags,
// filter and gatherer chosen by the test, the tree's child-folder test after
// a fetch, and a hook that runs on the worker before each background fetch.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "shellcore/gatherer.h"
#include "shellcore/item_producer.h"
#include "shellcore/shell_access.h"

namespace shell_test {

class TestProducer : public shellcore::TcxCustomItemProducer {
 public:
  explicit TestProducer(framework::TOwnerControl* owner = nullptr,
                        shellcore::TcxShellItemsInfoGatherer* gatherer = nullptr)
      : TcxCustomItemProducer(owner), gatherer(gatherer) {}
  ~TestProducer() override { ReleaseResources(); }

  DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  shellcore::TcxShellItemsInfoGatherer* gatherer;
  std::function<bool(shellcore::TcxShellFolder&)> accept;
  std::function<bool(shellcore::TcxShellFolder&, shellcore::TcxShellFolder&, int&)> compare;
  std::function<void(shellcore::TcxShellItemInfo*)> before_fetch;  // on the worker
  bool tips = true;
  std::atomic<int> background_fetches{0};

  bool AcceptsItem(shellcore::TcxShellFolder& item) override { return accept ? accept(item) : true; }
  bool CompareCustom(shellcore::TcxShellFolder& a, shellcore::TcxShellFolder& b, int& result) override {
    return compare ? compare(a, b, result) : false;
  }
  void FetchInBackground(shellcore::TcxShellItemInfo* item) override {
    if (before_fetch) before_fetch(item);
    FetchItem(item);
    ++background_fetches;
  }
  DWORD EnumerationFlags() override { return flags; }
  shellcore::TcxShellItemsInfoGatherer* ItemGatherer() override { return gatherer; }
  bool WantsInfoTips() override { return tips; }
  bool IsFetched(shellcore::TcxShellItemInfo* item) override { return item->FullyLoaded; }
  void AfterFetch(shellcore::TcxShellItemInfo* item) override {
    if (item && !item->OnRemovableMedia)
      item->MayHaveChildren = shellcore::FolderHasChildren(FolderInterface(), item->AbsoluteId.Get(), flags);
  }

  std::vector<std::wstring> Names() {
    std::vector<std::wstring> names;
    for (int i = 0; i < ItemCount(); ++i) names.push_back(Item(i)->DisplayName);
    return names;
  }
  shellcore::TcxShellItemInfo* Named(const std::wstring& name) {
    for (int i = 0; i < ItemCount(); ++i)
      if (Item(i)->DisplayName == name) return Item(i);
    return nullptr;
  }
};

// The folder at `path`, bound from the desktop, with its absolute ID list.
struct OpenedFolder {
  Microsoft::WRL::ComPtr<IShellFolder> folder;
  shellcore::TIdList id;
};
OpenedFolder OpenFolder(const std::wstring& path);

}  // namespace shell_test

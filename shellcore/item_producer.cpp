// Threads and lock order: see item_producer.h. Everything here runs on the
// UI thread except FetchItem, IsFetched and FetchInBackground, which the
// gatherer's worker calls under the read lock of ItemsGuard.
#include "shellcore/item_producer.h"

#include <shlobj.h>

#include <algorithm>

#include "framework/wait_cursor.h"
#include "shellcore/gatherer.h"
#include "shellcore/shell_common.h"
#include "shellcore/shell_messages.h"

namespace shellcore {

using framework::TReadLock;
using framework::TWriteLock;

void SortRecords(std::vector<std::unique_ptr<TcxShellItemInfo>>& items,
                 const std::function<int(TcxShellItemInfo&, TcxShellItemInfo&)>& compare) {
  const size_t count = items.size();
  if (count < 2) return;
  // Sorted as plain pointers: a comparison that raises leaves the owners
  // where they were, so no record is lost or freed behind the gatherer.
  std::vector<TcxShellItemInfo*> from(count);
  for (size_t i = 0; i < count; ++i) from[i] = items[i].get();
  std::vector<TcxShellItemInfo*> to(count);
  // Bottom-up merging: every step writes each index once, whatever the
  // comparison answers.
  for (size_t width = 1; width < count; width *= 2) {
    for (size_t left = 0; left < count; left += 2 * width) {
      const size_t middle = std::min(left + width, count);
      const size_t right = std::min(left + 2 * width, count);
      size_t i = left, j = middle, k = left;
      while (i < middle && j < right) to[k++] = compare(*from[j], *from[i]) < 0 ? from[j++] : from[i++];
      while (i < middle) to[k++] = from[i++];
      while (j < right) to[k++] = from[j++];
    }
    from.swap(to);
  }
  for (auto& item : items) item.release();  // each is owned again below
  for (size_t i = 0; i < count; ++i) items[i].reset(from[i]);
}

TcxCustomItemProducer::TcxCustomItemProducer(framework::TOwnerControl* owner)
    : columns_(std::make_unique<TcxShellDetails>()),
      items_guard_(std::make_unique<framework::TMultiReadExclusiveWriteSynchronizer>()),
      owner_control_(owner) {}

TcxCustomItemProducer::~TcxCustomItemProducer() {
  destroying_ = true;
  ReleaseResources();
}

void TcxCustomItemProducer::ReleaseResources() {
  Clear();
  columns_->Clear();
}

void TcxCustomItemProducer::SetFolder(IShellFolder* folder, LPCITEMIDLIST folder_id) {
  TWriteLock write(*items_guard_);  // the worker reads both under the read lock
  folder_interface_ = folder;
  folder_id_ = IdListClone(folder_id);
}

void TcxCustomItemProducer::SetFolderId(LPCITEMIDLIST folder_id) {
  TWriteLock write(*items_guard_);
  folder_id_ = IdListClone(folder_id);
}

std::unique_ptr<TcxShellItemInfo> TcxCustomItemProducer::CreateItemInfo(LPCITEMIDLIST relative) {
  return TcxShellItemInfo::CreateItemInfo(this, relative, folder_id_.Get(), folder_interface_.Get());
}

TcxShellItemInfo* TcxCustomItemProducer::AddItem(LPCITEMIDLIST relative) {
  std::unique_ptr<TcxShellItemInfo> item = CreateItemInfo(relative);
  if (item->DisplayName.empty() || !item->FolderObject || !AcceptsItem(*item->FolderObject)) return nullptr;
  return AppendItem(std::move(item));
}

TcxShellItemInfo* TcxCustomItemProducer::AppendItem(std::unique_ptr<TcxShellItemInfo> item) {
  if (!destroying_) {
    if (TcxShellItemsInfoGatherer* gatherer = ItemGatherer()) records_gatherer_ = gatherer;
  }
  TWriteLock write(*items_guard_);
  item_list_.push_back(std::move(item));
  return item_list_.back().get();
}

bool TcxCustomItemProducer::EnumerateFolder() {
  if (!folder_interface_) return false;
  Microsoft::WRL::ComPtr<IEnumIDList> enumerator;
  const HRESULT opened = folder_interface_->EnumObjects(EnumerationWindow(), EnumerationFlags(), &enumerator);
  if (FAILED(opened) || !enumerator) return false;
  for (;;) {
    TIdList item;
    ULONG fetched = 0;
    HRESULT result = enumerator->Next(1, item.Put(), &fetched);
    if (result == kEnumRetryResult) result = enumerator->Next(1, item.Put(), &fetched);
    if (FAILED(result) || result == S_FALSE || fetched == 0 || !item) break;
    AddItem(item.Get());  // the list copy goes with `item`, also when AddItem raises
  }
  TWriteLock write(*items_guard_);
  SortItems();
  return true;
}

int TcxCustomItemProducer::CompareItems(TcxShellItemInfo& a, TcxShellItemInfo& b) {
  int result = 0;
  if (a.Producer && a.FolderObject && b.FolderObject &&
      a.Producer->CompareCustom(*a.FolderObject, *b.FolderObject, result))
    return result;
  result = (b.IsContainer ? 1 : 0) - (a.IsContainer ? 1 : 0);
  if (result == 0 && folder_interface_) {
    result = CompareIdsResult(
        folder_interface_->CompareIDs(static_cast<LPARAM>(SortKey), a.RelativeId.Get(), b.RelativeId.Get()));
  }
  return ReverseOrder ? -result : result;
}

void TcxCustomItemProducer::SortItems() {
  TWriteLock write(*items_guard_);
  SortRecords(item_list_, [this](TcxShellItemInfo& a, TcxShellItemInfo& b) { return CompareItems(a, b); });
}

void TcxCustomItemProducer::Populate(int preload) {
  framework::TWaitCursor cursor;
  TWriteLock write(*items_guard_);
  EnumerateFolder();
  const int count = std::min(std::max(preload, 0), ItemCount());
  for (int i = 0; i < count; ++i) FetchItem(Item(i));
  NotifyItemsLoaded(ItemCount());
}

void TcxCustomItemProducer::ProcessFolder(IShellFolder* folder, LPCITEMIDLIST folder_id, int preload) {
  SetFolder(folder, folder_id);
  PrepareColumns(folder_interface_.Get(), preload);
  Populate(preload);
}

void TcxCustomItemProducer::PrepareColumns(IShellFolder* folder, int char_width) {
  const Microsoft::WRL::ComPtr<IShellFolder> desktop = ShellDesktop();
  SFGAOF attributes = SFGAO_FILESYSTEM;
  LPCITEMIDLIST folder_id = folder_id_.Get();
  if (!folder_id || FAILED(desktop->GetAttributesOf(1, &folder_id, &attributes))) attributes = 0;
  columns_->LoadColumns(char_width, folder, (attributes & SFGAO_FILESYSTEM) != 0);
}

void TcxCustomItemProducer::FetchItem(TcxShellItemInfo* item) {
  item->LoadFullInfo(folder_interface_.Get(), folder_id_.Get());
  AfterFetch(item);
}

int TcxCustomItemProducer::IndexOfId(LPCITEMIDLIST relative) {
  TReadLock read(*items_guard_);
  if (!folder_interface_ || !relative) return -1;
  for (int i = 0; i < ItemCount(); ++i) {
    const HRESULT answer = folder_interface_->CompareIDs(0, relative, Item(i)->RelativeId.Get());
    if ((answer & 0xFFFF) == 0) return i;
  }
  return -1;
}

void TcxCustomItemProducer::GetInfoTip(HWND window, int index, int capacity, wchar_t* buffer) {
  if (!buffer || capacity <= 0) return;
  if (!WantsInfoTips()) {
    buffer[0] = L'\0';
    return;
  }
  TReadLock read(*items_guard_);
  if (index < 0 || index >= ItemCount() || !folder_interface_) return;
  const TIdList item = IdListClone(Item(index)->RelativeId.Get());
  LPCITEMIDLIST items[1] = {item.Get()};
  Microsoft::WRL::ComPtr<IQueryInfo> info;
  if (FAILED(folder_interface_->GetUIObjectOf(window, 1, items, IID_IQueryInfo, nullptr,
                                              reinterpret_cast<void**>(info.GetAddressOf()))) ||
      !info)
    return;
  LPWSTR text = nullptr;
  if (FAILED(info->GetInfoTip(0, &text)) || !text) return;
  struct TFreeText {
    LPWSTR text;
    ~TFreeText() { ShellTaskAllocator()->Free(text); }
  } free_text{text};
  size_t length = wcslen(text);
  if (length > static_cast<size_t>(capacity - 1)) {
    length = static_cast<size_t>(capacity - 1);
    // Half a surrogate pair is no character: it is left out with the rest.
    if (length > 0 && IS_HIGH_SURROGATE(text[length - 1])) --length;
  }
  wmemcpy(buffer, text, length);
  buffer[length] = L'\0';
}

void TcxCustomItemProducer::CancelFetching() {
  TcxShellItemsInfoGatherer* gatherer = destroying_ ? nullptr : ItemGatherer();
  // The remembered gatherer may have gone before this producer.
  if (!gatherer && IsLiveGatherer(records_gatherer_)) gatherer = records_gatherer_;
  if (gatherer) gatherer->CancelProducerRequests(this);
}

void TcxCustomItemProducer::Clear() {
  CancelFetching();
  TWriteLock write(*items_guard_);
  for (auto& item : item_list_) item.reset();  // freed in list order
  item_list_.clear();
  folder_interface_.Reset();
  folder_id_.Reset();
}

LRESULT TcxCustomItemProducer::NotifyItemsLoaded(int count) {
  LRESULT answer = 0;
  framework::SendToOwnerWindow(owner_control_, SHELLMSG_ITEMS_LOADED, static_cast<WPARAM>(count), 0, &answer);
  return answer;
}

LRESULT TcxCustomItemProducer::NotifyItemRemoved(int index) {
  LRESULT answer = 0;
  framework::SendToOwnerWindow(owner_control_, SHELLMSG_ITEM_REMOVED, static_cast<WPARAM>(index), 0, &answer);
  return answer;
}

LRESULT TcxCustomItemProducer::NotifyItemAdded(int index) {
  LRESULT answer = 0;
  framework::SendToOwnerWindow(owner_control_, SHELLMSG_ITEM_ADDED, static_cast<WPARAM>(index), 0, &answer);
  return answer;
}

}  // namespace shellcore

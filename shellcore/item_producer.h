#pragma once
// Enumerates one shell folder into an ordered list of item records, keeps the
// list for a view control and tells the control's window of changes.
//
// Threads: the UI thread creates, fills, sorts, clears and frees producers
// and their records. A gatherer's worker reads records, FolderInterface and
// FolderId under a read lock of ItemsGuard and, holding only that, writes a
// record's fetched fields (FetchInBackground). The UI thread holds the write
// lock for every change of the list and a read lock while it reads records
// the worker may be filling. Lock order: the gatherer's WorkerLock, then
// ItemsGuard, then the gatherer's list locks, then LockedGetFileInfo's lock;
// a thread holding the write lock pauses the gatherer (CancelFetching, Clear,
// freeing a producer) only if this producer's requests were cancelled before
// it took the write lock.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/owner_notify.h"
#include "framework/rw_lock.h"
#include "shellcore/id_list.h"
#include "shellcore/item_info.h"
#include "shellcore/shell_details.h"

namespace shellcore {

class TcxShellItemsInfoGatherer;

// IEnumIDList::Next's answer that earns one more attempt.
inline constexpr HRESULT kEnumRetryResult = E_INVALIDARG;  // 0x80070057

// The order two records take from a folder's CompareIDs answer: only its low
// 16 bits count, as a signed number.
inline int CompareIdsResult(HRESULT answer) { return static_cast<std::int16_t>(answer & 0xFFFF); }

class TcxCustomItemProducer {
 public:
  explicit TcxCustomItemProducer(framework::TOwnerControl* owner);
  // Withdraws the records from the gatherer their producer handed them to
  // (whichever way they entered the list) and frees them. The worker calls
  // FetchInBackground and IsFetched, which a derived class supplies: by the
  // time this destructor runs those overrides and the derived fields are
  // gone, so every derived producer calls ReleaseResources first thing in
  // its own destructor.
  virtual ~TcxCustomItemProducer();
  TcxCustomItemProducer(const TcxCustomItemProducer&) = delete;
  TcxCustomItemProducer& operator=(const TcxCustomItemProducer&) = delete;

  // What a derived producer decides.
  virtual bool AcceptsItem(TcxShellFolder& /*item*/) { return true; }
  virtual void FetchInBackground(TcxShellItemInfo* item) = 0;  // on the worker
  virtual bool CompareCustom(TcxShellFolder& /*a*/, TcxShellFolder& /*b*/, int& /*result*/) { return false; }
  virtual void ReleaseResources();
  virtual void SortItems();
  virtual DWORD EnumerationFlags() = 0;
  virtual TcxShellItemsInfoGatherer* ItemGatherer() { return nullptr; }
  virtual bool WantsInfoTips() = 0;
  virtual int MakeThumbnail(TcxShellItemInfo* /*item*/) { return -1; }
  virtual void FetchItem(TcxShellItemInfo* item);
  virtual void AfterFetch(TcxShellItemInfo* /*item*/) {}
  virtual bool IsFetched(TcxShellItemInfo* item) = 0;  // on the worker
  virtual void ProcessFolder(IShellFolder* folder, LPCITEMIDLIST folder_id, int preload);
  virtual void PrepareColumns(IShellFolder* folder, int char_width);
  virtual LRESULT NotifyItemsLoaded(int count);
  virtual LRESULT NotifyItemRemoved(int index);
  virtual LRESULT NotifyItemAdded(int index);
  // The window the shell may use for prompts while enumerating.
  virtual HWND EnumerationWindow() { return nullptr; }

  framework::TMultiReadExclusiveWriteSynchronizer& ItemsGuard() { return *items_guard_; }
  void LockItemsRead() { items_guard_->BeginRead(); }
  void UnlockItemsRead() { items_guard_->EndRead(); }
  void LockItemsWrite() { items_guard_->BeginWrite(); }
  void UnlockItemsWrite() { items_guard_->EndWrite(); }

  void SetFolder(IShellFolder* folder, LPCITEMIDLIST folder_id);
  LPCITEMIDLIST FolderId() const { return folder_id_.Get(); }
  void SetFolderId(LPCITEMIDLIST folder_id);
  IShellFolder* FolderInterface() const { return folder_interface_.Get(); }
  framework::TOwnerControl* OwnerControl() const { return owner_control_; }
  TcxShellDetails& Columns() { return *columns_; }

  std::unique_ptr<TcxShellItemInfo> CreateItemInfo(LPCITEMIDLIST relative);
  // The caller holds the write lock.
  TcxShellItemInfo* AddItem(LPCITEMIDLIST relative);
  bool EnumerateFolder();
  void Populate(int preload);
  int IndexOfId(LPCITEMIDLIST relative);
  // Writes the item's tip into `buffer`, cut to `capacity` characters with
  // the terminator; an index outside the list leaves the buffer untouched.
  void GetInfoTip(HWND window, int index, int capacity, wchar_t* buffer);
  void CancelFetching();
  void Clear();

  int ItemCount() const { return static_cast<int>(item_list_.size()); }
  TcxShellItemInfo* Item(int index) const { return item_list_.at(static_cast<size_t>(index)).get(); }

  std::int32_t SortKey = 0;
  bool ReverseOrder = false;

 protected:
  // A derived producer's own changes of the list (under the write lock).
  std::vector<std::unique_ptr<TcxShellItemInfo>>& ItemList() { return item_list_; }
  // Appends a record made by CreateItemInfo: every record enters the list
  // here, so the producer knows which gatherer to withdraw them from.
  TcxShellItemInfo* AppendItem(std::unique_ptr<TcxShellItemInfo> item);
  // The order of two records; negative: a first.
  int CompareItems(TcxShellItemInfo& a, TcxShellItemInfo& b);

 private:
  std::unique_ptr<TcxShellDetails> columns_;
  TIdList folder_id_;
  std::vector<std::unique_ptr<TcxShellItemInfo>> item_list_;
  std::unique_ptr<framework::TMultiReadExclusiveWriteSynchronizer> items_guard_;
  framework::TOwnerControl* owner_control_;
  Microsoft::WRL::ComPtr<IShellFolder> folder_interface_;
  // The gatherer the records may be queued at, remembered while this object
  // is whole: a destructor cannot ask a derived class any more.
  TcxShellItemsInfoGatherer* records_gatherer_ = nullptr;
  bool destroying_ = false;
};

// Sorts `items` by `compare` (negative: first argument first) with a merge
// sort that stays within the list and ends even when the comparison
// contradicts itself, as a shell extension's CompareIDs may.
void SortRecords(std::vector<std::unique_ptr<TcxShellItemInfo>>& items,
                 const std::function<int(TcxShellItemInfo&, TcxShellItemInfo&)>& compare);

}  // namespace shellcore

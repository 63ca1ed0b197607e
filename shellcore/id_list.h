#pragma once
// Shell item identifiers (ID lists): a run of items, each led by a 16-bit
// little-endian byte count that includes the count itself, ended by a zero
// count. A null pointer means no list; the empty list (the terminator alone)
// names the desktop.
//
// Ownership is in the types: LPCITEMIDLIST is borrowed, TIdList owns a list
// from the shell task allocator and frees it. Every operation that makes a
// new list returns a TIdList. Nothing here looks inside an item's data.
#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace shellcore {

// The largest item count IdListItemCount reports; past it the list counts -1.
inline constexpr int kMaxIdListItems = 260;

class TIdList {
 public:
  TIdList() noexcept = default;
  explicit TIdList(LPITEMIDLIST owned) noexcept : list_(owned) {}
  ~TIdList();
  TIdList(TIdList&& other) noexcept : list_(other.Release()) {}
  TIdList& operator=(TIdList&& other) noexcept;
  TIdList(const TIdList&) = delete;
  TIdList& operator=(const TIdList&) = delete;

  LPCITEMIDLIST Get() const noexcept { return list_; }
  explicit operator bool() const noexcept { return list_ != nullptr; }
  // Gives up ownership; the caller frees the list.
  LPITEMIDLIST Release() noexcept;
  void Reset(LPITEMIDLIST owned = nullptr) noexcept;
  // Frees the held list and returns the slot, for a shell call's out parameter.
  LPITEMIDLIST* Put() noexcept;

 private:
  LPITEMIDLIST list_ = nullptr;
};

// The list's first item count, read without assuming alignment.
unsigned IdListItemBytes(LPCITEMIDLIST list);

LPCITEMIDLIST IdListNext(LPCITEMIDLIST list);
int IdListSize(LPCITEMIDLIST list);
int IdListItemCount(LPCITEMIDLIST list);
LPCITEMIDLIST IdListLastItem(LPCITEMIDLIST list);
TIdList IdListClone(LPCITEMIDLIST list);
TIdList IdListFirstItem(LPCITEMIDLIST list);
TIdList IdListParent(LPCITEMIDLIST list);
TIdList IdListJoin(LPCITEMIDLIST first, LPCITEMIDLIST second);
bool IdListSame(LPCITEMIDLIST a, LPCITEMIDLIST b);
bool IdListIsAncestor(LPCITEMIDLIST parent, LPCITEMIDLIST child);
void IdListFree(LPITEMIDLIST list) noexcept;

// A block from the task allocator holding the lists' pointers in order, for
// shell calls that take an array of items. The lists are not copied: they
// must outlive the array.
class TIdListArray {
 public:
  TIdListArray() noexcept = default;
  explicit TIdListArray(LPCITEMIDLIST* owned, int count) noexcept : items_(owned), count_(count) {}
  ~TIdListArray();
  TIdListArray(TIdListArray&& other) noexcept;
  TIdListArray& operator=(TIdListArray&& other) noexcept;
  TIdListArray(const TIdListArray&) = delete;
  TIdListArray& operator=(const TIdListArray&) = delete;

  LPCITEMIDLIST* Get() const noexcept { return items_; }
  int Count() const noexcept { return count_; }
  explicit operator bool() const noexcept { return items_ != nullptr; }

 private:
  LPCITEMIDLIST* items_ = nullptr;
  int count_ = 0;
};

// Null for a null list object.
TIdListArray IdListArray(const std::vector<LPCITEMIDLIST>* lists);
void IdListArrayFree(LPCITEMIDLIST* array) noexcept;

}  // namespace shellcore

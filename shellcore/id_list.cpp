#include "shellcore/id_list.h"

#include <cstring>

#include "shellcore/shell_common.h"

namespace shellcore {

namespace {

const BYTE* Bytes(LPCITEMIDLIST list) { return reinterpret_cast<const BYTE*>(list); }

// A new block of `size` bytes from the task allocator, or null.
LPITEMIDLIST Allocate(size_t size) noexcept {
  try {
    return static_cast<LPITEMIDLIST>(ShellTaskAllocator()->Alloc(size));
  } catch (...) {
    return nullptr;
  }
}

// A new list holding the first `size` bytes of `source` and a terminator.
TIdList CopyWithTerminator(LPCITEMIDLIST source, size_t size) {
  LPITEMIDLIST result = Allocate(size + 2);
  if (!result) return TIdList();
  std::memset(result, 0, size + 2);
  if (size) std::memcpy(result, source, size);
  return TIdList(result);
}

}  // namespace

TIdList::~TIdList() { IdListFree(list_); }

TIdList& TIdList::operator=(TIdList&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

LPITEMIDLIST TIdList::Release() noexcept {
  LPITEMIDLIST list = list_;
  list_ = nullptr;
  return list;
}

void TIdList::Reset(LPITEMIDLIST owned) noexcept {
  if (owned == list_) return;
  IdListFree(list_);
  list_ = owned;
}

LPITEMIDLIST* TIdList::Put() noexcept {
  Reset();
  return &list_;
}

unsigned IdListItemBytes(LPCITEMIDLIST list) {
  if (!list) return 0;
  USHORT count;
  std::memcpy(&count, list, sizeof count);
  return count;
}

LPCITEMIDLIST IdListNext(LPCITEMIDLIST list) {
  const unsigned count = IdListItemBytes(list);
  if (count == 0) return nullptr;
  return reinterpret_cast<LPCITEMIDLIST>(Bytes(list) + count);
}

int IdListSize(LPCITEMIDLIST list) {
  int size = 0;
  for (unsigned count = IdListItemBytes(list); count != 0; count = IdListItemBytes(list)) {
    size += static_cast<int>(count);
    list = IdListNext(list);
  }
  return size;
}

int IdListItemCount(LPCITEMIDLIST list) {
  int items = 0;
  for (; IdListItemBytes(list) != 0; list = IdListNext(list)) {
    if (++items > kMaxIdListItems) return -1;
  }
  return items;
}

LPCITEMIDLIST IdListLastItem(LPCITEMIDLIST list) {
  LPCITEMIDLIST last = list;
  for (; IdListItemBytes(list) != 0; list = IdListNext(list)) last = list;
  return last;
}

TIdList IdListClone(LPCITEMIDLIST list) {
  if (!list) return TIdList();
  return CopyWithTerminator(list, static_cast<size_t>(IdListSize(list)));
}

TIdList IdListFirstItem(LPCITEMIDLIST list) {
  const unsigned count = IdListItemBytes(list);
  if (count == 0) return TIdList();
  return CopyWithTerminator(list, count);
}

TIdList IdListParent(LPCITEMIDLIST list) {
  if (!list) return TIdList();
  const int size = IdListSize(list);
  const int parent_size = size == 0 ? 0 : size - static_cast<int>(IdListItemBytes(IdListLastItem(list)));
  return CopyWithTerminator(list, static_cast<size_t>(parent_size));
}

TIdList IdListJoin(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  if (!first && !second) return TIdList();
  if (!first) return IdListClone(second);
  if (!second) return IdListClone(first);
  const size_t first_size = static_cast<size_t>(IdListSize(first));
  const size_t second_size = static_cast<size_t>(IdListSize(second));
  LPITEMIDLIST result = Allocate(first_size + second_size + 2);
  if (!result) return TIdList();
  BYTE* out = reinterpret_cast<BYTE*>(result);
  std::memcpy(out, first, first_size);
  std::memcpy(out + first_size, second, second_size + 2);
  return TIdList(result);
}

bool IdListSame(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (a == b) return true;
  if (!a || !b) return false;
  const int size = IdListSize(a);
  return size == IdListSize(b) && std::memcmp(a, b, static_cast<size_t>(size)) == 0;
}

bool IdListIsAncestor(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
  // No list is an ancestor of nothing, and nothing is an ancestor.
  if (!parent || !child) return false;
  if (const auto is_parent = Shell32Functions().ILIsParent) return is_parent(parent, child, FALSE) != FALSE;
  // Without the shell's test, compare bytes.
  const int parent_size = IdListSize(parent);
  if (parent_size == 0) return true;
  if (parent_size > IdListSize(child)) return false;
  return std::memcmp(parent, child, static_cast<size_t>(parent_size)) == 0;
}

void IdListFree(LPITEMIDLIST list) noexcept {
  if (!list) return;
  try {
    ShellTaskAllocator()->Free(list);
  } catch (...) {
    CoTaskMemFree(list);  // the same allocator, reached without the shell
  }
}

TIdListArray::~TIdListArray() { IdListArrayFree(items_); }

TIdListArray::TIdListArray(TIdListArray&& other) noexcept : items_(other.items_), count_(other.count_) {
  other.items_ = nullptr;
  other.count_ = 0;
}

TIdListArray& TIdListArray::operator=(TIdListArray&& other) noexcept {
  if (this != &other) {
    IdListArrayFree(items_);
    items_ = other.items_;
    count_ = other.count_;
    other.items_ = nullptr;
    other.count_ = 0;
  }
  return *this;
}

TIdListArray IdListArray(const std::vector<LPCITEMIDLIST>* lists) {
  if (!lists) return TIdListArray();
  const size_t count = lists->size();
  void* block = nullptr;
  try {
    block = ShellTaskAllocator()->Alloc(count * sizeof(LPCITEMIDLIST));
  } catch (...) {
    block = nullptr;
  }
  if (!block) return TIdListArray();
  auto* items = static_cast<LPCITEMIDLIST*>(block);
  for (size_t i = 0; i < count; ++i) items[i] = (*lists)[i];
  return TIdListArray(items, static_cast<int>(count));
}

void IdListArrayFree(LPCITEMIDLIST* array) noexcept {
  if (!array) return;
  try {
    ShellTaskAllocator()->Free(const_cast<LPITEMIDLIST*>(array));
  } catch (...) {
    CoTaskMemFree(const_cast<LPITEMIDLIST*>(array));
  }
}

}  // namespace shellcore

// Threads and lock order: see shell_tree_producer.h.
#include "shelltree/shell_tree_producer.h"

#include "framework/rw_lock.h"
#include "framework/wait_cursor.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_messages.h"
#include "shelltree/shell_inner_tree_view.h"

namespace shelltree {

using shellcore::TcxShellItemInfo;

TcxShellTreeItemProducer::TcxShellTreeItemProducer(TcxCustomInnerShellTreeView* owner)
    : TcxCustomItemProducer(owner), tree_(owner) {
  if (tree_) tree_->RegisterProducer(this);
}

TcxShellTreeItemProducer::~TcxShellTreeItemProducer() {
  if (OnDestroy) {
    // Taken out first: the handler may clear the event it runs from.
    const TDestroyEvent handler = std::move(OnDestroy);
    handler(*this);
  }
  // The worker may be inside FetchInBackground of one of the records: it is
  // waited for and the records withdrawn while this object is still whole.
  ReleaseResources();
  if (tree_) tree_->UnregisterProducer(this);
}

bool TcxShellTreeItemProducer::AcceptsItem(shellcore::TcxShellFolder& item) {
  bool accept = shellcore::ShellItemFilterAccepts(tree_->Options(), item);
  if (tree_->OnAddFolder) tree_->OnAddFolder(item, accept);
  return accept;
}

DWORD TcxShellTreeItemProducer::EnumerationFlags() { return tree_->Options().ShellEnumFlags(); }

shellcore::TcxShellItemsInfoGatherer* TcxShellTreeItemProducer::ItemGatherer() { return &tree_->Gatherer(); }

bool TcxShellTreeItemProducer::WantsInfoTips() { return tree_->ShowInfoTips(); }

void TcxShellTreeItemProducer::AfterFetch(TcxShellItemInfo* item) {
  if (item && !item->OnRemovableMedia)
    item->MayHaveChildren = shellcore::FolderHasChildren(FolderInterface(), item->AbsoluteId.Get(), EnumerationFlags());
}

LRESULT TcxShellTreeItemProducer::Notify(UINT message, WPARAM wparam) {
  if (!Node || !tree_->HandleAllocated()) return 0;
  return SendMessageW(tree_->Handle(), message, wparam, reinterpret_cast<LPARAM>(Node));
}

LRESULT TcxShellTreeItemProducer::NotifyItemsLoaded(int count) {
  return Notify(shellcore::SHELLMSG_ITEMS_LOADED, static_cast<WPARAM>(count));
}

LRESULT TcxShellTreeItemProducer::NotifyItemRemoved(int index) {
  return Notify(shellcore::SHELLMSG_ITEM_REMOVED, static_cast<WPARAM>(index));
}

LRESULT TcxShellTreeItemProducer::NotifyItemAdded(int index) {
  return Notify(shellcore::SHELLMSG_ITEM_ADDED, static_cast<WPARAM>(index));
}

bool TcxShellTreeItemProducer::RefreshItems() {
  framework::TWaitCursor cursor;
  TcxShellTreeItemProducer fresh(tree_);  // no node: it notifies nobody
  bool listed = false;
  {
    framework::TWriteLock write(ItemsGuard());
    fresh.SetFolder(FolderInterface(), FolderId());
    listed = fresh.EnumerateFolder();
    MergeItems(fresh);
  }
  // The record that stands for this node belongs to the parent's producer,
  // whose lock guards it against the worker.
  if (OwnItem && OwnItem->Producer) {
    framework::TWriteLock write(OwnItem->Producer->ItemsGuard());
    OwnItem->FullyLoaded = false;
  }
  return listed;
}

void TcxShellTreeItemProducer::MergeItems(TcxShellTreeItemProducer& fresh) {
  framework::TWriteLock write(ItemsGuard());
  auto& mine = ItemList();
  auto& theirs = fresh.ItemList();
  IShellFolder* folder = FolderInterface();
  size_t i = 0;
  while (i < mine.size()) {
    bool found = false;
    for (size_t j = 0; j < theirs.size(); ++j) {
      const HRESULT answer =
          folder ? folder->CompareIDs(0, mine[i]->RelativeId.Get(), theirs[j]->RelativeId.Get()) : E_FAIL;
      if (folder && (answer & 0xFFFF) == 0) {
        theirs.erase(theirs.begin() + static_cast<std::ptrdiff_t>(j));
        found = true;
        break;
      }
    }
    if (found) {
      ++i;
    } else {
      NotifyItemRemoved(static_cast<int>(i));  // the node goes before its record
      mine.erase(mine.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  while (!theirs.empty()) {
    const std::unique_ptr<TcxShellItemInfo> taken = std::move(theirs.front());
    theirs.erase(theirs.begin());
    if (!taken->FolderObject || !AcceptsItem(*taken->FolderObject)) continue;
    AppendItem(CreateItemInfo(taken->RelativeId.Get()));
    NotifyItemAdded(ItemCount() - 1);
  }
}

}  // namespace shelltree

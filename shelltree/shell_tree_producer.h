#pragma once
// The children of one tree node: a producer per node that lists the node's
// folder with the tree's options and its OnAddFolder event, tells the inner
// tree which child nodes to add or remove, and merges a refreshed listing
// into its records.
//
// Threads: as for every producer (shellcore/item_producer.h). The worker
// runs FetchInBackground, IsFetched and AfterFetch under this producer's
// read lock and reads only the record and the folder fields; everything
// else, the notifications included, runs on the UI thread, which sends the
// notifications while it holds the write lock.
#include <functional>

#include "shellcore/item_producer.h"
#include "shelltree/platform_tree_view.h"

namespace shelltree {

class TcxCustomInnerShellTreeView;

class TcxShellTreeItemProducer : public shellcore::TcxCustomItemProducer {
 public:
  using TDestroyEvent = std::function<void(TcxShellTreeItemProducer& producer)>;

  // Registers with the tree's Producers list.
  explicit TcxShellTreeItemProducer(TcxCustomInnerShellTreeView* owner);
  // Raises OnDestroy, withdraws and frees the records, then leaves the
  // tree's list. A class derived from this one calls ReleaseResources first
  // thing in its own destructor (see TcxCustomItemProducer).
  ~TcxShellTreeItemProducer() override;

  bool AcceptsItem(shellcore::TcxShellFolder& item) override;
  void FetchInBackground(shellcore::TcxShellItemInfo* item) override { FetchItem(item); }
  DWORD EnumerationFlags() override;
  shellcore::TcxShellItemsInfoGatherer* ItemGatherer() override;
  bool WantsInfoTips() override;
  void AfterFetch(shellcore::TcxShellItemInfo* item) override;
  bool IsFetched(shellcore::TcxShellItemInfo* item) override { return item->FullyLoaded; }
  LRESULT NotifyItemsLoaded(int count) override;
  LRESULT NotifyItemRemoved(int index) override;
  LRESULT NotifyItemAdded(int index) override;

  // Lists the folder again and brings the records and the child nodes up to
  // date; answers whether the folder could be listed. The caller withdrew
  // this producer's requests from the gatherer first.
  bool RefreshItems();
  // Keeps the records that `fresh` still lists, removes the others and
  // appends what is new, notifying the tree of each change.
  void MergeItems(TcxShellTreeItemProducer& fresh);

  TcxCustomInnerShellTreeView* Tree() const { return tree_; }

  TTreeNode Node = nullptr;
  shellcore::TcxShellItemInfo* OwnItem = nullptr;
  TDestroyEvent OnDestroy;

 private:
  LRESULT Notify(UINT message, WPARAM wparam);

  TcxCustomInnerShellTreeView* tree_;
};

}  // namespace shelltree

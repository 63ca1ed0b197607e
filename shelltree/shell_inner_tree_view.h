#pragma once
// The inner tree of the folder tree control: nodes that stand for shell
// items, filled when first expanded, with details that a worker fetches in
// the background; window creation and destruction keeping the selection.
//
// Threads: everything here runs on the UI thread. The gatherer's worker
// reads records and the producers' folder fields under each producer's read
// lock and hands records back through the gatherer's done list, which
// DrainOneDoneItem empties while the application is idle; it never touches a
// node. The UI thread reads a producer's records under its read lock and
// changes them only inside the producer's own operations, under its write
// lock; the item notifications arrive synchronously inside those. Locks
// nest: the gatherer's worker lock, a producer's items lock, the gatherer's
// list locks, the file-information lock; the Producers lock is taken alone.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/sync.h"
#include "shellcore/drag_drop.h"
#include "shellcore/gatherer.h"
#include "shellcore/id_list.h"
#include "shelltree/inner_tree_view.h"
#include "shelltree/shell_dependents.h"
#include "shelltree/shell_tree_options.h"
#include "shelltree/shell_tree_producer.h"
#include "shelltree/shell_tree_root.h"

namespace shelltree {

class TcxCustomInnerShellTreeView : public TcxBaseInnerTreeView, public TcxShellDependentControl {
 public:
  using TAddFolderEvent = std::function<void(shellcore::TcxShellFolder& folder, bool& can_add)>;
  using TNodeEvent = std::function<void(TTreeNode node)>;
  using TNodeQueryEvent = std::function<void(TTreeNode node, bool& allow)>;
  using TEditedEvent = std::function<void(TTreeNode node, std::wstring& text)>;
  using TRootChangedEvent = std::function<void(shellcore::TcxCustomShellRoot& root)>;
  using TNotifyEvent = std::function<void()>;

  TcxCustomInnerShellTreeView();
  ~TcxCustomInnerShellTreeView() override;

  using TPlatformTreeView::HandleAllocated;
  // TOwnerControl / TcxShellDependentControl.
  HWND WindowHandle() const override { return Handle(); }
  bool HasParent() const override { return ParentWindow() != nullptr; }
  void HandleNeeded() override {}
  shellcore::TcxCustomShellRoot* RootProvider() override { return root_.get(); }
  TcxShellDependedControls* DependentsProvider() override { return dependents_.get(); }
  void Notification(TcxShellDependentControl* going) override;

  TcxShellTreeRoot& Root() { return *root_; }
  TcxShellTreeViewOptions& Options() { return *options_; }
  shellcore::TcxDragDropSettings& DragDropSettings() { return *drag_drop_settings_; }
  shellcore::TcxShellItemsInfoGatherer& Gatherer() { return *gatherer_; }
  HIMAGELIST SystemImages() const { return system_images_; }
  TcxShellDependedControls& Dependents() { return *dependents_; }

  // Builds the root node (no node given) or refreshes one node; nothing
  // while loading, without a window or without a valid root.
  void UpdateNode(TTreeNode node, bool folder_only);
  bool LoadChildren(TTreeNode node);
  void FillNode(TcxShellTreeItemProducer& producer, IShellFolder* folder, LPCITEMIDLIST id, int preload,
                TTreeNode node);
  TTreeNode AddItemNode(TTreeNode parent, shellcore::TcxShellItemInfo* item);
  void UpdateNodeFolder(TTreeNode node);
  // The producer a node owns; null for none.
  TcxShellTreeItemProducer* ProducerOf(TTreeNode node) const;
  shellcore::TcxShellItemInfo* ItemOfNode(TTreeNode node) const;
  shellcore::TIdList NodeAbsoluteId(TTreeNode node);
  shellcore::TIdList SelectionId();
  std::wstring SelectionPath();
  void RequestVisibleDetails();
  // Applies one fetched record; answers whether the done list is empty.
  bool DrainOneDoneItem();
  void ApplyDoneItem(shellcore::TcxShellItemInfo* item);
  void RefreshNode(TTreeNode node);
  // Rebuilds the tree from its root.
  void Refresh();
  void UpdateTipStyle();
  bool ShowInfoTips() const { return show_info_tips_; }
  void SetShowInfoTips(bool value);
  void EndLoading();
  // Finds an existing node for an absolute ID list, loading nothing.
  TTreeNode FindNodeById(LPCITEMIDLIST id);

  // Dependent controls: the linked one, and telling them the selection.
  void LinkListView(TcxShellDependentControl* control);
  TcxShellDependentControl* LinkedListView() const { return linked_list_view_; }
  void NotifyDependents();

  int FetchSuspendCount = 0;
  bool Navigating = false;
  bool MenuShowing = false;
  bool DraggingOut = false;
  bool Rebuilding = false;

  TAddFolderEvent OnAddFolder;
  TRootChangedEvent OnRootChanged;
  TNodeQueryEvent OnChanging;
  TNodeEvent OnChange;
  TNodeQueryEvent OnExpanding;
  TNodeEvent OnExpanded;
  TNodeQueryEvent OnCollapsing;
  TNodeEvent OnCollapsed;
  TNodeQueryEvent OnEditing;
  TEditedEvent OnEdited;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  // Producers of this tree, for the producers themselves.
  void RegisterProducer(TcxShellTreeItemProducer* producer);
  void UnregisterProducer(TcxShellTreeItemProducer* producer);
  int ProducerCount();

  virtual bool DragAllowed() { return drag_drop_settings_->AllowDragObjects(); }
  virtual bool IsLoading() { return false; }
  virtual void UpdateDragStyle();

 protected:
  // A new node's producer; a derived tree may supply its own kind.
  virtual std::unique_ptr<TcxShellTreeItemProducer> CreateProducer();

  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam) override;
  // F5, when the control's key handling left it, refreshes the tree.
  bool InnerKeyDown(WORD& key, TShiftState shift) override;
  void CreateParams(DWORD& style) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool CanChange(TTreeNode node) override;
  void Change(TTreeNode node) override;
  bool CanExpand(TTreeNode node) override;
  void NodeExpanded(TTreeNode node) override;
  bool CanCollapse(TTreeNode node) override;
  void NodeCollapsed(TTreeNode node) override;
  bool CanEdit(TTreeNode node) override;
  bool Edited(TTreeNode node, std::wstring* text) override;
  void Click() override;
  void DblClick() override;
  void NodeDeleted(TTreeNode node, void* data) override;
  void GetInfoTip(TTreeNode node, wchar_t* buffer, int capacity) override;

  // SHELLMSG_NAVIGATE: selects the target level by level.
  void Navigate(LPCITEMIDLIST target);

 private:
  void RootResolved();
  void RootSettingsChanged();
  void ItemsLoaded(int count, TTreeNode node);
  void ItemAdded(int index, TTreeNode node);
  void ItemRemoved(int index, TTreeNode node);
  // What a node shows of its record.
  static TNodeLook LookOf(const shellcore::TcxShellItemInfo& item);

  std::unique_ptr<framework::TApplicationEvents> idle_hook_;
  std::unique_ptr<TcxShellDependedControls> dependents_;
  std::unique_ptr<shellcore::TcxDragDropSettings> drag_drop_settings_;
  HIMAGELIST system_images_ = nullptr;
  framework::TCriticalSection producers_lock_;
  std::vector<TcxShellTreeItemProducer*> producers_;
  std::unique_ptr<shellcore::TcxShellItemsInfoGatherer> gatherer_;
  TcxShellDependentControl* linked_list_view_ = nullptr;
  std::unique_ptr<TcxShellTreeViewOptions> options_;
  std::unique_ptr<TcxShellTreeRoot> root_;
  bool show_info_tips_ = false;
  TTreeNode last_top_item_ = nullptr;
};

// The inner tree the control uses: keeps the selection and the indent while
// it has no window, and answers the loading and drag questions from the
// control.
class TcxInnerShellTreeView : public TcxCustomInnerShellTreeView {
 public:
  TcxInnerShellTreeView();
  ~TcxInnerShellTreeView() override;

  // Without a window the list is kept for the next window; with one the
  // tree navigates to it when it lies below the root.
  void NavigateTo(LPCITEMIDLIST id);
  LPCITEMIDLIST StoredSelection() const { return stored_selection_.Get(); }
  int StoredIndent() const { return stored_indent_; }
  int Indent() const override;
  void SetIndent(int value) override;

  bool DragAllowed() override;
  bool IsLoading() override;

 protected:
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam) override;
  void CreateWnd() override;
  void DestroyWnd() override;

 private:
  shellcore::TIdList stored_selection_;
  int stored_indent_ = -1;
};

}  // namespace shelltree

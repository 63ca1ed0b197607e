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
#include <unordered_set>
#include <vector>

#include "framework/application.h"
#include "framework/com_object.h"
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

// The shell change registration of a tree: the platform's id (0: none) and
// the watched folder's ID list.
struct TcxNotifyRegistration {
  ULONG id = 0;
  shellcore::TIdList watched;
};

// Sources and events of the registration: interrupt and shell level, new
// delivery; renames, creations, deletions, attributes, folder and item
// updates, image updates.
inline constexpr int kShellChangeSources = SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery;  // 0x8003
inline constexpr LONG kShellChangeEvents = SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE | SHCNE_MKDIR |
                                           SHCNE_RMDIR | SHCNE_ATTRIBUTES | SHCNE_UPDATEDIR | SHCNE_UPDATEITEM |
                                           SHCNE_UPDATEIMAGE | SHCNE_RENAMEFOLDER;  // 0x2B81F

// Posted by the tree to itself once shell notifications are waiting: they
// are handled together, with one rebuild for the lot.
inline constexpr UINT kHandleShellChanges = WM_APP + 0x0B40;

// The refresh of a node after a drop waits this long for the shell to finish
// with the dropped data, on a timer: the window goes on painting meanwhile.
inline constexpr UINT_PTR kRefreshNodeTimer = kFirstTreeTimer + 1;
inline constexpr UINT kRefreshAfterDropMs = 100;

class TcxCustomInnerShellTreeView;

// The tree as an OLE drop target ({F688E250-96A6-4222-AF9D-049EB6E7D05B}):
// every call goes to the tree, which hands it to the shell's drop target of
// the node under the pointer.
class TcxTreeDropTarget : public framework::TInterfacedObject<IDropTarget> {
 public:
  explicit TcxTreeDropTarget(TcxCustomInnerShellTreeView* tree) : tree_(tree) {}
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  // The tree goes: later calls answer that nothing can be dropped.
  void Detach() { tree_ = nullptr; }

 protected:
  ~TcxTreeDropTarget() override = default;

 private:
  TcxCustomInnerShellTreeView* tree_;
};

// Registers `window` for `message` on the shell's changes under `id` (an
// equal list does nothing; none unregisters). A failed registration keeps
// the list, so asking again for the same folder does nothing.
void WatchFolder(LPCITEMIDLIST id, HWND window, UINT message, TcxNotifyRegistration& registration, bool recursive);

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
  // Rebuilds the tree keeping the view, and tells of it as a change with
  // event 0.
  void Refresh();

  // Change tracking: the registration follows the selected folder.
  void WatchNode(TTreeNode node);
  void StopWatching();
  const TcxNotifyRegistration& NotifyRegistration() const { return notify_registration_; }
  // One shell change: the tree is rebuilt keeping the view, then told.
  void ShellChanged(DWORD event, LPCITEMIDLIST id1, LPCITEMIDLIST id2);
  void RebuildKeepingView();
  void SaveView();
  void RestoreView();
  bool RegisteringNotify = false;

  // Dragging out and dropping in.
  void BeginOleDrag(TTreeNode node);
  IDropTarget* OleDropTarget() const { return drop_target_.Get(); }
  HRESULT DropEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect);
  HRESULT DropOver(DWORD keys, POINTL point, DWORD* effect);
  HRESULT DropLeave();
  HRESULT DropData(IDataObject* data, DWORD keys, POINTL point, DWORD* effect);
  TTreeNode DropHighlightNode() const { return drop_highlight_node_; }
  bool Dragging() const { return drag_data_ != nullptr; }
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
  TcxShellTreeItemProducer* MenuProducer() const { return menu_producer_; }
  bool DraggingOut = false;
  bool Rebuilding = false;

  std::function<void(DWORD event, LPCITEMIDLIST id1, LPCITEMIDLIST id2)> OnShellChange;
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
  void BeginDrag(TTreeNode node, bool right_button) override;
  // The shell's menu for the node at a client point.
  bool ContextPopup(POINT client) override;
  void GetInfoTip(TTreeNode node, wchar_t* buffer, int capacity) override;

  // SHELLMSG_NAVIGATE: selects the target level by level.
  void Navigate(LPCITEMIDLIST target);

 private:
  struct TShellChange {
    DWORD event = 0;
    shellcore::TIdList id1;
    shellcore::TIdList id2;
  };
  // Copies a delivered notification and has the waiting ones handled soon.
  void ShellNotified(HANDLE shared, DWORD process);
  void HandleShellChanges(std::vector<TShellChange>& changes);
  void SelectId(LPITEMIDLIST id);
  // The producer read-locked for a menu goes while the menu is up.
  void ReleaseMenuProducer();
  // Drop target helpers: the node's shell drop target under the pointer.
  bool PickDropTarget(POINTL screen);
  Microsoft::WRL::ComPtr<IDropTarget> NodeDropTarget(TTreeNode node);
  HRESULT ReleaseDropTarget();
  void SetDropHighlight(TTreeNode node);
  void ApplyDefaultEffect(DWORD keys, DWORD* effect);
  void RegisterDropTarget();
  void RevokeDropTarget();
  void RefreshDroppedNodes();

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
  // A set: a large folder's thousands of producers come and go one by one.
  std::unordered_set<TcxShellTreeItemProducer*> producers_;
  std::unique_ptr<shellcore::TcxShellItemsInfoGatherer> gatherer_;
  TcxShellDependentControl* linked_list_view_ = nullptr;
  std::unique_ptr<TcxShellTreeViewOptions> options_;
  std::unique_ptr<TcxShellTreeRoot> root_;
  bool show_info_tips_ = false;
  TTreeNode last_top_item_ = nullptr;
  TcxNotifyRegistration notify_registration_;
  TcxShellTreeItemProducer* menu_producer_ = nullptr;  // read-locked while its menu is up
  Microsoft::WRL::ComPtr<TcxTreeDropTarget> drop_target_;
  bool drop_target_registered_ = false;
  Microsoft::WRL::ComPtr<IDataObject> drag_data_;
  Microsoft::WRL::ComPtr<IDropTarget> current_drop_target_;
  TTreeNode drop_highlight_node_ = nullptr;
  TTreeNode drag_node_ = nullptr;
  TTreeNode drag_parent_node_ = nullptr;
  bool right_button_drag_ = false;
  std::vector<TTreeNode> dropped_nodes_;  // refreshed when the timer comes
  std::vector<TShellChange> pending_changes_;
  bool changes_posted_ = false;
  int saved_top_index_ = -1;
  std::vector<shellcore::TIdList> saved_expanded_;  // an empty entry stands for the root node
  shellcore::TIdList saved_selection_;
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

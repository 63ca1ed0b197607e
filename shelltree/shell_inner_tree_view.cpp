// Threads and lock order: see shell_inner_tree_view.h. Everything here runs
// on the UI thread.
#include "shelltree/shell_inner_tree_view.h"

#include <shellapi.h>

#include <algorithm>

#include "framework/rw_lock.h"
#include "framework/wait_cursor.h"
#include "shellcore/context_menu.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "shellcore/shell_messages.h"
#include "shelltree/shell_tree_view.h"

namespace shelltree {

using framework::TReadLock;
using shellcore::TcxShellItemInfo;
using shellcore::TIdList;

namespace {

// SHGetFileInfo flags of a node's own icons and name.
constexpr UINT kNodeInfoQuery = SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME;  // with SHGFI_PIDL: 0x4208
constexpr UINT kNodeOpenIconQuery = SHGFI_SYSICONINDEX | SHGFI_OPENICON;  // 0x400A
constexpr UINT kSystemImagesQuery = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;  // 0x4001
// The file-information check of a navigation target.
constexpr UINT kNavigateCheckQuery = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;  // with SHGFI_PIDL: 0x4009

class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

class TUpdateScope {
 public:
  explicit TUpdateScope(TPlatformTreeView& tree) : tree_(tree) { tree_.BeginUpdate(); }
  ~TUpdateScope() { tree_.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TPlatformTreeView& tree_;
};

}  // namespace

TcxCustomInnerShellTreeView::TcxCustomInnerShellTreeView() {
  dependents_ = std::make_unique<TcxShellDependedControls>();
  gatherer_ = std::make_unique<shellcore::TcxShellItemsInfoGatherer>(this);
  root_ = std::make_unique<TcxShellTreeRoot>(this, nullptr);
  root_->OnRootResolved = [this](framework::TOwnerControl*, shellcore::TcxCustomShellRoot&) { RootResolved(); };
  root_->OnRootSettingsChanged = [this](shellcore::TcxCustomShellRoot&) { RootSettingsChanged(); };
  drag_drop_settings_ = std::make_unique<shellcore::TcxDragDropSettings>();
  drag_drop_settings_->OnDragDropSettingsChanged = [this](shellcore::TcxDragDropSettings&) { UpdateDragStyle(); };
  options_ = std::make_unique<TcxShellTreeViewOptions>(this);
  options_->OnShowToolTipChanged = [this](shellcore::TcxShellOptions& options) {
    SetToolTips(options.ShowToolTip());
    UpdateTipStyle();
  };
  SHFILEINFOW info{};
  system_images_ = reinterpret_cast<HIMAGELIST>(
      shellcore::LockedGetFileInfo(L"C:\\", 0, &info, sizeof info, kSystemImagesQuery));
  // Icons are drawn over the tree's own background.
  if (system_images_) ImageList_SetBkColor(system_images_, CLR_NONE);
  SetRightClickSelect(true);
  idle_hook_ = std::make_unique<framework::TApplicationEvents>();
  idle_hook_->OnIdle = [this] { return DrainOneDoneItem(); };
}

TcxCustomInnerShellTreeView::~TcxCustomInnerShellTreeView() {
  destroying_ = true;
  idle_hook_.reset();
  StopWatching();
  if (HandleAllocated()) RevokeDropTarget();
  if (drop_target_) drop_target_->Detach();  // OLE may hold it a moment longer
  // The worker ends first: a failure it reports is shown in a modal loop
  // that may deliver this tree's posted messages, and every node and
  // producer they name must still be there.
  gatherer_->StopWorker();
  {
    framework::TCriticalSectionLock hold(producers_lock_);
    for (TcxShellTreeItemProducer* producer : producers_) producer->CancelFetching();
  }
  LinkListView(nullptr);
  // Each deletion frees its node's producer.
  if (HandleAllocated()) ClearNodes();
  options_.reset();
  drag_drop_settings_.reset();
  root_.reset();
  gatherer_.reset();
  dependents_.reset();
}

std::unique_ptr<TcxShellTreeItemProducer> TcxCustomInnerShellTreeView::CreateProducer() {
  return std::make_unique<TcxShellTreeItemProducer>(this);
}

void TcxCustomInnerShellTreeView::RegisterProducer(TcxShellTreeItemProducer* producer) {
  framework::TCriticalSectionLock hold(producers_lock_);
  producers_.insert(producer);
}

void TcxCustomInnerShellTreeView::UnregisterProducer(TcxShellTreeItemProducer* producer) {
  framework::TCriticalSectionLock hold(producers_lock_);
  producers_.erase(producer);
}

int TcxCustomInnerShellTreeView::ProducerCount() {
  framework::TCriticalSectionLock hold(producers_lock_);
  return static_cast<int>(producers_.size());
}

TcxShellTreeItemProducer* TcxCustomInnerShellTreeView::ProducerOf(TTreeNode node) const {
  return node ? static_cast<TcxShellTreeItemProducer*>(Data(node)) : nullptr;
}

TcxShellItemInfo* TcxCustomInnerShellTreeView::ItemOfNode(TTreeNode node) const {
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  return producer ? producer->OwnItem : nullptr;
}

void TcxCustomInnerShellTreeView::UpdateNode(TTreeNode node, bool folder_only) {
  if (IsLoading() || !HandleAllocated() || !root_->RootValid()) return;
  if (!node) {
    if (FirstNode() && ProducerOf(FirstNode())) ClearNodes();
    node = FirstNode();
    if (!node) node = AddChild(nullptr, std::wstring(), nullptr);
    if (!ProducerOf(node)) SetData(node, CreateProducer().release());  // the node owns it from here
  }
  if (folder_only && Parent(node)) {
    UpdateNodeFolder(node);
  } else {
    SetHasChildren(node, true);
    if (!CanExpand(node) && Parent(node)) UpdateNodeFolder(node);
  }
  WatchNode(nullptr);
}

bool TcxCustomInnerShellTreeView::CanExpand(TTreeNode node) {
  bool allow = FirstChild(node) != nullptr || LoadChildren(node);
  if (allow && OnExpanding) OnExpanding(node, allow);
  return allow;
}

bool TcxCustomInnerShellTreeView::LoadChildren(TTreeNode node) {
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  if (!producer) return false;
  Microsoft::WRL::ComPtr<IShellFolder> folder;
  TIdList id;
  if (!Parent(node)) {
    root_->EnsureResolved();
    folder = root_->RootShellFolder();
    id = shellcore::IdListClone(root_->RootIdList());
  } else {
    TcxShellItemInfo* item = ItemOfNode(node);
    TcxShellTreeItemProducer* parent = ProducerOf(Parent(node));
    if (!item || !parent) return false;
    SetHasChildren(node, item->IsContainer);
    if (!item->IsContainer || !parent->FolderInterface() ||
        FAILED(parent->FolderInterface()->BindToObject(item->RelativeId.Get(), nullptr, IID_PPV_ARGS(&folder))) ||
        !folder)
      return false;
    id = shellcore::IdListJoin(parent->FolderId(), item->RelativeId.Get());
  }
  if (!folder) return false;
  const int preload = options_->ShowNonFolders() ? VisibleCount() : 0;
  FillNode(*producer, folder.Get(), id.Get(), preload, node);
  return true;
}

void TcxCustomInnerShellTreeView::FillNode(TcxShellTreeItemProducer& producer, IShellFolder* folder,
                                            LPCITEMIDLIST id, int preload, TTreeNode node) {
  producer.Node = node;
  // A fill that stopped part-way (a handler raised) starts again from
  // nothing, so no record or child node is there twice.
  if (producer.ItemCount() > 0) {
    DeleteChildren(node);
    producer.Clear();
  }
  SHFILEINFOW info{};
  shellcore::LockedGetFileInfo(id, info, kNodeInfoQuery);
  if (const TcxShellItemInfo* item = ItemOfNode(node)) {
    SetText(node, shellcore::NameInFolder(item->Producer->FolderInterface(), shellcore::IdListLastItem(id)));
  } else {
    SetText(node, info.szDisplayName);
  }
  SetImageIndex(node, info.iIcon);
  SHFILEINFOW open{};
  shellcore::LockedGetFileInfo(id, open, kNodeOpenIconQuery);
  SetSelectedIndex(node, open.iIcon);
  producer.ProcessFolder(folder, id, preload);
}

TNodeLook TcxCustomInnerShellTreeView::LookOf(const TcxShellItemInfo& item) {
  TNodeLook look;
  look.text = item.DisplayName;
  look.image = item.ClosedImageIndex;
  look.selected_image = item.OpenImageIndex;
  look.has_children = item.MayHaveChildren;
  look.cut = item.Dimmed;
  look.overlay = item.ShellOverlay;
  return look;
}

TTreeNode TcxCustomInnerShellTreeView::AddItemNode(TTreeNode parent, TcxShellItemInfo* item) {
  std::unique_ptr<TcxShellTreeItemProducer> producer = CreateProducer();
  producer->OwnItem = item;
  // One platform call per node: a folder of many thousands fills at once.
  const TTreeNode node = AddChild(parent, LookOf(*item), producer.get());
  producer.release();  // the node owns it now
  item->ViewElement = node;
  return node;
}

void TcxCustomInnerShellTreeView::ItemsLoaded(int count, TTreeNode node) {
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  if (!node || !producer) return;
  if (count == 0) {
    DeleteChildren(node);
    SetHasChildren(node, false);
    return;
  }
  {
    TReadLock read(producer->ItemsGuard());
    TUpdateScope update(*this);
    for (int i = 0; i < producer->ItemCount(); ++i) AddItemNode(node, producer->Item(i));
  }
  if (!FirstChild(node)) SetHasChildren(node, false);
}

void TcxCustomInnerShellTreeView::ItemAdded(int index, TTreeNode node) {
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  if (!node || !producer) return;
  TReadLock read(producer->ItemsGuard());
  if (index < 0 || index >= producer->ItemCount()) return;
  AddItemNode(node, producer->Item(index));
  SetHasChildren(node, true);
}

void TcxCustomInnerShellTreeView::ItemRemoved(int index, TTreeNode node) {
  if (!node) return;
  if (const TTreeNode child = ChildAt(node, index)) Delete(child);
}

void TcxCustomInnerShellTreeView::UpdateNodeFolder(TTreeNode node) {
  const TTreeNode parent_node = Parent(node);
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  TcxShellTreeItemProducer* parent = ProducerOf(parent_node);
  TcxShellItemInfo* item = ItemOfNode(node);
  if (!parent_node || !producer || !parent || !item) return;
  const TIdList id = shellcore::IdListJoin(parent->FolderId(), item->RelativeId.Get());
  producer->SetFolderId(id.Get());  // under its write lock: the worker reads it
  SetHasChildren(node, shellcore::FolderHasChildren(parent->FolderInterface(), id.Get(), parent->EnumerationFlags()));
}

TIdList TcxCustomInnerShellTreeView::NodeAbsoluteId(TTreeNode node) {
  if (!node) return TIdList();
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  if (producer && producer->FolderId()) return shellcore::IdListClone(producer->FolderId());
  root_->EnsureResolved();
  const TTreeNode parent_node = Parent(node);
  if (!parent_node) return shellcore::IdListClone(root_->RootIdList());
  TcxShellTreeItemProducer* parent = ProducerOf(parent_node);
  if (!parent) return TIdList();
  TReadLock read(parent->ItemsGuard());
  const int index = Index(node);
  if (index < 0 || index >= parent->ItemCount()) return TIdList();
  return shellcore::IdListClone(parent->Item(index)->AbsoluteId.Get());
}

TIdList TcxCustomInnerShellTreeView::SelectionId() {
  const TTreeNode node = Selected();
  return node ? NodeAbsoluteId(node) : TIdList();
}

std::wstring TcxCustomInnerShellTreeView::SelectionPath() {
  const TIdList id = SelectionId();
  return shellcore::IdListToPath(id.Get());
}

void TcxCustomInnerShellTreeView::RequestVisibleDetails() {
  if (FetchSuspendCount > 0 || !HandleAllocated()) return;
  const int count = VisibleCount();
  TTreeNode node = TopItem();
  last_top_item_ = node;
  std::vector<TcxShellItemInfo*> wanted;
  for (int walked = 0; node && walked <= count; ++walked, node = NextVisible(node)) {
    if (!Parent(node)) continue;
    TcxShellItemInfo* item = ItemOfNode(node);
    if (item && (!item->FullyLoaded || !item->ShownInView)) wanted.push_back(item);
  }
  gatherer_->ClearRequests();
  gatherer_->RequestItems(wanted);
}

bool TcxCustomInnerShellTreeView::DrainOneDoneItem() {
  if (TcxShellItemInfo* item = gatherer_->TakeDoneItem()) ApplyDoneItem(item);
  // Another pass while records wait: one record per pass keeps input first.
  return !gatherer_->HasDoneItems();
}

void TcxCustomInnerShellTreeView::ApplyDoneItem(TcxShellItemInfo* item) {
  if (!item || !item->Producer) return;
  TReadLock read(item->Producer->ItemsGuard());
  const auto node = static_cast<TTreeNode>(item->ViewElement);
  if (node && HandleAllocated()) SetLook(node, LookOf(*item));
  item->ShownInView = true;
}

void TcxCustomInnerShellTreeView::RefreshNode(TTreeNode node) {
  TcxShellTreeItemProducer* producer = ProducerOf(node);
  if (!producer) return;
  ++FetchSuspendCount;
  {
    struct TResume {
      int& count;
      ~TResume() {
        if (count > 0) --count;
      }
    } resume{FetchSuspendCount};
    framework::TWaitCursor cursor;
    gatherer_->CancelProducerRequests(producer);
    if (!producer->RefreshItems()) UpdateNode(node, false);
  }
  RequestVisibleDetails();
}

void TcxCustomInnerShellTreeView::Refresh() {
  if (!HandleAllocated()) return;
  if (!root_->RootShellFolder()) root_->ResolveRoot();
  LPCITEMIDLIST record[2] = {root_->RootIdList(), nullptr};
  SendMessageW(Handle(), shellcore::SHELLMSG_SHELL_CHANGE, reinterpret_cast<WPARAM>(record), 0);
}

void WatchFolder(LPCITEMIDLIST id, HWND window, UINT message, TcxNotifyRegistration& registration, bool recursive) {
  const LPCITEMIDLIST watched = registration.watched.Get();
  if ((!id && !watched) || (id && watched && shellcore::IdListSame(id, watched))) return;
  const shellcore::TShell32Functions& shell = shellcore::Shell32Functions();
  if (registration.id != 0) {
    if (shell.SHChangeNotifyDeregister) shell.SHChangeNotifyDeregister(registration.id);
    registration.id = 0;
  }
  registration.watched.Reset();
  if (!id) return;
  registration.watched = shellcore::IdListClone(id);
  SHChangeNotifyEntry entry{registration.watched.Get(), recursive ? TRUE : FALSE};
  if (shell.SHChangeNotifyRegister) {
    registration.id = shell.SHChangeNotifyRegister(window, kShellChangeSources, kShellChangeEvents, message, 1, &entry);
  }
}

void TcxCustomInnerShellTreeView::WatchNode(TTreeNode node) {
  if (MenuShowing) return;  // the menu's own registration stays while it is up
  TFlagScope registering(RegisteringNotify);
  if (!options_->TrackShellChanges() || !HandleAllocated() || !FirstNode()) {
    StopWatching();
    return;
  }
  if (!node) node = PlatformSelected() ? PlatformSelected() : FirstNode();
  LPCITEMIDLIST id = nullptr;
  if (!Parent(node)) {
    root_->EnsureResolved();
    id = root_->RootIdList();
  } else if (const TcxShellItemInfo* item = ItemOfNode(node)) {
    id = item->AbsoluteId.Get();
  }
  WatchFolder(id, Handle(), shellcore::SHELLMSG_SHELL_NOTIFY, notify_registration_, true);
}

void TcxCustomInnerShellTreeView::StopWatching() {
  WatchFolder(nullptr, nullptr, 0, notify_registration_, false);
}

void TcxCustomInnerShellTreeView::ShellNotified(HANDLE shared, DWORD process) {
  const shellcore::TShell32Functions& shell = shellcore::Shell32Functions();
  if (!shell.SHChangeNotification_Lock || !shell.SHChangeNotification_Unlock) return;
  LPITEMIDLIST* lists = nullptr;
  LONG event = 0;
  const HANDLE lock = shell.SHChangeNotification_Lock(shared, process, &lists, &event);
  if (!lock) return;  // the event's lists cannot be read
  TShellChange change;
  {
    struct TUnlock {
      const shellcore::TShell32Functions& shell;
      HANDLE lock;
      ~TUnlock() { shell.SHChangeNotification_Unlock(lock); }
    } unlock{shell, lock};
    change.event = static_cast<DWORD>(event);
    change.id1 = shellcore::IdListClone(lists ? lists[0] : nullptr);
    change.id2 = shellcore::IdListClone(lists ? lists[1] : nullptr);
  }
  pending_changes_.push_back(std::move(change));
  // A burst of changes (a copy of many files) is handled as one: the tree is
  // rebuilt once when the queue has delivered what it holds.
  if (!changes_posted_) {
    changes_posted_ = true;
    PostMessageW(Handle(), kHandleShellChanges, 0, 0);
  }
}

void TcxCustomInnerShellTreeView::ShellChanged(DWORD event, LPCITEMIDLIST id1, LPCITEMIDLIST id2) {
  std::vector<TShellChange> changes(1);
  changes[0].event = event;
  changes[0].id1 = shellcore::IdListClone(id1);
  changes[0].id2 = shellcore::IdListClone(id2);
  HandleShellChanges(changes);
}

void TcxCustomInnerShellTreeView::HandleShellChanges(std::vector<TShellChange>& changes) {
  if (RegisteringNotify || Rebuilding) return;
  std::vector<const TShellChange*> accepted;
  for (const TShellChange& change : changes) {
    // An update of an item the tree does not show changes nothing it shows.
    if (change.event == static_cast<DWORD>(SHCNE_UPDATEITEM) && !FindNodeById(change.id1.Get())) continue;
    accepted.push_back(&change);
  }
  if (accepted.empty()) return;
  // Every change is told, in the order it came, also when the rebuild failed.
  const auto tell = [&] {
    if (!OnShellChange) return;
    for (const TShellChange* change : accepted) OnShellChange(change->event, change->id1.Get(), change->id2.Get());
  };
  try {
    RebuildKeepingView();
  } catch (...) {
    tell();
    throw;
  }
  tell();
}

void TcxCustomInnerShellTreeView::RebuildKeepingView() {
  if (drag_data_ || DraggingOut) return;
  TUpdateScope update(*this);
  TFlagScope rebuilding(Rebuilding);
  const HWND outer = Container() ? Container()->Handle() : nullptr;
  if (outer) SendMessageW(outer, WM_SETREDRAW, FALSE, 0);
  struct TRedraw {
    HWND outer;
    ~TRedraw() {
      if (!outer) return;
      SendMessageW(outer, WM_SETREDRAW, TRUE, 0);
      RedrawWindow(outer, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
  } redraw{outer};
  SaveView();
  try {
    ClearNodes();
    UpdateNode(nullptr, false);
  } catch (...) {
    RestoreView();
    throw;
  }
  RestoreView();
}

void TcxCustomInnerShellTreeView::SaveView() {
  saved_top_index_ = -1;
  saved_expanded_.clear();
  saved_selection_.Reset();
  const TTreeNode top = TopItem();
  int index = 0;
  for (TTreeNode node = FirstNode(); node; node = NextInTreeOrder(node), ++index) {
    if (node == top) saved_top_index_ = index;
    if (!IsExpanded(node)) continue;
    if (!Parent(node)) {
      saved_expanded_.emplace_back();
    } else if (const TcxShellItemInfo* item = ItemOfNode(node)) {
      saved_expanded_.push_back(shellcore::IdListClone(item->AbsoluteId.Get()));
    }
  }
  if (const TTreeNode selected = PlatformSelected()) {
    if (!Parent(selected)) {
      saved_selection_ = shellcore::IdListClone(root_->RootIdList());
    } else if (const TcxShellItemInfo* item = ItemOfNode(selected)) {
      saved_selection_ = shellcore::IdListClone(item->AbsoluteId.Get());
    }
  }
}

void TcxCustomInnerShellTreeView::RestoreView() {
  // Parents come before their children in tree order: each level is loaded
  // by the time its children are looked up.
  std::vector<TIdList> expanded = std::move(saved_expanded_);
  saved_expanded_.clear();
  const TIdList selection = std::move(saved_selection_);
  for (const TIdList& entry : expanded) {
    root_->EnsureResolved();
    if (const TTreeNode node = FindNodeById(entry ? entry.Get() : root_->RootIdList())) Expand(node);
  }
  if (saved_top_index_ >= 0) {
    int index = 0;
    TTreeNode node = FirstNode();
    for (; node && index < saved_top_index_; node = NextInTreeOrder(node)) ++index;
    if (node) SetTopItem(node);
  }
  if (selection) {
    // The nearest ancestor that is still there, at the latest the root.
    TIdList found = shellcore::IdListClone(selection.Get());
    while (found && !FindNodeById(found.Get())) {
      if (shellcore::IdListItemCount(found.Get()) <= 0) {
        found = shellcore::IdListClone(root_->RootIdList());
        break;
      }
      found = shellcore::IdListParent(found.Get());
    }
    if (found) PostMessageW(Handle(), shellcore::SHELLMSG_SELECT_ID, reinterpret_cast<WPARAM>(found.Release()), 0);
  }
}

void TcxCustomInnerShellTreeView::SelectId(LPITEMIDLIST id) {
  if (MenuShowing) {
    // The menu is still up: the selection waits for it, the list with it.
    PostMessageW(Handle(), shellcore::SHELLMSG_SELECT_ID, reinterpret_cast<WPARAM>(id), 0);
    return;
  }
  const TIdList owned(id);
  const bool auto_expand = AutoExpand();
  SetAutoExpand(false);
  struct TRestore {
    TcxCustomInnerShellTreeView& tree;
    bool auto_expand;
    ~TRestore() { tree.SetAutoExpand(auto_expand); }
  } restore{*this, auto_expand};
  // Selecting level by level scrolls each level into view; the top node the
  // rebuild put back stays, and the posted ensure-visible scrolls only when
  // the selection is out of sight.
  const TTreeNode top = TopItem();
  SendMessageW(Handle(), shellcore::SHELLMSG_NAVIGATE, reinterpret_cast<WPARAM>(owned.Get()), 0);
  if (top) SetTopItem(top);
  NotifyDependents();
}

bool TcxCustomInnerShellTreeView::InnerKeyDown(WORD& key, TShiftState) {
  if (key != VK_F5) return false;
  Refresh();
  return true;
}

bool TcxCustomInnerShellTreeView::CanChange(TTreeNode node) {
  bool allow = true;
  if (OnChanging) OnChanging(node, allow);
  return allow;
}

void TcxCustomInnerShellTreeView::Change(TTreeNode node) {
  if (OnChange) OnChange(node);
  if (const TTreeNode selected = Selected()) UpdateNode(selected, !Navigating);
  if (TopItem() != last_top_item_) {
    last_top_item_ = TopItem();
    RequestVisibleDetails();
  }
  if (!Navigating) NotifyDependents();
}

void TcxCustomInnerShellTreeView::NodeExpanded(TTreeNode node) {
  if (OnExpanded) OnExpanded(node);
  RequestVisibleDetails();
}

bool TcxCustomInnerShellTreeView::CanCollapse(TTreeNode node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(node, allow);
  return allow;
}

void TcxCustomInnerShellTreeView::NodeCollapsed(TTreeNode node) {
  if (OnCollapsed) OnCollapsed(node);
}

bool TcxCustomInnerShellTreeView::CanEdit(TTreeNode node) {
  const TTreeNode parent_node = Parent(node);
  TcxShellItemInfo* item = ItemOfNode(node);
  TcxShellTreeItemProducer* parent = ProducerOf(parent_node);
  if (!parent_node || !item || !parent) return false;  // the root is not renamed
  bool renamable = false;
  {
    // Whether the shell lets the item be renamed is part of its details.
    framework::TWriteLock write(parent->ItemsGuard());
    if (!parent->IsFetched(item)) parent->FetchInBackground(item);
    renamable = item->Renamable;
  }
  bool allow = renamable && !ReadOnly();
  if (allow && OnEditing) OnEditing(node, allow);
  return allow;
}

bool TcxCustomInnerShellTreeView::Edited(TTreeNode node, std::wstring* text) {
  if (!text) return false;  // cancelled: nothing changes
  const std::wstring before = Text(node);
  if (OnEdited) OnEdited(node, *text);
  SetText(node, *text);
  const TTreeNode parent_node = Parent(node);
  TcxShellItemInfo* item = ItemOfNode(node);
  TcxShellTreeItemProducer* parent = ProducerOf(parent_node);
  if (!parent_node || !item || !parent || !parent->FolderInterface()) return false;
  // The tree's own rename must not come back as a shell change.
  StopWatching();
  TIdList renamed;
  const HRESULT result = parent->FolderInterface()->SetNameOf(Handle(), item->RelativeId.Get(), text->c_str(),
                                                              SHGDN_INFOLDER | SHGDN_FORPARSING, renamed.Put());
  if (result != S_OK) {
    SetText(node, before);
    return false;
  }
  {
    // The worker reads the record's ID lists under the read lock.
    framework::TWriteLock write(parent->ItemsGuard());
    item->Repoint(parent->FolderInterface(), parent->FolderId(), renamed.Get());
  }
  UpdateNode(node, true);
  return false;  // the node's text is set here already
}

void TcxCustomInnerShellTreeView::Click() {
  if (OnClick) OnClick();
}

void TcxCustomInnerShellTreeView::DblClick() {
  if (OnDblClick) OnDblClick();
}

void TcxCustomInnerShellTreeView::NodeDeleted(TTreeNode node, void* data) {
  if (auto* producer = static_cast<TcxShellTreeItemProducer*>(data)) {
    // The record stays with the parent's producer a moment longer; it must
    // not name a node that is gone.
    if (producer->OwnItem && producer->OwnItem->ViewElement == node) producer->OwnItem->ViewElement = nullptr;
    delete producer;  // the node owned it
  }
  if (last_top_item_ == node) last_top_item_ = nullptr;
  if (drag_node_ == node) drag_node_ = nullptr;
  if (drag_parent_node_ == node) drag_parent_node_ = nullptr;
  if (drop_highlight_node_ == node) drop_highlight_node_ = nullptr;
  dropped_nodes_.erase(std::remove(dropped_nodes_.begin(), dropped_nodes_.end(), node), dropped_nodes_.end());
}

bool TcxCustomInnerShellTreeView::ContextPopup(POINT client) {
  const TTreeNode node = NodeAt(client);
  if (!options_->ContextMenus() || !node) return TcxBaseInnerTreeView::ContextPopup(client);
  const TTreeNode parent_node = Parent(node);
  TcxShellTreeItemProducer* producer = ProducerOf(parent_node);
  if (!parent_node || !producer) return true;  // the root has no menu
  menu_producer_ = producer;
  producer->OnDestroy = [this](TcxShellTreeItemProducer&) { ReleaseMenuProducer(); };
  producer->LockItemsRead();
  struct TCleanup {
    TcxCustomInnerShellTreeView& tree;
    ~TCleanup() {
      if (tree.menu_producer_) tree.menu_producer_->UnlockItemsRead();
      tree.MenuShowing = false;
      if (tree.menu_producer_) {
        tree.menu_producer_->OnDestroy = nullptr;
        tree.menu_producer_ = nullptr;
      }
    }
  } cleanup{*this};
  WatchNode(node);  // the registration follows the clicked item while its menu is up
  const int index = Index(node);
  TcxShellItemInfo* item = index >= 0 && index < producer->ItemCount() ? producer->Item(index) : nullptr;
  MenuShowing = true;
  if (item && item->RelativeId) {
    const TIdList copy = shellcore::IdListClone(item->RelativeId.Get());
    const std::vector<LPCITEMIDLIST> items{copy.Get()};
    POINT screen = client;
    ClientToScreen(Handle(), &screen);
    shellcore::ShowShellContextMenu(Handle(), producer->FolderInterface(), items, screen);
  }
  return true;
}

void TcxCustomInnerShellTreeView::BeginDrag(TTreeNode node, bool) { BeginOleDrag(node); }

void TcxCustomInnerShellTreeView::BeginOleDrag(TTreeNode node) {
  Select(node);
  drag_node_ = Selected();
  drag_parent_node_ = Parent(drag_node_);
  TcxShellTreeItemProducer* producer = ProducerOf(drag_parent_node_);
  if (!drag_parent_node_ || !producer) {  // the root is not dragged
    drag_node_ = nullptr;
    drag_parent_node_ = nullptr;
    return;
  }
  DraggingOut = true;
  producer->LockItemsRead();
  struct TCleanup {
    TcxCustomInnerShellTreeView& tree;
    TcxShellTreeItemProducer* producer;
    ~TCleanup() {
      // A parent deleted during the drag took its producer, and the lock, with it.
      if (tree.drag_parent_node_) producer->UnlockItemsRead();
      tree.DraggingOut = false;
      tree.drag_node_ = nullptr;
      tree.drag_parent_node_ = nullptr;
    }
  } cleanup{*this, producer};
  const int index = Index(drag_node_);
  if (index < 0 || index >= producer->ItemCount() || !producer->FolderInterface()) return;
  const TIdList copy = shellcore::IdListClone(producer->Item(index)->RelativeId.Get());
  LPCITEMIDLIST items[1] = {copy.Get()};
  Microsoft::WRL::ComPtr<IDataObject> data;
  if (FAILED(producer->FolderInterface()->GetUIObjectOf(Handle(), 1, items, IID_IDataObject, nullptr,
                                                        reinterpret_cast<void**>(data.GetAddressOf()))) ||
      !data)
    return;
  const auto source = framework::MakeInterfaced<shellcore::TcxDropSource>(this);
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data.Get(), source.Get(), drag_drop_settings_->AllowedDropEffects(), &effect);
  // A moved item leaves its parent; a node deleted meanwhile is left alone.
  if (drag_node_ && drag_parent_node_) RefreshNode(drag_parent_node_);
}

void TcxCustomInnerShellTreeView::ApplyDefaultEffect(DWORD keys, DWORD* effect) {
  constexpr DWORD kModifiers = MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_ALT;  // 0x2E
  if (effect && !(keys & kModifiers)) *effect = drag_drop_settings_->DefaultDropEffectValue();
}

Microsoft::WRL::ComPtr<IDropTarget> TcxCustomInnerShellTreeView::NodeDropTarget(TTreeNode node) {
  Microsoft::WRL::ComPtr<IDropTarget> target;
  const TTreeNode parent_node = Parent(node);
  if (!parent_node) {
    TcxShellTreeItemProducer* own = ProducerOf(node);
    if (own && own->FolderInterface() &&
        FAILED(own->FolderInterface()->CreateViewObject(Handle(), IID_PPV_ARGS(&target))))
      target.Reset();
    return target;
  }
  TcxShellItemInfo* item = ItemOfNode(node);
  TcxShellTreeItemProducer* parent = ProducerOf(parent_node);
  if (!item || !parent || !parent->FolderInterface()) return target;
  if (item->IsContainer) {
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    if (SUCCEEDED(parent->FolderInterface()->BindToObject(item->RelativeId.Get(), nullptr, IID_PPV_ARGS(&folder))) &&
        folder && FAILED(folder->CreateViewObject(Handle(), IID_PPV_ARGS(&target))))
      target.Reset();
  } else {
    LPCITEMIDLIST items[1] = {item->RelativeId.Get()};
    if (FAILED(parent->FolderInterface()->GetUIObjectOf(Handle(), 1, items, IID_IDropTarget, nullptr,
                                                       reinterpret_cast<void**>(target.GetAddressOf()))))
      target.Reset();
  }
  return target;
}

void TcxCustomInnerShellTreeView::SetDropHighlight(TTreeNode node) {
  if (drop_highlight_node_) SetDropTarget(drop_highlight_node_, false);
  drop_highlight_node_ = node;
  if (node) SetDropTarget(node, true);
}

HRESULT TcxCustomInnerShellTreeView::ReleaseDropTarget() {
  if (!current_drop_target_) return S_OK;
  const HRESULT result = current_drop_target_->DragLeave();
  current_drop_target_.Reset();
  SetDropHighlight(nullptr);
  return result;
}

bool TcxCustomInnerShellTreeView::PickDropTarget(POINTL screen) {
  if (!drag_drop_settings_->AllowDragObjects()) {
    current_drop_target_.Reset();
    return false;
  }
  POINT client{screen.x, screen.y};
  ScreenToClient(Handle(), &client);
  const TTreeNode node = NodeAt(client);
  if (!node) ReleaseDropTarget();
  const bool changed = node && !(node == drop_highlight_node_ && current_drop_target_);
  if (changed) {
    ReleaseDropTarget();
    if (Microsoft::WRL::ComPtr<IDropTarget> target = NodeDropTarget(node)) {
      SetDropHighlight(node);
      current_drop_target_ = target;
    }
  }
  return changed;
}

HRESULT TcxCustomInnerShellTreeView::DropEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  drag_data_ = data;
  PickDropTarget(point);
  if (!current_drop_target_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  ApplyDefaultEffect(keys, effect);
  return current_drop_target_->DragEnter(data, keys, point, effect);
}

HRESULT TcxCustomInnerShellTreeView::DropOver(DWORD keys, POINTL point, DWORD* effect) {
  const bool changed = PickDropTarget(point);
  if (!current_drop_target_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  right_button_drag_ = (keys & MK_RBUTTON) != 0;
  ApplyDefaultEffect(keys, effect);
  HRESULT result = S_OK;
  if (changed) result = current_drop_target_->DragEnter(drag_data_.Get(), keys, point, effect);
  if (SUCCEEDED(result)) result = current_drop_target_->DragOver(keys, point, effect);
  return result;
}

HRESULT TcxCustomInnerShellTreeView::DropLeave() {
  drag_data_.Reset();
  return ReleaseDropTarget();
}

HRESULT TcxCustomInnerShellTreeView::DropData(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  // Whatever the drop does, the node is refreshed and the drag state goes.
  struct TAfterDrop {
    TcxCustomInnerShellTreeView& tree;
    ~TAfterDrop() {
      PostMessageW(tree.Handle(), shellcore::SHELLMSG_REFRESH_NODE, reinterpret_cast<WPARAM>(tree.drop_highlight_node_),
                   0);
      tree.drag_data_.Reset();
      tree.ReleaseDropTarget();
    }
  } after_drop{*this};
  const bool changed = PickDropTarget(point);
  HRESULT result = S_OK;
  if (current_drop_target_) {
    if (!right_button_drag_) ApplyDefaultEffect(keys, effect);
    if (changed) result = current_drop_target_->DragEnter(data, keys, point, effect);
    if (SUCCEEDED(result)) result = current_drop_target_->Drop(data, keys, point, effect);
  } else {
    *effect = DROPEFFECT_NONE;
  }
  return result;
}

void TcxCustomInnerShellTreeView::RegisterDropTarget() {
  if (!drop_target_) drop_target_ = framework::MakeInterfaced<TcxTreeDropTarget>(this);
  drop_target_registered_ = SUCCEEDED(RegisterDragDrop(Handle(), drop_target_.Get()));
}

void TcxCustomInnerShellTreeView::RevokeDropTarget() {
  if (drop_target_registered_) RevokeDragDrop(Handle());
  drop_target_registered_ = false;
}

void TcxCustomInnerShellTreeView::RefreshDroppedNodes() {
  KillTimer(Handle(), kRefreshNodeTimer);
  // Nodes deleted since the drop have left this list (NodeDeleted).
  const std::vector<TTreeNode> nodes = std::move(dropped_nodes_);
  dropped_nodes_.clear();
  for (const TTreeNode node : nodes) RefreshNode(node);
  if (Container()) Container()->UpdateScrollBars();
}

HRESULT STDMETHODCALLTYPE TcxTreeDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!tree_) return *effect = DROPEFFECT_NONE, S_OK;
  HRESULT result = E_UNEXPECTED;
  framework::RunHandler([&] { result = tree_->DropEnter(data, keys, point, effect); });
  return result;
}

HRESULT STDMETHODCALLTYPE TcxTreeDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!tree_) return *effect = DROPEFFECT_NONE, S_OK;
  HRESULT result = E_UNEXPECTED;
  framework::RunHandler([&] { result = tree_->DropOver(keys, point, effect); });
  return result;
}

HRESULT STDMETHODCALLTYPE TcxTreeDropTarget::DragLeave() {
  if (!tree_) return S_OK;
  HRESULT result = E_UNEXPECTED;
  framework::RunHandler([&] { result = tree_->DropLeave(); });
  return result;
}

HRESULT STDMETHODCALLTYPE TcxTreeDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!tree_) return *effect = DROPEFFECT_NONE, S_OK;
  HRESULT result = E_UNEXPECTED;
  framework::RunHandler([&] { result = tree_->DropData(data, keys, point, effect); });
  return result;
}

void TcxCustomInnerShellTreeView::ReleaseMenuProducer() {
  if (!menu_producer_) return;
  menu_producer_->UnlockItemsRead();
  menu_producer_->OnDestroy = nullptr;
  menu_producer_ = nullptr;
}

void TcxCustomInnerShellTreeView::GetInfoTip(TTreeNode node, wchar_t* buffer, int capacity) {
  const TTreeNode parent = Parent(node);
  TcxShellTreeItemProducer* producer = ProducerOf(parent);
  if (!node || !parent || !producer) return;
  producer->GetInfoTip(Handle(), Index(node), capacity, buffer);
}

void TcxCustomInnerShellTreeView::SetShowInfoTips(bool value) {
  if (value == show_info_tips_) return;
  show_info_tips_ = value;
  UpdateTipStyle();
}

void TcxCustomInnerShellTreeView::UpdateTipStyle() {
  if (!HandleAllocated()) return;
  SetStyle(TVS_NOTOOLTIPS, !(show_info_tips_ || options_->ShowToolTip()));
  SetStyle(TVS_INFOTIP, show_info_tips_);
}

void TcxCustomInnerShellTreeView::UpdateDragStyle() {
  if (HandleAllocated()) SetStyle(TVS_DISABLEDRAGDROP, !DragAllowed());
}

void TcxCustomInnerShellTreeView::CreateParams(DWORD& style) {
  if (show_info_tips_) {
    style |= TVS_INFOTIP;
    style &= ~static_cast<DWORD>(TVS_NOTOOLTIPS);
  }
  if (DragAllowed()) {
    style &= ~static_cast<DWORD>(TVS_DISABLEDRAGDROP);
  } else {
    style |= TVS_DISABLEDRAGDROP;
  }
}

void TcxCustomInnerShellTreeView::CreateWnd() {
  if (system_images_) SendMessageW(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(system_images_));
  if (!IsLoading() && !root_->RootIdList()) root_->ResolveRoot();
  UpdateNode(nullptr, false);
  RegisterDropTarget();
}

void TcxCustomInnerShellTreeView::DestroyWnd() {
  StopWatching();
  RevokeDropTarget();
  KillTimer(Handle(), kRefreshNodeTimer);
  dropped_nodes_.clear();
  // What was posted to the window goes with it; the ID lists it carries are
  // freed here.
  MSG pending;
  while (PeekMessageW(&pending, Handle(), shellcore::SHELLMSG_SELECT_ID, shellcore::SHELLMSG_SELECT_ID, PM_REMOVE))
    shellcore::IdListFree(reinterpret_cast<LPITEMIDLIST>(pending.wParam));
  pending_changes_.clear();
  changes_posted_ = false;
}

void TcxCustomInnerShellTreeView::EndLoading() {
  if (!root_->RootIdList()) root_->ResolveRoot();
  UpdateNode(nullptr, false);
}

void TcxCustomInnerShellTreeView::RootResolved() {
  if (HandleAllocated()) ClearNodes();
  UpdateNode(nullptr, false);
  if (OnRootChanged) OnRootChanged(*root_);
}

void TcxCustomInnerShellTreeView::RootSettingsChanged() {
  if (!IsLoading()) dependents_->ChangeRoot(root_.get());
}

void TcxCustomInnerShellTreeView::LinkListView(TcxShellDependentControl* control) {
  if (control == linked_list_view_) return;
  if (linked_list_view_) {
    if (TcxShellDependedControls* theirs = linked_list_view_->DependentsProvider()) theirs->Remove(this);
    dependents_->Remove(linked_list_view_);
    linked_list_view_->RemoveFreeNotification(this);
    linked_list_view_ = nullptr;
  }
  if (control) {
    linked_list_view_ = control;
    control->FreeNotification(this);
    dependents_->Add(control);
    if (TcxShellDependedControls* theirs = control->DependentsProvider()) theirs->Add(this);
    dependents_->ChangeRoot(root_.get());
  }
  NotifyDependents();
}

void TcxCustomInnerShellTreeView::Notification(TcxShellDependentControl* going) {
  if (going == linked_list_view_) {
    // It is going: nothing more is asked of it.
    dependents_->Remove(going);
    linked_list_view_ = nullptr;
  } else {
    dependents_->Remove(going);
  }
}

void TcxCustomInnerShellTreeView::NotifyDependents() {
  if (destroying_ || !FirstNode() || dependents_->Count() == 0) return;
  const TTreeNode node = Selected() ? Selected() : FirstNode();
  const TIdList id = NodeAbsoluteId(node);
  dependents_->Navigate(id.Get());
}

TTreeNode TcxCustomInnerShellTreeView::FindNodeById(LPCITEMIDLIST id) {
  if (!id) return nullptr;
  root_->EnsureResolved();
  const LPCITEMIDLIST root = root_->RootIdList();
  if (shellcore::IdListSame(id, root)) return FirstNode();
  if (!shellcore::IdListIsAncestor(root, id)) return nullptr;
  LPCITEMIDLIST rest = id;
  for (int i = shellcore::IdListItemCount(root); i > 0; --i) rest = shellcore::IdListNext(rest);
  TTreeNode node = FirstNode();
  while (node && rest && shellcore::IdListItemBytes(rest) != 0) {
    TcxShellTreeItemProducer* producer = ProducerOf(node);
    if (!producer) return nullptr;
    const TIdList item = shellcore::IdListFirstItem(rest);
    const int index = producer->IndexOfId(item.Get());
    if (index < 0 || index >= ChildCount(node)) return nullptr;
    {
      TReadLock read(producer->ItemsGuard());
      node = static_cast<TTreeNode>(producer->Item(index)->ViewElement);
    }
    rest = shellcore::IdListNext(rest);
  }
  return node;
}

void TcxCustomInnerShellTreeView::Navigate(LPCITEMIDLIST target) {
  Microsoft::WRL::ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop || !target) return;
  bool rerooted = false;
  {
    TFlagScope navigating(Navigating);
    TUpdateScope update(*this);
    const LPCITEMIDLIST root = root_->RootIdList();
    if (shellcore::IdListItemCount(target) < shellcore::IdListItemCount(root)) {
      root_->SetRootIdList(target);
      rerooted = true;
      if (FirstNode()) Select(FirstNode());
    } else {
      LPCITEMIDLIST rest = target;
      for (int i = shellcore::IdListItemCount(root); i > 0 && rest; --i) rest = shellcore::IdListNext(rest);
      if (FirstNode()) Select(FirstNode());
      while (rest && shellcore::IdListItemBytes(rest) != 0) {
        const TIdList item = shellcore::IdListFirstItem(rest);
        rest = shellcore::IdListNext(rest);
        const TTreeNode selected = Selected();
        TcxShellTreeItemProducer* producer = ProducerOf(selected);
        if (!producer) break;
        const int index = producer->IndexOfId(item.Get());
        if (index < 0) break;
        const TTreeNode child = ChildAt(selected, index);
        if (!child) break;
        Select(child);
      }
    }
  }
  if (!rerooted && Selected()) PostMessageW(Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(Selected()));
}

LRESULT TcxCustomInnerShellTreeView::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  using namespace shellcore;
  // While the tree goes, nothing posted to it is acted on.
  if (destroying_ && ((message >= SHELLMSG_FIRST && message <= SHELLMSG_LAST) || message == TVM_ENSUREVISIBLE ||
                      message == kHandleShellChanges)) {
    if (message == SHELLMSG_SELECT_ID) IdListFree(reinterpret_cast<LPITEMIDLIST>(wparam));
    return 0;
  }
  switch (message) {
    case SHELLMSG_ITEMS_LOADED:
      ItemsLoaded(static_cast<int>(wparam), reinterpret_cast<TTreeNode>(lparam));
      return 0;
    case SHELLMSG_ITEM_ADDED:
      ItemAdded(static_cast<int>(wparam), reinterpret_cast<TTreeNode>(lparam));
      return 0;
    case SHELLMSG_ITEM_REMOVED:
      ItemRemoved(static_cast<int>(wparam), reinterpret_cast<TTreeNode>(lparam));
      return 0;
    case SHELLMSG_NAVIGATE:
      Navigate(reinterpret_cast<LPCITEMIDLIST>(wparam));
      return 0;
    case SHELLMSG_ROOT_CHANGED:
      if (!IsLoading() && wparam) root_->SyncFrom(*reinterpret_cast<TcxCustomShellRoot*>(wparam));
      return 0;
    case SHELLMSG_SHELL_NOTIFY:
      ShellNotified(reinterpret_cast<HANDLE>(wparam), static_cast<DWORD>(lparam));
      return 0;
    case kHandleShellChanges: {
      changes_posted_ = false;
      std::vector<TShellChange> changes = std::move(pending_changes_);
      pending_changes_.clear();
      HandleShellChanges(changes);
      return 0;
    }
    case SHELLMSG_SHELL_CHANGE: {
      const auto* record = reinterpret_cast<const LPCITEMIDLIST*>(wparam);
      ShellChanged(static_cast<DWORD>(lparam), record ? record[0] : nullptr, record ? record[1] : nullptr);
      return 0;
    }
    case SHELLMSG_SELECT_ID:
      SelectId(reinterpret_cast<LPITEMIDLIST>(wparam));
      return 0;
    case SHELLMSG_REFRESH_NODE: {
      // The node may be gone by the time the timer comes: its deletion
      // takes it off the list. No node: nothing to refresh.
      const auto node = reinterpret_cast<TTreeNode>(wparam);
      if (node && std::find(dropped_nodes_.begin(), dropped_nodes_.end(), node) == dropped_nodes_.end() &&
          NodeExists(node))
        dropped_nodes_.push_back(node);
      if (!dropped_nodes_.empty()) SetTimer(Handle(), kRefreshNodeTimer, kRefreshAfterDropMs, nullptr);
      return 0;
    }
    case WM_TIMER:
      if (wparam == kRefreshNodeTimer) {
        RefreshDroppedNodes();
        return 0;
      }
      return TcxBaseInnerTreeView::Dispatch(message, wparam, lparam);
    case WM_SIZE: {
      const LRESULT result = TcxBaseInnerTreeView::Dispatch(message, wparam, lparam);
      RequestVisibleDetails();
      return result;
    }
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: {
      // The tree's own scroll bar serves as the control's.
      const LRESULT result = TcxBaseInnerTreeView::Dispatch(message, wparam, lparam);
      if (TopItem() != last_top_item_) RequestVisibleDetails();
      return result;
    }
    default:
      return TcxBaseInnerTreeView::Dispatch(message, wparam, lparam);
  }
}

TcxInnerShellTreeView::TcxInnerShellTreeView() = default;

TcxInnerShellTreeView::~TcxInnerShellTreeView() { stored_selection_.Reset(); }

int TcxInnerShellTreeView::Indent() const {
  return HandleAllocated() ? TcxCustomInnerShellTreeView::Indent() : stored_indent_;
}

void TcxInnerShellTreeView::SetIndent(int value) {
  if (HandleAllocated()) {
    TcxCustomInnerShellTreeView::SetIndent(value);
  } else {
    stored_indent_ = value;
  }
}

bool TcxInnerShellTreeView::DragAllowed() {
  auto* control = dynamic_cast<TcxCustomShellTreeView*>(Container());
  return (!control || control->DragDropEnabled()) && TcxCustomInnerShellTreeView::DragAllowed();
}

bool TcxInnerShellTreeView::IsLoading() { return Container() && Container()->Loading(); }

void TcxInnerShellTreeView::NavigateTo(LPCITEMIDLIST id) {
  if (!HandleAllocated()) {
    stored_selection_ = shellcore::IdListClone(id);
    return;
  }
  Root().EnsureResolved();
  if (!id) {
    id = Root().RootIdList();
  } else {
    SHFILEINFOW info{};
    if (!shellcore::IdListIsAncestor(Root().RootIdList(), id) && !shellcore::IdListSame(Root().RootIdList(), id))
      return;
    if (!shellcore::LockedGetFileInfo(id, info, kNavigateCheckQuery)) return;
  }
  SendMessageW(Handle(), shellcore::SHELLMSG_NAVIGATE, reinterpret_cast<WPARAM>(id), 0);
  NotifyDependents();
}

LRESULT TcxInnerShellTreeView::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == TVM_ENSUREVISIBLE && !destroying_) {
    const LRESULT result = TcxCustomInnerShellTreeView::Dispatch(message, wparam, lparam);
    RequestVisibleDetails();
    return result;
  }
  return TcxCustomInnerShellTreeView::Dispatch(message, wparam, lparam);
}

void TcxInnerShellTreeView::CreateWnd() {
  TcxCustomInnerShellTreeView::CreateWnd();
  if (stored_indent_ != -1) TcxCustomInnerShellTreeView::SetIndent(stored_indent_);
  if (stored_selection_) {
    const TIdList selection = std::move(stored_selection_);
    NavigateTo(selection.Get());
  }
}

void TcxInnerShellTreeView::DestroyWnd() {
  stored_selection_ = SelectionId();
  stored_indent_ = TcxCustomInnerShellTreeView::Indent();
  TcxCustomInnerShellTreeView::DestroyWnd();
}

}  // namespace shelltree

#pragma once
// The folder tree control: a container window that hosts the inner tree,
// publishes its properties, relays its events with itself as the sender and
// answers Path, the file-system path of the selected item. UI thread only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/controls.h"
#include "framework/forms.h"
#include "shelltree/shell_inner_tree_view.h"

namespace shelltree {

// The container: a parent window for the inner tree, input and focus handed
// over, the loading and destroying states. The inner tree's own scroll bars
// serve as the container's.
class TcxTreeViewContainer : public framework::TControl {
 public:
  using TNotifyEvent = std::function<void(framework::TControl* Sender)>;
  using TMouseEvent =
      std::function<void(framework::TControl* Sender, TMouseButton button, TShiftState shift, int x, int y)>;
  using TMouseMoveEvent = std::function<void(framework::TControl* Sender, TShiftState shift, int x, int y)>;
  using TKeyEvent = std::function<void(framework::TControl* Sender, WORD& key, TShiftState shift)>;
  using TKeyPressEvent = std::function<void(framework::TControl* Sender, wchar_t& key)>;
  using TInnerTreeFactory = std::function<std::unique_ptr<TcxBaseInnerTreeView>()>;

  virtual ~TcxTreeViewContainer();
  TcxTreeViewContainer(const TcxTreeViewContainer&) = delete;
  TcxTreeViewContainer& operator=(const TcxTreeViewContainer&) = delete;

  TcxBaseInnerTreeView* InnerTree() const { return inner_; }

  // Makes the container's window (bounds in pixels, in the parent's client
  // area) and the inner tree's inside it.
  void CreateHandle(HWND parent, int left, int top, int width, int height);
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Loading from a window description: nothing is built until Loaded.
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  virtual void Loaded();
  bool Destroying() const { return destroying_; }

  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { ApplyReadOnly(value); }

  // Focus: the container counts as focused when it or the inner tree is.
  bool Focused() const;
  bool CanFocus() const;
  void SetFocus();

  // Offered every message of the inner tree first; true: handled.
  virtual bool InnerMessageHook(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // Brings the scroll bars up to date with the inner tree.
  virtual void UpdateScrollBars() {}

  // Input the inner tree hands over.
  void InnerMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  bool InnerMousePress() const { return inner_mouse_press_; }
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual bool MouseWheel(WORD keys, short delta) { (void)keys; (void)delta; return false; }
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(wchar_t& key);
  void FocusChanged();
  // A right click at a client point that the tree left alone: PopupMenu,
  // when there is one. Answers whether a menu was shown.
  virtual bool ContextPopup(POINT client);
  // The control's own popup menu (not owned); none by default.
  HMENU PopupMenu = nullptr;

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  // The inner tree comes from the factory; the container becomes its
  // parent and its Container.
  explicit TcxTreeViewContainer(const TInnerTreeFactory& factory);
  virtual void InitInnerTree();
  virtual void ApplyReadOnly(bool value);
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The destructor of a derived control marks the start of destruction.
  void StartDestroying() { destroying_ = true; }

 private:
  std::unique_ptr<TcxBaseInnerTreeView> inner_tree_;
  // The inner tree also while its destructor runs: the nodes it deletes then
  // are reported through this window, and their producers must go.
  TcxBaseInnerTreeView* inner_ = nullptr;
  bool loading_ = false;
  bool destroying_ = false;
  bool read_only_ = false;
  bool inner_mouse_press_ = false;
  bool focused_ = false;
};

class TcxCustomShellTreeView : public TcxTreeViewContainer {
 public:
  using TAddFolderEvent =
      std::function<void(framework::TControl* Sender, shellcore::TcxShellFolder& AFolder, bool& ACanAdd)>;
  using TNodeEvent = std::function<void(framework::TControl* Sender, TTreeNode Node)>;
  using TNodeQueryEvent = std::function<void(framework::TControl* Sender, TTreeNode Node, bool& Allow)>;
  using TEditedEvent = std::function<void(framework::TControl* Sender, TTreeNode Node, std::wstring& S)>;
  using TShellChangeEvent = std::function<void(framework::TControl* Sender, DWORD AEventID, LPCITEMIDLIST APIDL1,
                                               LPCITEMIDLIST APIDL2)>;

  ~TcxCustomShellTreeView() override;

  TcxInnerShellTreeView& Tree() const { return *static_cast<TcxInnerShellTreeView*>(InnerTree()); }

  // The file-system path of the selected item; empty for none, for an item
  // outside the file system and while the control is destroyed.
  std::wstring Path();

  TcxShellTreeViewOptions& Options() const { return Tree().Options(); }
  void SetOptions(shellcore::TcxShellOptions& options) { Tree().Options().Assign(&options); }
  TcxShellTreeRoot& Root() const { return Tree().Root(); }
  void SetRoot(shellcore::TcxCustomShellRoot& root) { Tree().Root().Assign(&root); }
  shellcore::TcxDragDropSettings& DragDropSettings() const { return Tree().DragDropSettings(); }
  void SetDragDropSettings(const shellcore::TcxDragDropSettings& settings);
  TcxShellDependentControl* ShellListView() const { return Tree().LinkedListView(); }
  void SetShellListView(TcxShellDependentControl* control) { Tree().LinkListView(control); }
  shellcore::TcxCustomShellRoot* RootProvider() { return Tree().RootProvider(); }
  TcxShellDependedControls* DependentsProvider() { return Tree().DependentsProvider(); }

  bool ShowInfoTips() const { return Tree().ShowInfoTips(); }
  void SetShowInfoTips(bool value) { Tree().SetShowInfoTips(value); }
  bool TreeHotTrack() const { return Tree().HotTrack(); }
  void SetTreeHotTrack(bool value) { Tree().SetHotTrack(value); }
  int Indent() const { return Tree().Indent(); }
  void SetIndent(int value);
  bool AutoExpand() const { return Tree().AutoExpand(); }
  void SetAutoExpand(bool value) { Tree().SetAutoExpand(value); }
  int ChangeDelay() const { return Tree().ChangeDelay(); }
  void SetChangeDelay(int value) { Tree().SetChangeDelay(value); }
  bool HideSelection() const { return Tree().HideSelection(); }
  void SetHideSelection(bool value) { Tree().SetHideSelection(value); }
  bool RightClickSelect() const { return Tree().RightClickSelect(); }
  void SetRightClickSelect(bool value) { Tree().SetRightClickSelect(value); }
  bool ShowButtons() const { return Tree().ShowButtons(); }
  void SetShowButtons(bool value) { Tree().SetShowButtons(value); }
  bool ShowLines() const { return Tree().ShowLines(); }
  void SetShowLines(bool value) { Tree().SetShowLines(value); }
  bool ShowRoot() const { return Tree().ShowRoot(); }
  void SetShowRoot(bool value) { Tree().SetShowRoot(value); }
  HIMAGELIST StateImages() const { return Tree().StateImages(); }
  void SetStateImages(HIMAGELIST images) { Tree().SetStateImages(images); }

  void Loaded() override;
  virtual bool DragDropEnabled() const { return true; }
  // The handler of the inner tree's OnRootChanged.
  virtual void InnerRootChanged() { UpdateScrollBars(); }

  TAddFolderEvent OnAddFolder;
  TNodeEvent OnChange;
  TNodeQueryEvent OnChanging;
  TNodeEvent OnCollapsed;
  TNodeQueryEvent OnCollapsing;
  TNodeEvent OnExpanded;
  TNodeQueryEvent OnExpanding;
  TNodeQueryEvent OnEditing;
  TEditedEvent OnEdited;
  TShellChangeEvent OnShellChange;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

 protected:
  explicit TcxCustomShellTreeView(const TInnerTreeFactory& factory);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void WireInnerTree();
  // Runs a relay and recomputes the scroll bars after it, also when it raised.
  template <class Relay>
  void RelayThenUpdateScrollBars(Relay&& relay);
};

class TcxShellTreeView : public TcxCustomShellTreeView {
 public:
  // A control without a window yet; CreateHandle gives it one.
  TcxShellTreeView();
  // A control placed on a form at design bounds (scaled as the form's own
  // controls), loading until Loaded is called.
  TcxShellTreeView(framework::TForm& form, int left, int top, int width, int height);

 protected:
  explicit TcxShellTreeView(const TInnerTreeFactory& factory) : TcxCustomShellTreeView(factory) {}
};

// The default size of a new control, in pixels.
inline constexpr int kShellTreeDefaultWidth = 121;
inline constexpr int kShellTreeDefaultHeight = 97;

}  // namespace shelltree

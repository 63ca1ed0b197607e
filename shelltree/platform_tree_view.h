#pragma once
// The platform tree view under the folder tree: a common-controls tree view
// window with nodes, look, navigation and its notifications turned into
// virtual calls. UI thread only.
//
// The window is created on a parent that hands this object the tree's
// WM_NOTIFY messages (HandleNotify). An exception that leaves a handler of a
// notification or message goes back to the code of this object that caused
// it (Perform raises it again when the platform returns); when the user's
// input caused it, it goes to the application's default display.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <string>
#include <vector>

namespace shelltree {

using TTreeNode = HTREEITEM;

// Keys and buttons held with an input event.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;
inline constexpr TShiftState ssDouble = 64;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The shift state of a mouse message's wParam, and of the keyboard now.
TShiftState MouseShiftState(WPARAM wparam);
TShiftState KeyboardShiftState();

// The tree's own timers run on the platform control's window, which keeps
// timers of its own under small numbers (Wine's tree starts a label edit on
// timer 2): the tree's numbers stay well clear of them.
inline constexpr UINT_PTR kFirstTreeTimer = 0x7C00;
// The delayed selection change of ChangeDelay.
inline constexpr UINT_PTR kChangeTimer = kFirstTreeTimer;

// Everything a node shows, set in one step.
struct TNodeLook {
  std::wstring text;
  int image = 0;
  int selected_image = 0;
  bool has_children = false;
  bool cut = false;
  int overlay = -1;  // none
};

class TPlatformTreeView {
 public:
  TPlatformTreeView();
  virtual ~TPlatformTreeView();
  TPlatformTreeView(const TPlatformTreeView&) = delete;
  TPlatformTreeView& operator=(const TPlatformTreeView&) = delete;

  HWND Handle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Creates the window as a child of `parent`, filling its client area.
  void CreateHandle(HWND parent);
  // Destroys the window (the nodes go with it); the object stays.
  void DestroyHandle();
  // Destroys the window and creates it again on the same parent.
  void RecreateHandle();
  HWND ParentWindow() const { return parent_; }

  // The tree's WM_NOTIFY, handed over by the parent window.
  LRESULT HandleNotify(NMHDR& header);

  // Nodes. The data pointer is the one given to AddChild or SetData.
  TTreeNode AddChild(TTreeNode parent, const std::wstring& text, void* data);
  TTreeNode AddChild(TTreeNode parent, const TNodeLook& look, void* data);
  void SetLook(TTreeNode node, const TNodeLook& look);
  void Delete(TTreeNode node);
  void DeleteChildren(TTreeNode node);
  void ClearNodes();
  TTreeNode FirstNode() const;
  TTreeNode Parent(TTreeNode node) const;
  TTreeNode FirstChild(TTreeNode node) const;
  TTreeNode NextSibling(TTreeNode node) const;
  TTreeNode NextVisible(TTreeNode node) const;
  // The next node in tree order (children before siblings), or null.
  TTreeNode NextInTreeOrder(TTreeNode node) const;
  // Whether the node is in the tree (a handle kept across messages may not be).
  bool NodeExists(TTreeNode node) const;
  int Index(TTreeNode node) const;
  int ChildCount(TTreeNode node) const;
  TTreeNode ChildAt(TTreeNode parent, int index) const;
  void* Data(TTreeNode node) const;
  void SetData(TTreeNode node, void* data);
  std::wstring Text(TTreeNode node) const;
  void SetText(TTreeNode node, const std::wstring& text);
  int ImageIndex(TTreeNode node) const;
  void SetImageIndex(TTreeNode node, int index);
  int SelectedIndex(TTreeNode node) const;
  void SetSelectedIndex(TTreeNode node, int index);
  // -1: no overlay.
  int OverlayIndex(TTreeNode node) const;
  void SetOverlayIndex(TTreeNode node, int index);
  bool Cut(TTreeNode node) const;
  void SetCut(TTreeNode node, bool cut);
  bool DropTarget(TTreeNode node) const;
  void SetDropTarget(TTreeNode node, bool value);
  // The expand button, which does not depend on the node's children.
  bool HasChildren(TTreeNode node) const;
  void SetHasChildren(TTreeNode node, bool value);
  bool IsExpanded(TTreeNode node) const;

  // Navigation. While a right click is handled with RightClickSelect on,
  // Selected answers the node under the pointer.
  TTreeNode Selected() const;
  // The platform's own selection, whatever a right click marks.
  TTreeNode PlatformSelected() const;
  void Select(TTreeNode node);
  // Asks CanExpand first, as the platform asks before a user's expansion.
  void Expand(TTreeNode node);
  void Collapse(TTreeNode node);
  TTreeNode TopItem() const;
  void SetTopItem(TTreeNode node);
  TTreeNode NodeAt(POINT client, UINT* flags = nullptr) const;
  int VisibleCount() const;
  // Nested; the outermost pair switches the window's redrawing off and on.
  void BeginUpdate();
  void EndUpdate();
  int UpdateDepth() const { return update_depth_; }

  // Look: stored while there is no window, applied to the live window.
  // -1 without a window.
  virtual int Indent() const;
  virtual void SetIndent(int value);
  bool ShowButtons() const { return HasStyle(TVS_HASBUTTONS); }
  void SetShowButtons(bool value) { SetStyle(TVS_HASBUTTONS, value); }
  bool ShowLines() const { return HasStyle(TVS_HASLINES); }
  void SetShowLines(bool value) { SetStyle(TVS_HASLINES, value); }
  bool ShowRoot() const { return HasStyle(TVS_LINESATROOT); }
  void SetShowRoot(bool value) { SetStyle(TVS_LINESATROOT, value); }
  bool HideSelection() const { return !HasStyle(TVS_SHOWSELALWAYS); }
  void SetHideSelection(bool value) { SetStyle(TVS_SHOWSELALWAYS, !value); }
  bool HotTrack() const { return HasStyle(TVS_TRACKSELECT); }
  void SetHotTrack(bool value) { SetStyle(TVS_TRACKSELECT, value); }
  bool AutoExpand() const { return HasStyle(TVS_SINGLEEXPAND); }
  void SetAutoExpand(bool value) { SetStyle(TVS_SINGLEEXPAND, value); }
  bool ReadOnly() const { return !HasStyle(TVS_EDITLABELS); }
  void SetReadOnly(bool value) { SetStyle(TVS_EDITLABELS, !value); }
  bool ToolTips() const { return !HasStyle(TVS_NOTOOLTIPS); }
  void SetToolTips(bool value) { SetStyle(TVS_NOTOOLTIPS, !value); }
  bool RightClickSelect() const { return right_click_select_; }
  void SetRightClickSelect(bool value) { right_click_select_ = value; }
  int ChangeDelay() const { return change_delay_; }
  void SetChangeDelay(int value) { change_delay_ = value; }
  HIMAGELIST StateImages() const { return state_images_; }
  void SetStateImages(HIMAGELIST images);
  // The window style the tree has, or will have when its window is made.
  DWORD Style() const;
  void SetStyle(DWORD bits, bool on);
  bool HasStyle(DWORD bits) const { return (Style() & bits) == bits; }

 protected:
  // Sends a message to the tree's window and raises again what a handler
  // raised meanwhile.
  LRESULT Perform(UINT message, WPARAM wparam, LPARAM lparam);
  // The tree's own handling of a message (its subclass); the default gives
  // it to the platform.
  virtual LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam);
  // The window exists / is about to go.
  virtual void CreateWnd() {}
  virtual void DestroyWnd() {}
  virtual void CreateParams(DWORD& style) { (void)style; }

  // Events, as the platform reports them.
  virtual bool CanChange(TTreeNode node) { (void)node; return true; }
  virtual void Change(TTreeNode node) { (void)node; }
  virtual bool CanExpand(TTreeNode node) { (void)node; return true; }
  virtual void NodeExpanded(TTreeNode node) { (void)node; }
  virtual bool CanCollapse(TTreeNode node) { (void)node; return true; }
  virtual void NodeCollapsed(TTreeNode node) { (void)node; }
  virtual bool CanEdit(TTreeNode node) { (void)node; return true; }
  // `text` is null when the edit was cancelled; answer whether the node
  // keeps the new text.
  virtual bool Edited(TTreeNode node, std::wstring* text) { (void)node; return text != nullptr; }
  virtual void Click() {}
  virtual void DblClick() {}
  // A right click at a client point, or a menu key on the selected node
  // (at its label); answer whether it was handled.
  virtual bool ContextPopup(POINT client) { (void)client; return false; }
  virtual void NodeDeleted(TTreeNode node, void* data) { (void)node; (void)data; }
  virtual void GetInfoTip(TTreeNode node, wchar_t* buffer, int capacity) { (void)node; (void)buffer; (void)capacity; }
  virtual void BeginDrag(TTreeNode node, bool right_button) { (void)node; (void)right_button; }

  // Runs a handler of the platform's; what it raises goes to the code that
  // sent the message, or else to the default display. Answers false when it
  // raised.
  template <class Handler>
  bool Guarded(Handler&& handler) noexcept;

 private:
  // The tree's own window procedure stands in front of the platform's; the
  // object is found through the window's user data (a window property,
  // as comctl32's subclassing keeps it, costs a server call per message
  // under Wine).
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Raised(std::exception_ptr error) noexcept;
  TVITEMW GetItem(TTreeNode node, UINT mask, UINT state_mask = 0) const;
  void SetItem(TVITEMW& item);

  HWND handle_ = nullptr;
  HWND parent_ = nullptr;
  WNDPROC platform_proc_ = nullptr;
  DWORD style_;
  int update_depth_ = 0;
  int change_delay_ = 0;
  bool right_click_select_ = false;
  HIMAGELIST state_images_ = nullptr;
  TTreeNode right_click_node_ = nullptr;
  TTreeNode pending_change_ = nullptr;
  TTreeNode expanding_ = nullptr;  // the node Expand asked about already
  bool expanded_reported_ = false;
  bool editing_ = false;
  POINT right_pressed_at_{-1, -1};  // a label edit was allowed and has not ended
  int perform_depth_ = 0;
  std::exception_ptr pending_error_;
};

template <class Handler>
bool TPlatformTreeView::Guarded(Handler&& handler) noexcept {
  try {
    handler();
    return true;
  } catch (...) {
    Raised(std::current_exception());
    return false;
  }
}

}  // namespace shelltree

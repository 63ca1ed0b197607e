#include "shelltree/platform_tree_view.h"

#include <windowsx.h>

#include <cstring>

#include "framework/application.h"
#include "framework/system_error.h"

namespace shelltree {

namespace {

constexpr DWORD kDefaultStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TVS_HASBUTTONS |
                                TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS;

void InitTreeControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

}  // namespace

TShiftState MouseShiftState(WPARAM wparam) {
  TShiftState state = 0;
  if (wparam & MK_SHIFT) state |= ssShift;
  if (wparam & MK_CONTROL) state |= ssCtrl;
  if (wparam & MK_LBUTTON) state |= ssLeft;
  if (wparam & MK_RBUTTON) state |= ssRight;
  if (wparam & MK_MBUTTON) state |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) state |= ssAlt;
  return state;
}

TShiftState KeyboardShiftState() {
  TShiftState state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) state |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) state |= ssAlt;
  return state;
}

TPlatformTreeView::TPlatformTreeView() : style_(kDefaultStyle) { InitTreeControls(); }

TPlatformTreeView::~TPlatformTreeView() {
  if (handle_) {
    const HWND window = handle_;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    handle_ = nullptr;
    DestroyWindow(window);
  }
}

void TPlatformTreeView::CreateHandle(HWND parent) {
  if (handle_) return;
  parent_ = parent;
  DWORD style = style_;
  CreateParams(style);
  RECT client{};
  if (parent) GetClientRect(parent, &client);
  handle_ = CreateWindowExW(0, WC_TREEVIEWW, L"", style, 0, 0, client.right, client.bottom, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!handle_) framework::RaiseLastOSError();
  style_ = static_cast<DWORD>(GetWindowLongW(handle_, GWL_STYLE));
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  platform_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TPlatformTreeView::SubclassProc)));
  if (parent) SendMessageW(handle_, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
  SendMessageW(handle_, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
  if (state_images_) SendMessageW(handle_, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(state_images_));
  CreateWnd();
}

void TPlatformTreeView::DestroyHandle() {
  if (!handle_) return;
  DestroyWnd();
  style_ = static_cast<DWORD>(GetWindowLongW(handle_, GWL_STYLE));
  KillTimer(handle_, kChangeTimer);
  pending_change_ = nullptr;
  right_click_node_ = nullptr;
  // The nodes go with the window; each is reported (NodeDeleted) first.
  ClearNodes();
  const HWND window = handle_;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  handle_ = nullptr;
  DestroyWindow(window);
}

void TPlatformTreeView::RecreateHandle() {
  const HWND parent = parent_;
  DestroyHandle();
  CreateHandle(parent);
}

LRESULT TPlatformTreeView::Perform(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!handle_) return 0;
  ++perform_depth_;
  const LRESULT result = SendMessageW(handle_, message, wparam, lparam);
  --perform_depth_;
  if (pending_error_ && perform_depth_ == 0) {
    std::exception_ptr error = pending_error_;
    pending_error_ = nullptr;
    std::rethrow_exception(error);
  }
  return result;
}

void TPlatformTreeView::Raised(std::exception_ptr error) noexcept {
  if (perform_depth_ > 0) {
    if (!pending_error_) pending_error_ = error;
    return;
  }
  if (framework::Application) framework::Application->HandleException(error);
}

LRESULT CALLBACK TPlatformTreeView::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* tree = reinterpret_cast<TPlatformTreeView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!tree) {
    // The object let go of the window: the platform's procedure is all
    // that is left (the class's, once the tree's was put back).
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    GetClassInfoExW(nullptr, WC_TREEVIEWW, &window_class);
    return CallWindowProcW(window_class.lpfnWndProc, window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (tree->handle_ == window) tree->handle_ = nullptr;
    return CallWindowProcW(tree->platform_proc_, window, message, wparam, lparam);
  }
  LRESULT result = 0;
  if (!tree->Guarded([&] { result = tree->WndProc(message, wparam, lparam); })) return 0;
  return result;
}

LRESULT TPlatformTreeView::DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam) {
  return CallWindowProcW(platform_proc_, handle_, message, wparam, lparam);
}

LRESULT TPlatformTreeView::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_RBUTTONDOWN) right_pressed_at_ = POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  // Shift+F10 becomes the context-menu request the system makes of it, here,
  // because Wine's tree drops the key; the platform never sees it, so it
  // cannot make a second. (The menu key's request comes from the system.)
  if (message == WM_SYSKEYDOWN && wparam == VK_F10 && !(HIWORD(lparam) & KF_ALTDOWN) && GetKeyState(VK_SHIFT) < 0 &&
      GetKeyState(VK_CONTROL) >= 0) {
    SendMessageW(handle_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(handle_), MAKELPARAM(-1, -1));
    return 0;
  }
  if (message == WM_CONTEXTMENU && GET_X_LPARAM(lparam) == -1 && GET_Y_LPARAM(lparam) == -1) {
    // From the keyboard (Shift+F10, the menu key): the selected node's menu,
    // at its label, brought into view first.
    if (const TTreeNode node = PlatformSelected()) {
      SendMessageW(handle_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
      RECT label{};
      std::memcpy(&label, &node, sizeof node);  // the message takes the node in the rectangle
      if (SendMessageW(handle_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)) &&
          ContextPopup(POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2}))
        return 0;
    }
  }
  if (message == WM_TIMER && wparam == kChangeTimer) {
    KillTimer(handle_, kChangeTimer);
    const TTreeNode node = pending_change_;
    pending_change_ = nullptr;
    if (node && node == Selected()) Change(node);
    return 0;
  }
  return DefaultHandler(message, wparam, lparam);
}

LRESULT TPlatformTreeView::HandleNotify(NMHDR& header) {
  LRESULT result = 0;
  const bool done = Guarded([&] {
    switch (header.code) {
      case TVN_SELCHANGINGW: {
        const auto& change = reinterpret_cast<NMTREEVIEWW&>(header);
        result = CanChange(change.itemNew.hItem) ? FALSE : TRUE;
        break;
      }
      case TVN_SELCHANGEDW: {
        const auto& change = reinterpret_cast<NMTREEVIEWW&>(header);
        if (change_delay_ > 0) {
          pending_change_ = change.itemNew.hItem;
          SetTimer(handle_, kChangeTimer, static_cast<UINT>(change_delay_), nullptr);
        } else {
          Change(change.itemNew.hItem);
        }
        break;
      }
      case TVN_ITEMEXPANDINGW: {
        const auto& expand = reinterpret_cast<NMTREEVIEWW&>(header);
        const TTreeNode node = expand.itemNew.hItem;
        if (expand.action & TVE_COLLAPSE) {
          result = CanCollapse(node) ? FALSE : TRUE;
        } else if (node == expanding_) {
          result = FALSE;  // Expand asked already
        } else {
          result = CanExpand(node) ? FALSE : TRUE;
        }
        break;
      }
      case TVN_ITEMEXPANDEDW: {
        const auto& expand = reinterpret_cast<NMTREEVIEWW&>(header);
        if (expand.action & TVE_COLLAPSE) {
          NodeCollapsed(expand.itemNew.hItem);
        } else {
          if (expand.itemNew.hItem == expanding_) expanded_reported_ = true;
          NodeExpanded(expand.itemNew.hItem);
        }
        break;
      }
      case TVN_BEGINLABELEDITW: {
        const auto& edit = reinterpret_cast<NMTVDISPINFOW&>(header);
        editing_ = CanEdit(edit.item.hItem);
        result = editing_ ? FALSE : TRUE;
        break;
      }
      case TVN_ENDLABELEDITW: {
        // Wine reports the end once more when the editor, being destroyed,
        // loses the focus: one edit has one end.
        if (!editing_) break;
        editing_ = false;
        const auto& edit = reinterpret_cast<NMTVDISPINFOW&>(header);
        if (edit.item.pszText) {
          std::wstring text = edit.item.pszText;
          // The platform keeps the text it was given; a changed one is set here.
          const bool keep = Edited(edit.item.hItem, &text);
          if (keep && text != edit.item.pszText) {
            SetText(edit.item.hItem, text);
          } else {
            result = keep ? TRUE : FALSE;
          }
        } else {
          Edited(edit.item.hItem, nullptr);
        }
        break;
      }
      case NM_CLICK: {
        // The platform moves the selection only after it reported the click:
        // a click on a node's label or icon selects the node first, so the
        // click's handlers see it selected.
        const DWORD position = GetMessagePos();
        POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        ScreenToClient(handle_, &point);
        UINT flags = 0;
        const TTreeNode node = NodeAt(point, &flags);
        if (node && (flags & TVHT_ONITEM) && node != Selected()) Select(node);
        Click();
        break;
      }
      case NM_DBLCLK:
        DblClick();
        break;
      case NM_RCLICK: {
        // Where the button went down: the platform reports the right click
        // after a loop of its own, when the message position is another's.
        const POINT point = right_pressed_at_;
        const TTreeNode node = NodeAt(point);
        // The node under the pointer counts as selected while the click is
        // handled; the selection itself stays where it was.
        const bool mark = right_click_select_ && node;
        if (mark) {
          right_click_node_ = node;
          Perform(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node));
        }
        struct TUnmark {
          TPlatformTreeView& tree;
          bool mark;
          ~TUnmark() {
            if (!mark) return;
            tree.right_click_node_ = nullptr;
            if (tree.handle_) SendMessageW(tree.handle_, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
          }
        } unmark{*this, mark};
        result = ContextPopup(point) ? TRUE : FALSE;
        break;
      }
      case TVN_DELETEITEMW: {
        const auto& deleted = reinterpret_cast<NMTREEVIEWW&>(header);
        const TTreeNode node = deleted.itemOld.hItem;
        if (node == right_click_node_) right_click_node_ = nullptr;
        if (node == pending_change_) pending_change_ = nullptr;
        NodeDeleted(node, reinterpret_cast<void*>(deleted.itemOld.lParam));
        break;
      }
      case TVN_GETINFOTIPW: {
        auto& tip = reinterpret_cast<NMTVGETINFOTIPW&>(header);
        GetInfoTip(tip.hItem, tip.pszText, tip.cchTextMax);
        break;
      }
      case TVN_BEGINDRAGW:
      case TVN_BEGINRDRAGW: {
        const auto& drag = reinterpret_cast<NMTREEVIEWW&>(header);
        BeginDrag(drag.itemNew.hItem, header.code == TVN_BEGINRDRAGW);
        break;
      }
      default:
        break;
    }
  });
  if (!done) {
    // A vetoable step whose handler raised does not happen.
    switch (header.code) {
      case TVN_SELCHANGINGW:
      case TVN_ITEMEXPANDINGW:
      case TVN_BEGINLABELEDITW:
        return TRUE;
      default:
        return 0;
    }
  }
  return result;
}

TVITEMW TPlatformTreeView::GetItem(TTreeNode node, UINT mask, UINT state_mask) const {
  TVITEMW item{};
  item.mask = mask | TVIF_HANDLE;
  item.hItem = node;
  item.stateMask = state_mask;
  if (handle_ && node) SendMessageW(handle_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item;
}

void TPlatformTreeView::SetItem(TVITEMW& item) {
  item.mask |= TVIF_HANDLE;
  if (handle_ && item.hItem) SendMessageW(handle_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

TTreeNode TPlatformTreeView::AddChild(TTreeNode parent, const std::wstring& text, void* data) {
  if (!handle_) throw framework::Exception(L"The tree has no window");
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(text.c_str());
  insert.item.lParam = reinterpret_cast<LPARAM>(data);
  const auto node = reinterpret_cast<TTreeNode>(Perform(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!node) throw framework::Exception(L"The tree cannot take another node");
  return node;
}

namespace {

void FillLook(TVITEMW& item, const TNodeLook& look) {
  item.mask |= TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
  item.pszText = const_cast<wchar_t*>(look.text.c_str());
  item.iImage = look.image;
  item.iSelectedImage = look.selected_image;
  item.cChildren = look.has_children ? 1 : 0;
  item.stateMask = TVIS_CUT | TVIS_OVERLAYMASK;
  item.state = (look.cut ? TVIS_CUT : 0) | (look.overlay >= 0 ? INDEXTOOVERLAYMASK(look.overlay + 1) : 0);
}

}  // namespace

TTreeNode TPlatformTreeView::AddChild(TTreeNode parent, const TNodeLook& look, void* data) {
  if (!handle_) throw framework::Exception(L"The tree has no window");
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_PARAM;
  insert.item.lParam = reinterpret_cast<LPARAM>(data);
  FillLook(insert.item, look);
  const auto node = reinterpret_cast<TTreeNode>(Perform(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!node) throw framework::Exception(L"The tree cannot take another node");
  return node;
}

void TPlatformTreeView::SetLook(TTreeNode node, const TNodeLook& look) {
  TVITEMW item{};
  item.hItem = node;
  FillLook(item, look);
  SetItem(item);
}

void TPlatformTreeView::Delete(TTreeNode node) {
  if (node) Perform(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
}

void TPlatformTreeView::DeleteChildren(TTreeNode node) {
  while (const TTreeNode child = FirstChild(node)) Delete(child);
}

void TPlatformTreeView::ClearNodes() { Perform(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

TTreeNode TPlatformTreeView::FirstNode() const { return handle_ ? TreeView_GetRoot(handle_) : nullptr; }
TTreeNode TPlatformTreeView::Parent(TTreeNode node) const {
  return handle_ && node ? TreeView_GetParent(handle_, node) : nullptr;
}
TTreeNode TPlatformTreeView::FirstChild(TTreeNode node) const {
  return handle_ && node ? TreeView_GetChild(handle_, node) : nullptr;
}
TTreeNode TPlatformTreeView::NextSibling(TTreeNode node) const {
  return handle_ && node ? TreeView_GetNextSibling(handle_, node) : nullptr;
}
TTreeNode TPlatformTreeView::NextVisible(TTreeNode node) const {
  return handle_ && node ? TreeView_GetNextVisible(handle_, node) : nullptr;
}

TTreeNode TPlatformTreeView::NextInTreeOrder(TTreeNode node) const {
  if (const TTreeNode child = FirstChild(node)) return child;
  for (TTreeNode at = node; at; at = Parent(at)) {
    if (const TTreeNode sibling = NextSibling(at)) return sibling;
  }
  return nullptr;
}

bool TPlatformTreeView::NodeExists(TTreeNode node) const {
  for (TTreeNode at = FirstNode(); at; at = NextInTreeOrder(at)) {
    if (at == node) return true;
  }
  return false;
}

int TPlatformTreeView::Index(TTreeNode node) const {
  if (!node) return -1;
  const TTreeNode parent = Parent(node);
  int index = 0;
  for (TTreeNode at = parent ? FirstChild(parent) : FirstNode(); at; at = NextSibling(at), ++index) {
    if (at == node) return index;
  }
  return -1;
}

int TPlatformTreeView::ChildCount(TTreeNode node) const {
  int count = 0;
  for (TTreeNode at = FirstChild(node); at; at = NextSibling(at)) ++count;
  return count;
}

TTreeNode TPlatformTreeView::ChildAt(TTreeNode parent, int index) const {
  if (index < 0) return nullptr;
  TTreeNode at = FirstChild(parent);
  for (; at && index > 0; --index) at = NextSibling(at);
  return at;
}

void* TPlatformTreeView::Data(TTreeNode node) const {
  return reinterpret_cast<void*>(GetItem(node, TVIF_PARAM).lParam);
}

void TPlatformTreeView::SetData(TTreeNode node, void* data) {
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  item.lParam = reinterpret_cast<LPARAM>(data);
  SetItem(item);
}

std::wstring TPlatformTreeView::Text(TTreeNode node) const {
  wchar_t buffer[MAX_PATH * 2] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_HANDLE;
  item.hItem = node;
  item.pszText = buffer;
  item.cchTextMax = static_cast<int>(std::size(buffer));
  if (handle_ && node) SendMessageW(handle_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.pszText ? std::wstring(item.pszText) : std::wstring();
}

void TPlatformTreeView::SetText(TTreeNode node, const std::wstring& text) {
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SetItem(item);
}

int TPlatformTreeView::ImageIndex(TTreeNode node) const { return GetItem(node, TVIF_IMAGE).iImage; }

void TPlatformTreeView::SetImageIndex(TTreeNode node, int index) {
  TVITEMW item{};
  item.mask = TVIF_IMAGE;
  item.hItem = node;
  item.iImage = index;
  SetItem(item);
}

int TPlatformTreeView::SelectedIndex(TTreeNode node) const {
  return GetItem(node, TVIF_SELECTEDIMAGE).iSelectedImage;
}

void TPlatformTreeView::SetSelectedIndex(TTreeNode node, int index) {
  TVITEMW item{};
  item.mask = TVIF_SELECTEDIMAGE;
  item.hItem = node;
  item.iSelectedImage = index;
  SetItem(item);
}

int TPlatformTreeView::OverlayIndex(TTreeNode node) const {
  const UINT state = GetItem(node, TVIF_STATE, TVIS_OVERLAYMASK).state;
  return static_cast<int>((state & TVIS_OVERLAYMASK) >> 8) - 1;
}

void TPlatformTreeView::SetOverlayIndex(TTreeNode node, int index) {
  TVITEMW item{};
  item.mask = TVIF_STATE;
  item.hItem = node;
  item.stateMask = TVIS_OVERLAYMASK;
  item.state = index >= 0 ? INDEXTOOVERLAYMASK(index + 1) : 0;
  SetItem(item);
}

bool TPlatformTreeView::Cut(TTreeNode node) const {
  return (GetItem(node, TVIF_STATE, TVIS_CUT).state & TVIS_CUT) != 0;
}

void TPlatformTreeView::SetCut(TTreeNode node, bool cut) {
  TVITEMW item{};
  item.mask = TVIF_STATE;
  item.hItem = node;
  item.stateMask = TVIS_CUT;
  item.state = cut ? TVIS_CUT : 0;
  SetItem(item);
}

bool TPlatformTreeView::DropTarget(TTreeNode node) const {
  return (GetItem(node, TVIF_STATE, TVIS_DROPHILITED).state & TVIS_DROPHILITED) != 0;
}

void TPlatformTreeView::SetDropTarget(TTreeNode node, bool value) {
  if (value) {
    Perform(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node));
  } else if (DropTarget(node)) {
    Perform(TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  }
}

bool TPlatformTreeView::HasChildren(TTreeNode node) const { return GetItem(node, TVIF_CHILDREN).cChildren != 0; }

void TPlatformTreeView::SetHasChildren(TTreeNode node, bool value) {
  TVITEMW item{};
  item.mask = TVIF_CHILDREN;
  item.hItem = node;
  item.cChildren = value ? 1 : 0;
  SetItem(item);
}

bool TPlatformTreeView::IsExpanded(TTreeNode node) const {
  return (GetItem(node, TVIF_STATE, TVIS_EXPANDED).state & TVIS_EXPANDED) != 0;
}

TTreeNode TPlatformTreeView::Selected() const {
  if (right_click_node_) return right_click_node_;
  return handle_ ? TreeView_GetSelection(handle_) : nullptr;
}

TTreeNode TPlatformTreeView::PlatformSelected() const { return handle_ ? TreeView_GetSelection(handle_) : nullptr; }

void TPlatformTreeView::Select(TTreeNode node) { Perform(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node)); }

void TPlatformTreeView::Expand(TTreeNode node) {
  if (!node || !handle_ || IsExpanded(node)) return;
  if (!CanExpand(node)) return;
  const TTreeNode outer = expanding_;
  const bool outer_reported = expanded_reported_;
  expanding_ = node;
  expanded_reported_ = false;
  struct TRestore {
    TPlatformTreeView& tree;
    TTreeNode node;
    bool reported;
    ~TRestore() {
      tree.expanding_ = node;
      tree.expanded_reported_ = reported;
    }
  } restore{*this, outer, outer_reported};
  Perform(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
  // The platform reports a programmatic expansion only the first time.
  if (!expanded_reported_ && IsExpanded(node)) NodeExpanded(node);
}

void TPlatformTreeView::Collapse(TTreeNode node) {
  if (node) Perform(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(node));
}

TTreeNode TPlatformTreeView::TopItem() const { return handle_ ? TreeView_GetFirstVisible(handle_) : nullptr; }

void TPlatformTreeView::SetTopItem(TTreeNode node) {
  if (node) Perform(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(node));
}

TTreeNode TPlatformTreeView::NodeAt(POINT client, UINT* flags) const {
  if (flags) *flags = 0;
  if (!handle_) return nullptr;
  TVHITTESTINFO hit{};
  hit.pt = client;
  const auto node = reinterpret_cast<TTreeNode>(SendMessageW(handle_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (flags) *flags = hit.flags;
  return node;
}

int TPlatformTreeView::VisibleCount() const {
  return handle_ ? static_cast<int>(SendMessageW(handle_, TVM_GETVISIBLECOUNT, 0, 0)) : 0;
}

void TPlatformTreeView::BeginUpdate() {
  if (update_depth_++ == 0 && handle_) SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
}

void TPlatformTreeView::EndUpdate() {
  if (update_depth_ <= 0) return;
  if (--update_depth_ == 0 && handle_) {
    SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

int TPlatformTreeView::Indent() const {
  return handle_ ? static_cast<int>(SendMessageW(handle_, TVM_GETINDENT, 0, 0)) : -1;
}

void TPlatformTreeView::SetIndent(int value) {
  if (handle_) SendMessageW(handle_, TVM_SETINDENT, static_cast<WPARAM>(value), 0);
}

void TPlatformTreeView::SetStateImages(HIMAGELIST images) {
  state_images_ = images;
  if (handle_) SendMessageW(handle_, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images));
}

DWORD TPlatformTreeView::Style() const {
  return handle_ ? static_cast<DWORD>(GetWindowLongW(handle_, GWL_STYLE)) : style_;
}

void TPlatformTreeView::SetStyle(DWORD bits, bool on) {
  const DWORD style = on ? (Style() | bits) : (Style() & ~bits);
  style_ = style;
  if (handle_ && static_cast<DWORD>(GetWindowLongW(handle_, GWL_STYLE)) != style) {
    SetWindowLongW(handle_, GWL_STYLE, static_cast<LONG>(style));
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

}  // namespace shelltree

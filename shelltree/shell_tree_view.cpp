#include "shelltree/shell_tree_view.h"

#include "framework/application.h"
#include "framework/system_error.h"
#include "framework/window_procedure.h"
#include "shellcore/shell_messages.h"

namespace shelltree {

namespace {

constexpr wchar_t kContainerClass[] = L"TcxShellTreeView";

}  // namespace

TcxTreeViewContainer::TcxTreeViewContainer(const TInnerTreeFactory& factory)
    : inner_tree_(factory()), inner_(inner_tree_.get()) {
  InitInnerTree();
}

TcxTreeViewContainer::~TcxTreeViewContainer() {
  destroying_ = true;
  inner_tree_.reset();
  inner_ = nullptr;
  if (handle_) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

void TcxTreeViewContainer::InitInnerTree() {
  inner_->SetContainer(this);
}

void TcxTreeViewContainer::CreateHandle(HWND parent, int left, int top, int width, int height) {
  if (handle_) return;
  static const ATOM container_class = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = &framework::ObjectWindowProc<TcxTreeViewContainer, &TcxTreeViewContainer::handle_,
                                                              &TcxTreeViewContainer::HandleMessage>;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kContainerClass;
    return RegisterClassExW(&window_class);
  }();
  (void)container_class;
  handle_ = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, kContainerClass, L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, left, top, width, height, parent, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (!handle_) framework::RaiseLastOSError();
  if (parent) SendMessageW(handle_, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
  inner_->CreateHandle(handle_);
  UpdateScrollBars();
}

void TcxTreeViewContainer::Loaded() { loading_ = false; }

bool TcxTreeViewContainer::Focused() const {
  const HWND focus = GetFocus();
  return focus && (focus == handle_ || (inner_ && focus == inner_->Handle()));
}

bool TcxTreeViewContainer::CanFocus() const {
  return handle_ && IsWindowVisible(handle_) && IsWindowEnabled(handle_);
}

void TcxTreeViewContainer::SetFocus() {
  if (inner_ && inner_->HandleAllocated()) ::SetFocus(inner_->Handle());
}

bool TcxTreeViewContainer::InnerMessageHook(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void TcxTreeViewContainer::ApplyReadOnly(bool value) {
  read_only_ = value;
  inner_->SetReadOnly(value);
}

void TcxTreeViewContainer::InnerMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inner_mouse_press_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{inner_mouse_press_};
  MouseDown(button, shift, x, y);
}

void TcxTreeViewContainer::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TcxTreeViewContainer::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TcxTreeViewContainer::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TcxTreeViewContainer::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
  if (key == VK_TAB && !(shift & ssCtrl) && handle_) {
    // Tab leaves the control for the next (Shift: previous) one in tab order.
    const HWND root = GetAncestor(handle_, GA_ROOT);
    const HWND from = inner_->HandleAllocated() ? inner_->Handle() : handle_;
    if (const HWND next = GetNextDlgTabItem(root, from, (shift & ssShift) != 0)) ::SetFocus(next);
    key = 0;
  }
}

void TcxTreeViewContainer::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TcxTreeViewContainer::KeyPress(wchar_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

bool TcxTreeViewContainer::ContextPopup(POINT client) {
  if (!PopupMenu || !handle_) return false;
  POINT screen = client;
  ClientToScreen(handle_, &screen);
  TrackPopupMenu(PopupMenu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, handle_, nullptr);
  return true;
}

void TcxTreeViewContainer::FocusChanged() {
  const bool focused = Focused();
  if (focused == focused_) return;
  focused_ = focused;
  if (focused) {
    if (OnEnter) OnEnter(this);
  } else {
    if (OnExit) OnExit(this);
  }
}

LRESULT TcxTreeViewContainer::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  TcxBaseInnerTreeView* inner = inner_;
  const bool inner_window = inner && inner->HandleAllocated();
  switch (message) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (inner_window && header && header->hwndFrom == inner->Handle()) return inner->HandleNotify(*header);
      break;
    }
    case WM_SIZE:
      if (inner_window) {
        SetWindowPos(inner->Handle(), nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam),
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus();
      return 0;
    case WM_SETFONT:
      if (inner_window) SendMessageW(inner->Handle(), WM_SETFONT, wparam, lparam);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (inner_window) return SendMessageW(inner->Handle(), message, wparam, lparam);
      break;
    default:
      break;
  }
  return DefWindowProcW(handle_, message, wparam, lparam);
}

TcxCustomShellTreeView::TcxCustomShellTreeView(const TInnerTreeFactory& factory) : TcxTreeViewContainer(factory) {
  WireInnerTree();
}

TcxCustomShellTreeView::~TcxCustomShellTreeView() { StartDestroying(); }

template <class Relay>
void TcxCustomShellTreeView::RelayThenUpdateScrollBars(Relay&& relay) {
  try {
    relay();
  } catch (...) {
    UpdateScrollBars();
    throw;
  }
  UpdateScrollBars();
}

void TcxCustomShellTreeView::WireInnerTree() {
  TcxInnerShellTreeView& tree = Tree();
  tree.OnAddFolder = [this](shellcore::TcxShellFolder& folder, bool& can_add) {
    if (OnAddFolder) OnAddFolder(this, folder, can_add);
  };
  tree.OnChange = [this](TTreeNode node) {
    RelayThenUpdateScrollBars([&] {
      if (OnChange) OnChange(this, node);
    });
  };
  tree.OnChanging = [this](TTreeNode node, bool& allow) {
    if (OnChanging) OnChanging(this, node, allow);
  };
  tree.OnCollapsed = [this](TTreeNode node) {
    RelayThenUpdateScrollBars([&] {
      if (OnCollapsed) OnCollapsed(this, node);
    });
  };
  tree.OnCollapsing = [this](TTreeNode node, bool& allow) {
    if (OnCollapsing) OnCollapsing(this, node, allow);
  };
  tree.OnExpanded = [this](TTreeNode node) {
    RelayThenUpdateScrollBars([&] {
      if (OnExpanded) OnExpanded(this, node);
    });
  };
  tree.OnExpanding = [this](TTreeNode node, bool& allow) {
    if (OnExpanding) OnExpanding(this, node, allow);
  };
  tree.OnEditing = [this](TTreeNode node, bool& allow) {
    if (OnEditing) OnEditing(this, node, allow);
  };
  tree.OnEdited = [this](TTreeNode node, std::wstring& text) {
    RelayThenUpdateScrollBars([&] {
      if (OnEdited) OnEdited(this, node, text);
    });
  };
  tree.OnClick = [this] {
    if (OnClick) OnClick(this);
  };
  tree.OnDblClick = [this] {
    if (OnDblClick) OnDblClick(this);
  };
  tree.OnRootChanged = [this](shellcore::TcxCustomShellRoot&) { InnerRootChanged(); };
  tree.OnShellChange = [this](DWORD event, LPCITEMIDLIST id1, LPCITEMIDLIST id2) {
    if (OnShellChange) OnShellChange(this, event, id1, id2);
  };
}

std::wstring TcxCustomShellTreeView::Path() {
  if (Destroying()) return std::wstring();
  return Tree().SelectionPath();
}

void TcxCustomShellTreeView::SetDragDropSettings(const shellcore::TcxDragDropSettings& settings) {
  shellcore::TcxDragDropSettings& own = Tree().DragDropSettings();
  own.SetDefaultDropEffect(settings.DefaultDropEffect());
  own.SetDropEffect(settings.DropEffect());
  own.SetAllowDragObjects(settings.AllowDragObjects());
}

void TcxCustomShellTreeView::SetIndent(int value) {
  const int before = Tree().Indent();
  Tree().SetIndent(value);
  if (Tree().Indent() != before) UpdateScrollBars();
}

void TcxCustomShellTreeView::Loaded() {
  TcxTreeViewContainer::Loaded();
  Tree().EndLoading();
  UpdateScrollBars();
}

LRESULT TcxCustomShellTreeView::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message >= shellcore::SHELLMSG_FIRST && message <= shellcore::SHELLMSG_LAST) {
    // The family's private messages belong to the inner tree, once it has
    // a window.
    if (InnerTree() && InnerTree()->HandleAllocated())
      return SendMessageW(InnerTree()->Handle(), message, wparam, lparam);
    return DefWindowProcW(Handle(), message, wparam, lparam);
  }
  return TcxTreeViewContainer::HandleMessage(message, wparam, lparam);
}

TcxShellTreeView::TcxShellTreeView()
    : TcxCustomShellTreeView([] { return std::make_unique<TcxInnerShellTreeView>(); }) {}

TcxShellTreeView::TcxShellTreeView(framework::TForm& form, int left, int top, int width, int height)
    : TcxShellTreeView() {
  BeginLoading();
  CreateHandle(form.Handle(), form.Scale(left), form.Scale(top), form.Scale(width), form.Scale(height));
}

}  // namespace shelltree

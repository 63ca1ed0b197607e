#include "shellcore/context_menu.h"

#include "shellcore/id_list.h"

namespace shellcore {

TcxShellCustomContextMenu::~TcxShellCustomContextMenu() {
  if (PopupMenuHandle) DestroyMenu(PopupMenuHandle);
}

void TcxShellCustomContextMenu::Popup(POINT screen) {
  PopupMenuHandle = CreatePopupMenu();
  struct TDestroy {
    HMENU& menu;
    ~TDestroy() {
      if (menu) DestroyMenu(menu);
      menu = nullptr;
    }
  } destroy{PopupMenuHandle};
  PopulateMenu();
  TrackMenu(screen);
}

void TcxShellCustomContextMenu::QueryItemsMenu(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items) {
  const TIdListArray array = IdListArray(&items);
  ShellMenu.Reset();
  if (!folder || FAILED(folder->GetUIObjectOf(OwnerWindowHandle(), static_cast<UINT>(items.size()), array.Get(),
                                              IID_IContextMenu, nullptr,
                                              reinterpret_cast<void**>(ShellMenu.GetAddressOf()))) ||
      !ShellMenu)
    return;
  InsertShellCommands();
}

void TcxShellCustomContextMenu::QueryBackgroundMenu(IShellFolder* folder) {
  ShellMenu.Reset();
  if (!folder || FAILED(folder->CreateViewObject(OwnerWindowHandle(), IID_IContextMenu,
                                                 reinterpret_cast<void**>(ShellMenu.GetAddressOf()))) ||
      !ShellMenu)
    return;
  InsertShellCommands();
}

void TcxShellCustomContextMenu::InsertShellCommands() {
  if (!ShellMenu || !PopupMenuHandle) return;
  const UINT flags = GetKeyState(VK_SHIFT) < 0 ? CMF_EXTENDEDVERBS : CMF_NORMAL;
  ShellMenu->QueryContextMenu(PopupMenuHandle, static_cast<UINT>(GetMenuItemCount(PopupMenuHandle)),
                              FirstShellCommandId, kLastShellCommandId, flags);
}

void TcxShellCustomContextMenu::TrackMenu(POINT screen) {
  std::unique_ptr<TcxContextMenuMessageWindow> message_window;
  Microsoft::WRL::ComPtr<IContextMenu2> menu2;
  if (ShellMenu && SUCCEEDED(ShellMenu.As(&menu2)) && menu2) message_window = CreateMenuMessageWindow(menu2.Get());
  const HWND owner = message_window ? message_window->Handle() : OwnerWindowHandle();
  const UINT id = static_cast<UINT>(
      TrackPopupMenu(PopupMenuHandle, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr));
  message_window.reset();
  ExecuteCommand(id);
}

void TcxShellCustomContextMenu::ExecuteCommand(UINT id) {
  if (!ShellMenu || id < FirstShellCommandId) return;
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = OwnerWindowHandle();
  invoke.lpVerb = MAKEINTRESOURCEA(id - FirstShellCommandId);
  invoke.nShow = SW_SHOWNORMAL;
  ShellMenu->InvokeCommand(&invoke);
}

TcxShellContextMenuHelper::TcxShellContextMenuHelper(HWND window, const std::vector<LPCITEMIDLIST>& items,
                                                     IShellFolder* folder)
    : HelperFolder(folder), HelperItems(items), HelperWindow(window) {}

LRESULT TcxContextMenuMessageWindow::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      if (ShellMenu2) ShellMenu2->HandleMenuMsg(message, wparam, lparam);
      return 1;
    case WM_INITMENUPOPUP:
      if (ShellMenu2) ShellMenu2->HandleMenuMsg(message, wparam, lparam);
      return 0;
    default:
      return TMessageWindow::WndProc(message, wparam, lparam);
  }
}

std::unique_ptr<TcxContextMenuMessageWindow> CreateMenuMessageWindow(IContextMenu2* menu) {
  return std::make_unique<TcxContextMenuMessageWindow>(menu);
}

void ShowShellContextMenu(HWND window, IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items, POINT screen) {
  if (!folder || items.empty()) return;
  TcxShellContextMenuHelper menu(window, items, folder);
  menu.Popup(screen);
}

}  // namespace shellcore

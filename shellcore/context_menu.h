#pragma once
// The shell's own context menu for items of a folder: the shell fills a
// popup menu with its commands, the menu is tracked at a screen point, and
// the chosen command goes back to the shell. UI thread only.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

#include "framework/message_window.h"

namespace shellcore {

// The first menu command id given to the shell; the shell's command offset
// is the id minus this.
inline constexpr UINT kFirstShellCommandId = 200;
inline constexpr UINT kLastShellCommandId = 0x7FFF;

class TcxShellCustomContextMenu {
 public:
  TcxShellCustomContextMenu() = default;
  // Destroys a popup menu that is still there; releases the shell's menu.
  virtual ~TcxShellCustomContextMenu();
  TcxShellCustomContextMenu(const TcxShellCustomContextMenu&) = delete;
  TcxShellCustomContextMenu& operator=(const TcxShellCustomContextMenu&) = delete;

  // Fills, tracks and runs the menu; the popup menu goes on every path.
  virtual void Popup(POINT screen);
  virtual void TrackMenu(POINT screen);
  virtual void ExecuteCommand(UINT id);
  virtual HWND OwnerWindowHandle() = 0;
  virtual void PopulateMenu() = 0;

  // The shell's menu for `items` of `folder` (relative lists, borrowed).
  void QueryItemsMenu(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items);
  // The shell's menu for the folder itself.
  void QueryBackgroundMenu(IShellFolder* folder);
  // The shell's commands after what the menu holds; extended ones with Shift.
  void InsertShellCommands();

  Microsoft::WRL::ComPtr<IContextMenu> ShellMenu;
  UINT FirstShellCommandId = kFirstShellCommandId;
  HMENU PopupMenuHandle = nullptr;
};

class TcxShellContextMenuHelper : public TcxShellCustomContextMenu {
 public:
  TcxShellContextMenuHelper(HWND window, const std::vector<LPCITEMIDLIST>& items, IShellFolder* folder);
  HWND OwnerWindowHandle() override { return HelperWindow; }
  void PopulateMenu() override { QueryItemsMenu(HelperFolder.Get(), HelperItems); }

  Microsoft::WRL::ComPtr<IShellFolder> HelperFolder;
  const std::vector<LPCITEMIDLIST>& HelperItems;
  HWND HelperWindow;
};

// Owns the tracked menu for a shell menu that draws items of its own, and
// hands it the messages of those items.
class TcxContextMenuMessageWindow : public framework::TMessageWindow {
 public:
  explicit TcxContextMenuMessageWindow(IContextMenu2* menu) : ShellMenu2(menu) {}
  Microsoft::WRL::ComPtr<IContextMenu2> ShellMenu2;

 protected:
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;
};

std::unique_ptr<TcxContextMenuMessageWindow> CreateMenuMessageWindow(IContextMenu2* menu);

// Shows the shell's menu for `items` of `folder` at a screen point and runs
// the chosen command; nothing without a folder or an item.
void ShowShellContextMenu(HWND window, IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items, POINT screen);

}  // namespace shellcore

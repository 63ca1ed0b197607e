// The shell's context menu on the tree's nodes, driven from a second thread
// while the menu's own loop runs: dismissed, a command chosen, and the
// clicked item's parent removed while the menu is up.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/shelltree/tree_fixture.h"
#include "tests/support/watchdog.h"

namespace tree_test {
namespace {

constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

// Waits on its own thread for the tree's popup menu, then does what the test
// says with the menu's window, which it answers when the menu was seen.
class MenuDriver {
 public:
  explicit MenuDriver(std::function<void(HWND menu_window)> act)
      : thread_([this, act] {
          for (int waited = 0; waited < 5000 && !done; waited += 10) {
            const HWND menu = FindWindowW(L"#32768", nullptr);
            if (menu && IsWindowVisible(menu)) {
              seen = true;
              items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(menu, kGetMenuHandle, 0, 0)));
              act(menu);
              return;
            }
            Sleep(10);
          }
        }) {}
  ~MenuDriver() { Join(); }
  // A menu shows while the click is handled; after that none comes.
  void Join() {
    done = true;
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> done{false};
  std::atomic<bool> seen{false};
  std::atomic<int> items{0};

 private:
  std::thread thread_;
};

void PressKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// A right click on the node's label, as the mouse does it.
void RightClick(shelltree::TcxInnerShellTreeView& tree, POINT client) {
  POINT screen = client;
  ClientToScreen(tree.Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageW(tree.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
  PostMessageW(tree.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  Pump();
}

POINT LabelCentre(shelltree::TcxInnerShellTreeView& tree, TTreeNode node) {
  RECT label{};
  TreeView_GetItemRect(tree.Handle(), node, &label, TRUE);
  return POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
}

// The items of the menu a right click shows, or -1 when it shows none.
int MenuAfterRightClick(shelltree::TcxInnerShellTreeView& tree, POINT client) {
  MenuDriver driver([](HWND menu) { PressKey(menu, VK_ESCAPE); });
  RightClick(tree, client);
  driver.Join();
  return driver.seen ? driver.items.load() : -1;
}

// The control's own popup menu, of one item, while the test runs.
class OwnMenu {
 public:
  explicit OwnMenu(TestTreeView& control) : control_(control), menu_(CreatePopupMenu()) {
    AppendMenuW(menu_, MF_STRING, 1, L"Own");
    control_.PopupMenu = menu_;
  }
  OwnMenu(const OwnMenu&) = delete;
  OwnMenu& operator=(const OwnMenu&) = delete;
  ~OwnMenu() {
    control_.PopupMenu = nullptr;
    DestroyMenu(menu_);
  }

 private:
  TestTreeView& control_;
  HMENU menu_;
};

TEST(TreeMenu, TheRootEmptySpaceAndSwitchedOffMenusShowNoShellMenu) {
  TreeFixture fixture;
  MakeFile(fixture.Join(L"game.zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  tree.Expand(root);
  const OwnMenu own(fixture.Control());  // for requests the tree leaves to the control

  EXPECT_EQ(MenuAfterRightClick(tree, LabelCentre(tree, root)), -1) << "the root: handled, and no menu at all";
  EXPECT_EQ(MenuAfterRightClick(tree, POINT{250, 380}), 1) << "empty space: the control's own menu";
  EXPECT_GT(MenuAfterRightClick(tree, LabelCentre(tree, fixture.Child(root, L"game.zip"))), 1) << "the shell's menu";
  fixture.Control().Options().SetContextMenus(false);
  EXPECT_EQ(MenuAfterRightClick(tree, LabelCentre(tree, fixture.Child(root, L"game.zip"))), 1) << "menus switched off";
  EXPECT_FALSE(tree.MenuShowing);
}

TEST(TreeMenu, ADismissedMenuRunsNothingAndLeavesNoLockOrFlag) {
  test_support::Watchdog watchdog("tree menu test", 60000);
  TreeFixture fixture;
  MakeFile(fixture.Join(L"game.zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Expand(tree.FirstNode());
  const TTreeNode file = fixture.Child(tree.FirstNode(), L"game.zip");
  bool showing = false;
  MenuDriver driver([&](HWND menu) { PressKey(menu, VK_ESCAPE); });
  RightClick(tree, LabelCentre(tree, file));
  driver.Join();
  EXPECT_TRUE(driver.seen);
  EXPECT_GT(driver.items, 0) << "the shell's commands";
  EXPECT_FALSE(tree.MenuShowing || showing);
  EXPECT_EQ(tree.MenuProducer(), nullptr);
  EXPECT_EQ(tree.ProducerOf(tree.FirstNode())->ItemsGuard().ReadDepthHere(), 0);
  EXPECT_NE(GetFileAttributesW(fixture.Join(L"game.zip").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Keys typed on the focused tree, through the system's input queue as a
// keyboard gives them: each pressed in turn, then released in reverse.
void Type(HWND focus, std::vector<WORD> keys) {
  SetForegroundWindow(GetAncestor(focus, GA_ROOT));
  SetFocus(focus);
  std::vector<INPUT> input;
  const auto add = [&](WORD key, DWORD flags) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = key;
    one.ki.dwFlags = flags;
    input.push_back(one);
  };
  for (const WORD key : keys) add(key, 0);
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) add(*key, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  Pump();
}

// The keyboard's requests open the selected node's menu at its label, once;
// the root's are handled with no menu.
TEST(TreeMenu, ShiftF10AndTheMenuKeyOpenTheSelectedNodesMenuAtItsLabel) {
  test_support::Watchdog watchdog("tree menu test", 60000);
  TreeFixture fixture;
  MakeFile(fixture.Join(L"game.zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  tree.Expand(root);
  const TTreeNode file = fixture.Child(root, L"game.zip");
  const OwnMenu own(fixture.Control());  // shown, wrongly, were the request left to the control

  const std::vector<WORD> requests[] = {{VK_SHIFT, VK_F10}, {VK_APPS}};
  for (const std::vector<WORD>& keys : requests) {
    SCOPED_TRACE(keys.size() == 2 ? "Shift+F10" : "menu key");
    tree.Select(root);
    MenuDriver none([](HWND menu) { PressKey(menu, VK_ESCAPE); });
    Type(tree.Handle(), keys);
    none.Join();
    EXPECT_FALSE(none.seen) << "the root: handled, and no menu at all";

    tree.Select(file);
    RECT at{};
    int shown = 0;
    MenuDriver driver([&](HWND menu) {
      GetWindowRect(menu, &at);
      PressKey(menu, VK_ESCAPE);
    });
    fixture.Control().on_any_message = [&](UINT message) { shown += message == WM_CONTEXTMENU; };
    Type(tree.Handle(), keys);
    driver.Join();
    fixture.Control().on_any_message = nullptr;
    ASSERT_TRUE(driver.seen);
    EXPECT_GT(driver.items, 1) << "the shell's menu";
    EXPECT_EQ(shown, 1);
    POINT label = LabelCentre(tree, file);
    ClientToScreen(tree.Handle(), &label);
    EXPECT_EQ(at.left, label.x);
    EXPECT_EQ(at.top, label.y);
    EXPECT_FALSE(tree.MenuShowing);
    EXPECT_EQ(tree.PlatformSelected(), file);
  }
}

// Chooses the menu item whose text holds `wanted` with the keyboard, as a
// user does: down to it, then Enter.
void Choose(HWND menu_window, const std::wstring& wanted) {
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, kGetMenuHandle, 0, 0));
  int downs = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if ((info.fType & MFT_SEPARATOR) || (info.fState & MFS_DISABLED)) continue;
    ++downs;
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    std::wstring plain;
    for (const wchar_t* c = text; *c; ++c)
      if (*c != L'&') plain += *c;
    if (plain.find(wanted) == std::wstring::npos) continue;
    for (int d = 0; d < downs; ++d) PressKey(menu_window, VK_DOWN);
    PressKey(menu_window, VK_RETURN);
    return;
  }
  PressKey(menu_window, VK_ESCAPE);
}

// The files a data object on the clipboard names, as the shell's Copy puts it there.
std::vector<std::wstring> ClipboardFiles() {
  std::vector<std::wstring> files;
  Microsoft::WRL::ComPtr<IDataObject> data;
  if (FAILED(OleGetClipboard(&data)) || !data) return files;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return files;
  const auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    wchar_t path[MAX_PATH] = {};
    DragQueryFileW(drop, i, path, MAX_PATH);
    files.push_back(path);
  }
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return files;
}

TEST(TreeMenu, AChosenCommandIsCarriedOutByTheShell) {
  test_support::Watchdog watchdog("tree menu test", 60000);
  TreeFixture fixture;
  MakeFile(fixture.Join(L"game.zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Expand(tree.FirstNode());
  OleSetClipboard(nullptr);
  MenuDriver driver([](HWND menu) { Choose(menu, L"Copy"); });
  RightClick(tree, LabelCentre(tree, fixture.Child(tree.FirstNode(), L"game.zip")));
  driver.Join();
  Pump();
  ASSERT_TRUE(driver.seen);
  EXPECT_EQ(ClipboardFiles(), std::vector<std::wstring>{fixture.Join(L"game.zip")});
  EXPECT_FALSE(tree.MenuShowing);
  EXPECT_EQ(tree.MenuProducer(), nullptr);
}

TEST(TreeMenu, TheParentGoingWhileTheMenuIsUpLeavesNoLockHeld) {
  test_support::Watchdog watchdog("tree menu test", 60000);
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Parent"));
  MakeFolder(fixture.Join(L"Parent\\Child"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Expand(tree.FirstNode());
  const TTreeNode parent = fixture.Child(tree.FirstNode(), L"Parent");
  tree.Expand(parent);
  const TTreeNode child = fixture.Child(parent, L"Child");
  ASSERT_NE(child, nullptr);
  const std::wstring parent_path = fixture.Join(L"Parent");
  const std::wstring child_path = fixture.Join(L"Parent\\Child");
  MenuDriver driver([&](HWND menu) {
    RemoveDirectoryW(child_path.c_str());
    RemoveDirectoryW(parent_path.c_str());
    // The menu's registration watches the clicked folder; the change comes
    // in through the menu's own loop and rebuilds the tree under it.
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW | SHCNF_FLUSH, child_path.c_str(), nullptr);
    Sleep(300);
    PressKey(menu, VK_ESCAPE);
  });
  RightClick(tree, LabelCentre(tree, child));
  driver.Join();
  Pump();
  EXPECT_TRUE(driver.seen);
  EXPECT_EQ(tree.MenuProducer(), nullptr);
  EXPECT_FALSE(tree.MenuShowing);
  EXPECT_EQ(fixture.Child(tree.FirstNode(), L"Parent"), nullptr) << "rebuilt without the parent";
  tree.RefreshNode(tree.FirstNode());  // a writer gets the lock: nobody reads it any more
  EXPECT_EQ(tree.ProducerOf(tree.FirstNode())->ItemsGuard().ReadDepthHere(), 0);
}

}  // namespace
}  // namespace tree_test

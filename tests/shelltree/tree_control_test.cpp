// The folder tree control as its owner sees it: defaults, Path, clicks and
// keys, the events it relays, its private messages and linked controls.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "framework/application.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_messages.h"
#include "tests/shelltree/tree_fixture.h"
#include "tests/support/owner_window.h"

namespace tree_test {
namespace {

using shellcore::TIdList;

TIdList SpecialFolder(int csidl) {
  TIdList list;
  SHGetSpecialFolderLocation(nullptr, csidl, list.Put());
  return list;
}

TEST(TreeControl, ANewControlHasItsDefaultsBeforeItHasAWindow) {
  shelltree::TcxShellTreeView control;
  EXPECT_EQ(control.Path(), L"");
  EXPECT_EQ(control.Indent(), -1);
  EXPECT_TRUE(control.RightClickSelect());
  EXPECT_FALSE(control.ShowInfoTips());
  EXPECT_FALSE(control.AutoExpand());
  EXPECT_TRUE(control.HideSelection());
  EXPECT_FALSE(control.ReadOnly());
  EXPECT_TRUE(control.ShowButtons() && control.ShowLines() && control.ShowRoot());
  EXPECT_EQ(control.ChangeDelay(), 0);
  EXPECT_EQ(control.Root().BrowseFolder(), shellcore::bfDesktop);
  EXPECT_EQ(control.Tree().FirstNode(), nullptr);
  control.SetIndent(19);
  EXPECT_EQ(control.Indent(), 19);
  HostForm host;
  control.CreateHandle(host.Handle(), 0, 0, shelltree::kShellTreeDefaultWidth, shelltree::kShellTreeDefaultHeight);
  EXPECT_EQ(SendMessageW(control.Tree().Handle(), TVM_GETINDENT, 0, 0), 19);
  EXPECT_NE(control.Tree().FirstNode(), nullptr);
}

TEST(TreeControl, PathNamesTheSelectedItemInTheFileSystem) {
  TreeFixture fixture(false);
  fixture.Show();
  auto& control = fixture.Control();
  auto& tree = fixture.Tree();
  EXPECT_EQ(control.Path(), L"") << "nothing selected";

  wchar_t desktop[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
  const struct {
    const char* what;
    TIdList id;
    std::wstring path;
  } cases[] = {
      {"the desktop root", SpecialFolder(CSIDL_DESKTOP), desktop},
      {"a drive", shellcore::IdListFromPath(L"C:\\"), L"C:\\"},
      {"a folder", shellcore::IdListFromPath(fixture.Folder()), fixture.Folder()},
      {"a virtual folder", SpecialFolder(CSIDL_DRIVES), L""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.id) << c.what;
    tree.NavigateTo(c.id.Get());
    ASSERT_NE(tree.Selected(), nullptr) << c.what;
    EXPECT_EQ(_wcsicmp(control.Path().c_str(), c.path.c_str()), 0)
        << c.what << ": " << framework::WideToUtf8(control.Path());
  }

  // The root node's producer goes with its node, while the control is
  // being destroyed and a node is still selected.
  std::vector<std::wstring> during_destruction;
  tree.ProducerOf(tree.FirstNode())->OnDestroy = [&](shelltree::TcxShellTreeItemProducer&) {
    during_destruction.push_back(control.Path());
  };
  fixture.DestroyControl();
  ASSERT_EQ(during_destruction.size(), 1u);
  for (const std::wstring& path : during_destruction) EXPECT_EQ(path, L"");
}

TEST(TreeControl, AClickSelectsTheNodeBeforeOnClickAndAButtonClickKeepsTheSelection) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Alpha"));
  MakeFolder(fixture.Join(L"Alpha\\Inner"));
  MakeFolder(fixture.Join(L"Beta"));
  fixture.Show();
  auto& control = fixture.Control();
  auto& tree = fixture.Tree();
  tree.Expand(tree.FirstNode());
  std::vector<std::wstring> clicked;
  int changes = 0;
  control.OnClick = [&](framework::TControl* sender) {
    EXPECT_EQ(sender, &control);
    clicked.push_back(control.Path());
  };
  control.OnChange = [&](framework::TControl* sender, TTreeNode) {
    EXPECT_EQ(sender, &control);
    ++changes;
  };

  ClickNode(tree, fixture.Child(tree.FirstNode(), L"Beta"));
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], fixture.Join(L"Beta")) << "OnClick sees the clicked folder";

  const TTreeNode alpha = fixture.Child(tree.FirstNode(), L"Alpha");
  ClickButton(tree, alpha);
  ASSERT_EQ(clicked.size(), 2u) << "a click on a button is a click too";
  EXPECT_EQ(clicked[1], fixture.Join(L"Beta")) << "and leaves the selection";
  EXPECT_TRUE(tree.IsExpanded(alpha));

  const int changes_before = changes;
  SetFocus(tree.Handle());
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_UP, 0);
  Pump();
  EXPECT_EQ(changes, changes_before + 1) << "a key moves the selection";
  EXPECT_EQ(clicked.size(), 2u) << "and is no click";
  EXPECT_EQ(control.Path(), fixture.Join(L"Alpha\\Inner"));
}

TEST(TreeControl, F5RebuildsTheTreeUnlessTheControlsKeyHandlerTookIt) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Alpha"));
  fixture.Show();
  auto& control = fixture.Control();
  auto& tree = fixture.Tree();
  MakeFolder(fixture.Join(L"Beta"));
  bool take_it = true;
  std::vector<WORD> keys;
  control.OnKeyDown = [&](framework::TControl* sender, WORD& key, shelltree::TShiftState) {
    EXPECT_EQ(sender, &control);
    keys.push_back(key);
    if (take_it) key = 0;
  };
  SetFocus(tree.Handle());
  for (const bool taken : {true, false}) {
    take_it = taken;
    PostMessageW(tree.Handle(), WM_KEYDOWN, VK_F5, 1);
    Pump();
    EXPECT_EQ(fixture.ChildTexts(tree.FirstNode()),
              taken ? std::vector<std::wstring>{L"Alpha"} : (std::vector<std::wstring>{L"Alpha", L"Beta"}))
        << (taken ? "the handler took the key" : "the tree was rebuilt");
  }
  EXPECT_EQ(keys, (std::vector<WORD>{VK_F5, VK_F5}));
}

TEST(TreeControl, RelaysRecomputeTheScrollBarsAlsoWhenTheHandlerRaises) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Alpha"));
  fixture.Show();
  auto& control = fixture.Control();
  auto& tree = fixture.Tree();
  control.OnExpanded = [](framework::TControl*, TTreeNode) { throw framework::Exception(L"handler failed"); };
  const int before = control.scroll_bar_updates;
  EXPECT_THROW(tree.Expand(tree.FirstNode()), framework::Exception) << "the failure reaches the caller";
  EXPECT_GT(control.scroll_bar_updates, before);
}

TEST(TreeControl, PrivateMessagesGoToTheInnerTreeOnlyWhenItHasAWindow) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Alpha"));
  fixture.Show();
  auto& control = fixture.Control();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  ASSERT_EQ(tree.ChildCount(root), 1);
  // An empty listing for the root: the inner tree deletes the root's children.
  SendMessageW(control.Handle(), shellcore::SHELLMSG_ITEMS_LOADED, 0, reinterpret_cast<LPARAM>(root));
  EXPECT_EQ(tree.ChildCount(root), 0);

  tree.DestroyHandle();
  int seen = 0;
  control.on_inner_message = [&](UINT, WPARAM, LPARAM) { ++seen; };
  const TIdList target = shellcore::IdListFromPath(fixture.Join(L"Alpha"));
  EXPECT_EQ(SendMessageW(control.Handle(), shellcore::SHELLMSG_NAVIGATE, reinterpret_cast<WPARAM>(target.Get()), 0),
            0);
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(tree.StoredSelection(), nullptr) << "nothing navigated";
}

// A shell control of the tests' own that follows the tree.
class Follower : public shelltree::TcxShellDependentControl {
 public:
  Follower() { window_.Create(); }
  ~Follower() { NotifyWatchersOfEnd(); }
  HWND WindowHandle() const override { return window_.WindowHandle(); }
  bool HasParent() const override { return true; }
  void HandleNeeded() override {}
  shellcore::TcxCustomShellRoot* RootProvider() override { return nullptr; }
  shelltree::TcxShellDependedControls* DependentsProvider() override { return &dependents_; }
  int Count(UINT message) const { return window_.Count(message); }

  test_support::OwnerWindow window_;
  shelltree::TcxShellDependedControls dependents_;
};

TEST(TreeControl, ALinkedControlHearsRootAndSelectionOnceAndIsForgottenWhenItGoes) {
  TreeFixture fixture;
  fixture.Show();
  auto& control = fixture.Control();
  auto follower = std::make_unique<Follower>();
  control.SetShellListView(follower.get());
  EXPECT_EQ(follower->Count(shellcore::SHELLMSG_ROOT_CHANGED), 1);
  EXPECT_EQ(follower->Count(shellcore::SHELLMSG_NAVIGATE), 1);
  EXPECT_TRUE(follower->dependents_.Contains(&control.Tree()));

  control.SetShellListView(follower.get());
  EXPECT_EQ(follower->Count(shellcore::SHELLMSG_ROOT_CHANGED), 1) << "the same control again sends nothing";
  EXPECT_EQ(follower->Count(shellcore::SHELLMSG_NAVIGATE), 1);

  follower.reset();
  EXPECT_EQ(control.ShellListView(), nullptr);
}

TEST(TreeControl, AssigningOptionsRootAndDragSettingsCopiesIntoTheTreesOwn) {
  TreeFixture fixture(false);
  auto& control = fixture.Control();
  shellcore::TcxShellOptions options(nullptr);
  options.SetShowHidden(true);
  options.SetFileMask(L"*.zip");
  control.SetOptions(options);
  EXPECT_NE(&control.Options(), &options);
  EXPECT_TRUE(control.Options().ShowHidden());
  EXPECT_EQ(control.Options().FileMask(), L"*.zip");

  shellcore::TcxCustomShellRoot root(nullptr, nullptr);
  root.SetCustomPath(fixture.Folder());
  root.SetBrowseFolder(shellcore::bfCustomPath);
  control.SetRoot(root);
  EXPECT_EQ(control.Root().BrowseFolder(), shellcore::bfCustomPath);
  EXPECT_EQ(control.Root().CustomPath(), fixture.Folder());

  shellcore::TcxDragDropSettings drag;
  drag.SetAllowDragObjects(false);
  drag.SetDefaultDropEffect(shellcore::deCopy);
  drag.SetDropEffect({shellcore::deCopy});
  int changed = 0;
  control.DragDropSettings().OnDragDropSettingsChanged = [&](shellcore::TcxDragDropSettings&) { ++changed; };
  control.SetDragDropSettings(drag);
  EXPECT_FALSE(control.DragDropSettings().AllowDragObjects());
  EXPECT_EQ(control.DragDropSettings().DefaultDropEffect(), shellcore::deCopy);
  EXPECT_EQ(control.DragDropSettings().AllowedDropEffects(), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(changed, 1) << "AllowDragObjects through its setter";
}

}  // namespace
}  // namespace tree_test

// The tree follows the shell: changes raised with SHChangeNotify in this
// process (the only ones Wine delivers) rebuild it keeping what the user
// saw; navigation; the deferred selection; a burst of changes.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "shellcore/shell_access.h"
#include "shellcore/shell_messages.h"
#include "tests/shelltree/tree_fixture.h"

namespace tree_test {
namespace {

using shellcore::TIdList;
using Texts = std::vector<std::wstring>;

struct Change {
  DWORD event;
  std::wstring path;
};

// A shown tree over the fixture's folder that counts its rebuilds (each
// fills the root node once) and records the changes it reports.
class ChangeFixture : public TreeFixture {
 public:
  ChangeFixture() {
    Control().on_inner_message = [this](UINT message, WPARAM, LPARAM lparam) {
      const auto node = reinterpret_cast<TTreeNode>(lparam);
      if (message == shellcore::SHELLMSG_ITEMS_LOADED && node && !Tree().Parent(node)) ++root_fills;
    };
    Control().OnShellChange = [this](framework::TControl* sender, DWORD event, LPCITEMIDLIST id1, LPCITEMIDLIST) {
      EXPECT_EQ(sender, &Control());
      changes.push_back({event, shellcore::IdListToPath(id1)});
    };
  }
  // The node of a path below the root, expanding the levels on the way.
  TTreeNode Open(const std::wstring& relative) {
    TTreeNode node = Tree().FirstNode();
    size_t start = 0;
    while (node && start <= relative.size()) {
      const size_t end = relative.find(L'\\', start);
      Tree().Expand(node);
      node = Child(node, relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
      if (end == std::wstring::npos) break;
      start = end + 1;
    }
    return node;
  }
  void Notify(LONG event, const std::wstring& path) {
    SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
  }

  int root_fills = 0;
  std::vector<Change> changes;
};

TEST(TreeChanges, AFolderMadeInTheSelectedFolderIsShownAndTheViewStays) {
  ChangeFixture fixture;
  for (int i = 0; i < 30; ++i) MakeFolder(fixture.Join(L"F" + std::to_wstring(10 + i)));
  MakeFolder(fixture.Join(L"F20\\Inner"));
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode f20 = fixture.Open(L"F20");
  tree.Expand(f20);
  tree.Select(f20);
  tree.SetTopItem(fixture.Child(tree.FirstNode(), L"F15"));
  Pump();
  const int fills = fixture.root_fills;

  MakeFolder(fixture.Join(L"F20\\New"));
  fixture.Notify(SHCNE_MKDIR, fixture.Join(L"F20\\New"));
  Pump();
  EXPECT_EQ(fixture.root_fills, fills + 1) << "one rebuild";
  ASSERT_EQ(fixture.changes.size(), 1u);
  EXPECT_EQ(fixture.changes[0].event, static_cast<DWORD>(SHCNE_MKDIR));
  EXPECT_EQ(fixture.changes[0].path, fixture.Join(L"F20\\New"));
  const TTreeNode again = fixture.Child(tree.FirstNode(), L"F20");
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(tree.IsExpanded(tree.FirstNode()));
  EXPECT_TRUE(tree.IsExpanded(again));
  EXPECT_EQ(fixture.ChildTexts(again), (Texts{L"Inner", L"New"}));
  EXPECT_EQ(tree.Text(tree.TopItem()), L"F15");
  EXPECT_EQ(tree.Selected(), again);
}

TEST(TreeChanges, WhenTheSelectedFolderGoesItsParentIsSelected) {
  ChangeFixture fixture;
  MakeFolder(fixture.Join(L"A"));
  MakeFolder(fixture.Join(L"A\\Doomed"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Select(fixture.Open(L"A\\Doomed"));
  Pump();
  RemoveDirectoryW(fixture.Join(L"A\\Doomed").c_str());
  fixture.Notify(SHCNE_RMDIR, fixture.Join(L"A\\Doomed"));
  Pump();
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_EQ(tree.Text(tree.Selected()), L"A");
  EXPECT_EQ(fixture.Control().Path(), fixture.Join(L"A"));
}

TEST(TreeChanges, AnUpdateOfAnItemWithoutANodeChangesNothing) {
  ChangeFixture fixture;
  MakeFolder(fixture.Join(L"Closed"));
  MakeFile(fixture.Join(L"Closed\\game.zip"));
  MakeFile(fixture.Join(L"shown.zip"));
  fixture.Show();
  Pump();
  const int fills = fixture.root_fills;
  fixture.Notify(SHCNE_UPDATEITEM, fixture.Join(L"Closed\\game.zip"));
  Pump();
  EXPECT_EQ(fixture.root_fills, fills);
  EXPECT_TRUE(fixture.changes.empty());

  fixture.Notify(SHCNE_UPDATEITEM, fixture.Join(L"shown.zip"));
  Pump();
  EXPECT_EQ(fixture.root_fills, fills + 1) << "an item with a node is updated by a rebuild";
  EXPECT_EQ(fixture.changes.size(), 1u);
}

TEST(TreeChanges, F5AndOptionChangesRebuildAndNoRegistrationWithoutTracking) {
  ChangeFixture fixture;
  MakeFolder(fixture.Join(L"A"));
  MakeFolder(fixture.Join(L"A\\B"));
  MakeFolder(fixture.Join(L".hidden"));
  fixture.Control().Options().SetTrackShellChanges(false);
  fixture.Show();
  auto& tree = fixture.Tree();
  EXPECT_EQ(tree.NotifyRegistration().id, 0u);
  fixture.Open(L"A\\B");
  Pump();
  int fills = fixture.root_fills;

  MakeFolder(fixture.Join(L"A\\C"));
  fixture.Notify(SHCNE_MKDIR, fixture.Join(L"A\\C"));
  Pump();
  EXPECT_TRUE(fixture.changes.empty()) << "the shell tells an unregistered tree nothing";
  EXPECT_EQ(fixture.root_fills, fills);

  SetFocus(tree.Handle());
  PostMessageW(tree.Handle(), WM_KEYDOWN, VK_F5, 1);
  Pump();
  EXPECT_EQ(fixture.root_fills, ++fills) << "F5 rebuilds";
  ASSERT_EQ(fixture.changes.size(), 1u);
  EXPECT_EQ(fixture.changes[0].event, 0u);
  EXPECT_EQ(fixture.ChildTexts(fixture.Child(tree.FirstNode(), L"A")), (Texts{L"B", L"C"}));

  fixture.Control().Options().SetShowHidden(true);
  Pump();
  EXPECT_EQ(fixture.root_fills, ++fills) << "a listing option rebuilds";
  EXPECT_NE(fixture.Child(tree.FirstNode(), L".hidden"), nullptr);
  EXPECT_TRUE(tree.IsExpanded(fixture.Child(tree.FirstNode(), L"A"))) << "expanded nodes stay expanded";
  fixture.Control().Options().SetShowToolTip(false);
  Pump();
  EXPECT_EQ(fixture.root_fills, fills) << "tooltips rebuild nothing";
}

TEST(TreeChanges, NavigationReRootsForAShorterListAndStopsAtAMissingLevel) {
  ChangeFixture fixture;
  MakeFolder(fixture.Join(L"A"));
  MakeFolder(fixture.Join(L"A\\Gone"));
  MakeFolder(fixture.Join(L"A\\Gone\\Deep"));
  const TIdList deep = shellcore::IdListFromPath(fixture.Join(L"A\\Gone\\Deep"));
  const TIdList top = shellcore::IdListFromPath(fixture.Folder());
  fixture.Control().Root().SetCustomPath(fixture.Join(L"A"));
  fixture.Show();
  auto& tree = fixture.Tree();
  RemoveDirectoryW(fixture.Join(L"A\\Gone\\Deep").c_str());
  RemoveDirectoryW(fixture.Join(L"A\\Gone").c_str());
  fixture.Tree().RefreshNode(tree.FirstNode());
  SendMessageW(fixture.Control().Handle(), shellcore::SHELLMSG_NAVIGATE, reinterpret_cast<WPARAM>(deep.Get()), 0);
  EXPECT_EQ(tree.Selected(), tree.FirstNode()) << "the deepest level reached";

  SendMessageW(fixture.Control().Handle(), shellcore::SHELLMSG_NAVIGATE, reinterpret_cast<WPARAM>(top.Get()), 0);
  EXPECT_TRUE(shellcore::IdListSame(tree.Root().RootIdList(), top.Get())) << "re-rooted";
  EXPECT_EQ(fixture.Control().Path(), fixture.Folder());
}

TEST(TreeChanges, TheDeferredSelectionWaitsWhileAMenuIsUp) {
  ChangeFixture fixture;
  MakeFolder(fixture.Join(L"A"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Select(fixture.Open(L"A"));
  Pump();
  tree.MenuShowing = true;
  tree.Refresh();
  for (int i = 0; i < 20; ++i) {  // the message posts itself again: a bounded number of turns
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  EXPECT_NE(tree.Selected() ? tree.Text(tree.Selected()) : L"", L"A");
  tree.MenuShowing = false;
  Pump();
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_EQ(tree.Text(tree.Selected()), L"A");
}

TEST(TreeChanges, ABurstOfChangesCostsOneRebuildAndIsToldInOrder) {
  ChangeFixture fixture;
  fixture.Show();
  Pump();
  const int fills = fixture.root_fills;
  std::vector<std::wstring> made;
  for (int i = 0; i < 500; ++i) {
    made.push_back(fixture.Join(L"rom" + std::to_wstring(1000 + i) + L".zip"));
    MakeFile(made.back());
  }
  for (const std::wstring& path : made) fixture.Notify(SHCNE_CREATE, path);
  Pump();
  EXPECT_EQ(fixture.root_fills, fills + 1);
  ASSERT_EQ(fixture.changes.size(), made.size());
  for (size_t i = 0; i < made.size(); ++i) {
    EXPECT_EQ(fixture.changes[i].event, static_cast<DWORD>(SHCNE_CREATE));
    EXPECT_EQ(fixture.changes[i].path, made[i]) << i;
  }
  EXPECT_EQ(fixture.Tree().ChildCount(fixture.Tree().FirstNode()), 500);
}

}  // namespace
}  // namespace tree_test

// Nodes of the folder tree over real folders: the root node, lazy loading,
// the filter, details from the worker without input, refresh, and window
// re-creation.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/rw_lock.h"
#include "shellcore/shell_messages.h"
#include "tests/shelltree/tree_fixture.h"

namespace tree_test {
namespace {

using shellcore::TcxShellItemInfo;
using Texts = std::vector<std::wstring>;

// Every node the tree shows at once (the top one and the next visible
// ones) has its fetched record applied.
bool VisibleDetailsShown(shelltree::TcxInnerShellTreeView& tree) {
  TTreeNode node = tree.TopItem();
  for (int i = 0; node && i < tree.VisibleCount(); ++i, node = tree.NextVisible(node)) {
    TcxShellItemInfo* item = tree.ItemOfNode(node);
    if (item && !item->ShownInView) return false;
  }
  return true;
}

TEST(TreeRoot, DesktopRootIsOneCollapsedNodeWhoseChildrenAreLoadedOnce) {
  TreeFixture fixture(false);
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(tree.NextSibling(root), nullptr) << "one top-level node";

  shellcore::TIdList desktop;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktop.Put()), S_OK);
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktop.Get()), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX);
  EXPECT_EQ(tree.Text(root), info.szDisplayName);
  EXPECT_EQ(tree.ImageIndex(root), info.iIcon);
  EXPECT_FALSE(tree.IsExpanded(root));

  const TTreeNode first = tree.FirstChild(root);
  ASSERT_NE(first, nullptr) << "the root's children are there before it expands";
  const int children = tree.ChildCount(root);
  const int producers = tree.ProducerCount();
  tree.Expand(root);
  EXPECT_TRUE(tree.IsExpanded(root));
  EXPECT_EQ(tree.FirstChild(root), first) << "the same nodes: nothing was listed again";
  EXPECT_EQ(tree.ChildCount(root), children);
  EXPECT_EQ(tree.ProducerCount(), producers);
}

TEST(TreeExpansion, ChildrenLoadOnFirstExpansionAndButtonsFollowWhatIsInside) {
  for (const bool show_files : {true, false}) {
    TreeFixture fixture;
    MakeFolder(fixture.Join(L"Sub"));
    MakeFolder(fixture.Join(L"Sub\\Deeper"));
    MakeFolder(fixture.Join(L"FilesOnly"));
    MakeFile(fixture.Join(L"FilesOnly\\a.zip"));
    MakeFile(fixture.Join(L"game.zip"));
    fixture.Control().Options().SetShowNonFolders(show_files);
    fixture.Show();
    auto& tree = fixture.Tree();
    const TTreeNode root = tree.FirstNode();
    EXPECT_EQ(fixture.ChildTexts(root), show_files ? (Texts{L"FilesOnly", L"Sub", L"game.zip"})
                                                   : (Texts{L"FilesOnly", L"Sub"}));

    const TTreeNode sub = fixture.Child(root, L"Sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(tree.FirstChild(sub), nullptr) << "nothing loaded before the first expansion";
    EXPECT_TRUE(tree.HasChildren(sub));
    tree.Expand(sub);
    EXPECT_EQ(fixture.ChildTexts(sub), Texts{L"Deeper"});

    const TTreeNode files_only = fixture.Child(root, L"FilesOnly");
    tree.Expand(files_only);
    EXPECT_EQ(tree.HasChildren(files_only), show_files) << "a folder of files keeps its button only with files shown";
    EXPECT_EQ(tree.ChildCount(files_only), show_files ? 1 : 0);

    if (show_files) {
      const TTreeNode file = fixture.Child(root, L"game.zip");
      ASSERT_NE(file, nullptr);
      tree.Expand(file);
      EXPECT_FALSE(tree.HasChildren(file)) << "a file cannot expand";
      EXPECT_EQ(tree.FirstChild(file), nullptr);
    }
  }
}

TEST(TreeFilter, MaskKeepsFoldersAndMatchingFilesAndOnAddFolderRefusesAlsoOnRefresh) {
  TreeFixture fixture;
  for (const wchar_t* file : {L"a.zip", L"b.7z", L"c.nes"}) MakeFile(fixture.Join(file));
  MakeFolder(fixture.Join(L"Keep"));
  MakeFolder(fixture.Join(L"Skip"));
  fixture.Control().Options().SetFileMask(L"*.zip;*.7z");
  std::vector<std::pair<std::wstring, bool>> asked;
  fixture.Control().OnAddFolder = [&](framework::TControl* sender, shellcore::TcxShellFolder& folder, bool& can_add) {
    EXPECT_EQ(sender, &fixture.Control());
    const std::wstring name = folder.InFolderParsingName();
    asked.emplace_back(name, can_add);
    if (name == L"Skip") can_add = false;
  };
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  EXPECT_EQ(fixture.ChildTexts(root), (Texts{L"Keep", L"a.zip", L"b.7z"}));
  EXPECT_NE(std::find(asked.begin(), asked.end(), std::make_pair(std::wstring(L"c.nes"), false)), asked.end())
      << "the event is asked for files too, with the filter's answer";

  MakeFile(fixture.Join(L"d.zip"));
  MakeFile(fixture.Join(L"e.nes"));
  tree.RefreshNode(root);
  EXPECT_EQ(fixture.ChildTexts(root), (Texts{L"Keep", L"a.zip", L"b.7z", L"d.zip"}));
}

TEST(TreeDetails, FetchedDetailsReachTheNodesWithoutAnyInputAlsoAfterScrolling) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Empty"));
  for (int i = 0; i < 80; ++i) MakeFile(fixture.Join(L"game" + std::to_wstring(100 + i) + L".zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  auto& gatherer = tree.Gatherer();
  // The worker is held while the window settles, so the loop is idle and
  // waiting, with nothing to paint, when the records come.
  gatherer.PauseFetching();
  tree.Expand(tree.FirstNode());
  const TTreeNode empty = fixture.Child(tree.FirstNode(), L"Empty");
  ASSERT_NE(empty, nullptr);
  Pump();
  gatherer.ResumeFetching();
  ASSERT_TRUE(RunUntil([&] { return VisibleDetailsShown(tree); })) << "details shown with no input";
  EXPECT_FALSE(tree.HasChildren(empty)) << "the fetched record says the folder is empty";

  const TTreeNode top = tree.TopItem();
  gatherer.PauseFetching();  // the queue stays as the scroll left it
  for (int i = 0; i < 3; ++i) SendMessageW(tree.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  ASSERT_NE(tree.TopItem(), top);
  std::vector<TcxShellItemInfo*> visible;
  TTreeNode node = tree.TopItem();
  for (int i = 0; node && i <= tree.VisibleCount(); ++i, node = tree.NextVisible(node))
    visible.push_back(tree.ItemOfNode(node));
  const auto queued = gatherer.QueuedItems();
  EXPECT_FALSE(queued.empty());
  for (TcxShellItemInfo* item : queued)
    EXPECT_NE(std::find(visible.begin(), visible.end(), item), visible.end()) << "only what is visible now";
  Pump();
  gatherer.ResumeFetching();
  EXPECT_TRUE(RunUntil([&] { return VisibleDetailsShown(tree); }));
}

TEST(TreeDetails, RequestsWaitUntilEverySuspensionIsReleased) {
  TreeFixture fixture;
  for (int i = 0; i < 5; ++i) MakeFile(fixture.Join(L"rom" + std::to_wstring(i) + L".zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Expand(tree.FirstNode());
  ASSERT_TRUE(RunUntil([&] { return VisibleDetailsShown(tree); }));
  auto& gatherer = tree.Gatherer();
  gatherer.PauseFetching();
  {
    auto* producer = tree.ProducerOf(tree.FirstNode());
    framework::TWriteLock write(producer->ItemsGuard());
    for (int i = 0; i < producer->ItemCount(); ++i) producer->Item(i)->ShownInView = false;
  }
  tree.FetchSuspendCount = 2;
  for (const int count : {2, 1, 0}) {
    tree.FetchSuspendCount = count;
    tree.RequestVisibleDetails();
    EXPECT_EQ(gatherer.QueuedItems().empty(), count > 0) << "suspended " << count << " time(s)";
  }
  gatherer.ResumeFetching();
  EXPECT_TRUE(RunUntil([&] { return VisibleDetailsShown(tree); }));
}

TEST(TreeRefresh, MergesChangesKeepsWhatStayedAndEmptiesADeletedFolder) {
  TreeFixture fixture;
  for (const wchar_t* file : {L"a.zip", L"b.zip", L"c.zip"}) MakeFile(fixture.Join(file));
  MakeFolder(fixture.Join(L"Sub"));
  MakeFile(fixture.Join(L"Sub\\inner.zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  tree.Expand(root);
  ASSERT_TRUE(RunUntil([&] { return VisibleDetailsShown(tree); }));
  auto* producer = tree.ProducerOf(root);

  struct Seen {
    UINT message;
    int index;
    std::wstring record;  // the record at the index when the message came
  };
  std::vector<Seen> seen;
  fixture.Control().on_inner_message = [&](UINT message, WPARAM wparam, LPARAM) {
    if (message != shellcore::SHELLMSG_ITEM_REMOVED && message != shellcore::SHELLMSG_ITEM_ADDED) return;
    const int index = static_cast<int>(wparam);
    seen.push_back({message, index, index < producer->ItemCount() ? producer->Item(index)->DisplayName : L""});
  };

  std::vector<TcxShellItemInfo*> before;
  for (int i = 0; i < producer->ItemCount(); ++i) before.push_back(producer->Item(i));
  tree.RefreshNode(root);
  EXPECT_TRUE(seen.empty()) << "an unchanged folder sends nothing";
  ASSERT_EQ(producer->ItemCount(), static_cast<int>(before.size()));
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(producer->Item(static_cast<int>(i)), before[i]) << "the same record";
    EXPECT_TRUE(before[i]->FullyLoaded) << "with its details";
  }

  DeleteFileW(fixture.Join(L"b.zip").c_str());
  MakeFile(fixture.Join(L"d.zip"));
  tree.RefreshNode(root);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].message, shellcore::SHELLMSG_ITEM_REMOVED);
  EXPECT_EQ(seen[0].index, 2);
  EXPECT_EQ(seen[0].record, L"b.zip") << "removal comes before the record goes";
  EXPECT_EQ(seen[1].message, shellcore::SHELLMSG_ITEM_ADDED);
  EXPECT_EQ(seen[1].index, 3) << "additions go at the end";
  EXPECT_EQ(seen[1].record, L"d.zip");
  EXPECT_EQ(fixture.ChildTexts(root), (Texts{L"Sub", L"a.zip", L"c.zip", L"d.zip"}));

  const TTreeNode sub = fixture.Child(root, L"Sub");
  tree.Expand(sub);
  ASSERT_EQ(tree.ChildCount(sub), 1);
  DeleteFileW(fixture.Join(L"Sub\\inner.zip").c_str());
  RemoveDirectoryW(fixture.Join(L"Sub").c_str());
  tree.RefreshNode(sub);
  EXPECT_EQ(tree.ChildCount(sub), 0);
  EXPECT_FALSE(tree.HasChildren(sub));
}

TEST(TreeWindow, RecreationKeepsTheSelectionAndTheIndent) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"A"));
  MakeFolder(fixture.Join(L"A\\B"));
  MakeFolder(fixture.Join(L"A\\B\\C"));
  fixture.Show();
  auto& tree = fixture.Tree();
  TTreeNode node = tree.FirstNode();
  for (const wchar_t* name : {L"A", L"B", L"C"}) {
    tree.Expand(node);
    node = fixture.Child(node, name);
    ASSERT_NE(node, nullptr) << name;
  }
  tree.Select(node);
  fixture.Control().SetIndent(25);
  const std::wstring path = fixture.Control().Path();
  EXPECT_EQ(path, fixture.Join(L"A\\B\\C"));

  tree.RecreateHandle();
  ASSERT_TRUE(tree.HandleAllocated());
  EXPECT_EQ(fixture.Control().Path(), path);
  EXPECT_EQ(tree.Text(tree.Selected()), L"C");
  EXPECT_EQ(fixture.Control().Indent(), 25);
}

}  // namespace
}  // namespace tree_test

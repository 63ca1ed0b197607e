// Renaming an item by editing its node's label: the shell renames it, or
// refuses and the old text comes back; the root is never renamed.
#include <gtest/gtest.h>

#include "shellcore/shell_messages.h"
#include "tests/shelltree/tree_fixture.h"

namespace tree_test {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Starts editing the node's label and ends it with `text` (none: cancelled).
bool Rename(shelltree::TcxInnerShellTreeView& tree, TTreeNode node, const wchar_t* text) {
  const HWND edit = TreeView_EditLabel(tree.Handle(), node);
  if (!edit) return false;
  if (text) SetWindowTextW(edit, text);
  TreeView_EndEditLabelNow(tree.Handle(), text ? FALSE : TRUE);
  Pump();
  return true;
}

TEST(TreeRename, TheShellRenamesTheItemOrRefusesAndTheTextComesBack) {
  TreeFixture fixture;
  for (const wchar_t* name : {L"a.zip", L"c.zip"}) MakeFile(fixture.Join(name));
  int root_fills = 0;
  fixture.Control().on_inner_message = [&](UINT message, WPARAM, LPARAM lparam) {
    if (message == shellcore::SHELLMSG_ITEMS_LOADED && !fixture.Tree().Parent(reinterpret_cast<TTreeNode>(lparam)))
      ++root_fills;
  };
  std::vector<std::wstring> edited;
  fixture.Control().OnEdited = [&](framework::TControl*, TTreeNode, std::wstring& text) { edited.push_back(text); };
  fixture.Show();
  auto& tree = fixture.Tree();
  const TTreeNode root = tree.FirstNode();
  tree.Select(root);
  Pump();
  EXPECT_FALSE(Rename(tree, root, L"other")) << "the root is not renamed";

  const int fills = root_fills;
  const TTreeNode a = fixture.Child(root, L"a.zip");
  ASSERT_TRUE(Rename(tree, a, L"b.zip"));
  EXPECT_TRUE(Exists(fixture.Join(L"b.zip")));
  EXPECT_FALSE(Exists(fixture.Join(L"a.zip")));
  EXPECT_EQ(tree.Text(a), L"b.zip");
  EXPECT_EQ(tree.ItemOfNode(a)->DisplayName, L"b.zip") << "the record follows the item";
  EXPECT_EQ(root_fills, fills) << "the tree's own rename rebuilds nothing";
  EXPECT_EQ(edited, std::vector<std::wstring>{L"b.zip"});

  ASSERT_TRUE(Rename(tree, a, L"c.zip"));
  EXPECT_EQ(tree.Text(a), L"b.zip") << "a name that is taken is refused";
  EXPECT_TRUE(Exists(fixture.Join(L"b.zip")));
  EXPECT_TRUE(Exists(fixture.Join(L"c.zip")));

  ASSERT_TRUE(Rename(tree, a, nullptr));
  EXPECT_EQ(tree.Text(a), L"b.zip") << "a cancelled edit changes nothing";

  fixture.Control().SetReadOnly(true);
  EXPECT_FALSE(Rename(tree, a, L"d.zip")) << "read-only labels";
}

// As in Explorer: a click on the label of the node already selected starts
// the edit once the double-click time has passed, on the platform tree's
// own timer, which the tree's timers on the same window must leave alone.
TEST(TreeRename, ASlowSecondClickOnTheSelectedLabelStartsTheEdit) {
  TreeFixture fixture;
  MakeFile(fixture.Join(L"a.zip"));
  fixture.Show();
  auto& tree = fixture.Tree();
  tree.Expand(tree.FirstNode());
  const TTreeNode a = fixture.Child(tree.FirstNode(), L"a.zip");
  ClickNode(tree, a);
  ASSERT_EQ(tree.PlatformSelected(), a);
  Sleep(GetDoubleClickTime() + 100);  // no double click
  ClickNode(tree, a);
  EXPECT_TRUE(RunUntil([&] { return TreeView_GetEditControl(tree.Handle()) != nullptr; },
                       GetDoubleClickTime() + 2000));
  TreeView_EndEditLabelNow(tree.Handle(), TRUE);
  Pump();
}

}  // namespace
}  // namespace tree_test

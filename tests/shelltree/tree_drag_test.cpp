// Drag and drop onto the tree's nodes through its OLE drop target, with data
// objects the shell hands out for real files; the root is never dragged.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "shellcore/shell_access.h"
#include "tests/shelltree/tree_fixture.h"

namespace tree_test {
namespace {

using Microsoft::WRL::ComPtr;

// The shell's data object for one file, as a drag out of a folder carries it.
ComPtr<IDataObject> FileData(const std::wstring& folder, const std::wstring& name) {
  ComPtr<IDataObject> data;
  const shellcore::TIdList id = shellcore::IdListFromPath(folder);
  ComPtr<IShellFolder> shell_folder;
  if (!id || FAILED(shellcore::ShellDesktop()->BindToObject(id.Get(), nullptr, IID_PPV_ARGS(&shell_folder))))
    return data;
  std::wstring parse = name;
  shellcore::TIdList item;
  if (FAILED(shell_folder->ParseDisplayName(nullptr, nullptr, parse.data(), nullptr, item.Put(), nullptr))) return data;
  LPCITEMIDLIST items[1] = {item.Get()};
  shell_folder->GetUIObjectOf(nullptr, 1, items, IID_IDataObject, nullptr, reinterpret_cast<void**>(data.GetAddressOf()));
  return data;
}

POINTL OnNode(shelltree::TcxInnerShellTreeView& tree, TTreeNode node) {
  RECT label{};
  TreeView_GetItemRect(tree.Handle(), node, &label, TRUE);
  POINT point{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  ClientToScreen(tree.Handle(), &point);
  return POINTL{point.x, point.y};
}

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// A tree over a folder holding an empty folder Target, shown with the root
// open, and a file drop.zip in another folder to drag onto it.
struct DropScene {
  DropScene() {
    MakeFile(Wide(outside.Join("drop.zip")));
    MakeFolder(fixture.Join(L"Target"));
    fixture.Show();
    fixture.Tree().Expand(fixture.Tree().FirstNode());
    target_node = fixture.Child(fixture.Tree().FirstNode(), L"Target");
  }
  TreeFixture fixture;
  test_support::TempDir outside;
  TTreeNode target_node = nullptr;
};

TEST(TreeDrop, NoModifierGivesTheDefaultEffectAndNoDraggingGivesNone) {
  DropScene scene;
  TreeFixture& fixture = scene.fixture;
  auto& tree = fixture.Tree();
  const TTreeNode target_node = scene.target_node;
  const ComPtr<IDataObject> data = FileData(Wide(scene.outside.Path()), L"drop.zip");
  ASSERT_TRUE(data);
  IDropTarget* target = tree.OleDropTarget();
  ASSERT_NE(target, nullptr);

  DWORD effect = kAnyEffect;
  EXPECT_EQ(target->DragEnter(data.Get(), 0, OnNode(tree, target_node), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "the default drop effect";
  EXPECT_EQ(tree.DropHighlightNode(), target_node);
  EXPECT_TRUE(tree.DropTarget(target_node));
  effect = kAnyEffect;
  EXPECT_EQ(target->DragOver(MK_CONTROL, OnNode(tree, target_node), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "Ctrl: the shell's own answer";
  EXPECT_EQ(target->DragLeave(), S_OK);
  EXPECT_EQ(tree.DropHighlightNode(), nullptr);
  EXPECT_FALSE(tree.Dragging());

  fixture.Control().DragDropSettings().SetAllowDragObjects(false);
  EXPECT_TRUE(GetWindowLongW(tree.Handle(), GWL_STYLE) & TVS_DISABLEDRAGDROP) << "no drag starts";
  effect = kAnyEffect;
  EXPECT_EQ(target->DragEnter(data.Get(), 0, OnNode(tree, target_node), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  target->DragLeave();
}

TEST(TreeDrop, ADroppedFileArrivesAndTheNodeShowsItAfterTheRefresh) {
  DropScene scene;
  TreeFixture& fixture = scene.fixture;
  auto& tree = fixture.Tree();
  const TTreeNode target_node = scene.target_node;
  const std::string source = scene.outside.Join("drop.zip");
  tree.Expand(target_node);
  ASSERT_EQ(tree.ChildCount(target_node), 0);
  const ComPtr<IDataObject> data = FileData(Wide(scene.outside.Path()), L"drop.zip");
  ASSERT_TRUE(data);
  IDropTarget* target = tree.OleDropTarget();

  DWORD effect = kAnyEffect;
  ASSERT_EQ(target->DragEnter(data.Get(), MK_CONTROL, OnNode(tree, target_node), &effect), S_OK);
  effect = kAnyEffect;
  ASSERT_EQ(target->Drop(data.Get(), MK_CONTROL, OnNode(tree, target_node), &effect), S_OK);
  EXPECT_FALSE(tree.Dragging());
  EXPECT_EQ(tree.DropHighlightNode(), nullptr);
  // Wine's folders accept the drop but only log the copy they would make
  // ("fixme: ISFDropTarget_Drop"): the file is put there as the shell would.
  ASSERT_TRUE(CopyFileW(Wide(source).c_str(), fixture.Join(L"Target\\drop.zip").c_str(), TRUE));
  EXPECT_EQ(tree.ChildCount(target_node), 0) << "the node is refreshed later, not inside the drop";

  int idle_passes = 0;
  EXPECT_TRUE(RunUntil([&] {
    ++idle_passes;
    return tree.ChildCount(target_node) == 1;
  }));
  EXPECT_GT(idle_passes, 1) << "the window went on handling messages while the refresh waited";
  EXPECT_EQ(fixture.ChildTexts(target_node), std::vector<std::wstring>{L"drop.zip"});
}

TEST(TreeDrag, TheRootIsNotDragged) {
  TreeFixture fixture;
  fixture.Show();
  auto& tree = fixture.Tree();
  NMTREEVIEWW begin{};
  begin.hdr.hwndFrom = tree.Handle();
  begin.hdr.code = TVN_BEGINDRAGW;
  begin.itemNew.hItem = tree.FirstNode();
  begin.action = TVC_BYMOUSE;
  SendMessageW(fixture.Control().Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
  EXPECT_FALSE(tree.DraggingOut);
  EXPECT_EQ(tree.Selected(), tree.FirstNode()) << "the node is selected first";
}

}  // namespace
}  // namespace tree_test

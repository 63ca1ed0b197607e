#pragma once
// A folder tree on a real window over a real temporary folder, and the ways
// the tests drive it: clicks through the tree's own messages, the message
// loop run without input until a condition holds, nodes found by their text.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shelltree/shell_tree_view.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui_host.h"

namespace tree_test {

using shelltree::TTreeNode;

std::wstring Wide(const std::string& utf8);
void MakeFile(const std::wstring& path, const char* bytes = "rom");
void MakeFolder(const std::wstring& path);

using test_support::HostForm;
using test_support::RunUntil;

// A test control: any inner tree from a factory, and the inner tree's
// private messages seen by the container.
class TestTreeView : public shelltree::TcxShellTreeView {
 public:
  TestTreeView() = default;
  explicit TestTreeView(const TInnerTreeFactory& factory) : TcxShellTreeView(factory) {}
  bool InnerMessageHook(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void UpdateScrollBars() override { ++scroll_bar_updates; }

  std::function<void(UINT message, WPARAM wparam, LPARAM lparam)> on_inner_message;
  std::function<void(UINT message)> on_any_message;  // every message of the inner tree
  int scroll_bar_updates = 0;
};

class TreeFixture {
 public:
  // A tree rooted at a fresh temporary folder (or the desktop), shown.
  explicit TreeFixture(bool rooted_at_temp = true, std::unique_ptr<TestTreeView> tree = nullptr);
  ~TreeFixture();

  // Gives the control its window on the shown host.
  void Show();
  TestTreeView& Control() { return *control_; }
  shelltree::TcxInnerShellTreeView& Tree() { return control_->Tree(); }
  const std::wstring& Folder() const { return folder_; }
  std::wstring Join(const std::wstring& name) const { return folder_ + L"\\" + name; }
  HostForm& Host() { return host_; }

  // The child of `parent` shown with `text`, or null.
  TTreeNode Child(TTreeNode parent, const std::wstring& text);
  std::vector<std::wstring> ChildTexts(TTreeNode parent);
  // Destroys the control (its window and nodes).
  void DestroyControl() { control_.reset(); }

 private:
  test_support::TempDir temp_;
  std::wstring folder_;
  HostForm host_;
  std::unique_ptr<TestTreeView> control_;
};

// Clicks the node's label, or its expand button, as a mouse does, and
// handles the messages.
void ClickNode(shelltree::TcxInnerShellTreeView& tree, TTreeNode node);
void ClickButton(shelltree::TcxInnerShellTreeView& tree, TTreeNode node);
// Handles what is queued.
void Pump();

}  // namespace tree_test

#include "tests/shelltree/tree_fixture.h"

#include <gtest/gtest.h>

#include "framework/application.h"
#include "tests/support/tree_clicks.h"

namespace tree_test {

std::wstring Wide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), text.data(), length);
  return text;
}

void MakeFile(const std::wstring& path, const char* bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes, static_cast<DWORD>(strlen(bytes)), &written, nullptr);
  CloseHandle(file);
}

void MakeFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

bool TestTreeView::InnerMessageHook(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (on_any_message) on_any_message(message);
  if (on_inner_message && message >= 0xB13B && message <= 0xB146) on_inner_message(message, wparam, lparam);
  return TcxShellTreeView::InnerMessageHook(message, wparam, lparam, result);
}

TreeFixture::TreeFixture(bool rooted_at_temp, std::unique_ptr<TestTreeView> tree)
    : folder_(Wide(temp_.Path())), control_(tree ? std::move(tree) : std::make_unique<TestTreeView>()) {
  if (rooted_at_temp) {
    control_->Root().SetCustomPath(folder_);
    control_->Root().SetBrowseFolder(shellcore::bfCustomPath);
  }
}

TreeFixture::~TreeFixture() { control_.reset(); }

void TreeFixture::Show() {
  ShowWindow(host_.Handle(), SW_SHOWNOACTIVATE);
  control_->CreateHandle(host_.Handle(), 0, 0, 300, 400);
  Pump();
}

TTreeNode TreeFixture::Child(TTreeNode parent, const std::wstring& text) {
  auto& tree = Tree();
  for (TTreeNode node = tree.FirstChild(parent); node; node = tree.NextSibling(node)) {
    if (tree.Text(node) == text) return node;
  }
  return nullptr;
}

std::vector<std::wstring> TreeFixture::ChildTexts(TTreeNode parent) {
  std::vector<std::wstring> texts;
  auto& tree = Tree();
  for (TTreeNode node = tree.FirstChild(parent); node; node = tree.NextSibling(node)) texts.push_back(tree.Text(node));
  return texts;
}

void ClickNode(shelltree::TcxInnerShellTreeView& tree, TTreeNode node) {
  test_support::ClickTreeNode(tree.Handle(), node);
  Pump();
}

void ClickButton(shelltree::TcxInnerShellTreeView& tree, TTreeNode node) {
  EXPECT_TRUE(test_support::ClickTreeButton(tree.Handle(), node));
  Pump();
}

void Pump() { framework::Application->ProcessMessages(); }

}  // namespace tree_test

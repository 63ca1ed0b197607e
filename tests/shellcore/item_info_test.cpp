#include "shellcore/item_info.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/com_object.h"
#include "framework/system_error.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "shellcore/shell_options.h"
#include "tests/shellcore/extension_folder.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/shellcore/test_producer.h"
#include "tests/support/temp_dir.h"

namespace {

using shellcore::TcxShellItemInfo;
using shell_test::TestProducer;
using shell_test::Wide;

class ItemInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = Wide(temp_.Path());
    shell_test::MakeFolder(root_ + L"\\empty_dir");
    shell_test::MakeFolder(root_ + L"\\full_dir");
    shell_test::MakeFolder(root_ + L"\\full_dir\\inner");
    shell_test::WriteFile(root_ + L"\\game.nes");
    shell_test::WriteFile(root_ + L"\\.hidden.nes");
    opened_ = shell_test::OpenFolder(root_);
    ASSERT_TRUE(opened_.folder);
    producer_.flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    producer_.SetFolder(opened_.folder.Get(), opened_.id.Get());
    ASSERT_TRUE(producer_.EnumerateFolder());
  }

  test_support::TempDir temp_;
  std::wstring root_;
  shell_test::OpenedFolder opened_;
  TestProducer producer_;
};

TEST_F(ItemInfoTest, CreatedCheaplyWithDefaultIconsThenCompletedByTheFullLoad) {
  TcxShellItemInfo* folder = producer_.Named(L"empty_dir");
  TcxShellItemInfo* file = producer_.Named(L"game.nes");
  TcxShellItemInfo* hidden = producer_.Named(L".hidden.nes");
  ASSERT_TRUE(folder && file && hidden);
  // Basic information only: the default icons, containers may have children.
  EXPECT_TRUE(folder->BasicLoaded);
  EXPECT_FALSE(folder->FullyLoaded);
  EXPECT_TRUE(folder->IsContainer);
  EXPECT_TRUE(folder->MayHaveChildren);
  EXPECT_EQ(folder->ClosedImageIndex, shellcore::DummyFolderIconIndex());
  EXPECT_EQ(folder->OpenImageIndex, shellcore::DummyOpenFolderIconIndex());
  EXPECT_FALSE(file->IsContainer);
  EXPECT_FALSE(file->MayHaveChildren);
  EXPECT_EQ(file->ClosedImageIndex, shellcore::DummyFileIconIndex());
  EXPECT_EQ(file->OpenImageIndex, shellcore::DummyFileIconIndex());
  EXPECT_EQ(file->ShellOverlay, -1);
  EXPECT_EQ(file->ThumbnailImage, -1);
  EXPECT_FALSE(file->HasThumbnail());
  EXPECT_EQ(file->Producer, &producer_);
  EXPECT_EQ(file->FolderObject->FullIdList(), file->AbsoluteId.Get());
  EXPECT_TRUE(shell_test::SameItem(file->AbsoluteId.Get(), shell_test::ParsePath(root_ + L"\\game.nes").Get()));

  for (TcxShellItemInfo* item : {folder, file, hidden}) producer_.FetchItem(item);
  for (TcxShellItemInfo* item : {folder, file, hidden}) {
    SCOPED_TRACE(item->DisplayName);
    EXPECT_TRUE(item->FullyLoaded);
    EXPECT_FALSE(item->FullLoadRunning);
    EXPECT_TRUE(item->InFileSystem);
    EXPECT_TRUE(item->Renamable);
    EXPECT_GE(item->ClosedImageIndex, 0);
    EXPECT_FALSE(item->Shortcut);
  }
  // The icons come from the folder in hand; they are the ones the shell gives
  // for the item's absolute ID list.
  auto shell_icon = [](TcxShellItemInfo* item, UINT extra) {
    SHFILEINFOW info{};
    shellcore::LockedGetFileInfo(item->AbsoluteId.Get(), info, shellcore::kItemIconQuery | extra);
    return info.iIcon;
  };
  for (TcxShellItemInfo* item : {folder, file, hidden}) EXPECT_EQ(item->ClosedImageIndex, shell_icon(item, 0));
  EXPECT_EQ(folder->OpenImageIndex, shell_icon(folder, SHGFI_OPENICON));
  EXPECT_TRUE(folder->AcceptsDrops);
  EXPECT_TRUE(hidden->Dimmed);
  EXPECT_FALSE(file->Dimmed);
  EXPECT_EQ(file->OpenImageIndex, file->ClosedImageIndex) << "a file's open icon is its closed one";
  EXPECT_FALSE(folder->MayHaveChildren) << "a folder without child folders, after the tree's test";
  TcxShellItemInfo* full = producer_.Named(L"full_dir");
  producer_.FetchItem(full);
  EXPECT_TRUE(full->MayHaveChildren);
}

TEST_F(ItemInfoTest, FailedFirstAttributeQueryMarksANonContainerOutsideTheFileSystem) {
  // The tests' own folder answers neither attributes nor names.
  auto folder = framework::MakeInterfaced<shell_test::ExtensionFolder>(shell_test::DetailsWay::kNone, S_OK,
                                                                        std::vector<shell_test::ExtensionColumn>{});
  const shellcore::TIdList relative = shell_test::MakeIdList({{1, 2, 3}});
  TcxShellItemInfo item(&producer_, relative.Get(), opened_.id.Get(), folder.Get());
  EXPECT_FALSE(item.IsContainer);
  EXPECT_FALSE(item.InFileSystem);
  EXPECT_TRUE(item.AcceptsDrops);
  EXPECT_TRUE(item.Renamable);
  EXPECT_FALSE(item.MayHaveChildren);
  EXPECT_TRUE(item.DisplayName.empty());
  EXPECT_EQ(item.ClosedImageIndex, shellcore::DummyFileIconIndex());
  // Every later query fails too: the flags stay, the icon index is kept.
  const int icon = item.ClosedImageIndex;
  item.LoadFullInfo(folder.Get(), opened_.id.Get());
  EXPECT_TRUE(item.FullyLoaded);
  EXPECT_TRUE(item.AcceptsDrops);
  EXPECT_TRUE(item.Renamable);
  EXPECT_EQ(item.ClosedImageIndex, icon);
}

TEST_F(ItemInfoTest, ARecordWithoutRelativeIdIsNeverFullyLoaded) {
  TcxShellItemInfo item(&producer_, nullptr, opened_.id.Get(), opened_.folder.Get());
  item.LoadFullInfo(opened_.folder.Get(), opened_.id.Get());
  EXPECT_FALSE(item.FullyLoaded);
  EXPECT_FALSE(item.FullLoadRunning);
}

TEST_F(ItemInfoTest, OverlayWithOldCommonControlsFollowsTheFlags) {
  TcxShellItemInfo* item = producer_.Named(L"game.nes");
  struct Case {
    bool shortcut, shared;
    int overlay;
  } cases[] = {{true, false, 1}, {true, true, 1}, {false, true, 0}, {false, false, -1}};
  for (const Case& c : cases) {
    item->Shortcut = c.shortcut;
    item->Shared = c.shared;
    EXPECT_EQ(item->ComputeShellOverlay(0x00050000), c.overlay) << c.shortcut << c.shared;
  }
  item->Shortcut = item->Shared = false;
  EXPECT_EQ(item->ComputeShellOverlay(0x00060000), -1) << "a plain file has no overlay";
}

TEST_F(ItemInfoTest, RepointFollowsARenameAndIgnoresANullList) {
  TcxShellItemInfo* item = producer_.Named(L"game.nes");
  producer_.FetchItem(item);
  item->ShownInView = true;
  const std::vector<BYTE> before = shell_test::ListBytes(item->RelativeId.Get());
  item->Repoint(opened_.folder.Get(), opened_.id.Get(), nullptr);
  EXPECT_EQ(shell_test::ListBytes(item->RelativeId.Get()), before);
  EXPECT_TRUE(item->ShownInView);

  ASSERT_TRUE(MoveFileW((root_ + L"\\game.nes").c_str(), (root_ + L"\\renamed.nes").c_str()));
  const shellcore::TIdList absolute = shell_test::ParsePath(root_ + L"\\renamed.nes");
  ASSERT_TRUE(absolute);
  item->Repoint(opened_.folder.Get(), opened_.id.Get(), shellcore::IdListLastItem(absolute.Get()));
  EXPECT_EQ(item->DisplayName, L"renamed.nes");
  EXPECT_TRUE(item->FullyLoaded);
  EXPECT_FALSE(item->ShownInView);
  EXPECT_TRUE(shell_test::SameItem(item->AbsoluteId.Get(), absolute.Get()));
  EXPECT_EQ(item->FolderObject->FullIdList(), item->AbsoluteId.Get());
  EXPECT_EQ(shellcore::FileNamePart(item->FolderObject->ParsingName()), L"renamed.nes");
}

// Makes the task allocator answer its next few allocations with null (the
// blocks it did take are left behind: a few bytes, for this test only).
class FailingAllocations : public shell_test::AllocatorSpy {
 public:
  void FailNext(int count) { left_ = count; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override {
    if (left_ <= 0) return AllocatorSpy::PostAlloc(block);
    --left_;
    return nullptr;
  }

 private:
  int left_ = 0;
};

TEST_F(ItemInfoTest, ACopyOfTheRelativeIdThatFailsIsTriedThreeTimesThenRaises) {
  const TcxShellItemInfo* source = producer_.Named(L"game.nes");
  ASSERT_TRUE(source);
  const shellcore::TIdList relative = shellcore::IdListClone(source->RelativeId.Get());
  FailingAllocations failing;
  failing.FailNext(2);
  {
    TcxShellItemInfo item(&producer_, relative.Get(), opened_.id.Get(), opened_.folder.Get());
    EXPECT_EQ(shell_test::ListBytes(item.RelativeId.Get()), shell_test::ListBytes(relative.Get()));
    EXPECT_EQ(item.DisplayName, L"game.nes");
  }
  ASSERT_GT(failing.Allocations(), 0) << "the spy sees the allocator";
  failing.FailNext(3);
  EXPECT_THROW(TcxShellItemInfo(&producer_, relative.Get(), opened_.id.Get(), opened_.folder.Get()),
               framework::ESystemError);
}

}  // namespace

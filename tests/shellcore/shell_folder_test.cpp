#include "shellcore/shell_folder.h"

#include <gtest/gtest.h>

#include "shellcore/shell_access.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using Microsoft::WRL::ComPtr;
using shell_test::SameObject;
using shell_test::ListBytes;
using shellcore::TcxShellFolder;
using shellcore::TIdList;

class ShellFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    root = shell_test::Wide(temp.Path());
    desktop = shellcore::ShellDesktop();
  }
  test_support::TempDir temp;
  std::wstring root;
  ComPtr<IShellFolder> desktop;
};

TEST_F(ShellFolderTest, ParentAndChildOfListsOfEveryLength) {
  shell_test::WriteFile(root + L"\\mario.nes");
  const TIdList file = shell_test::ParsePath(root + L"\\mario.nes");
  TIdList drive;  // the computer: one item below the desktop
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_DRIVES, drive), S_OK);
  const TIdList empty = shell_test::MakeIdList({});
  const TIdList too_long = shell_test::MakeLongIdList(261);
  ASSERT_TRUE(file && drive);
  ASSERT_EQ(shellcore::IdListItemCount(drive.Get()), 1);

  {
    const TcxShellFolder item(file.Get());
    EXPECT_EQ(item.FullIdList(), file.Get()) << "borrowed, not copied";
    ASSERT_NE(item.ParentFolder(), nullptr);
    EXPECT_FALSE(SameObject(item.ParentFolder(), desktop.Get()));
    EXPECT_EQ(ListBytes(item.ChildIdList()), ListBytes(shellcore::IdListLastItem(file.Get())));
    EXPECT_EQ(shellcore::NameInFolder(item.ParentFolder(), item.ChildIdList()), L"mario.nes");
  }
  struct Case {
    const char* name;
    LPCITEMIDLIST list;
  } whole_lists[] = {
      {"one item", drive.Get()},
      {"the desktop", empty.Get()},
      {"too long to count", too_long.Get()},
      {"no list", nullptr},
  };
  for (const Case& c : whole_lists) {
    SCOPED_TRACE(c.name);
    const TcxShellFolder item(c.list);
    EXPECT_TRUE(SameObject(item.ParentFolder(), desktop.Get())) << "the desktop is the parent";
    EXPECT_EQ(ListBytes(item.ChildIdList()), ListBytes(c.list)) << "the whole list is the child";
    if (c.list) {
      EXPECT_NE(item.ChildIdList(), c.list) << "the child is the wrapper's own copy";
    }
  }
}

TEST_F(ShellFolderTest, AnUnboundParentAnswersNoAttributes) {
  // A list that goes on below a file: its parent (the file) cannot be bound.
  shell_test::WriteFile(root + L"\\game.zip");
  const TIdList file = shell_test::ParsePath(root + L"\\game.zip");
  const TIdList below = shellcore::IdListJoin(file.Get(), shellcore::IdListLastItem(file.Get()));
  const TcxShellFolder item(below.Get());
  EXPECT_EQ(item.ParentFolder(), nullptr);
  EXPECT_EQ(item.QueryAttributes(SFGAO_FOLDER | SFGAO_FILESYSTEM), 0u);
  EXPECT_FALSE(item.IsFolderItem());
  EXPECT_TRUE(item.Traits().Empty());
}

TEST_F(ShellFolderTest, TraitsOfFilesAndFolders) {
  using shellcore::TcxShellItemTraits;
  shell_test::MakeFolder(root + L"\\roms");
  shell_test::WriteFile(root + L"\\roms\\zelda.gb");
  const TIdList folder_list = shell_test::ParsePath(root + L"\\roms");
  const TIdList file_list = shell_test::ParsePath(root + L"\\roms\\zelda.gb");
  const TcxShellFolder folder(folder_list.Get());
  const TcxShellFolder file(file_list.Get());
  EXPECT_TRUE(folder.IsFolderItem());
  EXPECT_FALSE(file.IsFolderItem());
  const TcxShellItemTraits folder_traits = folder.Traits();
  const TcxShellItemTraits file_traits = file.Traits();
  EXPECT_TRUE(folder_traits.Contains(shellcore::siFolder));
  EXPECT_TRUE(folder_traits.Contains(shellcore::siFileSystem));
  EXPECT_FALSE(folder_traits.Contains(shellcore::siStream));
  EXPECT_FALSE(file_traits.Contains(shellcore::siFolder));
  EXPECT_TRUE(file_traits.Contains(shellcore::siFileSystem));
  EXPECT_TRUE(file_traits.Contains(shellcore::siStream));
  // Each trait is exactly its attribute bit as the shell reports it.
  const SFGAOF attributes = file.QueryAttributes(shellcore::kAllTraitAttributes);
  for (unsigned trait = shellcore::siFileSysAncestor; trait <= shellcore::siStream; ++trait) {
    EXPECT_EQ(file_traits.Contains(static_cast<shellcore::TcxShellItemTrait>(trait)),
              (attributes & shellcore::kTraitAttributes[trait]) != 0)
        << "trait " << trait;
  }
}

TEST_F(ShellFolderTest, ParsingNamesOfPathsAndVirtualFolders) {
  const std::wstring arcade = root + L"\\\u8857\u673a.zip";
  shell_test::WriteFile(arcade);
  const TIdList file = shell_test::ParsePath(arcade);
  EXPECT_EQ(TcxShellFolder(file.Get()).ParsingName(), arcade);

  TIdList drives;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  STRRET parsing{};
  ASSERT_EQ(desktop->GetDisplayNameOf(drives.Get(), SHGDN_FORPARSING, &parsing), S_OK);
  ASSERT_EQ(shellcore::StrRetText(parsing, drives.Get()).rfind(L"::{", 0), 0u) << "a class identifier";
  const std::wstring name = TcxShellFolder(drives.Get()).ParsingName();
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name, shellcore::NameInFolder(desktop.Get(), drives.Get())) << "its display name instead";
  EXPECT_EQ(TcxShellFolder(nullptr).ParsingName(), L"");
}

}  // namespace

#include "shellcore/shell_access.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>

#include "framework/system_error.h"
#include "shellcore/shell_folder.h"
#include "tests/shellcore/extension_folder.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using Microsoft::WRL::ComPtr;
using shell_test::MakeIdList;
using shell_test::Wide;
using shellcore::TIdList;

TEST(StrRetTextTest, WideFormReturnsItsBlock) {
  shell_test::AllocatorSpy spy;
  STRRET result{};
  result.uType = STRRET_WSTR;
  ASSERT_EQ(SHStrDupW(L"\u8d85\u7ea7\u739b\u4e3d.nes", &result.pOleStr), S_OK);
  EXPECT_EQ(shellcore::StrRetText(result, nullptr), L"\u8d85\u7ea7\u739b\u4e3d.nes");
  EXPECT_EQ(result.pOleStr, nullptr) << "the result no longer points at the freed block";
  EXPECT_EQ(spy.Outstanding(), 0);
}

TEST(StrRetTextTest, OffsetAndAnsiForms) {
  // Item payload "NES\0QR" then a second item "CD": an offset text ends at a
  // NUL or at the end of the first item, whichever comes first.
  const TIdList item = MakeIdList({{'N', 'E', 'S', 0, 'Q', 'R'}, {'C', 'D', 0}});
  STRRET ansi{};
  ansi.uType = STRRET_CSTR;
  std::strcpy(ansi.cStr, "Gamelist");
  STRRET full{};
  full.uType = STRRET_CSTR;
  std::memset(full.cStr, 'x', sizeof full.cStr);  // no NUL at all
  struct Case {
    const char* name;
    UINT type;
    UINT offset;
    LPCITEMIDLIST item;
    std::wstring text;
  } cases[] = {
      {"offset to a NUL-ended text", STRRET_OFFSET, 2, item.Get(), L"NES"},
      {"offset text cut at the item's end", STRRET_OFFSET, 6, item.Get(), L"QR"},
      {"offset at the item's end", STRRET_OFFSET, 8, item.Get(), L""},
      {"offset past the item", STRRET_OFFSET, 40, item.Get(), L""},
      {"offset without an item", STRRET_OFFSET, 2, nullptr, L""},
      {"unknown form", 7, 0, item.Get(), L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    STRRET result{};
    result.uType = c.type;
    result.uOffset = c.offset;
    EXPECT_EQ(shellcore::StrRetText(result, c.item), c.text);
  }
  EXPECT_EQ(shellcore::StrRetText(ansi, nullptr), L"Gamelist");
  EXPECT_EQ(shellcore::StrRetText(full, nullptr), std::wstring(260, L'x'));
}

class ShellFolderFixture : public testing::Test {
 protected:
  void SetUp() override {
    root = Wide(temp.Path());
    desktop = shellcore::ShellDesktop();
  }
  test_support::TempDir temp;
  std::wstring root;
  ComPtr<IShellFolder> desktop;
};

using ShellAccessTest = ShellFolderFixture;

TEST_F(ShellAccessTest, PathsOfFilesFoldersAndVirtualItems) {
  const std::wstring chinese = root + L"\\\u8857\u673a";  // wide names survive end to end
  shell_test::MakeFolder(chinese);
  shell_test::WriteFile(root + L"\\pacman.zip");
  TIdList drives;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  EXPECT_EQ(shellcore::IdListToPath(nullptr), L"");
  EXPECT_EQ(shellcore::IdListToPath(shell_test::ParsePath(root).Get()), root);
  EXPECT_EQ(shellcore::IdListToPath(shell_test::ParsePath(chinese).Get()), chinese);
  EXPECT_EQ(shellcore::IdListToPath(shell_test::ParsePath(root + L"\\pacman.zip").Get()), root + L"\\pacman.zip");
  EXPECT_EQ(shellcore::IdListToPath(drives.Get()), L"") << "the computer has no path";

  shell_test::SavedShellFunctions saved;
  shellcore::Shell32Functions().SHGetPathFromIDListW = nullptr;
  EXPECT_EQ(shellcore::IdListToPath(shell_test::ParsePath(root + L"\\pacman.zip").Get()), root + L"\\pacman.zip")
      << "the ANSI function serves a plain name";
  EXPECT_EQ(shellcore::IdListToPath(drives.Get()), L"");
}

TEST_F(ShellAccessTest, NameInFolderAndShellItems) {
  shell_test::WriteFile(root + L"\\Tetris (World).gb");
  const TIdList folder_list = shell_test::ParsePath(root);
  const TIdList file_list = shell_test::ParsePath(root + L"\\Tetris (World).gb");
  const shellcore::TcxShellFolder file(file_list.Get());
  EXPECT_EQ(shellcore::NameInFolder(file.ParentFolder(), file.ChildIdList()), L"Tetris (World).gb");
  EXPECT_EQ(shellcore::NameInFolder(nullptr, file.ChildIdList()), L"");

  ComPtr<IShellItem> item;
  ASSERT_EQ(shellcore::CreateShellItemFromIdList(file_list.Get(), IID_PPV_ARGS(&item)), S_OK);
  wchar_t* path = nullptr;
  ASSERT_EQ(item->GetDisplayName(SIGDN_FILESYSPATH, &path), S_OK);
  EXPECT_EQ(std::wstring(path), root + L"\\Tetris (World).gb");
  CoTaskMemFree(path);
}

TEST_F(ShellAccessTest, SpecialFoldersWithAndWithoutFolderLocation) {
  TIdList by_location;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_PERSONAL, by_location), S_OK);
  ASSERT_TRUE(by_location);
  TIdList invalid;
  const HRESULT failure = shellcore::SpecialFolderIdList(nullptr, 0x7E, invalid);
  EXPECT_TRUE(FAILED(failure));
  EXPECT_FALSE(invalid);

  shell_test::SavedShellFunctions saved;
  shellcore::Shell32Functions().SHGetFolderLocation = nullptr;
  TIdList by_special;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_PERSONAL, by_special), S_OK);
  EXPECT_TRUE(shellcore::IdListSame(by_location.Get(), by_special.Get()));
  EXPECT_EQ(shellcore::SpecialFolderIdList(nullptr, 0x7E, invalid), failure) << "the shell's code, unchanged";
}

TEST_F(ShellAccessTest, FolderHasChildren) {
  struct Layout {
    const wchar_t* folder;
    const wchar_t* child;  // null: nothing; ends in "\\": a folder
  } layouts[] = {
      {L"dots", nullptr},
      {L"hidden-file", L".secret.sav"},
      {L"file", L"pacman.zip"},
      {L"subfolder", L"roms\\"},
      {L"hidden-subfolder", L".cache\\"},
  };
  for (const Layout& layout : layouts) {
    const std::wstring folder = root + L"\\" + layout.folder;
    shell_test::MakeFolder(folder);
    if (!layout.child) continue;
    const std::wstring child = folder + L"\\" + layout.child;
    if (child.back() == L'\\')
      shell_test::MakeFolder(child.substr(0, child.size() - 1));
    else
      shell_test::WriteFile(child);
  }
  shell_test::WriteFile(root + L"\\plain.txt");

  constexpr DWORD F = shellcore::kEnumFolders;
  constexpr DWORD N = shellcore::kEnumNonFolders;
  constexpr DWORD H = shellcore::kEnumIncludeHidden;
  struct Case {
    const wchar_t* item;
    DWORD flags;
    bool children;
  } cases[] = {
      {L"dots", F | N, false},
      {L"dots", F | N | H, false},
      {L"hidden-file", F | N, false},
      {L"hidden-file", F | N | H, true},
      {L"file", F | N, true},
      {L"file", N, true},
      {L"subfolder", F | N, true},
      {L"subfolder", N, false},
      {L"hidden-subfolder", F | N, false},
      {L"hidden-subfolder", F | N | H, true},
      {L"plain.txt", F | N | H, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << framework::WideToUtf8(c.item) << " flags 0x" << std::hex << c.flags);
    const TIdList item = shell_test::ParsePath(root + L"\\" + c.item);
    ASSERT_TRUE(item);
    const shellcore::TcxShellFolder folder(item.Get());
    EXPECT_EQ(shellcore::FolderHasChildren(folder.ParentFolder(), item.Get(), c.flags), c.children);
  }
}

TEST_F(ShellAccessTest, WithoutNonFoldersOnlyTheSubfolderAttributeDecides) {
  // Wine reports SFGAO_HASSUBFOLDER for every file-system folder, so an empty
  // folder answers "children" here although a scan of the disk would not.
  shell_test::MakeFolder(root + L"\\empty");
  const TIdList item = shell_test::ParsePath(root + L"\\empty");
  const shellcore::TcxShellFolder folder(item.Get());
  const bool has_subfolder_attribute = folder.HasAnyAttribute(SFGAO_HASSUBFOLDER);
  ASSERT_TRUE(has_subfolder_attribute) << "the case needs the attribute set on an empty folder";
  EXPECT_TRUE(shellcore::FolderHasChildren(folder.ParentFolder(), item.Get(), shellcore::kEnumFolders));
  EXPECT_FALSE(shellcore::FolderHasChildren(folder.ParentFolder(), item.Get(),
                                            shellcore::kEnumFolders | shellcore::kEnumNonFolders));
}

TEST_F(ShellAccessTest, FolderHasChildrenWithoutAPathAsksTheShell) {
  // The computer has no path: the attribute or an enumeration decides.
  TIdList drives;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  EXPECT_TRUE(shellcore::FolderHasChildren(desktop.Get(), drives.Get(),
                                           shellcore::kEnumFolders | shellcore::kEnumNonFolders));
  EXPECT_FALSE(shellcore::FolderHasChildren(nullptr, drives.Get(), shellcore::kEnumFolders));
}

TEST(QueryShellDetailsTest, TriesEachWayInOrderAndAcceptsOnlyS_OK) {
  const TIdList item = MakeIdList({{1}});
  using shell_test::DetailsWay;
  struct Case {
    const char* name;
    DetailsWay way;
    HRESULT answer;
    LPCITEMIDLIST item;
    HRESULT result;
    std::vector<UINT> ui_counts;  // item counts of the GetUIObjectOf calls made
  } cases[] = {
      {"the folder itself", DetailsWay::kQueryInterface, S_OK, item.Get(), S_OK, {}},
      {"a UI object for no items", DetailsWay::kUiObjectNoItems, S_OK, item.Get(), S_OK, {0}},
      {"the view object", DetailsWay::kViewObject, S_OK, item.Get(), S_OK, {0}},
      {"a UI object for the item", DetailsWay::kUiObjectOneItem, S_OK, item.Get(), S_OK, {0, 1}},
      {"no item: last call for none", DetailsWay::kUiObjectOneItem, S_OK, nullptr, E_NOINTERFACE, {0, 0}},
      {"no way at all", DetailsWay::kNone, S_OK, item.Get(), E_NOINTERFACE, {0, 1}},
      {"S_FALSE is not accepted early", DetailsWay::kViewObject, S_FALSE, item.Get(), E_NOINTERFACE, {0, 1}},
      {"the last way's code is returned", DetailsWay::kUiObjectOneItem, S_FALSE, item.Get(), S_FALSE, {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<shell_test::ExtensionFolder> folder =
        framework::MakeInterfaced<shell_test::ExtensionFolder>(c.way, c.answer, std::vector<shell_test::ExtensionColumn>{});
    ComPtr<IShellDetails> details;
    EXPECT_EQ(shellcore::QueryShellDetails(folder.Get(), c.item, details), c.result);
    EXPECT_EQ(details != nullptr, c.result == S_OK || c.result == S_FALSE);
    EXPECT_EQ(folder->ui_object_counts, c.ui_counts);
    details.Reset();
    EXPECT_EQ(folder->alive_details, 0) << "refused answers were released";
  }
}

TEST_F(ShellAccessTest, QueryShellDetailsOnAShellFolder) {
  // Wine's folders offer IShellFolder2 and none of the older ways.
  ComPtr<IShellFolder> folder;
  ASSERT_EQ(desktop->BindToObject(shell_test::ParsePath(root).Get(), nullptr, IID_PPV_ARGS(&folder)), S_OK);
  ComPtr<IShellDetails> details;
  EXPECT_EQ(shellcore::QueryShellDetails(folder.Get(), nullptr, details), E_NOINTERFACE);
  EXPECT_EQ(details, nullptr);
}

TEST(ShellFileTimeTest, LocalDosDateTimeAsDays) {
  auto file_time = [](WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    const SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
    FILETIME local_time;
    FILETIME utc;
    EXPECT_TRUE(SystemTimeToFileTime(&local, &local_time));
    EXPECT_TRUE(LocalFileTimeToFileTime(&local_time, &utc));
    return utc;
  };
  struct Case {
    const char* name;
    FILETIME time;
    double days;
  } cases[] = {
      {"first DOS day", file_time(1980, 1, 1, 0, 0, 0), 29221.0},
      {"leap day at noon", file_time(2000, 2, 29, 12, 0, 0), 36585.5},
      {"odd second rounds down", file_time(2021, 4, 30, 12, 34, 57), 44316.0 + (12 * 3600 + 34 * 60 + 56) / 86400.0},
      {"last DOS day", file_time(2107, 12, 31, 23, 59, 58), 75971.0 + (86400 - 2) / 86400.0},
      {"before DOS dates", file_time(1979, 12, 31, 0, 0, 0), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(shellcore::ShellFileTimeToDateTime(c.time), c.days, 1e-9);
  }
}

}  // namespace

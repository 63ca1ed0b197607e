#include "shellcore/shell_root.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/system_error.h"
#include "shellcore/shell_access.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/owner_window.h"
#include "tests/support/temp_dir.h"

namespace {

using Microsoft::WRL::ComPtr;
using shell_test::SameObject;
using shell_test::ListBytes;
using shellcore::TcxBrowseFolder;
using shellcore::TcxCustomShellRoot;
using shellcore::TIdList;

// A root with its events counted, and what the last resolution showed.
class RootFixture : public testing::Test {
 protected:
  void SetUp() override {
    root_path = shell_test::Wide(temp.Path());
    desktop = shellcore::ShellDesktop();
    root.OnRootResolved = [this](framework::TOwnerControl* sender, TcxCustomShellRoot& resolved) {
      ++resolved_count;
      last_sender = sender;
      EXPECT_EQ(&resolved, &root);
      // The wrapper always borrows the current list.
      EXPECT_EQ(resolved.RootFolder()->FullIdList(), resolved.RootIdList());
    };
    root.OnRootSettingsChanged = [this](TcxCustomShellRoot& sender) {
      ++settings_count;
      EXPECT_EQ(&sender, &root);
    };
  }

  void ExpectDesktopRoot() {
    EXPECT_TRUE(root.RootValid());
    ASSERT_NE(root.RootIdList(), nullptr);
    EXPECT_EQ(shellcore::IdListSize(root.RootIdList()), 0) << "the empty list names the desktop";
    EXPECT_TRUE(SameObject(root.RootShellFolder(), desktop.Get()));
    EXPECT_EQ(root.RootAttributes(), static_cast<SFGAOF>(SFGAO_FILESYSTEM));
  }

  test_support::TempDir temp;
  std::wstring root_path;
  ComPtr<IShellFolder> desktop;
  test_support::OwnerWindow owner;
  TcxCustomShellRoot root{&owner, nullptr};
  int resolved_count = 0;
  int settings_count = 0;
  framework::TOwnerControl* last_sender = nullptr;
};

using ShellRootTest = RootFixture;

TEST_F(ShellRootTest, CreatedUnresolvedAndResolvedOnFirstNeed) {
  EXPECT_EQ(root.BrowseFolder(), shellcore::bfDesktop);
  EXPECT_EQ(root.CustomPath(), L"");
  EXPECT_FALSE(root.RootValid());
  EXPECT_EQ(root.RootIdList(), nullptr);
  EXPECT_EQ(root.RootShellFolder(), nullptr);
  ASSERT_NE(root.RootFolder(), nullptr);
  EXPECT_EQ(root.RootFolder()->FullIdList(), nullptr);
  EXPECT_EQ(root.OwnerControl(), &owner);

  root.EnsureResolved();
  ExpectDesktopRoot();
  EXPECT_EQ(resolved_count, 1);
  EXPECT_EQ(last_sender, &owner) << "the owner control is the sender";
  EXPECT_EQ(settings_count, 0);
  root.EnsureResolved();
  EXPECT_EQ(resolved_count, 1) << "already resolved";
  TIdList desktop_list;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_DESKTOP, desktop_list), S_OK);
  STRRET name{};
  ASSERT_EQ(desktop->GetDisplayNameOf(desktop_list.Get(), SHGDN_FORPARSING, &name), S_OK);
  EXPECT_EQ(root.RootParsingName(), shellcore::StrRetText(name, desktop_list.Get()));
}

TEST_F(ShellRootTest, EveryBrowseFolderBrowsesItsSpecialFolder) {
  struct Case {
    TcxBrowseFolder folder;
    int csidl;
  } cases[] = {
      {shellcore::bfAltStartup, CSIDL_STARTUP},
      {shellcore::bfBitBucket, CSIDL_BITBUCKET},
      {shellcore::bfCommonDesktopDirectory, CSIDL_COMMON_DESKTOPDIRECTORY},
      {shellcore::bfCommonDocuments, CSIDL_COMMON_DOCUMENTS},
      {shellcore::bfCommonFavorites, CSIDL_COMMON_FAVORITES},
      {shellcore::bfCommonPrograms, CSIDL_COMMON_PROGRAMS},
      {shellcore::bfCommonStartMenu, CSIDL_COMMON_STARTMENU},
      {shellcore::bfCommonStartup, CSIDL_COMMON_STARTUP},
      {shellcore::bfCommonTemplates, CSIDL_COMMON_TEMPLATES},
      {shellcore::bfControls, CSIDL_CONTROLS},
      {shellcore::bfDesktop, CSIDL_DESKTOP},
      {shellcore::bfDesktopDirectory, CSIDL_DESKTOPDIRECTORY},
      {shellcore::bfDrives, CSIDL_DRIVES},
      {shellcore::bfPrinters, CSIDL_PRINTERS},
      {shellcore::bfFavorites, CSIDL_FAVORITES},
      {shellcore::bfFonts, CSIDL_FONTS},
      {shellcore::bfHistory, CSIDL_HISTORY},
      {shellcore::bfMyMusic, CSIDL_MYMUSIC},
      {shellcore::bfMyPictures, CSIDL_MYPICTURES},
      {shellcore::bfNetHood, CSIDL_NETHOOD},
      {shellcore::bfProfile, CSIDL_PROFILE},
      {shellcore::bfProgramFiles, CSIDL_PROGRAM_FILES},
      {shellcore::bfPrograms, CSIDL_PROGRAMS},
      {shellcore::bfRecent, CSIDL_RECENT},
      {shellcore::bfStartMenu, CSIDL_STARTMENU},
      {shellcore::bfStartUp, CSIDL_STARTUP},
      {shellcore::bfTemplates, CSIDL_TEMPLATES},
      {shellcore::bfMyDocuments, CSIDL_PERSONAL},
      {shellcore::bfNetwork, CSIDL_NETWORK},
  };
  ASSERT_EQ(std::size(cases) + 1, static_cast<size_t>(shellcore::kBrowseFolderCount));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "browse folder " << int{c.folder});
    const TcxBrowseFolder before = root.BrowseFolder();
    TIdList expected;
    const HRESULT found = shellcore::SpecialFolderIdList(nullptr, c.csidl, expected);
    if (FAILED(found)) {
      EXPECT_THROW(root.SetBrowseFolder(c.folder), shellcore::EcxEditError);
      EXPECT_EQ(root.BrowseFolder(), before);
      continue;
    }
    root.SetBrowseFolder(c.folder);
    EXPECT_EQ(root.BrowseFolder(), c.folder);
    EXPECT_TRUE(root.RootValid());
    EXPECT_EQ(ListBytes(root.RootIdList()), ListBytes(expected.Get()));
    EXPECT_NE(root.RootShellFolder(), nullptr);
  }
}

TEST_F(ShellRootTest, CustomPathToAFolderAFileOrNothing) {
  shell_test::MakeFolder(root_path + L"\\roms");
  shell_test::WriteFile(root_path + L"\\roms\\sonic.md");
  const std::wstring folder = root_path + L"\\roms";
  const std::wstring file = folder + L"\\sonic.md";

  root.SetBrowseFolder(shellcore::bfCustomPath);
  ExpectDesktopRoot();  // an empty custom path browses the desktop

  root.SetCustomPath(folder);
  EXPECT_TRUE(root.RootValid());
  EXPECT_TRUE(shell_test::SameItem(root.RootIdList(), shell_test::ParsePath(folder).Get()));
  EXPECT_FALSE(SameObject(root.RootShellFolder(), desktop.Get())) << "the folder itself";
  EXPECT_NE(root.RootAttributes() & SFGAO_FOLDER, 0u);
  EXPECT_EQ(root.RootParsingName(), folder);
  EXPECT_EQ(shellcore::NameInFolder(root.RootFolder()->ParentFolder(), root.RootFolder()->ChildIdList()), L"roms");

  root.SetCustomPath(file);
  EXPECT_TRUE(root.RootValid());
  EXPECT_TRUE(shell_test::SameItem(root.RootIdList(), shell_test::ParsePath(file).Get()));
  EXPECT_TRUE(SameObject(root.RootShellFolder(), desktop.Get())) << "a file cannot be bound as a folder";
  EXPECT_EQ(root.RootAttributes(), static_cast<SFGAOF>(SFGAO_FILESYSTEM));
  EXPECT_EQ(resolved_count, 3);
  EXPECT_EQ(settings_count, 3);
}

TEST_F(ShellRootTest, MissingCustomPathSetByCodeRaisesAndKeepsTheOldRoot) {
  shell_test::MakeFolder(root_path + L"\\roms");
  const std::wstring folder = root_path + L"\\roms";
  const std::wstring missing = root_path + L"\\no such folder";
  root.SetCustomPath(folder);
  root.SetBrowseFolder(shellcore::bfCustomPath);
  const int resolved_before = resolved_count;
  const int settings_before = settings_count;

  std::wstring missing_text = missing;
  TIdList nothing;
  const HRESULT failure = desktop->ParseDisplayName(nullptr, nullptr, missing_text.data(), nullptr, nothing.Put(),
                                                    nullptr);
  ASSERT_TRUE(FAILED(failure));
  try {
    root.SetCustomPath(missing);
    FAIL() << "no error";
  } catch (const shellcore::EcxEditError& error) {
    EXPECT_EQ(error.Message(), framework::SystemErrorText(failure));
  }
  EXPECT_EQ(root.CustomPath(), folder);
  EXPECT_EQ(root.ChangeDepth(), 0);
  EXPECT_FALSE(root.Resolving());
  EXPECT_EQ(resolved_count, resolved_before + 1) << "resolved again from the old path";
  EXPECT_EQ(settings_count, settings_before);
  EXPECT_TRUE(root.RootValid());
  EXPECT_TRUE(shell_test::SameItem(root.RootIdList(), shell_test::ParsePath(folder).Get()));

  // The same through Assign: both values come back.
  const std::wstring gone = root_path + L"\\gone";
  shell_test::MakeFolder(gone);
  TcxCustomShellRoot source(nullptr, nullptr);
  source.SetBrowseFolder(shellcore::bfCustomPath);
  source.SetCustomPath(gone);
  std::filesystem::remove(std::filesystem::path(gone));
  root.SetBrowseFolder(shellcore::bfDrives);
  EXPECT_THROW(root.Assign(&source), shellcore::EcxEditError);
  EXPECT_EQ(root.BrowseFolder(), shellcore::bfDrives);
  EXPECT_EQ(root.CustomPath(), folder);
}

TEST_F(ShellRootTest, PropertyChangesAndWhenTheyResolve) {
  root.SetCustomPath(root_path);
  EXPECT_EQ(root.CustomPath(), root_path);
  EXPECT_EQ(resolved_count, 0) << "not browsing the custom path: nothing to resolve";
  EXPECT_EQ(settings_count, 1);
  EXPECT_EQ(root.RootIdList(), nullptr);

  root.SetBrowseFolder(shellcore::bfDesktop);  // unchanged, but no root yet
  EXPECT_EQ(resolved_count, 1);
  EXPECT_EQ(settings_count, 2);
  root.SetBrowseFolder(shellcore::bfDesktop);  // unchanged, root present
  EXPECT_EQ(resolved_count, 1);
  EXPECT_EQ(settings_count, 3);
  root.SetCustomPath(root_path);  // equal text is still a change of settings
  EXPECT_EQ(resolved_count, 1);
  EXPECT_EQ(settings_count, 4);
}

TEST_F(ShellRootTest, UnusableRootOutsideAChangeIsEmptyAndReported) {
  const std::wstring folder = root_path + L"\\vanishing";
  shell_test::MakeFolder(folder);
  root.SetCustomPath(folder);
  root.SetBrowseFolder(shellcore::bfCustomPath);
  ASSERT_TRUE(root.RootValid());
  std::filesystem::remove(std::filesystem::path(folder));
  const int before = resolved_count;

  EXPECT_NO_THROW(root.ResolveRoot());
  EXPECT_EQ(resolved_count, before + 1) << "the owner learns that there is no root";
  EXPECT_FALSE(root.RootValid());
  EXPECT_EQ(root.RootIdList(), nullptr);
  EXPECT_EQ(root.RootShellFolder(), nullptr);
  EXPECT_EQ(root.RootFolder()->FullIdList(), nullptr);
  EXPECT_TRUE(SameObject(root.RootFolder()->ParentFolder(), desktop.Get()));
  EXPECT_EQ(root.RootParsingName(), L"");
  EXPECT_NO_THROW(root.EnsureResolved());
  EXPECT_EQ(resolved_count, before + 2) << "no folder yet, so it tries again";
}

TEST_F(ShellRootTest, ResolveFromInsideTheResolvedEventReturnsAtOnce) {
  int nested_runs = 0;
  root.OnRootResolved = [&](framework::TOwnerControl*, TcxCustomShellRoot& resolved) {
    ++resolved_count;
    EXPECT_TRUE(resolved.Resolving());
    if (nested_runs++ < 3) {
      resolved.ResolveRoot();
      resolved.EnsureResolved();
    }
  };
  root.SetBrowseFolder(shellcore::bfDrives);
  EXPECT_EQ(resolved_count, 1);
  EXPECT_FALSE(root.Resolving());
  EXPECT_TRUE(root.RootValid());
}

TEST_F(ShellRootTest, SetRootIdListKeepsItsOwnCopy) {
  shell_test::WriteFile(root_path + L"\\tetris.gb");
  root.SetRootIdList(nullptr);
  EXPECT_EQ(resolved_count, 0) << "null does nothing at all";
  {
    const TIdList folder = shell_test::ParsePath(root_path);
    root.SetRootIdList(folder.Get());
    EXPECT_NE(root.RootIdList(), folder.Get());
  }
  EXPECT_EQ(root.RootParsingName(), root_path) << "the copy outlives the caller's list";
  // The root's own list handed back to it.
  root.SetRootIdList(root.RootIdList());
  EXPECT_TRUE(root.RootValid());
  EXPECT_EQ(root.RootParsingName(), root_path);
  const TIdList file = shell_test::ParsePath(root_path + L"\\tetris.gb");
  root.SetRootIdList(file.Get());
  EXPECT_TRUE(SameObject(root.RootShellFolder(), desktop.Get()));
  EXPECT_EQ(root.RootAttributes(), static_cast<SFGAOF>(SFGAO_FILESYSTEM));
  EXPECT_EQ(resolved_count, 3);
  EXPECT_EQ(settings_count, 0);
}

TEST_F(ShellRootTest, TwoRootsThatFollowEachOtherDoNotEcho) {
  TcxCustomShellRoot other(nullptr, nullptr);
  int other_resolved = 0;
  int other_settings = 0;
  other.OnRootResolved = [&](framework::TOwnerControl*, TcxCustomShellRoot&) { ++other_resolved; };
  other.OnRootSettingsChanged = [&](TcxCustomShellRoot& sender) {
    ++other_settings;
    root.SyncFrom(sender);
  };
  root.OnRootSettingsChanged = [&](TcxCustomShellRoot& sender) {
    ++settings_count;
    other.SyncFrom(sender);
  };

  root.SetCustomPath(root_path);
  root.SetBrowseFolder(shellcore::bfCustomPath);
  EXPECT_EQ(other.BrowseFolder(), shellcore::bfCustomPath);
  EXPECT_EQ(other.CustomPath(), root_path);
  EXPECT_EQ(other.RootParsingName(), root_path);
  EXPECT_EQ(settings_count, 2);
  EXPECT_EQ(other_settings, 0) << "a copied change is not reported back";
  EXPECT_EQ(other_resolved, 2) << "one copy per change";
  EXPECT_FALSE(other.Syncing());

  other.SetBrowseFolder(shellcore::bfDrives);
  EXPECT_EQ(root.BrowseFolder(), shellcore::bfDrives);
  EXPECT_EQ(other_settings, 1);
  EXPECT_EQ(settings_count, 2);
}

TEST_F(ShellRootTest, AssignTakesOnlyRoots) {
  class Other : public framework::TPersistent {
   public:
    std::wstring ClassName() const override { return L"TOther"; }
  } other;
  try {
    root.Assign(&other);
    FAIL() << "no error";
  } catch (const framework::EAssignError& error) {
    EXPECT_EQ(error.Message(), L"Cannot assign a TOther to a TcxCustomShellRoot");
  }
  TcxCustomShellRoot source(nullptr, nullptr);
  source.SetCustomPath(root_path);
  source.SetBrowseFolder(shellcore::bfCustomPath);
  root.Assign(&source);
  EXPECT_EQ(root.BrowseFolder(), shellcore::bfCustomPath);
  EXPECT_EQ(root.CustomPath(), root_path);
  EXPECT_EQ(root.RootParsingName(), root_path);
  EXPECT_EQ(resolved_count, 1);
  EXPECT_EQ(settings_count, 1);
}

TEST(ShellRootLifetimeTest, ReturnsEveryListItTook) {
  test_support::TempDir temp;
  const std::wstring path = shell_test::Wide(temp.Path());
  auto life = [&] {
    TcxCustomShellRoot root(nullptr, nullptr);
    root.EnsureResolved();
    root.SetCustomPath(path);
    root.SetBrowseFolder(shellcore::bfCustomPath);
    EXPECT_THROW(root.SetCustomPath(path + L"\\missing"), shellcore::EcxEditError);
    root.SetBrowseFolder(shellcore::bfDrives);
  };
  life();  // the shell keeps a few blocks of its own on first use
  shell_test::AllocatorSpy spy;
  life();
  EXPECT_GT(spy.Allocations(), 0);
  EXPECT_EQ(spy.Outstanding(), 0);
}

}  // namespace

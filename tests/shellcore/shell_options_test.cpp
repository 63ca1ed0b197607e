#include "shellcore/shell_options.h"

#include <gtest/gtest.h>

#include <functional>

#include "framework/system_error.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_messages.h"
#include "framework/com_object.h"
#include "tests/shellcore/extension_folder.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/shellcore/test_producer.h"
#include "tests/support/owner_window.h"
#include "tests/support/temp_dir.h"

namespace {

using shellcore::TcxShellOptions;
using Masks = std::vector<std::wstring>;

std::string Utf8(const std::wstring& text) { return framework::WideToUtf8(text); }

TEST(FileMaskTest, ParsedIntoEntries) {
  struct Case {
    std::wstring file_mask;
    Masks masks;
  } cases[] = {
      {L"", {}},
      {L"*.zip", {L"*.zip"}},
      {L"*.zip;*.7z", {L"*.zip", L"*.7z"}},
      {L"*.zip;*.7z;", {L"*.zip", L"*.7z"}},
      {L"*.Zip; *.nes", {L"*.Zip", L" *.nes"}},
      {L"*.zip;;*.7z", {}},
      {L";*.zip", {}},
      {L"*.zip;*", {}},
      {L"*.*;*.zip", {}},
  };
  TcxShellOptions options(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.file_mask));
    options.SetFileMask(c.file_mask);
    EXPECT_EQ(options.MaskList(), c.masks);
  }
}

TEST(FileMaskTest, MatchingNames) {
  struct Case {
    std::wstring file_mask;
    std::wstring name;
    bool matches;
  } cases[] = {
      {L"", L"anything.bin", true},
      {L"*", L"anything.bin", true},
      {L"*.zip", L"pacman.zip", true},
      {L"*.ZIP", L"pacman.zip", true},
      {L"*.zip", L"PACMAN.ZIP", true},
      {L"*.nes", L"\u8d85\u7ea7\u739b\u4e3d.NES", true},
      {L"a?c", L"abc", true},
      {L"a?c", L"axc", true},
      {L"a?c", L"ac", false},
      {L"a?c", L"abcd", false},
      {L"a?c", L"xbc", false},
      {L"?", L"", false},
      {L"*.zip", L"game.zip.bak", false},
      {L"*.zip", L"game.zipx", false},
      {L"*ab", L"abab", true},
      {L"*ab", L"abxb", false},
      {L"*a?c", L"xxayc", true},
      {L"*a?c", L"axdayc", false},  // the first "a" fails at "c"; the later one is not tried
      {L" *.zip", L"game.zip", false},
      {L" *.zip", L" game.zip", true},
      {L"game", L"game", true},
      {L"game", L"games", false},
      {L"game", L"agame", false},
      {L"**.nes", L"x.nes", true},
      {L"*?", L"", false},
      {L"*.zip;*.7z", L"sonic.7z", true},
      {L"*.zip;*.7z", L"sonic.rar", false},
  };
  TcxShellOptions options(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(L"mask \"" + c.file_mask + L"\" name \"" + c.name + L"\""));
    options.SetFileMask(c.file_mask);
    EXPECT_EQ(options.MatchesFileMask(c.name), c.matches);
  }
}

TEST(ShellOptionsTest, DefaultsAndEnumerationFlags) {
  TcxShellOptions options(nullptr);
  EXPECT_TRUE(options.ShowFolders());
  EXPECT_TRUE(options.ShowNonFolders());
  EXPECT_FALSE(options.ShowHidden());
  EXPECT_TRUE(options.ShowZipFilesWithFolders());
  EXPECT_TRUE(options.ContextMenus());
  EXPECT_TRUE(options.TrackShellChanges());
  EXPECT_TRUE(options.ShowToolTip());
  EXPECT_EQ(options.FileMask(), L"");
  EXPECT_EQ(options.ShellEnumFlags(), 0x60u);
  options.SetShowHidden(true);
  EXPECT_EQ(options.ShellEnumFlags(), 0xE0u);
  options.SetShowFolders(false);
  options.SetShowNonFolders(false);
  options.SetShowHidden(false);
  EXPECT_EQ(options.ShellEnumFlags(), 0u);
}

// Options owned by a real window, with the messages it receives and the
// tool-tip events counted.
class OptionsNotificationTest : public testing::Test {
 protected:
  void SetUp() override {
    options.OnShowToolTipChanged = [this](TcxShellOptions& sender) {
      EXPECT_EQ(&sender, &options);
      ++tool_tip_events;
    };
  }
  int Messages() const { return owner.Count(shellcore::SHELLMSG_OPTIONS_CHANGED); }

  test_support::OwnerWindow owner;
  TcxShellOptions options{&owner};
  int tool_tip_events = 0;
};

TEST_F(OptionsNotificationTest, NobodyHearsBeforeTheOwnerHasAWindow) {
  options.SetShowHidden(true);
  options.SetFileMask(L"*.zip");
  EXPECT_EQ(options.ShowHidden(), true);
  EXPECT_EQ(options.MaskList(), Masks{L"*.zip"});
  owner.Create();
  EXPECT_EQ(Messages(), 0);
}

TEST_F(OptionsNotificationTest, WhichSettersNotify) {
  owner.Create();
  struct Step {
    const char* name;
    std::function<void()> change;
    int messages;
    int tool_tip_events;
  } steps[] = {
      {"ShowHidden to its value", [&] { options.SetShowHidden(false); }, 1, 0},
      {"ShowFolders to its value", [&] { options.SetShowFolders(true); }, 1, 0},
      {"ShowNonFolders changed", [&] { options.SetShowNonFolders(false); }, 1, 0},
      {"ShowZipFilesWithFolders to its value", [&] { options.SetShowZipFilesWithFolders(true); }, 1, 0},
      {"TrackShellChanges to its value", [&] { options.SetTrackShellChanges(true); }, 0, 0},
      {"TrackShellChanges changed", [&] { options.SetTrackShellChanges(false); }, 1, 0},
      {"FileMask changed", [&] { options.SetFileMask(L"*.zip"); }, 1, 0},
      {"FileMask to its value", [&] { options.SetFileMask(L"*.zip"); }, 0, 0},
      {"FileMask in other letter case", [&] { options.SetFileMask(L"*.ZIP"); }, 1, 0},
      {"ShowToolTip changed", [&] { options.SetShowToolTip(false); }, 0, 1},
      {"ShowToolTip to its value", [&] { options.SetShowToolTip(false); }, 0, 0},
      {"ContextMenus changed", [&] { options.SetContextMenus(false); }, 0, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const int messages_before = Messages();
    const int events_before = tool_tip_events;
    step.change();
    EXPECT_EQ(Messages() - messages_before, step.messages);
    EXPECT_EQ(tool_tip_events - events_before, step.tool_tip_events);
  }
  for (const test_support::ReceivedMessage& received : owner.Messages()) {
    EXPECT_EQ(received.wparam, 0u);
    EXPECT_EQ(received.lparam, 0);
  }
}

TEST_F(OptionsNotificationTest, UpdatesNotifyOnceAtTheOutermostEnd) {
  owner.Create();
  options.BeginUpdate();
  options.BeginUpdate();
  options.SetShowHidden(true);
  options.SetFileMask(L"*.nes");
  options.SetTrackShellChanges(false);
  options.EndUpdate();
  EXPECT_EQ(Messages(), 0);
  options.EndUpdate();
  EXPECT_EQ(Messages(), 1);
  options.EndUpdate();  // unbalanced: the depth goes below zero and still notifies
  EXPECT_EQ(Messages(), 2);
}

TEST_F(OptionsNotificationTest, AssignCopiesEveryValue) {
  test_support::OwnerWindow source_owner;
  source_owner.Create();
  owner.Create();
  TcxShellOptions source(&source_owner);
  source.SetContextMenus(false);
  source.SetFileMask(L"*.gb;*.gbc");
  source.SetShowFolders(false);
  source.SetShowHidden(true);
  source.SetShowNonFolders(false);
  source.SetShowToolTip(false);
  source.SetShowZipFilesWithFolders(false);
  source.SetTrackShellChanges(false);
  source_owner.Clear();

  options.Assign(&source);
  EXPECT_FALSE(options.ContextMenus());
  EXPECT_EQ(options.FileMask(), L"*.gb;*.gbc");
  EXPECT_EQ(options.MaskList(), (Masks{L"*.gb", L"*.gbc"}));
  EXPECT_FALSE(options.ShowFolders());
  EXPECT_TRUE(options.ShowHidden());
  EXPECT_FALSE(options.ShowNonFolders());
  EXPECT_FALSE(options.ShowToolTip());
  EXPECT_FALSE(options.ShowZipFilesWithFolders());
  EXPECT_FALSE(options.TrackShellChanges());
  EXPECT_EQ(source_owner.Count(shellcore::SHELLMSG_OPTIONS_CHANGED), 1) << "the source's owner, once at the end";
  EXPECT_EQ(Messages(), 6) << "mask, four show flags, change tracking";
  EXPECT_EQ(tool_tip_events, 1);
  EXPECT_EQ(source.UpdateDepth(), 0);

  test_support::OwnerWindow other_owner;
  shellcore::TcxShellThumbnailOptions thumbnails(&other_owner);
  EXPECT_THROW(options.Assign(&thumbnails), framework::EAssignError);
}

TEST(ItemFilterTest, Decisions) {
  using shellcore::siFolder;
  using shellcore::siStream;
  using shellcore::TcxShellItemTraits;
  const TcxShellItemTraits archive{siFolder, siStream};
  const TcxShellItemTraits folder{siFolder};
  struct Case {
    const char* name;
    bool show_non_folders;
    bool show_zip_files;
    bool is_folder;
    TcxShellItemTraits traits;
    std::wstring file_name;
    bool kept;
  } cases[] = {
      {"folder", false, false, true, folder, L"", true},
      {"archive, both shown", true, true, true, archive, L"", true},
      {"archive, only non-folders", true, false, true, archive, L"", true},
      {"archive, only archives", false, true, true, archive, L"", true},
      {"archive, neither", false, false, true, archive, L"", false},
      {"archive is never masked", true, true, true, archive, L"game.rar", true},
      {"file in the mask", true, true, false, {}, L"game.zip", true},
      {"file outside the mask", true, true, false, {}, L"game.rar", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TcxShellOptions options(nullptr);
    options.SetFileMask(L"*.zip;*.7z");
    options.SetShowNonFolders(c.show_non_folders);
    options.SetShowZipFilesWithFolders(c.show_zip_files);
    EXPECT_EQ(shellcore::ShellItemFilterDecision(options, c.is_folder, c.traits, c.file_name), c.kept);
  }
  EXPECT_EQ(shellcore::FileNamePart(L"C:\\roms\\nes\\mario.nes"), L"mario.nes");
  EXPECT_EQ(shellcore::FileNamePart(L"C:mario.nes"), L"mario.nes");
  EXPECT_EQ(shellcore::FileNamePart(L"mario.nes"), L"mario.nes");
}

TEST(ItemFilterTest, RealFilesAndFoldersThroughTheMask) {
  test_support::TempDir temp;
  const std::wstring root = shell_test::Wide(temp.Path());
  shell_test::WriteFile(root + L"\\sonic.zip");
  shell_test::WriteFile(root + L"\\sonic.txt");
  shell_test::MakeFolder(root + L"\\saves.txt");  // a folder is not masked
  TcxShellOptions options(nullptr);
  options.SetFileMask(L"*.zip;*.7z");
  struct Case {
    const wchar_t* name;
    bool kept;
  } cases[] = {{L"sonic.zip", true}, {L"sonic.txt", false}, {L"saves.txt", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    const shellcore::TIdList list = shell_test::ParsePath(root + L"\\" + c.name);
    const shellcore::TcxShellFolder item(list.Get());
    EXPECT_EQ(shellcore::ShellItemFilterAccepts(options, item), c.kept);
  }
}

// A real folder that counts the names it is asked for.
class NameCountingFolder : public shell_test::ForwardingFolder {
 public:
  using ForwardingFolder::ForwardingFolder;
  int parsing_names = 0;
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD l, SHGDNF f, STRRET* n) override {
    if (f & SHGDN_FORPARSING) ++parsing_names;
    return ForwardingFolder::GetDisplayNameOf(l, f, n);
  }
};

// A file's name is read only when a mask asks for it, and then from the
// parent in hand, not by binding the parent again from the desktop.
TEST(ItemFilterTest, TheNameIsReadFromTheParentInHandAndOnlyForAMask) {
  test_support::TempDir temp;
  const std::wstring root = shell_test::Wide(temp.Path());
  shell_test::WriteFile(root + L"\\sonic.zip");
  shell_test::WriteFile(root + L"\\sonic.txt");
  const shell_test::OpenedFolder opened = shell_test::OpenFolder(root);
  ASSERT_TRUE(opened.folder);
  const Microsoft::WRL::ComPtr<NameCountingFolder> parent =
      framework::MakeInterfaced<NameCountingFolder>(opened.folder.Get());
  struct Case {
    const wchar_t* mask;
    const wchar_t* name;
    bool kept;
    int parsing_names;
  } cases[] = {
      {L"", L"sonic.txt", true, 0},
      {L"*.zip", L"sonic.zip", true, 1},
      {L"*.zip", L"sonic.txt", false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(std::wstring(c.mask) + L" " + c.name));
    TcxShellOptions options(nullptr);
    options.SetFileMask(c.mask);
    const shellcore::TIdList list = shell_test::ParsePath(root + L"\\" + c.name);
    const shellcore::TcxShellFolder item(list.Get(), parent.Get());
    parent->parsing_names = 0;
    EXPECT_EQ(shellcore::ShellItemFilterAccepts(options, item), c.kept);
    EXPECT_EQ(parent->parsing_names, c.parsing_names);
  }
}

TEST(ThumbnailOptionsTest, ChangesAndAssign) {
  using shellcore::TcxShellThumbnailOptions;
  TcxShellThumbnailOptions options(nullptr);
  int events = 0;
  options.OnThumbnailOptionsChanged = [&](TcxShellThumbnailOptions&) { ++events; };
  EXPECT_EQ(options.Height(), 96);
  EXPECT_EQ(options.Width(), 96);
  EXPECT_FALSE(options.ShowThumbnails());
  options.SetHeight(96);
  options.SetShowThumbnails(false);
  EXPECT_EQ(events, 0);
  options.SetHeight(128);
  EXPECT_EQ(events, 1);
  options.BeginUpdate();
  options.SetWidth(64);
  options.SetShowThumbnails(true);
  EXPECT_EQ(events, 1);
  options.EndUpdate();
  EXPECT_EQ(events, 2);

  TcxShellThumbnailOptions target(nullptr);
  int target_events = 0;
  target.OnThumbnailOptionsChanged = [&](TcxShellThumbnailOptions&) { ++target_events; };
  target.Assign(&options);
  EXPECT_EQ(target.Height(), 128);
  EXPECT_EQ(target.Width(), 64);
  EXPECT_TRUE(target.ShowThumbnails());
  EXPECT_EQ(target_events, 3) << "one per value that changed";
  EXPECT_EQ(events, 3) << "the source, once when its update ends";
  TcxShellOptions shell_options(nullptr);
  EXPECT_THROW(target.Assign(&shell_options), framework::EAssignError);
}

}  // namespace

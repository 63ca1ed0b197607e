#include "shellcore/shell_details.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "framework/system_error.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "tests/shellcore/extension_folder.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using Microsoft::WRL::ComPtr;
using shellcore::TcxShellDetails;
using shellcore::TIdList;

struct Column {
  std::wstring title;
  int width;
  int alignment;
  int index;
  friend bool operator==(const Column&, const Column&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Column& c) {
    return out << framework::WideToUtf8(c.title) << " " << c.width << " " << c.alignment << " " << c.index;
  }
};

std::vector<Column> Columns(const TcxShellDetails& details) {
  std::vector<Column> columns;
  for (int i = 0; i < details.Count(); ++i) {
    const shellcore::TcxDetailItem& item = details.Item(i);
    columns.push_back(Column{item.ColumnTitle, item.ColumnWidth, item.ColumnAlignment, item.ColumnIndex});
  }
  return columns;
}

TEST(ShellDetailsTest, RecycleBinColumnsFromTheShell) {
  // Wine's recycle bin offers six columns, all shown by default.
  TIdList bin;
  ASSERT_EQ(shellcore::SpecialFolderIdList(nullptr, CSIDL_BITBUCKET, bin), S_OK);
  ComPtr<IShellFolder> folder;
  ASSERT_EQ(shellcore::ShellDesktop()->BindToObject(bin.Get(), nullptr, IID_PPV_ARGS(&folder)), S_OK);
  shell_test::AllocatorSpy spy;
  TcxShellDetails details;
  details.LoadColumns(7, folder.Get(), false);
  EXPECT_EQ(Columns(details), (std::vector<Column>{{L"File", 210, 0, 0},
                                                   {L"Original location", 210, 0, 1},
                                                   {L"Date deleted", 140, 0, 2},
                                                   {L"Size", 140, 1, 3},
                                                   {L"Type", 140, 0, 4},
                                                   {L"Modified", 140, 0, 5}}));
  details.Clear();
  EXPECT_EQ(details.Count(), 0);
  EXPECT_EQ(spy.Outstanding(), 0) << "every title's block was released";
}

TEST(ShellDetailsTest, ColumnsOffByDefaultOrHiddenAreSkipped) {
  shell_test::AllocatorSpy spy;
  {
    const std::vector<shell_test::ExtensionColumn> offered{
        {L"Title", 20, LVCFMT_LEFT, SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_TYPE_STR},
        {L"Checksum", 8, LVCFMT_LEFT, SHCOLSTATE_TYPE_STR},
        {L"Internal", 8, LVCFMT_LEFT, SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_HIDDEN},
        {L"Players", 4, LVCFMT_RIGHT, 0, false},
        {L"Region", 6, LVCFMT_CENTER, SHCOLSTATE_ONBYDEFAULT},
    };
    ComPtr<shell_test::ExtensionFolder> folder = framework::MakeInterfaced<shell_test::ExtensionFolder>(
        shell_test::DetailsWay::kViewObject, S_OK, offered, true);
    TcxShellDetails details;
    details.LoadColumns(5, folder.Get(), true);
    // Later systems keep looking after a column that is off by default.
    EXPECT_EQ(Columns(details),
              (std::vector<Column>{{L"Title", 100, 0, 0}, {L"Players", 20, 1, 3}, {L"Region", 30, 2, 4}}));
  }
  EXPECT_EQ(spy.Outstanding(), 0) << "skipped columns' titles were released";
}

TEST(ShellDetailsTest, FileSystemFolderColumnsComeFromTheShell) {
  test_support::TempDir temp;
  ComPtr<IShellFolder> folder;
  ASSERT_EQ(shellcore::ShellDesktop()->BindToObject(shell_test::ParsePath(shell_test::Wide(temp.Path())).Get(),
                                                    nullptr, IID_PPV_ARGS(&folder)),
            S_OK);
  TcxShellDetails details;
  details.LoadColumns(8, folder.Get(), true);
  ASSERT_GE(details.Count(), 4);
  EXPECT_EQ(details.Item(0).ColumnIndex, 0);
  EXPECT_FALSE(details.Item(0).ColumnTitle.empty());
  EXPECT_EQ(details.Item(0).ColumnWidth % 8, 0) << "a whole number of characters";
  details.LoadColumns(8, folder.Get(), true);
  EXPECT_EQ(details.Count(), Columns(details).size()) << "loading again replaces the set";
}

TEST(ShellDetailsTest, ExtensionFoldersWithoutTheNewerInterface) {
  using shell_test::DetailsWay;
  const std::vector<shell_test::ExtensionColumn> offered{
      {L"Title", 20, LVCFMT_LEFT}, {L"Players", 4, LVCFMT_RIGHT}, {L"Region", 6, LVCFMT_CENTER}};
  struct Case {
    const char* name;
    DetailsWay way;
    bool file_system;
    std::vector<Column> columns;
  } cases[] = {
      {"details from the view object", DetailsWay::kViewObject, false,
       {{L"Title", 120, 0, 0}, {L"Players", 24, 1, 1}, {L"Region", 36, 2, 2}}},
      {"no details, not in the file system", DetailsWay::kNone, false, {{L"Name", 150, 0, 0}}},
      {"no details, in the file system", DetailsWay::kNone, true,
       {{L"Name", 150, 0, 0}, {L"Size", 60, 1, 1}, {L"Type", 60, 0, 2}, {L"Modified", 84, 0, 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<shell_test::ExtensionFolder> folder = framework::MakeInterfaced<shell_test::ExtensionFolder>(c.way, S_OK, offered);
    TcxShellDetails details;
    details.AddColumn().ColumnTitle = L"left over";
    details.LoadColumns(6, folder.Get(), c.file_system);
    EXPECT_EQ(Columns(details), c.columns);
  }
}

TEST(ShellDetailsTest, AFolderThatAnswersEveryColumnStopsAtTheBound) {
  ComPtr<shell_test::ExtensionFolder> folder = framework::MakeInterfaced<shell_test::ExtensionFolder>(
      shell_test::DetailsWay::kNone, S_OK, std::vector<shell_test::ExtensionColumn>{}, true);
  folder->endless_columns = true;
  TcxShellDetails details;
  details.LoadColumns(6, folder.Get(), true);
  ASSERT_EQ(details.Count(), static_cast<int>(shellcore::kMaxDetailColumns));
  EXPECT_EQ(details.Item(details.Count() - 1).ColumnTitle, L"Column 255");
}

TEST(ShellDetailsTest, AddedColumnsStartZeroedAndStayPut) {
  TcxShellDetails details;
  shellcore::TcxDetailItem& first = details.AddColumn();
  EXPECT_EQ(Columns(details), (std::vector<Column>{{L"", 0, 0, 0}}));
  for (int i = 0; i < 100; ++i) details.AddColumn();
  EXPECT_EQ(&first, &details.Item(0));
}

}  // namespace

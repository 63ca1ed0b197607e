#include "shellcore/id_list.h"

#include <gtest/gtest.h>

#include <optional>

#include "shellcore/shell_common.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using shell_test::ListBytes;
using shell_test::MakeIdList;
using shellcore::TIdList;
using Bytes = std::vector<BYTE>;

ptrdiff_t OffsetIn(LPCITEMIDLIST list, LPCITEMIDLIST inside) {
  if (!inside) return -1;
  return reinterpret_cast<const BYTE*>(inside) - reinterpret_cast<const BYTE*>(list);
}

std::optional<Bytes> Contents(const TIdList& list) {
  if (!list) return std::nullopt;
  return ListBytes(list.Get());
}

TEST(IdListTest, WalkingAndCopyingByteBuiltLists) {
  shell_test::AllocatorSpy spy;
  {
    const TIdList empty = MakeIdList({});
    const TIdList one = MakeIdList({{0xA1}});
    const TIdList two = MakeIdList({{0xA1}, {0xB1, 0xB2}});
    const TIdList three = MakeIdList({{1}, {2, 2}, {3, 3, 3}});
    struct Row {
      const char* name;
      LPCITEMIDLIST list;
      int size;
      int count;
      ptrdiff_t next;  // offset of IdListNext, -1 for null
      ptrdiff_t last;  // offset of IdListLastItem, -1 for null
      std::optional<Bytes> first;
      std::optional<Bytes> parent;
    } rows[] = {
        {"null", nullptr, 0, 0, -1, -1, std::nullopt, std::nullopt},
        {"empty", empty.Get(), 0, 0, -1, 0, std::nullopt, Bytes{0, 0}},
        {"one item", one.Get(), 3, 1, 3, 0, Bytes{3, 0, 0xA1, 0, 0}, Bytes{0, 0}},
        {"two items", two.Get(), 7, 2, 3, 3, Bytes{3, 0, 0xA1, 0, 0}, Bytes{3, 0, 0xA1, 0, 0}},
        {"three items", three.Get(), 12, 3, 3, 7, Bytes{3, 0, 1, 0, 0}, Bytes{3, 0, 1, 4, 0, 2, 2, 0, 0}},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      EXPECT_EQ(shellcore::IdListSize(row.list), row.size);
      EXPECT_EQ(shellcore::IdListItemCount(row.list), row.count);
      EXPECT_EQ(OffsetIn(row.list, shellcore::IdListNext(row.list)), row.next);
      EXPECT_EQ(OffsetIn(row.list, shellcore::IdListLastItem(row.list)), row.last);
      EXPECT_EQ(Contents(shellcore::IdListFirstItem(row.list)), row.first);
      EXPECT_EQ(Contents(shellcore::IdListParent(row.list)), row.parent);
      const TIdList clone = shellcore::IdListClone(row.list);
      if (!row.list) {
        EXPECT_FALSE(clone);
      } else {
        ASSERT_TRUE(clone);
        EXPECT_NE(clone.Get(), row.list) << "a copy, not the same block";
        EXPECT_EQ(ListBytes(clone.Get()), ListBytes(row.list));
      }
    }
  }
  EXPECT_GT(spy.Allocations(), 0);
  EXPECT_EQ(spy.Outstanding(), 0) << "every list made was returned to the task allocator";
}

TEST(IdListTest, CountStopsPast260Items) {
  EXPECT_EQ(shellcore::IdListItemCount(shell_test::MakeLongIdList(260).Get()), 260);
  EXPECT_EQ(shellcore::IdListItemCount(shell_test::MakeLongIdList(261).Get()), -1);
  // Size and copies are not limited.
  const TIdList long_list = shell_test::MakeLongIdList(300);
  EXPECT_EQ(shellcore::IdListSize(long_list.Get()), 900);
  EXPECT_EQ(ListBytes(shellcore::IdListClone(long_list.Get()).Get()), ListBytes(long_list.Get()));
}

TEST(IdListTest, JoinAndSame) {
  shell_test::AllocatorSpy spy;
  {
    const TIdList empty = MakeIdList({});
    const TIdList a = MakeIdList({{0xA1}});
    const TIdList b = MakeIdList({{0xB1, 0xB2}});
    const TIdList a_again = MakeIdList({{0xA1}});
    const TIdList c = MakeIdList({{0xC1}});
    struct Join {
      const char* name;
      LPCITEMIDLIST first;
      LPCITEMIDLIST second;
      std::optional<Bytes> result;
    } joins[] = {
        {"null and null", nullptr, nullptr, std::nullopt},
        {"null and B", nullptr, b.Get(), Bytes{4, 0, 0xB1, 0xB2, 0, 0}},
        {"A and null", a.Get(), nullptr, Bytes{3, 0, 0xA1, 0, 0}},
        {"A and empty", a.Get(), empty.Get(), Bytes{3, 0, 0xA1, 0, 0}},
        {"empty and empty", empty.Get(), empty.Get(), Bytes{0, 0}},
        {"A and B", a.Get(), b.Get(), Bytes{3, 0, 0xA1, 4, 0, 0xB1, 0xB2, 0, 0}},
    };
    for (const Join& join : joins) {
      SCOPED_TRACE(join.name);
      const TIdList joined = shellcore::IdListJoin(join.first, join.second);
      EXPECT_EQ(Contents(joined), join.result);
      if (joined) {
        EXPECT_NE(joined.Get(), join.first);
        EXPECT_NE(joined.Get(), join.second);
      }
    }

    struct Same {
      const char* name;
      LPCITEMIDLIST a;
      LPCITEMIDLIST b;
      bool same;
    } sames[] = {
        {"null and null", nullptr, nullptr, true},
        {"one null", a.Get(), nullptr, false},
        {"other null", nullptr, empty.Get(), false},
        {"the same block", a.Get(), a.Get(), true},
        {"equal bytes", a.Get(), a_again.Get(), true},
        {"same size, other bytes", a.Get(), c.Get(), false},
        {"other size", a.Get(), b.Get(), false},
        {"empty and an item", empty.Get(), a.Get(), false},
    };
    for (const Same& same : sames) {
      SCOPED_TRACE(same.name);
      EXPECT_EQ(shellcore::IdListSame(same.a, same.b), same.same);
    }
  }
  EXPECT_EQ(spy.Outstanding(), 0);
}

TEST(IdListTest, AncestorByBytesWithoutTheShellsTest) {
  shell_test::SavedShellFunctions saved;
  shellcore::Shell32Functions().ILIsParent = nullptr;
  const TIdList empty = MakeIdList({});
  const TIdList a = MakeIdList({{0xA1}});
  const TIdList ab = MakeIdList({{0xA1}, {0xB1}});
  const TIdList abc = MakeIdList({{0xA1}, {0xB1}, {0xC1}});
  const TIdList x = MakeIdList({{0xEE}});
  struct Case {
    const char* name;
    LPCITEMIDLIST parent;
    LPCITEMIDLIST child;
    bool ancestor;
  } cases[] = {
      {"empty above a list", empty.Get(), ab.Get(), true},
      {"empty above itself", empty.Get(), empty.Get(), true},
      {"a list above itself", ab.Get(), ab.Get(), true},
      {"direct parent", a.Get(), ab.Get(), true},
      {"two levels up", a.Get(), abc.Get(), true},
      {"child above parent", abc.Get(), a.Get(), false},
      {"other branch", x.Get(), ab.Get(), false},
      {"no parent list", nullptr, ab.Get(), false},
      {"no child list", a.Get(), nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(shellcore::IdListIsAncestor(c.parent, c.child), c.ancestor);
  }
}

TEST(IdListTest, AncestorThroughTheShellOnRealFolders) {
  ASSERT_NE(shellcore::Shell32Functions().ILIsParent, nullptr);
  test_support::TempDir temp;
  const std::wstring root = shell_test::Wide(temp.Path());
  shell_test::MakeFolder(root + L"\\games");
  shell_test::MakeFolder(root + L"\\other");
  shell_test::WriteFile(root + L"\\games\\pacman.zip");
  const TIdList folder = shell_test::ParsePath(root);
  const TIdList games = shell_test::ParsePath(root + L"\\games");
  const TIdList other = shell_test::ParsePath(root + L"\\other");
  const TIdList rom = shell_test::ParsePath(root + L"\\games\\pacman.zip");
  const TIdList desktop = MakeIdList({});
  ASSERT_TRUE(folder && games && other && rom);
  EXPECT_TRUE(shellcore::IdListIsAncestor(folder.Get(), rom.Get()));
  EXPECT_TRUE(shellcore::IdListIsAncestor(games.Get(), rom.Get()));
  EXPECT_TRUE(shellcore::IdListIsAncestor(desktop.Get(), rom.Get()));
  EXPECT_FALSE(shellcore::IdListIsAncestor(other.Get(), rom.Get()));
  EXPECT_FALSE(shellcore::IdListIsAncestor(rom.Get(), games.Get()));
  EXPECT_FALSE(shellcore::IdListIsAncestor(nullptr, rom.Get()));
  EXPECT_FALSE(shellcore::IdListIsAncestor(folder.Get(), nullptr));
  // The parent of a real list names its folder.
  const TIdList parent = shellcore::IdListParent(rom.Get());
  EXPECT_TRUE(shell_test::SameItem(parent.Get(), games.Get()));
}

TEST(IdListTest, OwnerAndArrayReleaseTheirBlocks) {
  shell_test::AllocatorSpy spy;
  {
    TIdList a = MakeIdList({{1}});
    TIdList b = MakeIdList({{2}});
    TIdList moved = std::move(a);
    EXPECT_FALSE(a);
    b = std::move(moved);  // b's old list goes back to the allocator
    EXPECT_EQ(ListBytes(b.Get()), (Bytes{3, 0, 1, 0, 0}));
    LPITEMIDLIST released = b.Release();
    EXPECT_FALSE(b);
    shellcore::IdListFree(released);
    shellcore::IdListFree(nullptr);
    b.Reset(MakeIdList({{3}}).Release());
    *b.Put() = MakeIdList({{4}}).Release();  // Put frees what it held

    const TIdList c = MakeIdList({{5}});
    const std::vector<LPCITEMIDLIST> lists{b.Get(), c.Get(), b.Get()};
    const shellcore::TIdListArray array = shellcore::IdListArray(&lists);
    ASSERT_TRUE(array);
    ASSERT_EQ(array.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(array.Get()[i], lists[static_cast<size_t>(i)]) << "not copied";
    EXPECT_FALSE(shellcore::IdListArray(nullptr));
    shellcore::IdListArrayFree(nullptr);
  }
  EXPECT_EQ(spy.Outstanding(), 0);
}

}  // namespace

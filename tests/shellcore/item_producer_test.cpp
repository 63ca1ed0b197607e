#include "shellcore/item_producer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com_object.h"
#include "framework/wait_cursor.h"
#include "shellcore/gatherer.h"
#include "shellcore/shell_messages.h"
#include "shellcore/shell_options.h"
#include "tests/shellcore/extension_folder.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/shellcore/test_producer.h"
#include "tests/support/owner_window.h"
#include "tests/support/temp_dir.h"

// mingw-w64 gives IQueryInfo no id for __uuidof (the Windows SDK does).
#if defined(__MINGW32__)
__CRT_UUID_DECL(IQueryInfo, 0x00021500, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
#endif

namespace {

using shell_test::TestProducer;
using shell_test::Wide;
using Names = std::vector<std::wstring>;

class ItemProducerTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = Wide(temp_.Path());
    for (const wchar_t* name : {L"b_dir", L"A_dir"}) shell_test::MakeFolder(root_ + L"\\" + name);
    for (const wchar_t* name : {L"c.nes", L"a.zip", L"B.txt", L".hidden.nes"})
      shell_test::WriteFile(root_ + L"\\" + name);
    shell_test::MakeFolder(root_ + L"\\A_dir\\empty");
    opened_ = shell_test::OpenFolder(root_);
    ASSERT_TRUE(opened_.folder);
  }

  test_support::TempDir temp_;
  std::wstring root_;
  shell_test::OpenedFolder opened_;
};

// A tip of the tests' choosing, handed out in the task allocator's memory as
// the shell does.
class FixedTip : public framework::TInterfacedObject<IQueryInfo> {
 public:
  explicit FixedTip(std::wstring text) : text_(std::move(text)) {}
  HRESULT STDMETHODCALLTYPE GetInfoTip(DWORD, LPWSTR* text) override {
    const size_t bytes = (text_.size() + 1) * sizeof(wchar_t);
    *text = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    memcpy(*text, text_.c_str(), bytes);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetInfoFlags(DWORD* flags) override {
    *flags = 0;
    return S_OK;
  }

 private:
  std::wstring text_;
};

// A real folder that also answers tips (Wine's folders give none).
class TipFolder : public shell_test::ForwardingFolder {
 public:
  TipFolder(IShellFolder* real, std::wstring tip) : ForwardingFolder(real), tip_(std::move(tip)) {}
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT c, PCUITEMID_CHILD_ARRAY a, REFIID i, UINT* r,
                                          void** o) override {
    if (i == IID_IQueryInfo && c == 1) {
      auto tip = framework::MakeInterfaced<FixedTip>(tip_);
      *o = tip.Detach();
      return S_OK;
    }
    return ForwardingFolder::GetUIObjectOf(w, c, a, i, r, o);
  }

 private:
  std::wstring tip_;
};

bool NotZip(shellcore::TcxShellFolder& item) {
  const std::wstring name = shellcore::FileNamePart(item.ParsingName());
  return name.size() < 4 || _wcsicmp(name.c_str() + name.size() - 4, L".zip") != 0;
}

TEST_F(ItemProducerTest, EnumeratesFiltersAndSortsContainersFirst) {
  constexpr DWORD kBoth = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  struct Case {
    const char* what;
    DWORD flags;
    bool (*accept)(shellcore::TcxShellFolder&);
    bool reverse;
    Names expected;
  } cases[] = {
      {"folders and files", kBoth, nullptr, false, {L"A_dir", L"b_dir", L"a.zip", L"B.txt", L"c.nes"}},
      {"reversed", kBoth, nullptr, true, {L"c.nes", L"B.txt", L"a.zip", L"b_dir", L"A_dir"}},
      {"folders only", SHCONTF_FOLDERS, nullptr, false, {L"A_dir", L"b_dir"}},
      {"files only", SHCONTF_NONFOLDERS, nullptr, false, {L"a.zip", L"B.txt", L"c.nes"}},
      {"hidden too",
       kBoth | SHCONTF_INCLUDEHIDDEN,
       nullptr,
       false,
       {L"A_dir", L"b_dir", L".hidden.nes", L"a.zip", L"B.txt", L"c.nes"}},
      {"filter rejects archives", kBoth, NotZip, false, {L"A_dir", L"b_dir", L"B.txt", L"c.nes"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestProducer producer;
    producer.flags = c.flags;
    producer.ReverseOrder = c.reverse;
    if (c.accept) producer.accept = c.accept;
    producer.SetFolder(opened_.folder.Get(), opened_.id.Get());
    ASSERT_TRUE(producer.EnumerateFolder());
    EXPECT_EQ(producer.Names(), c.expected);
    for (int i = 0; i < producer.ItemCount(); ++i) EXPECT_EQ(producer.Item(i)->Producer, &producer);
  }
}

TEST_F(ItemProducerTest, AnInconsistentComparisonStillEndsWithEveryRecordKept) {
  // A comparison that contradicts itself (it answers "first" both ways, and
  // at random) must neither lose records nor run off the list.
  TestProducer producer;
  unsigned seed = 12345;
  producer.compare = [&](shellcore::TcxShellFolder&, shellcore::TcxShellFolder&, int& result) {
    seed = seed * 1103515245 + 12345;
    result = (seed >> 16) % 3 == 0 ? -1 : ((seed >> 16) % 3 == 1 ? 1 : -7);
    return true;
  };
  producer.SetFolder(opened_.folder.Get(), opened_.id.Get());
  for (int i = 0; i < 40; ++i) shell_test::WriteFile(root_ + L"\\more" + std::to_wstring(i) + L".nes");
  ASSERT_TRUE(producer.EnumerateFolder());
  Names names = producer.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names.size(), 45u);
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
  // And an answer that always says "first": the custom order is used as is.
  producer.compare = [](shellcore::TcxShellFolder&, shellcore::TcxShellFolder&, int& result) {
    result = -1;
    return true;
  };
  producer.SortItems();
  EXPECT_EQ(producer.ItemCount(), 45);
}

TEST_F(ItemProducerTest, EmptyOrMissingFoldersAndClear) {
  shell_test::MakeFolder(root_ + L"\\nothing");
  const shell_test::OpenedFolder empty = shell_test::OpenFolder(root_ + L"\\nothing");
  test_support::OwnerWindow owner;
  owner.Create();
  TestProducer producer(&owner);
  EXPECT_FALSE(producer.EnumerateFolder()) << "no folder yet";
  producer.ProcessFolder(empty.folder.Get(), empty.id.Get(), 5);
  EXPECT_EQ(producer.ItemCount(), 0);
  ASSERT_EQ(owner.Count(shellcore::SHELLMSG_ITEMS_LOADED), 1);
  EXPECT_EQ(owner.Messages()[0].wparam, 0u);
  EXPECT_EQ(owner.Messages()[0].lparam, 0);
  EXPECT_GE(producer.Columns().Count(), 1) << "the folder's columns were read";
  EXPECT_EQ(framework::WaitCursorDepth(), 0);
  producer.Clear();
  EXPECT_EQ(producer.FolderInterface(), nullptr);
  EXPECT_EQ(producer.FolderId(), nullptr);
}

TEST_F(ItemProducerTest, PopulatePreloadsTheFirstRecordsAndNotifiesAnExistingWindowOnly) {
  test_support::OwnerWindow owner;  // no window yet
  struct Case {
    int preload;
    int fully_loaded;
  } cases[] = {{0, 0}, {2, 2}, {100, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preload);
    TestProducer producer(&owner);
    producer.ProcessFolder(opened_.folder.Get(), opened_.id.Get(), c.preload);
    ASSERT_EQ(producer.ItemCount(), 5);
    int loaded = 0;
    for (int i = 0; i < producer.ItemCount(); ++i) {
      loaded += producer.Item(i)->FullyLoaded;
      EXPECT_EQ(producer.Item(i)->FullyLoaded, i < c.fully_loaded) << i;
    }
    EXPECT_EQ(loaded, c.fully_loaded);
  }
  EXPECT_TRUE(owner.Messages().empty()) << "dropped while the owner has no window";
  owner.Create();
  TestProducer producer(&owner);
  producer.ProcessFolder(opened_.folder.Get(), opened_.id.Get(), 0);
  producer.NotifyItemRemoved(3);
  producer.NotifyItemAdded(4);
  owner.answer = 7;
  EXPECT_EQ(producer.NotifyItemAdded(5), 7) << "the window's answer comes back";
  ASSERT_EQ(owner.Messages().size(), 4u);
  const std::vector<std::pair<UINT, WPARAM>> expected = {{shellcore::SHELLMSG_ITEMS_LOADED, 5},
                                                         {shellcore::SHELLMSG_ITEM_REMOVED, 3},
                                                         {shellcore::SHELLMSG_ITEM_ADDED, 4},
                                                         {shellcore::SHELLMSG_ITEM_ADDED, 5}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(owner.Messages()[i].message, expected[i].first);
    EXPECT_EQ(owner.Messages()[i].wparam, expected[i].second);
  }
}

TEST_F(ItemProducerTest, IndexOfIdFindsChildrenOnly) {
  TestProducer producer;
  producer.SetFolder(opened_.folder.Get(), opened_.id.Get());
  ASSERT_TRUE(producer.EnumerateFolder());
  for (int i = 0; i < producer.ItemCount(); ++i) {
    const shellcore::TIdList copy = shellcore::IdListClone(producer.Item(i)->RelativeId.Get());
    EXPECT_EQ(producer.IndexOfId(copy.Get()), i);
  }
  const shellcore::TIdList elsewhere = shell_test::ParsePath(root_ + L"\\A_dir\\empty");
  EXPECT_EQ(producer.IndexOfId(shellcore::IdListLastItem(elsewhere.Get())), -1);
}

TEST_F(ItemProducerTest, InfoTipsRespectTheSettingTheIndexAndTheCapacity) {
  TestProducer producer;
  producer.SetFolder(opened_.folder.Get(), opened_.id.Get());
  ASSERT_TRUE(producer.EnumerateFolder());
  wchar_t buffer[8];
  producer.tips = false;
  wmemset(buffer, L'x', 8);
  producer.GetInfoTip(nullptr, 0, 8, buffer);
  EXPECT_STREQ(buffer, L"");
  producer.tips = true;
  for (int index : {-1, producer.ItemCount(), producer.ItemCount() + 3}) {
    wmemset(buffer, L'x', 8);
    producer.GetInfoTip(nullptr, index, 8, buffer);
    EXPECT_EQ(std::wstring(buffer, 8), std::wstring(8, L'x')) << index;
  }
  // Wide text end to end: characters of any script stay; a tip longer than
  // the buffer is cut with its terminator inside the capacity, never between
  // the halves of a surrogate pair.
  const std::wstring tip = L"\u9b42\u6597\u7f57 ROM \U0001F3AE!";  // ... "ROM ", a pair, "!"
  TestProducer tipped;
  tipped.SetFolder(framework::MakeInterfaced<TipFolder>(opened_.folder.Get(), tip).Get(), opened_.id.Get());
  ASSERT_TRUE(tipped.EnumerateFolder());
  struct Case {
    int capacity;
    std::wstring expected;
  } cases[] = {
      {64, tip}, {12, tip}, {11, tip.substr(0, 10)}, {10, tip.substr(0, 8)} /* no half pair */,
      {9, tip.substr(0, 8)}, {1, L""},
  };
  for (const Case& c : cases) {
    std::vector<wchar_t> out(static_cast<size_t>(c.capacity) + 4, L'x');
    tipped.GetInfoTip(nullptr, 0, c.capacity, out.data());
    EXPECT_EQ(std::wstring(out.data()), c.expected) << c.capacity;
    EXPECT_EQ(out[static_cast<size_t>(c.capacity)], L'x') << "nothing written past the capacity";
  }
}

TEST_F(ItemProducerTest, ClearWithdrawsTheRecordsFromTheGatherer) {
  shellcore::TcxShellItemsInfoGatherer gatherer(nullptr);
  TestProducer producer(nullptr, &gatherer);
  TestProducer other(nullptr, &gatherer);
  producer.ProcessFolder(opened_.folder.Get(), opened_.id.Get(), 0);
  other.ProcessFolder(opened_.folder.Get(), opened_.id.Get(), 0);
  gatherer.PauseFetching();
  gatherer.RequestItems({producer.Item(0), other.Item(0), producer.Item(0), producer.Item(1)});
  gatherer.ResumeFetching();
  producer.Clear();
  for (shellcore::TcxShellItemInfo* item : gatherer.QueuedItems()) EXPECT_EQ(item->Producer, &other);
  for (shellcore::TcxShellItemInfo* item : gatherer.DoneList()) EXPECT_EQ(item->Producer, &other);
  EXPECT_EQ(producer.ItemCount(), 0);
  EXPECT_EQ(gatherer.PauseDepth(), 0);
}

}  // namespace

// The tree and its worker: records leave the worker before they are freed,
// a fill that stopped part-way is tried again cleanly, and the tree goes
// cleanly while the worker reports a failure.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/application.h"
#include "tests/shelltree/tree_fixture.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/watchdog.h"

namespace tree_test {
namespace {

using shellcore::TcxShellItemInfo;

// An inner tree whose producers run a hook of the test on the worker just
// before each background fetch.
class HookedTree : public shelltree::TcxInnerShellTreeView {
 public:
  std::function<void(TcxShellItemInfo*)> before_fetch;
  std::atomic<int> fetches_finished{0};

 protected:
  std::unique_ptr<shelltree::TcxShellTreeItemProducer> CreateProducer() override;
};

class HookedProducer : public shelltree::TcxShellTreeItemProducer {
 public:
  explicit HookedProducer(HookedTree* tree) : TcxShellTreeItemProducer(tree), tree_(tree) {}
  ~HookedProducer() override { ReleaseResources(); }
  void FetchInBackground(TcxShellItemInfo* item) override {
    if (tree_->before_fetch) tree_->before_fetch(item);
    TcxShellTreeItemProducer::FetchInBackground(item);
    ++tree_->fetches_finished;
  }

 private:
  HookedTree* tree_;
};

std::unique_ptr<shelltree::TcxShellTreeItemProducer> HookedTree::CreateProducer() {
  return std::make_unique<HookedProducer>(this);
}

std::unique_ptr<TestTreeView> HookedControl() {
  return std::make_unique<TestTreeView>([] { return std::make_unique<HookedTree>(); });
}

// Holds the worker inside the fetch of one record until released.
class FetchGate {
 public:
  FetchGate() : inside_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), open_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~FetchGate() {
    SetEvent(open_);
    CloseHandle(inside_);
    CloseHandle(open_);
  }
  void Hold(TcxShellItemInfo* item) { target_ = item; }
  // On the worker.
  void Pass(TcxShellItemInfo* item) {
    if (item != target_) return;
    SetEvent(inside_);
    WaitForSingleObject(open_, 20000);
  }
  bool WaitInside() { return WaitForSingleObject(inside_, 10000) == WAIT_OBJECT_0; }
  // Opens the gate a moment later, from another thread, and notes when.
  std::thread OpenSoon(std::atomic<bool>& opened) {
    return std::thread([this, &opened] {
      Sleep(100);
      opened = true;
      SetEvent(open_);
    });
  }

 private:
  HANDLE inside_;
  HANDLE open_;
  std::atomic<TcxShellItemInfo*> target_{nullptr};
};

bool Listed(const std::vector<TcxShellItemInfo*>& list, const TcxShellItemInfo* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(TreeWorker, NodesGoOnlyAfterTheWorkerLeftTheirRecordsAlsoRecordsFromAMerge) {
  test_support::Watchdog watchdog("tree worker test", 60000);
  TreeFixture fixture(true, HookedControl());
  MakeFolder(fixture.Join(L"Doomed"));
  MakeFile(fixture.Join(L"Doomed\\a.zip"));
  MakeFolder(fixture.Join(L"Merged"));
  fixture.Show();
  auto& tree = static_cast<HookedTree&>(fixture.Tree());
  FetchGate gate;
  tree.before_fetch = [&](TcxShellItemInfo* item) { gate.Pass(item); };
  const TTreeNode root = tree.FirstNode();
  tree.Expand(root);

  // A node deleted while the worker is inside the fetch of a record of its
  // producer.
  const TTreeNode doomed = fixture.Child(root, L"Doomed");
  tree.Expand(doomed);
  TcxShellItemInfo* held = tree.ProducerOf(doomed)->Item(0);
  gate.Hold(held);
  held->FullyLoaded = false;  // the worker fetches it again
  tree.Gatherer().RequestItem(held);
  ASSERT_TRUE(gate.WaitInside());
  std::atomic<bool> opened{false};
  std::thread opener = gate.OpenSoon(opened);
  const int finished = tree.fetches_finished;
  tree.Delete(doomed);
  EXPECT_TRUE(opened) << "the deletion waited for the fetch in hand";
  EXPECT_EQ(tree.fetches_finished, finished + 1);
  EXPECT_FALSE(Listed(tree.Gatherer().DoneList(), held)) << "the freed record left the done list";
  EXPECT_FALSE(Listed(tree.Gatherer().QueuedItems(), held));
  opener.join();

  // A node whose only records came from a merge, refreshed while the worker
  // is inside the fetch of one of them.
  FetchGate merge_gate;
  tree.before_fetch = [&](TcxShellItemInfo* item) { merge_gate.Pass(item); };
  const TTreeNode merged = fixture.Child(root, L"Merged");
  tree.Expand(merged);
  ASSERT_EQ(tree.ChildCount(merged), 0);
  MakeFile(fixture.Join(L"Merged\\new.zip"));
  tree.RefreshNode(merged);
  ASSERT_EQ(tree.ChildCount(merged), 1);
  TcxShellItemInfo* appended = tree.ProducerOf(merged)->Item(0);
  merge_gate.Hold(appended);
  tree.Gatherer().RequestItem(appended);
  ASSERT_TRUE(merge_gate.WaitInside());
  DeleteFileW(fixture.Join(L"Merged\\new.zip").c_str());
  std::atomic<bool> merge_opened{false};
  std::thread merge_opener = merge_gate.OpenSoon(merge_opened);
  tree.RefreshNode(merged);
  EXPECT_TRUE(merge_opened) << "the refresh waited for the fetch in hand";
  EXPECT_EQ(tree.ChildCount(merged), 0);
  EXPECT_FALSE(Listed(tree.Gatherer().DoneList(), appended));
  merge_opener.join();

  // The same records through the producer's own destruction.
  MakeFile(fixture.Join(L"Merged\\again.zip"));
  tree.RefreshNode(merged);
  ASSERT_EQ(tree.ChildCount(merged), 1);
  FetchGate last_gate;
  tree.before_fetch = [&](TcxShellItemInfo* item) { last_gate.Pass(item); };
  TcxShellItemInfo* again = tree.ProducerOf(merged)->Item(0);
  last_gate.Hold(again);
  tree.Gatherer().RequestItem(again);
  ASSERT_TRUE(last_gate.WaitInside());
  std::atomic<bool> last_opened{false};
  std::thread last_opener = last_gate.OpenSoon(last_opened);
  tree.Delete(merged);
  EXPECT_TRUE(last_opened);
  EXPECT_FALSE(Listed(tree.Gatherer().DoneList(), again));
  last_opener.join();
  EXPECT_TRUE(RunUntil([&] { return tree.Gatherer().DoneList().empty(); }));
}

TEST(TreeWorker, ARenameWaitsForTheWorkerInsideAFetchOfTheSameProducer) {
  test_support::Watchdog watchdog("tree rename test", 60000);
  TreeFixture fixture(true, HookedControl());
  for (const wchar_t* name : {L"a.zip", L"b.zip"}) MakeFile(fixture.Join(name));
  fixture.Show();
  auto& tree = static_cast<HookedTree&>(fixture.Tree());
  const TTreeNode root = tree.FirstNode();
  ASSERT_TRUE(RunUntil([&] { return !tree.Gatherer().HasDoneItems() && tree.Gatherer().QueuedItems().empty(); }));
  FetchGate gate;
  tree.before_fetch = [&](TcxShellItemInfo* item) { gate.Pass(item); };
  TcxShellItemInfo* fetched = tree.ItemOfNode(fixture.Child(root, L"a.zip"));
  fetched->FullyLoaded = false;
  gate.Hold(fetched);
  tree.Gatherer().RequestItem(fetched);
  ASSERT_TRUE(gate.WaitInside());
  std::atomic<bool> opened{false};
  std::thread opener = gate.OpenSoon(opened);
  const TTreeNode b = fixture.Child(root, L"b.zip");
  tree.ItemOfNode(b)->FullyLoaded = false;  // its details are fetched for the check, under the write lock
  const HWND edit = TreeView_EditLabel(tree.Handle(), b);
  EXPECT_TRUE(opened) << "the check waited for the worker's read of the same producer";
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"c.zip");
  TreeView_EndEditLabelNow(tree.Handle(), FALSE);
  opener.join();
  EXPECT_EQ(tree.Text(b), L"c.zip");
  EXPECT_NE(GetFileAttributesW(fixture.Join(L"c.zip").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(TreeWorker, AFillThatStoppedPartWayIsTriedAgainWithoutDuplicates) {
  TreeFixture fixture;
  MakeFolder(fixture.Join(L"Roms"));
  for (const wchar_t* name : {L"a.zip", L"b.zip", L"c.zip"}) MakeFile(fixture.Join(L"Roms\\") + name);
  fixture.Show();
  auto& control = fixture.Control();
  auto& tree = fixture.Tree();
  const TTreeNode roms = fixture.Child(tree.FirstNode(), L"Roms");
  ASSERT_NE(roms, nullptr);
  bool fail = true;
  control.OnAddFolder = [&](framework::TControl*, shellcore::TcxShellFolder& folder, bool&) {
    if (fail && folder.InFolderParsingName() == L"b.zip") throw framework::Exception(L"not now");
  };
  EXPECT_THROW(tree.Expand(roms), framework::Exception);
  EXPECT_EQ(tree.ChildCount(roms), 0);

  fail = false;
  tree.Expand(roms);
  EXPECT_EQ(fixture.ChildTexts(roms), (std::vector<std::wstring>{L"a.zip", L"b.zip", L"c.zip"}));
  EXPECT_EQ(tree.ProducerOf(roms)->ItemCount(), 3);
}

TEST(TreeWorker, TheTreeGoesCleanlyWhileItsWorkerReportsAFailure) {
  test_support::Watchdog watchdog("tree destruction test", 60000);
  TreeFixture fixture(true, HookedControl());
  for (int i = 0; i < 5; ++i) MakeFolder(fixture.Join(L"Folder" + std::to_wstring(i)));
  fixture.Show();
  auto& tree = static_cast<HookedTree&>(fixture.Tree());
  FetchGate gate;
  TcxShellItemInfo* failing = nullptr;
  tree.before_fetch = [&](TcxShellItemInfo* item) {
    gate.Pass(item);
    if (item == failing) throw framework::Exception(L"fetch failed");
  };
  const TTreeNode root = tree.FirstNode();
  tree.Expand(root);
  ASSERT_TRUE(RunUntil([&] { return tree.Gatherer().QueuedItems().empty() && tree.Gatherer().DoneList().empty(); }));
  failing = tree.ItemOfNode(fixture.Child(root, L"Folder2"));
  failing->FullyLoaded = false;
  gate.Hold(failing);
  tree.Gatherer().RequestItem(failing);
  ASSERT_TRUE(gate.WaitInside());
  // Posted work for the tree that the failure's message box would deliver.
  fixture.Control().SetChangeDelay(1);
  tree.Select(fixture.Child(root, L"Folder3"));
  PostMessageW(tree.Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(fixture.Child(root, L"Folder4")));

  MessageBoxWatcher watcher;
  std::atomic<bool> opened{false};
  std::thread opener = gate.OpenSoon(opened);
  fixture.DestroyControl();
  opener.join();
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_NE(watcher.Seen()[0].text.find(L"fetch failed"), std::wstring::npos);
  Pump();
}

}  // namespace
}  // namespace tree_test

#include "framework/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/thread.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/watchdog.h"

namespace {

TEST(ApplicationTitle, IsTheFileNameCutAtItsFirstDotWithTheRestLowered) {
  const struct {
    const wchar_t* path;
    const wchar_t* title;
  } cases[] = {
      {L"C:\\Tools\\GameListTool.EXE", L"Gamelisttool"},
      {L"C:\\Tools\\gameListTool.exe", L"gamelisttool"},
      {L"C:\\Tools\\GAMELIST", L"Gamelist"},
      {L"D:\\a.b\\My.Tool.v2.exe", L"My"},
      {L"ROMS.EXE", L"Roms"},
      {L"\\\\server\\share\\X.exe", L"X"},
      {L"C:\\工具\\游戏列表Tool.exe", L"游戏列表tool"},
      {L"C:\\Tools\\.hidden.exe", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(framework::ApplicationTitleFromPath(c.path), c.title) << c.path;
}

TEST(ApplicationTitle, NamesTheHiddenOwnerWindow) {
  ASSERT_NE(framework::Application, nullptr);
  wchar_t text[256];
  GetWindowTextW(framework::Application->Handle(), text, 256);
  EXPECT_EQ(text, framework::Application->Title());
  EXPECT_EQ(framework::Application->Title(), L"app_tests");  // app_tests.exe: first character kept
  EXPECT_EQ(GetWindow(framework::Application->Handle(), GW_OWNER), nullptr);
  EXPECT_NE(framework::Application->Icon(), nullptr) << "MAINICON is loaded";
}

TEST(FullStop, IsAddedWhenTheLastCharacterSortsAfterADot) {
  const struct {
    const wchar_t* message;
    const wchar_t* shown;
  } cases[] = {
      {L"Access denied", L"Access denied."},
      {L"Error 5", L"Error 5."},
      {L"Path:", L"Path:."},
      {L"写入失败", L"写入失败."},
      {L"Done.", L"Done."},
      {L"Stop!", L"Stop!"},
      {L"(see log)", L"(see log)"},
      {L"trailing blank ", L"trailing blank "},
      {L"line break\r\n", L"line break\r\n"},
      {L"a-", L"a-"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(framework::WithFullStop(c.message), c.shown) << c.message;
}

class TPlainForm : public framework::TForm {
 public:
  TPlainForm() : framework::TForm(Description()) {}

 private:
  static framework::TFormDescription Description() {
    framework::TFormDescription description;
    description.caption = L"plain";
    description.width = 200;
    description.height = 100;
    description.font_name = L"Tahoma";
    return description;
  }
};

// An exception that leaves a handler is shown (or, for the silent abort,
// dropped), capture is cancelled, and the program goes on.
TEST(DefaultExceptionDisplay, ShowsWhatLeavesAHandlerAndDropsTheSilentAbort) {
  TPlainForm form;
  form.Show(SW_SHOWNORMAL);
  const struct {
    const char* what;
    std::function<void()> handler;
    std::vector<std::wstring> shown;
  } cases[] = {
      {"runtime error", [] { throw std::runtime_error("Cannot open the file"); }, {L"Cannot open the file."}},
      {"wide message", [] { throw framework::Exception(L"无法写入"); }, {L"无法写入."}},
      {"message ending in a full stop", [] { throw std::runtime_error("Disk full."); }, {L"Disk full."}},
      {"silent abort", [] { framework::Abort(); }, {}},
  };
  for (const auto& c : cases) {
    SetCapture(form.Handle());
    MessageBoxWatcher watcher(form.Handle());
    framework::RunHandler(c.handler);
    EXPECT_EQ(GetCapture(), nullptr) << c.what;
    std::vector<std::wstring> texts;
    for (const SeenMessageBox& box : watcher.Seen()) {
      texts.push_back(box.text);
      EXPECT_EQ(box.caption, framework::Application->Title()) << c.what;
      EXPECT_EQ(box.owner, framework::Application->Handle()) << c.what;
      EXPECT_FALSE(box.watched_window_enabled) << c.what << ": the other windows are disabled meanwhile";
    }
    EXPECT_EQ(texts, c.shown) << c.what;
    EXPECT_TRUE(IsWindowEnabled(form.Handle())) << c.what;
  }
}

TEST(MessageLoop, CallsIdleHandlersUntilTheyAreDoneAndEndsOnTerminate) {
  int calls = 0;
  const int id = framework::Application->AddIdleHandler([&] {
    ++calls;
    // Not done the first time: called again at once. Done the second time:
    // the loop waits, and the message posted here wakes it for a third call.
    if (calls == 2) PostMessageW(framework::Application->Handle(), WM_NULL, 0, 0);
    if (calls == 3) framework::Application->Terminate();
    return calls != 1;
  });
  framework::Application->Run();
  framework::Application->RemoveIdleHandler(id);
  EXPECT_EQ(calls, 3);
}

TEST(MessageLoop, ServesAWorkersSynchronizedCallsWhileItWaits) {
  // The loop sleeps in its wait with nothing queued; the worker's call must
  // wake it.
  test_support::Watchdog watchdog("the message loop serving a worker", 60000);
  class Worker : public framework::TThread {
   public:
    std::vector<DWORD> ran_on;
    ~Worker() override { WaitFor(); }

   protected:
    void Execute() override {
      Sleep(100);  // the loop is idle by now
      Synchronize([this] { ran_on.push_back(GetCurrentThreadId()); });
      Synchronize([this] {
        ran_on.push_back(GetCurrentThreadId());
        framework::Application->Terminate();
      });
    }
  } worker;
  worker.Start();
  framework::Application->Run();
  worker.WaitFor();
  EXPECT_EQ(worker.ran_on, (std::vector<DWORD>{GetCurrentThreadId(), GetCurrentThreadId()}));
}

}  // namespace

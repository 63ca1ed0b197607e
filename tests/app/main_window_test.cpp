#include "app/main.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "framework/application.h"
#include "gamelist/text.h"
#include "shellcore/id_list.h"
#include "shellcore/shell_access.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_clicks.h"

namespace {

// The height of "0" in the window's font as this machine draws it: every
// design position and size is scaled by it / 12 (13 / 12 under Wine's Ming face).
int ZeroHeight() {
  LOGFONTW font{};
  font.lfHeight = -12;
  font.lfCharSet = GB2312_CHARSET;
  lstrcpyW(font.lfFaceName, L"宋体");
  const HFONT handle = CreateFontIndirectW(&font);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, handle);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"0", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(handle);
  return size.cy;
}

int S(int design) { return MulDiv(design, ZeroHeight(), 12); }

RECT Bounds(HWND control) {
  RECT bounds;
  GetWindowRect(control, &bounds);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512];
  GetWindowTextW(window, text, 512);
  return text;
}

void ExpectBounds(HWND control, int left, int top, int width, int height, const char* name) {
  const RECT r = Bounds(control);
  EXPECT_EQ(r.left, left) << name;
  EXPECT_EQ(r.top, top) << name;
  EXPECT_EQ(r.right - r.left, width) << name;
  EXPECT_EQ(r.bottom - r.top, height) << name;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    output_ = std::filesystem::path(TForm1::OutputPath());
    RemoveOutput();
    form_ = std::make_unique<TForm1>();
    Form1 = form_.get();
    form_->Show(SW_SHOWNORMAL);
    framework::Application->ProcessMessages();
  }
  void TearDown() override {
    Form1 = nullptr;
    form_.reset();
    RemoveOutput();
  }
  void RemoveOutput() {
    std::error_code code;
    std::filesystem::remove_all(output_, code);
  }
  // Presses a button as a click does, through the message queue and loop.
  void Press(framework::TButton& button) {
    PostMessageW(button.Handle(), BM_CLICK, 0, 0);
    framework::Application->ProcessMessages();
  }

  std::filesystem::path output_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindow, HasEveryControlWithItsTextAndScaledGeometry) {
  TForm1& form = *form_;
  EXPECT_EQ(TextOf(form.Handle()), L"KELMORAN gamelist.xml辅助生成工具 By toshvan8 20210430");
  RECT outer;
  GetWindowRect(form.Handle(), &outer);
  EXPECT_EQ(outer.right - outer.left, S(640));
  EXPECT_EQ(outer.bottom - outer.top, S(600));
  // Centred on the desktop of all monitors, from its origin.
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - S(640)) / 2 + GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - S(600)) / 2 + GetSystemMetrics(SM_YVIRTUALSCREEN));

  const LONG style = GetWindowLongW(form.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), framework::Application->Handle());
  EXPECT_EQ(GetClassLongPtrW(form.Handle(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
  EXPECT_NE(SendMessageW(form.Handle(), WM_GETICON, ICON_BIG, 0), 0);

  LOGFONTW font{};
  GetObjectW(form.Font(), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"宋体");
  EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
  EXPECT_EQ(font.lfHeight, -12);
  for (HWND control : {form.lbl1.Handle(), form.Button1.Handle(), form.lst1.Handle(), form.btn1.Handle()})
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), form.Font());

  // The label is sized to its text in the window's font.
  const HDC dc = GetDC(form.lbl1.Handle());
  const HGDIOBJ old = SelectObject(dc, form.Font());
  SIZE label{};
  const std::wstring caption = L"请选择ROM路径：";
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &label);
  SelectObject(dc, old);
  ReleaseDC(form.lbl1.Handle(), dc);

  EXPECT_EQ(TextOf(form.lbl1.Handle()), caption);
  ExpectBounds(form.lbl1.Handle(), S(10), S(8), label.cx, label.cy, "lbl1");
  ExpectBounds(form.img1.Handle(), S(279), S(496), 300, 50, "img1 at the picture's natural size");
  EXPECT_EQ(TextOf(form.Button1.Handle()), L"执行");
  ExpectBounds(form.Button1.Handle(), S(48), S(512), S(75), S(25), "Button1");
  ExpectBounds(form.lst1.Handle(), S(412), S(32), S(200), S(449), "lst1, not shrunk to whole lines");
  EXPECT_EQ(TextOf(form.btn1.Handle()), L"退出");
  ExpectBounds(form.btn1.Handle(), S(152), S(512), S(75), S(25), "btn1");
  ExpectBounds(form.cxShellTreeView1.Handle(), S(8), S(32), S(397), S(449), "cxShellTreeView1");
  EXPECT_EQ(form.cxShellTreeView1.Indent(), 19);
  EXPECT_TRUE(form.cxShellTreeView1.RightClickSelect());
  EXPECT_EQ(form.cxShellTreeView1.Root().BrowseFolder(), shellcore::bfDesktop);
  EXPECT_NE(form.cxShellTreeView1.Tree().FirstNode(), nullptr) << "the desktop root node is built";

  const LONG list_style = GetWindowLongW(form.lst1.Handle(), GWL_STYLE);
  EXPECT_FALSE(list_style & LBS_SORT);
  EXPECT_FALSE(list_style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
  EXPECT_EQ(SendMessageW(form.lst1.Handle(), LB_GETITEMHEIGHT, 0, 0), S(12));
  EXPECT_FALSE(form.XMLDocument1.Active());
}

TEST_F(MainWindow, StartsWithTheFocusOnExecuteAndTabsInOrder) {
  TForm1& form = *form_;
  EXPECT_EQ(GetFocus(), form.Button1.Handle());
  const HWND order[] = {form.Button1.Handle(), form.lst1.Handle(), form.cxShellTreeView1.Tree().Handle(),
                        form.btn1.Handle(), form.Button1.Handle()};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    framework::Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), order[i + 1]) << "after " << i + 1 << " tab(s)";
  }
  for (HWND never : {form.lbl1.Handle(), form.img1.Handle()})
    EXPECT_FALSE(GetWindowLongW(never, GWL_STYLE) & WS_TABSTOP);
}

TEST_F(MainWindow, EnterOrSpaceRightAfterStartRunsExecute) {
  const struct {
    const char* key;
    std::vector<UINT> messages;
    WPARAM code;
  } keys[] = {
      {"Enter", {WM_KEYDOWN}, VK_RETURN},
      {"Space", {WM_KEYDOWN, WM_KEYUP}, VK_SPACE},
  };
  for (const auto& key : keys) {
    TearDown();
    SetUp();
    MessageBoxWatcher watcher;
    for (UINT message : key.messages) {
      PostMessageW(GetFocus(), message, key.code, message == WM_KEYUP ? 0xC0000001 : 1);
      framework::Application->ProcessMessages();
    }
    ASSERT_EQ(watcher.Seen().size(), 1u) << key.key;
    EXPECT_EQ(watcher.Seen()[0].text, L"成功生成gamelist.xml文件") << key.key;
    EXPECT_EQ(test_support::ReadBytes(test_support::Utf8Path(output_)),
              "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<gameList/>\r\n")
        << key.key;
  }
}

TEST_F(MainWindow, ExecuteWritesTheListNextToTheProgramAndConfirms) {
  TForm1& form = *form_;
  form.lst1.Add(L"Alpha.zip");
  form.lst1.Add(L"魂斗罗.zip");
  MessageBoxWatcher watcher(form.Handle());
  Press(form.Button1);
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].caption, L"提示");
  EXPECT_EQ(watcher.Seen()[0].text, L"成功生成gamelist.xml文件");
  EXPECT_EQ(watcher.Seen()[0].owner, form.Handle());
  EXPECT_FALSE(watcher.Seen()[0].watched_window_enabled) << "the window is disabled while the box is open";
  EXPECT_EQ(test_support::ReadBytes(test_support::Utf8Path(output_)),
            "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
            "<gameList>\r\n"
            "  <game>\r\n"
            "    <path>./Alpha.zip</path>\r\n"
            "    <name>Alpha</name>\r\n"
            "    <image>./images/Alpha.png</image>\r\n"
            "    <video>./videos/Alpha.mp4</video>\r\n"
            "  </game>\r\n"
            "  <game>\r\n"
            "    <path>./\xBB\xEA\xB6\xB7\xC2\xDE.zip</path>\r\n"
            "    <name>\xBB\xEA\xB6\xB7\xC2\xDE</name>\r\n"
            "    <image>./images/\xBB\xEA\xB6\xB7\xC2\xDE.png</image>\r\n"
            "    <video>./videos/\xBB\xEA\xB6\xB7\xC2\xDE.mp4</video>\r\n"
            "  </game>\r\n"
            "</gameList>\r\n");
  EXPECT_FALSE(form.XMLDocument1.Active());
  EXPECT_EQ(form.lst1.Count(), 2) << "Execute never changes the list";
}

// A failed save goes to the default display; once its cause is gone the next
// press succeeds, because the failed one released the document.
TEST_F(MainWindow, AFailedSaveIsShownAndTheNextPressStartsClean) {
  TForm1& form = *form_;
  form.lst1.Add(L"Beta.zip");
  std::filesystem::create_directory(output_);  // a folder where the file should go
  {
    MessageBoxWatcher watcher(form.Handle());
    Press(form.Button1);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    const SeenMessageBox& box = watcher.Seen()[0];
    EXPECT_EQ(box.caption, framework::Application->Title());
    EXPECT_EQ(box.owner, framework::Application->Handle());
    EXPECT_NE(box.text.find(L"gamelist.xml"), std::wstring::npos) << "names the file";
    EXPECT_NE(box.text.find(L"folder"), std::wstring::npos) << "says why";
    EXPECT_EQ(box.text.back(), L'.');
    EXPECT_FALSE(box.watched_window_enabled);
  }
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));
  EXPECT_EQ(GetFocus(), form.Button1.Handle()) << "the focus comes back";
  EXPECT_FALSE(form.XMLDocument1.Active());

  std::filesystem::remove(output_);
  MessageBoxWatcher watcher;
  Press(form.Button1);
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"成功生成gamelist.xml文件");
  const std::string bytes = test_support::ReadBytes(test_support::Utf8Path(output_));
  EXPECT_NE(bytes.find("<name>Beta</name>"), std::string::npos);
  EXPECT_EQ(bytes.find("<gameList>", bytes.find("<gameList>") + 1), std::string::npos) << "one root element";
}

// Exit, the close button, Alt+F4 and the system menu's Close all end the
// loop, asking nothing and writing nothing.
TEST_F(MainWindow, ExitAndCloseEndTheLoopWithNothingWritten) {
  const struct {
    const char* how;
    std::function<void(TForm1&)> ask;
  } ways[] = {
      {"Exit", [](TForm1& f) { PostMessageW(f.btn1.Handle(), BM_CLICK, 0, 0); }},
      {"close button / system menu", [](TForm1& f) { PostMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4", [](TForm1& f) { PostMessageW(f.Handle(), WM_SYSKEYDOWN, VK_F4, 1 << 29); }},
  };
  for (const auto& way : ways) {
    TearDown();
    SetUp();
    form_->lst1.Add(L"Alpha.zip");
    MessageBoxWatcher watcher;
    way.ask(*form_);
    framework::Application->Run();  // returns only when the program would end
    EXPECT_TRUE(watcher.Seen().empty()) << way.how;
    EXPECT_FALSE(std::filesystem::exists(output_)) << way.how;
  }
}

std::wstring Wide(const std::string& utf8) {
  const std::u16string wide = gamelist::Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

// The whole job as a user does it: open the ROM folder's parent in the tree,
// click the ROM folder, press Execute.
TEST_F(MainWindow, AClickedFolderIsListedAndExecuteWritesExactlyItsEntries) {
  TForm1& form = *form_;
  test_support::TempDir parent;
  const std::wstring roms = Wide(parent.Join("roms"));
  CreateDirectoryW(roms.c_str(), nullptr);
  for (const wchar_t* name : {L"Alpha (Europe).zip", L"Beta.nes", L"魂斗罗.zip"}) {
    const HANDLE file = CreateFileW((roms + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }
  CreateDirectoryW((roms + L"\\Saves").c_str(), nullptr);   // a plain folder: left out
  CreateDirectoryW((roms + L"\\.hidden").c_str(), nullptr);  // hidden: listed
  const std::vector<std::wstring> expected = {L".hidden", L"Alpha (Europe).zip", L"Beta.nes", L"魂斗罗.zip"};

  auto& tree = form.cxShellTreeView1.Tree();
  const shellcore::TIdList parent_id = shellcore::IdListFromPath(Wide(parent.Path()));
  tree.NavigateTo(parent_id.Get());
  framework::Application->ProcessMessages();
  const HTREEITEM parent_node = tree.Selected();
  ASSERT_NE(parent_node, nullptr);
  tree.Expand(parent_node);
  HTREEITEM roms_node = nullptr;
  for (HTREEITEM node = tree.FirstChild(parent_node); node; node = tree.NextSibling(node))
    if (tree.Text(node) == L"roms") roms_node = node;
  ASSERT_NE(roms_node, nullptr);
  framework::Application->ProcessMessages();

  test_support::ClickTreeNode(tree.Handle(), roms_node);
  framework::Application->ProcessMessages();
  EXPECT_EQ(tree.Selected(), roms_node);
  std::vector<std::wstring> listed;
  for (int i = 0; i < form.lst1.Count(); ++i) listed.push_back(form.lst1.Item(i));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, expected);

  MessageBoxWatcher watcher;
  Press(form.Button1);
  ASSERT_EQ(watcher.Seen().size(), 1u);
  const std::string bytes = test_support::ReadBytes(test_support::Utf8Path(output_));
  size_t games = 0;
  for (size_t at = bytes.find("<game>"); at != std::string::npos; at = bytes.find("<game>", at + 1)) ++games;
  EXPECT_EQ(games, expected.size());
  EXPECT_NE(bytes.find("<path>./Alpha (Europe).zip</path>"), std::string::npos);
  EXPECT_NE(bytes.find("<path>./Beta.nes</path>"), std::string::npos);
  EXPECT_NE(bytes.find("<path>./.hidden</path>"), std::string::npos);
  EXPECT_NE(bytes.find("<path>./\xBB\xEA\xB6\xB7\xC2\xDE.zip</path>"), std::string::npos);
  EXPECT_EQ(bytes.find("Saves"), std::string::npos);

  // An item outside the file system lists nothing, rather than some drive.
  shellcore::TIdList computer;
  SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Put());
  tree.NavigateTo(computer.Get());
  framework::Application->ProcessMessages();
  ASSERT_NE(tree.Selected(), nullptr);
  test_support::ClickTreeNode(tree.Handle(), tree.Selected());
  framework::Application->ProcessMessages();
  EXPECT_EQ(form.cxShellTreeView1.Path(), L"");
  EXPECT_EQ(form.lst1.Count(), 0);
}

// Keys belong to the focused control: Enter and Escape in the tree's label
// editor end the edit and never press Execute.
TEST_F(MainWindow, EnterAndEscapeInTheLabelEditorEndTheEditOnly) {
  TForm1& form = *form_;
  test_support::TempDir folder;
  const std::wstring path = Wide(folder.Path());
  const HANDLE file = CreateFileW((path + L"\\old.zip").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  auto& tree = form.cxShellTreeView1.Tree();
  const shellcore::TIdList id = shellcore::IdListFromPath(path);
  tree.NavigateTo(id.Get());
  framework::Application->ProcessMessages();
  tree.Expand(tree.Selected());
  const HTREEITEM node = tree.FirstChild(tree.Selected());
  ASSERT_NE(node, nullptr);

  const struct {
    const char* key_name;
    WPARAM key;
    const wchar_t* typed;
    const wchar_t* after;
  } keys[] = {{"Escape", VK_ESCAPE, L"dropped.zip", L"old.zip"}, {"Enter", VK_RETURN, L"new.zip", L"new.zip"}};
  for (const auto& k : keys) {
    SetFocus(tree.Handle());
    const HWND edit = TreeView_EditLabel(tree.Handle(), node);
    ASSERT_NE(edit, nullptr) << k.key_name;
    SetWindowTextW(edit, k.typed);
    MessageBoxWatcher watcher;
    PostMessageW(edit, WM_KEYDOWN, k.key, 1);
    framework::Application->ProcessMessages();
    EXPECT_EQ(TreeView_GetEditControl(tree.Handle()), nullptr) << k.key_name << " ends the edit";
    EXPECT_TRUE(watcher.Seen().empty()) << k.key_name << " pressed nothing";
    EXPECT_FALSE(std::filesystem::exists(output_)) << k.key_name;
    EXPECT_EQ(tree.Text(node), k.after) << k.key_name;
    EXPECT_NE(GetFileAttributesW((path + L"\\" + k.after).c_str()), INVALID_FILE_ATTRIBUTES) << k.key_name;
  }
}

TEST_F(MainWindow, ResizingAndMaximisingMoveNoControl) {
  TForm1& form = *form_;
  std::vector<RECT> before;
  const HWND controls[] = {form.lbl1.Handle(), form.img1.Handle(), form.Button1.Handle(), form.lst1.Handle(),
                           form.cxShellTreeView1.Handle(), form.btn1.Handle()};
  for (HWND control : controls) before.push_back(Bounds(control));
  SetWindowPos(form.Handle(), nullptr, 0, 0, S(900), S(800), SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(form.Handle(), SW_MAXIMIZE);
  SetWindowPos(form.Handle(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
  framework::Application->ProcessMessages();
  for (std::size_t i = 0; i < std::size(controls); ++i) {
    const RECT after = Bounds(controls[i]);
    EXPECT_TRUE(EqualRect(&before[i], &after)) << "control " << i;
  }
}

TEST(MainWindowStart, FollowsTheLaunchersRequest) {
  const struct {
    int show_command;
    bool maximised;
    bool minimised;
  } cases[] = {
      {SW_SHOWMAXIMIZED, true, false}, {SW_SHOWMINNOACTIVE, false, true}, {SW_SHOWNORMAL, false, false},
      {SW_SHOWDEFAULT, false, false},  {SW_SHOWMINIMIZED, false, false},
  };
  for (const auto& c : cases) {
    TForm1 form;
    form.Show(c.show_command);
    EXPECT_EQ(IsZoomed(form.Handle()) != FALSE, c.maximised) << c.show_command;
    EXPECT_EQ(IsIconic(form.Handle()) != FALSE, c.minimised) << c.show_command;
  }
}

}  // namespace

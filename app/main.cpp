#include "app/main.h"

#include <windows.h>

#include <vector>

#include "framework/application.h"
#include "gamelist/generate.h"
#include "gamelist/rom_folder.h"
#include "gamelist/text.h"

TForm1* Form1 = nullptr;

namespace {

framework::TFormDescription Form1Description() {
  framework::TFormDescription description;
  description.caption = L"KELMORAN gamelist.xml辅助生成工具 By toshvan8 20210430";
  description.width = 640;
  description.height = 600;
  description.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
  description.font_name = L"宋体";
  description.font_charset = GB2312_CHARSET;
  description.font_height = 12;
  return description;
}

std::string ToUtf8(const std::wstring& text) {
  return gamelist::Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::wstring FromUtf8(const std::string& text) {
  const std::u16string wide = gamelist::Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace

TForm1::TForm1()
    : framework::TForm(Form1Description()),
      lbl1(*this, L"请选择ROM路径：", 10, 8),
      img1(*this, L"LOGO", 279, 496),
      Button1(*this, L"执行", 48, 512, 75, 25),
      lst1(*this, 412, 32, 200, 449, 12),
      cxShellTreeView1(*this, 8, 32, 397, 449),
      btn1(*this, L"退出", 152, 512, 75, 25) {
  Button1.OnClick = [this] { Button1Click(&Button1); };
  cxShellTreeView1.SetIndent(19);
  cxShellTreeView1.SetRightClickSelect(true);
  cxShellTreeView1.OnClick = [this](framework::TControl* Sender) { cxShellTreeView1Click(Sender); };
  cxShellTreeView1.Loaded();
  btn1.OnClick = [this] { btn1Click(&btn1); };
}

std::wstring TForm1::OutputPath() {
  std::wstring path = framework::ExecutablePath();
  path.resize(path.find_last_of(L"\\/") + 1);
  return path + L"gamelist.xml";
}

void TForm1::Button1Click(framework::TControl* /*Sender*/) {
  std::vector<std::string> lines;
  const int count = lst1.Count();
  for (int i = 0; i < count; ++i) lines.push_back(ToUtf8(lst1.Item(i)));
  gamelist::GenerateGamelist(XMLDocument1, lines, gamelist::kDefaultEncoding, ToUtf8(OutputPath()));
  MessageBoxW(Handle(), L"成功生成gamelist.xml文件", L"提示", MB_OK | MB_ICONINFORMATION);
  XMLDocument1.SetActive(false);
}

void TForm1::SearchFile(const std::wstring& path) {
  // One repaint at the end: a folder of 100,000 files is listed in a moment
  // instead of minutes under Wine.
  framework::TListBoxUpdate update(lst1);
  // A folder that cannot be listed leaves the list as it is, without a word.
  gamelist::ListRomFolder(ToUtf8(path), [this](const std::string& name) { lst1.Add(FromUtf8(name)); });
}

void TForm1::cxShellTreeView1Click(framework::TControl* /*Sender*/) {
  lst1.Clear();
  const std::wstring path = cxShellTreeView1.Path();
  SearchFile(path);
}

void TForm1::btn1Click(framework::TControl* /*Sender*/) { Close(); }

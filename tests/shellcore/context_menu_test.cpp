// The shell context menu object against a menu handler of the tests' own:
// what it asks the handler for, and which commands it hands back.
#include "shellcore/context_menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/com_object.h"

namespace {

class RecordingMenu : public framework::TInterfacedObject<IContextMenu> {
 public:
  std::vector<UINT> query_flags;
  std::vector<UINT_PTR> invoked_verbs;

  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT flags) override {
    query_flags.push_back(flags);
    InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, first, L"Open");
    InsertMenuW(menu, index + 1, MF_BYPOSITION | MF_STRING, first + 1, L"Copy");
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
  }
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    EXPECT_EQ(info->cbSize, sizeof(CMINVOKECOMMANDINFO));
    EXPECT_EQ(info->nShow, SW_SHOWNORMAL);
    invoked_verbs.push_back(reinterpret_cast<UINT_PTR>(info->lpVerb));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override { return E_NOTIMPL; }
};

class TestMenu : public shellcore::TcxShellCustomContextMenu {
 public:
  HWND OwnerWindowHandle() override { return nullptr; }
  void PopulateMenu() override { InsertShellCommands(); }
};

TEST(ShellContextMenu, CommandsGoToTheShellByOffsetAndShiftAsksForExtendedOnes) {
  const auto handler = framework::MakeInterfaced<RecordingMenu>();
  TestMenu menu;
  menu.ShellMenu = handler;
  menu.PopupMenuHandle = CreatePopupMenu();
  AppendMenuW(menu.PopupMenuHandle, MF_STRING, 1, L"Own");
  menu.InsertShellCommands();
  ASSERT_EQ(GetMenuItemCount(menu.PopupMenuHandle), 3) << "after what the menu held";
  EXPECT_EQ(GetMenuItemID(menu.PopupMenuHandle, 1), shellcore::kFirstShellCommandId);

  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  menu.InsertShellCommands();
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(handler->query_flags, (std::vector<UINT>{CMF_NORMAL, CMF_EXTENDEDVERBS}));

  for (const UINT id : {0u, 1u, 199u, 200u, 201u}) menu.ExecuteCommand(id);
  EXPECT_EQ(handler->invoked_verbs, (std::vector<UINT_PTR>{0, 1})) << "dismissed (0) and own ids go nowhere";
}

}  // namespace

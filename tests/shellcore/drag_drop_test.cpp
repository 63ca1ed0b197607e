#include "shellcore/drag_drop.h"

#include <gtest/gtest.h>

#include "shellcore/shell_folder.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/owner_window.h"
#include "tests/support/temp_dir.h"

namespace {

using Microsoft::WRL::ComPtr;
using shellcore::TcxDragDropSettings;
using shellcore::TcxDropEffectSet;
using shellcore::TcxDropSource;

TEST(DropSourceTest, WhenADragGoesOnDropsOrIsCancelled) {
  test_support::OwnerWindow owner;
  ComPtr<TcxDropSource> source = framework::MakeInterfaced<TcxDropSource>(&owner);
  EXPECT_EQ(source->OwnerControl(), &owner);
  struct Case {
    const char* name;
    BOOL escape;
    DWORD keys;
    HRESULT answer;
  } cases[] = {
      {"left button held", FALSE, MK_LBUTTON, S_OK},
      {"right button held", FALSE, MK_RBUTTON, S_OK},
      {"both buttons held", FALSE, MK_LBUTTON | MK_RBUTTON, S_OK},
      {"button held with shift", FALSE, MK_LBUTTON | MK_SHIFT, S_OK},
      {"buttons released", FALSE, 0, DRAGDROP_S_DROP},
      {"released with control held", FALSE, MK_CONTROL, DRAGDROP_S_DROP},
      {"escape while a button is held", TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {"escape after release", TRUE, 0, DRAGDROP_S_CANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.answer);
  }
  for (DWORD effect : std::initializer_list<DWORD>{DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_MOVE,
                                                    DROPEFFECT_LINK, DROPEFFECT_SCROLL})
    EXPECT_EQ(source->GiveFeedback(effect), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST(DropSourceTest, DrivesARealDragOfAShellItem) {
  test_support::TempDir temp;
  const std::wstring root = shell_test::Wide(temp.Path());
  shell_test::WriteFile(root + L"\\metroid.nes");
  const shellcore::TIdList item = shell_test::ParsePath(root + L"\\metroid.nes");
  const shellcore::TcxShellFolder folder(item.Get());
  LPCITEMIDLIST child = folder.ChildIdList();
  ComPtr<IDataObject> data;
  ASSERT_EQ(folder.ParentFolder()->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, &data), S_OK);

  ComPtr<TcxDropSource> source = framework::MakeInterfaced<TcxDropSource>(nullptr);
  TcxDragDropSettings settings;
  DWORD effect = 0xFFFF;
  // No button is down here, so the drag ends at once in a drop on nothing.
  EXPECT_EQ(DoDragDrop(data.Get(), source.Get(), settings.AllowedDropEffects(), &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(source->AddRef(), 2u) << "the drag let go of every reference it took";
  source->Release();
}

TEST(DragDropSettingsTest, DefaultsAndEffects) {
  TcxDragDropSettings settings;
  EXPECT_TRUE(settings.AllowDragObjects());
  EXPECT_EQ(settings.DefaultDropEffect(), shellcore::deMove);
  EXPECT_EQ(settings.DropEffect(), (TcxDropEffectSet{shellcore::deCopy, shellcore::deMove, shellcore::deLink}));
  EXPECT_EQ(settings.AllowedDropEffects(), 7u);
  EXPECT_EQ(settings.DefaultDropEffectValue(), 2u);

  struct Default {
    shellcore::TcxDropEffect effect;
    DWORD value;
  } defaults[] = {{shellcore::deCopy, DROPEFFECT_COPY},
                  {shellcore::deMove, DROPEFFECT_MOVE},
                  {shellcore::deLink, DROPEFFECT_LINK},
                  {static_cast<shellcore::TcxDropEffect>(3), DROPEFFECT_NONE}};
  for (const Default& d : defaults) {
    settings.SetDefaultDropEffect(d.effect);
    EXPECT_EQ(settings.DefaultDropEffectValue(), d.value) << int{d.effect};
  }
  struct Allowed {
    TcxDropEffectSet effects;
    DWORD mask;
  } allowed[] = {{{}, DROPEFFECT_NONE},
                 {{shellcore::deCopy}, DROPEFFECT_COPY},
                 {{shellcore::deMove, shellcore::deLink}, DROPEFFECT_MOVE | DROPEFFECT_LINK}};
  for (const Allowed& a : allowed) {
    settings.SetDropEffect(a.effects);
    EXPECT_EQ(settings.AllowedDropEffects(), a.mask) << a.effects.Bits();
  }
}

TEST(DragDropSettingsTest, OnlyAllowDragObjectsReportsAChange) {
  TcxDragDropSettings settings;
  int events = 0;
  settings.OnDragDropSettingsChanged = [&](TcxDragDropSettings& sender) {
    EXPECT_EQ(&sender, &settings);
    ++events;
  };
  settings.SetAllowDragObjects(true);
  EXPECT_EQ(events, 0);
  settings.SetAllowDragObjects(false);
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(settings.AllowDragObjects());
  settings.SetDropEffect({});
  settings.SetDefaultDropEffect(shellcore::deLink);
  EXPECT_EQ(events, 1);
}

}  // namespace

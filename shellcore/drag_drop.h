#pragma once
// The drag source the shell controls hand to DoDragDrop, and the settings
// that say whether and how their items may be dragged. UI thread only.
#include <windows.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>

#include "framework/com_object.h"
#include "framework/enum_set.h"
#include "framework/owner_notify.h"
#include "framework/persistent.h"

namespace shellcore {

// Ends a drag with a drop when every mouse button is up, cancels it on
// Escape, and leaves the cursors to the system. Lives as long as references
// to it do: create it with framework::MakeInterfaced.
class TcxDropSource : public framework::TInterfacedObject<IDropSource> {
 public:
  explicit TcxDropSource(framework::TOwnerControl* owner) : owner_control_(owner) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape_pressed, DWORD key_state) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

  framework::TOwnerControl* OwnerControl() const { return owner_control_; }

 protected:
  ~TcxDropSource() override = default;

 private:
  framework::TOwnerControl* owner_control_;
};

enum TcxDropEffect : std::uint8_t { deCopy, deMove, deLink };
using TcxDropEffectSet = framework::TEnumSet<TcxDropEffect>;

class TcxDragDropSettings : public framework::TPersistent {
 public:
  using TNotifyEvent = std::function<void(TcxDragDropSettings& sender)>;

  TcxDragDropSettings() = default;
  std::wstring ClassName() const override { return L"TcxDragDropSettings"; }

  bool AllowDragObjects() const { return allow_drag_objects_; }
  // Only a different value is stored and reported.
  void SetAllowDragObjects(bool value);
  TcxDropEffect DefaultDropEffect() const { return default_drop_effect_; }
  void SetDefaultDropEffect(TcxDropEffect value) { default_drop_effect_ = value; }
  TcxDropEffectSet DropEffect() const { return drop_effect_; }
  void SetDropEffect(TcxDropEffectSet value) { drop_effect_ = value; }

  // The DROPEFFECT of a drop made without modifier keys.
  DWORD DefaultDropEffectValue() const;
  // The DROPEFFECT mask a drag offers.
  DWORD AllowedDropEffects() const;

  TNotifyEvent OnDragDropSettingsChanged;

 protected:
  virtual void DragDropSettingsChanged();

 private:
  bool allow_drag_objects_ = true;
  TcxDropEffect default_drop_effect_ = deMove;
  TcxDropEffectSet drop_effect_{deCopy, deMove, deLink};
};

}  // namespace shellcore

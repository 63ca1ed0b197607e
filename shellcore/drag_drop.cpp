#include "shellcore/drag_drop.h"

namespace shellcore {

HRESULT STDMETHODCALLTYPE TcxDropSource::QueryContinueDrag(BOOL escape_pressed, DWORD key_state) {
  if (escape_pressed) return DRAGDROP_S_CANCEL;
  // A drag goes on while either button is held, whichever started it.
  if (key_state & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE TcxDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

void TcxDragDropSettings::SetAllowDragObjects(bool value) {
  if (value == allow_drag_objects_) return;
  allow_drag_objects_ = value;
  DragDropSettingsChanged();
}

void TcxDragDropSettings::DragDropSettingsChanged() {
  if (OnDragDropSettingsChanged) OnDragDropSettingsChanged(*this);
}

DWORD TcxDragDropSettings::DefaultDropEffectValue() const {
  switch (default_drop_effect_) {
    case deCopy:
      return DROPEFFECT_COPY;
    case deMove:
      return DROPEFFECT_MOVE;
    case deLink:
      return DROPEFFECT_LINK;
  }
  return DROPEFFECT_NONE;
}

DWORD TcxDragDropSettings::AllowedDropEffects() const {
  DWORD effects = DROPEFFECT_NONE;
  if (drop_effect_.Contains(deCopy)) effects |= DROPEFFECT_COPY;
  if (drop_effect_.Contains(deMove)) effects |= DROPEFFECT_MOVE;
  if (drop_effect_.Contains(deLink)) effects |= DROPEFFECT_LINK;
  return effects;
}

}  // namespace shellcore

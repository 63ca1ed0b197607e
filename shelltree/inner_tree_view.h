#pragma once
// The tree inside the container control: hands its input and focus to the
// container (which raises the control's events) before or after the
// platform, as each kind of input needs. UI thread only.
#include "shelltree/platform_tree_view.h"

namespace shelltree {

class TcxTreeViewContainer;

class TcxBaseInnerTreeView : public TPlatformTreeView {
 public:
  // No border; double clicks reported; the font is the container's.
  TcxBaseInnerTreeView() = default;

  TcxTreeViewContainer* Container() const { return container_; }
  void SetContainer(TcxTreeViewContainer* container) { container_ = container; }

 protected:
  // Offers the message to the container's hook, then to Dispatch.
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) final;
  // The inner tree's handling: input handed to the container as it needs,
  // the rest to the platform.
  virtual LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  // A right click nobody else took: the container's own popup menu.
  bool ContextPopup(POINT client) override;
  // The key handling after the container's, with the key it left; answers
  // whether the key was used up.
  virtual bool InnerKeyDown(WORD& key, TShiftState shift) { (void)key; (void)shift; return false; }
  // Set while the inner tree's destructor runs.
  bool destroying_ = false;

 private:
  // The inner tree's offset in the container's client area.
  POINT Offset() const;

  TcxTreeViewContainer* container_ = nullptr;
};

}  // namespace shelltree

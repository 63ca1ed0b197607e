#include "tests/support/tree_clicks.h"

namespace test_support {

namespace {

void Press(HWND tree, POINT client) {
  POINT screen = client;
  ClientToScreen(tree, &screen);
  // The tree reports the click at the pointer's place, not the message's.
  SetCursorPos(screen.x, screen.y);
  const LPARAM at = MAKELPARAM(client.x, client.y);
  PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tree, WM_LBUTTONUP, 0, at);
}

}  // namespace

void ClickTreeNode(HWND tree, HTREEITEM node) {
  RECT label{};
  TreeView_GetItemRect(tree, node, &label, TRUE);
  Press(tree, POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2});
}

bool ClickTreeButton(HWND tree, HTREEITEM node) {
  RECT label{};
  TreeView_GetItemRect(tree, node, &label, TRUE);
  // The button lies in the indent, left of the icon and the label.
  const int indent = TreeView_GetIndent(tree);
  const int y = (label.top + label.bottom) / 2;
  for (int x = label.left - 1; x > label.left - 2 * indent - GetSystemMetrics(SM_CXSMICON) && x >= 0; --x) {
    TVHITTESTINFO hit{POINT{x, y}, 0, nullptr};
    TreeView_HitTest(tree, &hit);
    if (hit.hItem == node && (hit.flags & TVHT_ONITEMBUTTON)) {
      Press(tree, hit.pt);
      return true;
    }
  }
  return false;
}

}  // namespace test_support

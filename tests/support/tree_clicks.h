#pragma once
// Mouse clicks on a tree view's nodes as a user makes them: the pointer
// moves onto the spot, the left button goes down and up. The messages are
// queued; the caller's message loop handles them. Windows only.
#include <windows.h>
#include <commctrl.h>

namespace test_support {

// On the node's label.
void ClickTreeNode(HWND tree, HTREEITEM node);
// On the node's expand button; false when the node shows none.
bool ClickTreeButton(HWND tree, HTREEITEM node);

}  // namespace test_support

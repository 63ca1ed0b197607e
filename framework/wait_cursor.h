#pragma once
// The nested wait cursor: the first push saves the screen cursor and shows
// the hourglass, the last matching pop restores the saved cursor. UI thread.
#include <windows.h>

namespace framework {

void PushWaitCursor();
void PopWaitCursor();
int WaitCursorDepth();

class TWaitCursor {
 public:
  TWaitCursor() { PushWaitCursor(); }
  ~TWaitCursor() { PopWaitCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace framework

#include "framework/wait_cursor.h"

namespace framework {

namespace {
int g_depth = 0;
HCURSOR g_saved = nullptr;
}  // namespace

void PushWaitCursor() {
  if (g_depth++ == 0) g_saved = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void PopWaitCursor() {
  if (g_depth <= 0) return;
  if (--g_depth == 0) SetCursor(g_saved);
}

int WaitCursorDepth() { return g_depth; }

}  // namespace framework

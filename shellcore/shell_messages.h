#pragma once
// The private messages the shell controls exchange. The parameters of each
// are described where it is sent.
#include <windows.h>

namespace shellcore {

inline constexpr UINT SHELLMSG_ITEMS_LOADED = 0xB13B;
inline constexpr UINT SHELLMSG_ITEM_REMOVED = 0xB13E;
inline constexpr UINT SHELLMSG_ITEM_ADDED = 0xB13F;
// An option that changes what a control lists; wParam and lParam are 0.
inline constexpr UINT SHELLMSG_OPTIONS_CHANGED = 0xB140;
inline constexpr UINT SHELLMSG_REFRESH_NODE = 0xB141;
inline constexpr UINT SHELLMSG_NAVIGATE = 0xB142;
inline constexpr UINT SHELLMSG_ROOT_CHANGED = 0xB143;
inline constexpr UINT SHELLMSG_SHELL_CHANGE = 0xB144;
inline constexpr UINT SHELLMSG_SELECT_ID = 0xB145;
inline constexpr UINT SHELLMSG_SHELL_NOTIFY = 0xB146;

inline constexpr UINT SHELLMSG_FIRST = SHELLMSG_ITEMS_LOADED;
inline constexpr UINT SHELLMSG_LAST = SHELLMSG_SHELL_NOTIFY;

}  // namespace shellcore

#pragma once
// Reading shell strings, paths and special folders, and the questions the
// controls ask of a folder. Calls whose failure only means "no answer" never
// raise; those that need the desktop pass its failure on.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>

#include "shellcore/id_list.h"

// mingw-w64's headers give IShellDetails no interface id for __uuidof (the
// Windows SDK does); IID_IShellDetails, {000214EC-0000-0000-C000-000000000046}.
#if defined(__MINGW32__)
__CRT_UUID_DECL(IShellDetails, 0x000214EC, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
#endif

namespace shellcore {

// Enumeration flags (SHCONTF_*) the options produce and FolderHasChildren reads.
inline constexpr DWORD kEnumFolders = SHCONTF_FOLDERS;               // 0x20
inline constexpr DWORD kEnumNonFolders = SHCONTF_NONFOLDERS;         // 0x40
inline constexpr DWORD kEnumIncludeHidden = SHCONTF_INCLUDEHIDDEN;   // 0x80

// Find data attribute of a volume label entry; such entries are not children.
inline constexpr DWORD kFileAttributeVolumeLabel = 0x00000008;

// Text of ANSI characters in the system code page.
std::wstring AnsiToWide(const char* text, size_t length);

// The text of a shell string result. A wide result's block goes back to the
// task allocator (and the STRRET no longer points at it). An offset result
// is read inside the first item of `item`; without an item it is empty.
std::wstring StrRetText(STRRET& result, LPCITEMIDLIST item);

// The item's name in `folder` (SHGDN_INFOLDER unless other SHGDN_* flags are
// given); empty when the call fails.
std::wstring NameInFolder(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags = SHGDN_INFOLDER);

// The file-system path of an absolute list; empty for null and for items
// that have none.
std::wstring IdListToPath(LPCITEMIDLIST list);

// The absolute list of a path the desktop can parse; null when it cannot.
TIdList IdListFromPath(const std::wstring& path);

// The absolute list of a special folder (CSIDL_*) in `list`; the shell's
// result code is returned unchanged.
HRESULT SpecialFolderIdList(HWND window, int csidl, TIdList& list);

// Whether the item (its absolute list; `parent` is its folder) would show
// children when enumerated with `flags`.
bool FolderHasChildren(IShellFolder* parent, LPCITEMIDLIST absolute, DWORD flags);

// The details interface of a folder (or of `item` in it); E_NOINTERFACE when
// no way gives one.
HRESULT QueryShellDetails(IShellFolder* folder, LPCITEMIDLIST item,
                          Microsoft::WRL::ComPtr<IShellDetails>& details);

// A local date-time counted in days since 30 December 1899 (the time of day
// as the fraction, at the 2-second resolution of DOS times); -1 on failure.
double ShellFileTimeToDateTime(const FILETIME& time);

// SHCreateItemFromIDList, bound on first use; E_NOTIMPL where the shell
// lacks it.
HRESULT CreateShellItemFromIdList(LPCITEMIDLIST list, REFIID iid, void** object);

}  // namespace shellcore

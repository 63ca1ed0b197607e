#include "shellcore/shell_access.h"

#include <versionhelpers.h>

#include <cstring>

#include "framework/find_handle.h"
#include "shellcore/shell_common.h"

namespace shellcore {

using Microsoft::WRL::ComPtr;

namespace {

// True when the parent reports every bit of `mask` for the item. A failed
// query reports none.
bool HasAllAttributes(IShellFolder* parent, LPCITEMIDLIST item, SFGAOF mask) {
  SFGAOF attributes = mask;
  if (FAILED(parent->GetAttributesOf(1, &item, &attributes))) return false;
  return (attributes & mask) == mask;
}

enum class ScanResult { kUndecided, kNoChildren, kHasChildren };

ScanResult ScanFileSystem(LPCITEMIDLIST absolute, DWORD flags) {
  std::wstring path = IdListToPath(absolute);
  if (path.empty()) return ScanResult::kUndecided;
  {
    ComPtr<IShellFolder> desktop = ShellDesktop();
    std::wstring name = path;  // ParseDisplayName takes a writable string
    TIdList parsed;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, parsed.Put(), nullptr)) ||
        !parsed)
      return ScanResult::kUndecided;
  }
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  const std::wstring pattern = path + L"\\*.*";
  WIN32_FIND_DATAW data;
  framework::TFindHandle find(FindFirstFileW(pattern.c_str(), &data));
  if (!find.Valid()) return ScanResult::kNoChildren;
  do {
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
    const DWORD attributes = data.dwFileAttributes;
    if (attributes & kFileAttributeVolumeLabel) continue;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(flags & kEnumFolders)) continue;
    if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !(flags & kEnumIncludeHidden)) continue;
    return ScanResult::kHasChildren;
  } while (FindNextFileW(find.Get(), &data));
  return ScanResult::kNoChildren;
}

// Days from 30 December 1899 to the given civil date (proleptic Gregorian).
long DaysSinceEpoch(int year, int month, int day) {
  // Days from 1 March of year 0 (the leap day falls last in each year).
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int year_of_era = y - era * 400;
  const int month_index = month > 2 ? month - 3 : month + 9;
  const int day_of_year = (153 * month_index + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const long days = static_cast<long>(era) * 146097 + day_of_era;
  // 30 December 1899 is day 693899 of that count (1 January 1970 is 719468).
  return days - 693899;
}

}  // namespace

std::wstring AnsiToWide(const char* text, size_t length) {
  if (!text || length == 0) return std::wstring();
  const int wide_length = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
  if (wide_length <= 0) return std::wstring();
  std::wstring result(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), result.data(), wide_length);
  return result;
}

std::wstring StrRetText(STRRET& result, LPCITEMIDLIST item) {
  switch (result.uType) {
    case STRRET_WSTR: {
      std::wstring text = result.pOleStr ? std::wstring(result.pOleStr) : std::wstring();
      if (result.pOleStr) ShellTaskAllocator()->Free(result.pOleStr);
      result.pOleStr = nullptr;
      return text;
    }
    case STRRET_OFFSET: {
      const unsigned item_bytes = IdListItemBytes(item);
      if (!item || result.uOffset >= item_bytes) return std::wstring();
      const char* start = reinterpret_cast<const char*>(item) + result.uOffset;
      const size_t limit = item_bytes - result.uOffset;
      const void* end = std::memchr(start, '\0', limit);
      const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - start) : limit;
      return AnsiToWide(start, length);
    }
    case STRRET_CSTR: {
      const void* end = std::memchr(result.cStr, '\0', sizeof result.cStr);
      const size_t length =
          end ? static_cast<size_t>(static_cast<const char*>(end) - result.cStr) : sizeof result.cStr;
      return AnsiToWide(result.cStr, length);
    }
    default:
      return std::wstring();
  }
}

std::wstring NameInFolder(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags) {
  if (!folder) return std::wstring();
  STRRET name{};
  if (FAILED(folder->GetDisplayNameOf(item, flags, &name))) return std::wstring();
  return StrRetText(name, item);
}

std::wstring IdListToPath(LPCITEMIDLIST list) {
  if (!list) return std::wstring();
  const TShell32Functions& shell = Shell32Functions();
  if (shell.SHGetPathFromIDListW) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!shell.SHGetPathFromIDListW(list, buffer)) return std::wstring();
    buffer[MAX_PATH] = L'\0';
    return buffer;
  }
  if (shell.SHGetPathFromIDListA) {
    char buffer[MAX_PATH + 1] = {};
    if (!shell.SHGetPathFromIDListA(list, buffer)) return std::wstring();
    buffer[MAX_PATH] = '\0';
    return AnsiToWide(buffer, std::strlen(buffer));
  }
  return std::wstring();
}

TIdList IdListFromPath(const std::wstring& path) {
  const ComPtr<IShellFolder> desktop = ShellDesktop();
  std::wstring name = path;  // the shell wants a writable string
  TIdList list;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, list.Put(), nullptr))) list.Reset();
  return list;
}

HRESULT SpecialFolderIdList(HWND window, int csidl, TIdList& list) {
  list.Reset();
  const auto folder_location = Shell32Functions().SHGetFolderLocation;
  if (folder_location && IsWindowsVersionOrGreater(5, 0, 0))
    return folder_location(window, csidl, nullptr, 0, list.Put());
  return SHGetSpecialFolderLocation(window, csidl, list.Put());
}

bool FolderHasChildren(IShellFolder* parent, LPCITEMIDLIST absolute, DWORD flags) {
  if (!parent || !absolute) return false;
  const LPCITEMIDLIST item = IdListLastItem(absolute);
  if (!HasAllAttributes(parent, item, SFGAO_FOLDER)) return false;
  if (!(flags & kEnumNonFolders)) return HasAllAttributes(parent, item, SFGAO_HASSUBFOLDER);
  switch (ScanFileSystem(absolute, flags)) {
    case ScanResult::kHasChildren:
      return true;
    case ScanResult::kNoChildren:
      return false;
    case ScanResult::kUndecided:
      break;
  }
  if (HasAllAttributes(parent, item, SFGAO_HASSUBFOLDER)) return true;
  ComPtr<IShellFolder> folder;
  if (FAILED(parent->BindToObject(item, nullptr, IID_PPV_ARGS(&folder))) || !folder) return false;
  ComPtr<IEnumIDList> children;
  if (FAILED(folder->EnumObjects(nullptr, flags, &children)) || !children) return false;
  TIdList child;
  ULONG fetched = 0;
  return children->Next(1, child.Put(), &fetched) == S_OK && fetched == 1;
}

HRESULT QueryShellDetails(IShellFolder* folder, LPCITEMIDLIST item, ComPtr<IShellDetails>& details) {
  details.Reset();
  if (!folder) return E_NOINTERFACE;
  // Each way counts only when it answers exactly S_OK.
  auto accept = [&](HRESULT result) {
    if (result == S_OK && details) return true;
    details.Reset();
    return false;
  };
  if (accept(folder->QueryInterface(IID_PPV_ARGS(&details)))) return S_OK;
  if (accept(folder->GetUIObjectOf(nullptr, 0, &item, IID_IShellDetails, nullptr,
                                   reinterpret_cast<void**>(details.ReleaseAndGetAddressOf()))))
    return S_OK;
  if (accept(folder->CreateViewObject(nullptr, IID_PPV_ARGS(&details)))) return S_OK;
  const HRESULT result = folder->GetUIObjectOf(nullptr, item ? 1 : 0, &item, IID_IShellDetails, nullptr,
                                               reinterpret_cast<void**>(details.ReleaseAndGetAddressOf()));
  if (!details) return E_NOINTERFACE;
  return result;
}

double ShellFileTimeToDateTime(const FILETIME& time) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&time, &local)) return -1;
  WORD dos_date = 0;
  WORD dos_time = 0;
  if (!FileTimeToDosDateTime(&local, &dos_date, &dos_time)) return -1;
  const int year = 1980 + (dos_date >> 9);
  const int month = (dos_date >> 5) & 0x0F;
  const int day = dos_date & 0x1F;
  const int hours = dos_time >> 11;
  const int minutes = (dos_time >> 5) & 0x3F;
  const int seconds = (dos_time & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hours > 23 || minutes > 59 || seconds > 59) return -1;
  return static_cast<double>(DaysSinceEpoch(year, month, day)) + (hours * 3600 + minutes * 60 + seconds) / 86400.0;
}

HRESULT CreateShellItemFromIdList(LPCITEMIDLIST list, REFIID iid, void** object) {
  if (object) *object = nullptr;
  const TSHCreateItemFromIDList create = BoundSHCreateItemFromIDList();
  if (!create) return E_NOTIMPL;
  return create(list, iid, object);
}

}  // namespace shellcore

#pragma once
// Start-up and shut-down of the shell layer and its process-wide state: OLE,
// the lock that serialises file-information queries, the shell32 functions
// bound at run time, the shared task allocator, the cached dummy icons and
// the list of live information gatherers.
//
// Threads: ShellCommonStartup/Shutdown and the live-gatherer list belong to
// the UI thread. LockedGetFileInfo, the allocator and the dummy icons are
// used by the UI thread and by gatherer workers; ShellFileInfoLock is the
// innermost lock of the layer (taken inside any other, never around one).
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

namespace shellcore {

// shell32 functions that a system may lack; each is null when it does.
struct TShell32Functions {
  HRESULT(WINAPI* SHGetFolderLocation)(HWND, int, HANDLE, DWORD, LPITEMIDLIST*) = nullptr;
  ULONG(WINAPI* SHChangeNotifyRegister)(HWND, int, LONG, UINT, int, const SHChangeNotifyEntry*) = nullptr;
  BOOL(WINAPI* SHChangeNotifyDeregister)(ULONG) = nullptr;
  HANDLE(WINAPI* SHChangeNotification_Lock)(HANDLE, DWORD, LPITEMIDLIST**, LONG*) = nullptr;
  BOOL(WINAPI* SHChangeNotification_Unlock)(HANDLE) = nullptr;
  HRESULT(WINAPI* SHGetImageList)(int, REFIID, void**) = nullptr;
  BOOL(WINAPI* SHGetPathFromIDListA)(LPCITEMIDLIST, LPSTR) = nullptr;
  BOOL(WINAPI* SHGetPathFromIDListW)(LPCITEMIDLIST, LPWSTR) = nullptr;
  BOOL(WINAPI* ILIsParent)(LPCITEMIDLIST, LPCITEMIDLIST, BOOL) = nullptr;
};

// Ordinals under which shell32 exports its change-notification functions.
inline constexpr WORD kOrdinalSHChangeNotifyRegister = 2;
inline constexpr WORD kOrdinalSHChangeNotifyDeregister = 4;
inline constexpr WORD kOrdinalSHChangeNotificationLock = 644;
inline constexpr WORD kOrdinalSHChangeNotificationUnlock = 645;

// Runs once, before any shell control exists: OleInitialize, the file
// information lock, shell32 loaded and its functions bound, the allocator.
// A second call while started does nothing.
void ShellCommonStartup();
// Runs once at the end: stops every live gatherer, releases the allocator,
// unloads shell32, destroys the lock, and uninitialises OLE if its start-up
// succeeded. Does nothing when the layer is not started.
void ShellCommonShutdown();
bool ShellCommonStarted();
// Whether OleInitialize succeeded at start-up (so shut-down uninitialises it).
bool ShellOleInitialized();

// The bound functions. The change tracking of the controls reads them; tests
// may clear one to take the path of a system that lacks it.
TShell32Functions& Shell32Functions();
// shell32 as loaded by name at start-up; null when not started.
HMODULE Shell32Module();

using TSHCreateItemFromIDList = HRESULT(WINAPI*)(LPCITEMIDLIST, REFIID, void**);
// SHCreateItemFromIDList, bound by name on the first call (and again after a
// restart of the layer); null where shell32 lacks it.
TSHCreateItemFromIDList BoundSHCreateItemFromIDList();

// The shared task allocator that owns every ID list (borrowed; the layer
// keeps it). Raises ESystemError when the shell cannot give one.
IMalloc* ShellTaskAllocator();
// The desktop folder; raises ESystemError when the shell cannot give it.
Microsoft::WRL::ComPtr<IShellFolder> ShellDesktop();

// SHGetFileInfoW with the same arguments, one call at a time process-wide.
// Raises if the layer is not started (there is no lock to take).
DWORD_PTR LockedGetFileInfo(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT info_size, UINT flags);
// The same for an absolute ID list: SHGFI_PIDL is added here, so callers
// pass the list as what it is.
DWORD_PTR LockedGetFileInfo(LPCITEMIDLIST list, SHFILEINFOW& info, UINT flags);

// SHMapPIDLToSystemImageListIndex under the same lock: the icon index of the
// child `relative` of `folder`, and its open icon's in `open_index` when
// given; -1 when the folder cannot tell. Asks the folder the caller already
// holds, where an ID-list query would bind the item's parent from the desktop
// again (milliseconds per item in a large folder under Wine).
int LockedMapIdListToIconIndex(IShellFolder* folder, LPCITEMIDLIST relative, int* open_index);

// System image list indices shown for items whose own icons are not known
// yet; each is asked once and cached.
int DummyFileIconIndex();
int DummyFolderIconIndex();
int DummyOpenFolderIconIndex();

// An information gatherer, as far as shut-down needs it: its worker thread
// must be stopped before the allocator, shell32 and OLE go away. A gatherer
// registers on construction and unregisters on destruction, on the UI thread.
class TcxLiveGatherer {
 public:
  // Ends the worker thread and waits for it; must be safe to call twice.
  virtual void StopWorker() = 0;

 protected:
  ~TcxLiveGatherer() = default;
};

void RegisterLiveGatherer(TcxLiveGatherer* gatherer);
void UnregisterLiveGatherer(TcxLiveGatherer* gatherer);
int LiveGathererCount();
bool IsLiveGatherer(const TcxLiveGatherer* gatherer);

}  // namespace shellcore

// Threads: start-up, shut-down and the live-gatherer list run on the UI
// thread only. The allocator and the dummy icon caches are atomics that any
// thread may fill; ShellFileInfoLock is taken last, inside any other lock,
// and held only for one SHGetFileInfoW call.
#include "shellcore/shell_common.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "framework/sync.h"
#include "framework/system_error.h"

namespace shellcore {

namespace {

struct TShellCommonState {
  bool started = false;
  bool ole_initialized = false;
  std::optional<framework::TCriticalSection> file_info_lock;
  HMODULE shell32 = nullptr;
  TShell32Functions functions;
};

TShellCommonState& State() {
  static TShellCommonState state;
  return state;
}

// Holds one reference, taken by ShellTaskAllocator and dropped at shut-down.
std::atomic<IMalloc*> g_allocator{nullptr};

std::atomic<TSHCreateItemFromIDList> g_create_item{nullptr};

std::atomic<int> g_dummy_file_icon{-1};
std::atomic<int> g_dummy_folder_icon{-1};
std::atomic<int> g_dummy_open_folder_icon{-1};

// Created when the first gatherer registers, freed when the last one leaves.
std::unique_ptr<std::vector<TcxLiveGatherer*>> g_live_gatherers;

template <class Function>
void Bind(HMODULE module, LPCSTR name_or_ordinal, Function& target) {
  target = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name_or_ordinal)));
}

void ReleaseAllocator() {
  if (IMalloc* allocator = g_allocator.exchange(nullptr)) allocator->Release();
}

int CachedIcon(std::atomic<int>& cache, LPCWSTR path, DWORD attributes, UINT flags) {
  int index = cache.load();
  if (index != -1) return index;
  SHFILEINFOW info{};
  LockedGetFileInfo(path, attributes, &info, sizeof info, flags);
  index = info.iIcon;
  cache.store(index);  // two threads may race here; both computed the same value
  return index;
}

}  // namespace

void ShellCommonStartup() {
  TShellCommonState& state = State();
  if (state.started) return;
  state.ole_initialized = SUCCEEDED(OleInitialize(nullptr));
  state.file_info_lock.emplace();
  state.shell32 = LoadLibraryW(L"shell32.dll");
  TShell32Functions& f = state.functions;
  f = TShell32Functions{};
  if (state.shell32) {
    Bind(state.shell32, "SHGetFolderLocation", f.SHGetFolderLocation);
    Bind(state.shell32, MAKEINTRESOURCEA(kOrdinalSHChangeNotifyRegister), f.SHChangeNotifyRegister);
    Bind(state.shell32, MAKEINTRESOURCEA(kOrdinalSHChangeNotifyDeregister), f.SHChangeNotifyDeregister);
    Bind(state.shell32, MAKEINTRESOURCEA(kOrdinalSHChangeNotificationLock), f.SHChangeNotification_Lock);
    Bind(state.shell32, MAKEINTRESOURCEA(kOrdinalSHChangeNotificationUnlock), f.SHChangeNotification_Unlock);
    Bind(state.shell32, "SHGetImageList", f.SHGetImageList);
    Bind(state.shell32, "SHGetPathFromIDListA", f.SHGetPathFromIDListA);
    Bind(state.shell32, "SHGetPathFromIDListW", f.SHGetPathFromIDListW);
    Bind(state.shell32, "ILIsParent", f.ILIsParent);
  }
  state.started = true;
  // Taken here, on the UI thread, before any worker can ask for it.
  try {
    ShellTaskAllocator();
  } catch (const framework::ESystemError&) {
    // Asked again on first use, where the failure reaches a caller.
  }
}

void ShellCommonShutdown() {
  TShellCommonState& state = State();
  if (!state.started) return;
  if (g_live_gatherers) {
    // A copy: a gatherer may leave the list while it stops.
    const std::vector<TcxLiveGatherer*> gatherers = *g_live_gatherers;
    for (TcxLiveGatherer* gatherer : gatherers) gatherer->StopWorker();
  }
  ReleaseAllocator();
  // The module goes away below; nothing may call through its pointers after.
  state.functions = TShell32Functions{};
  g_create_item = nullptr;
  if (state.shell32) FreeLibrary(state.shell32);
  state.shell32 = nullptr;
  g_dummy_file_icon = -1;
  g_dummy_folder_icon = -1;
  g_dummy_open_folder_icon = -1;
  state.file_info_lock.reset();
  state.started = false;
  if (state.ole_initialized) OleUninitialize();
  state.ole_initialized = false;
}

bool ShellCommonStarted() { return State().started; }
bool ShellOleInitialized() { return State().ole_initialized; }
TShell32Functions& Shell32Functions() { return State().functions; }
HMODULE Shell32Module() { return State().shell32; }

TSHCreateItemFromIDList BoundSHCreateItemFromIDList() {
  TSHCreateItemFromIDList create = g_create_item.load();
  if (create) return create;
  const HMODULE shell32 = State().shell32;
  if (!shell32) return nullptr;
  Bind(shell32, "SHCreateItemFromIDList", create);
  g_create_item.store(create);  // a race stores the same value twice
  return create;
}

IMalloc* ShellTaskAllocator() {
  if (IMalloc* allocator = g_allocator.load()) return allocator;
  IMalloc* fresh = nullptr;
  const HRESULT result = SHGetMalloc(&fresh);
  if (FAILED(result) || !fresh) framework::RaiseSystemError(FAILED(result) ? result : E_FAIL);
  IMalloc* expected = nullptr;
  if (!g_allocator.compare_exchange_strong(expected, fresh)) {
    fresh->Release();  // another thread stored it first; it is the same object
    return expected;
  }
  return fresh;
}

Microsoft::WRL::ComPtr<IShellFolder> ShellDesktop() {
  Microsoft::WRL::ComPtr<IShellFolder> desktop;
  const HRESULT result = SHGetDesktopFolder(&desktop);
  if (FAILED(result)) framework::RaiseSystemError(result);
  if (!desktop) framework::RaiseSystemError(E_FAIL);
  return desktop;
}

DWORD_PTR LockedGetFileInfo(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT info_size, UINT flags) {
  TShellCommonState& state = State();
  if (!state.file_info_lock) throw framework::Exception(L"The shell layer is not started");
  framework::TCriticalSectionLock hold(*state.file_info_lock);
  return SHGetFileInfoW(path, attributes, info, info_size, flags);
}

DWORD_PTR LockedGetFileInfo(LPCITEMIDLIST list, SHFILEINFOW& info, UINT flags) {
  return LockedGetFileInfo(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, flags | SHGFI_PIDL);
}

int LockedMapIdListToIconIndex(IShellFolder* folder, LPCITEMIDLIST relative, int* open_index) {
  TShellCommonState& state = State();
  if (!state.file_info_lock) throw framework::Exception(L"The shell layer is not started");
  if (open_index) *open_index = -1;
  if (!folder || !relative) return -1;
  framework::TCriticalSectionLock hold(*state.file_info_lock);
  return SHMapPIDLToSystemImageListIndex(folder, relative, open_index);
}

int DummyFileIconIndex() {
  return CachedIcon(g_dummy_file_icon, L"C:\\CXDUMMYFILE.TXT", FILE_ATTRIBUTE_NORMAL,
                    SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
}

int DummyFolderIconIndex() {
  return CachedIcon(g_dummy_folder_icon, L"C:\\CXDUMMYFOLDER", FILE_ATTRIBUTE_DIRECTORY,
                    SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
}

int DummyOpenFolderIconIndex() {
  return CachedIcon(g_dummy_open_folder_icon, L"C:\\CXDUMMYFOLDER", FILE_ATTRIBUTE_DIRECTORY,
                    SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);
}

void RegisterLiveGatherer(TcxLiveGatherer* gatherer) {
  if (!gatherer) return;
  if (!g_live_gatherers) g_live_gatherers = std::make_unique<std::vector<TcxLiveGatherer*>>();
  g_live_gatherers->push_back(gatherer);
}

void UnregisterLiveGatherer(TcxLiveGatherer* gatherer) {
  if (!g_live_gatherers) return;
  auto& list = *g_live_gatherers;
  list.erase(std::remove(list.begin(), list.end(), gatherer), list.end());
  if (list.empty()) g_live_gatherers.reset();
}

bool IsLiveGatherer(const TcxLiveGatherer* gatherer) {
  return g_live_gatherers && std::find(g_live_gatherers->begin(), g_live_gatherers->end(), gatherer) !=
                                 g_live_gatherers->end();
}

int LiveGathererCount() { return g_live_gatherers ? static_cast<int>(g_live_gatherers->size()) : 0; }

}  // namespace shellcore

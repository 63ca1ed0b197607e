#include "tests/shellcore/shell_test_support.h"

#include "shellcore/shell_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace shell_test {

namespace {

// The layer is started once per test program, as wWinMain starts it once.
class ShellLayerEnvironment : public testing::Environment {
 public:
  void SetUp() override { shellcore::ShellCommonStartup(); }
  void TearDown() override { shellcore::ShellCommonShutdown(); }
};

testing::Environment* const kShellLayer = testing::AddGlobalTestEnvironment(new ShellLayerEnvironment);

}  // namespace

shellcore::TIdList MakeIdList(std::initializer_list<std::vector<BYTE>> items) {
  std::vector<BYTE> bytes;
  for (const std::vector<BYTE>& payload : items) {
    const USHORT count = static_cast<USHORT>(payload.size() + 2);
    bytes.push_back(static_cast<BYTE>(count & 0xFF));
    bytes.push_back(static_cast<BYTE>(count >> 8));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
  }
  bytes.push_back(0);
  bytes.push_back(0);
  auto* list = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(bytes.size()));
  std::memcpy(list, bytes.data(), bytes.size());
  return shellcore::TIdList(list);
}

shellcore::TIdList MakeLongIdList(int count) {
  const size_t size = static_cast<size_t>(count) * 3 + 2;
  auto* list = static_cast<BYTE*>(CoTaskMemAlloc(size));
  for (int i = 0; i < count; ++i) {
    list[i * 3] = 3;
    list[i * 3 + 1] = 0;
    list[i * 3 + 2] = static_cast<BYTE>(i);
  }
  list[size - 2] = 0;
  list[size - 1] = 0;
  return shellcore::TIdList(reinterpret_cast<LPITEMIDLIST>(list));
}

std::vector<BYTE> ListBytes(LPCITEMIDLIST list) {
  if (!list) return {};
  const auto* bytes = reinterpret_cast<const BYTE*>(list);
  return std::vector<BYTE>(bytes, bytes + shellcore::IdListSize(list) + 2);
}

shellcore::TIdList ParsePath(const std::wstring& path) { return shellcore::IdListFromPath(path); }

bool SameItem(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (!a || !b) return a == b;
  const HRESULT order = shellcore::ShellDesktop()->CompareIDs(0, a, b);
  return SUCCEEDED(order) && static_cast<short>(HRESULT_CODE(order)) == 0;
}

std::wstring Wide(const std::string& utf8) { return test_support::FsPath(utf8).wstring(); }

bool SameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return a == b;
  Microsoft::WRL::ComPtr<IUnknown> identity_a;
  Microsoft::WRL::ComPtr<IUnknown> identity_b;
  a->QueryInterface(IID_PPV_ARGS(&identity_a));
  b->QueryInterface(IID_PPV_ARGS(&identity_b));
  return identity_a.Get() == identity_b.Get();
}

void WriteFile(const std::wstring& path, const char* bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out << bytes;
}

void MakeFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

AllocatorSpy::AllocatorSpy() { registered_ = SUCCEEDED(CoRegisterMallocSpy(this)); }

AllocatorSpy::~AllocatorSpy() {
  if (registered_) CoRevokeMallocSpy();
}

HRESULT STDMETHODCALLTYPE AllocatorSpy::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
    *object = static_cast<IMallocSpy*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

void* STDMETHODCALLTYPE AllocatorSpy::PostAlloc(void* block) {
  if (block) InterlockedIncrement(&allocations_);
  return block;
}

void* STDMETHODCALLTYPE AllocatorSpy::PreFree(void* block, BOOL spied) {
  if (block && spied) InterlockedIncrement(&frees_);
  return block;
}

}  // namespace shell_test

#include "tests/shellcore/test_producer.h"

namespace shell_test {

OpenedFolder OpenFolder(const std::wstring& path) {
  OpenedFolder opened;
  opened.id = ParsePath(path);
  if (!opened.id) return opened;
  shellcore::ShellDesktop()->BindToObject(opened.id.Get(), nullptr, IID_PPV_ARGS(&opened.folder));
  return opened;
}

}  // namespace shell_test

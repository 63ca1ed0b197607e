#pragma once
// What the shell layer's tests share: the layer started for the whole run,
// ID lists built byte by byte, real lists from paths, a count of the task
// allocator's traffic, and a way to take a shell32 function away.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shellcore/id_list.h"
#include "shellcore/shell_common.h"

namespace shell_test {

// A list whose items carry the given payloads (each item is payload + 2
// bytes), from the task allocator.
shellcore::TIdList MakeIdList(std::initializer_list<std::vector<BYTE>> items);
// A list of `count` one-byte items.
shellcore::TIdList MakeLongIdList(int count);
std::vector<BYTE> ListBytes(LPCITEMIDLIST list);  // terminator included

// The absolute list of a path the shell can parse; null when it cannot.
shellcore::TIdList ParsePath(const std::wstring& path);
// Whether two absolute lists name the same item, by the shell's comparison.
// Lists taken at different moments need this rather than equal bytes: Wine
// puts each folder's modification time into its item, and /tmp changes
// whenever a parallel test makes its folder.
bool SameItem(LPCITEMIDLIST a, LPCITEMIDLIST b);
std::wstring Wide(const std::string& utf8);
// Whether two interface pointers belong to one COM object.
bool SameObject(IUnknown* a, IUnknown* b);
void WriteFile(const std::wstring& path, const char* bytes = "rom");
void MakeFolder(const std::wstring& path);

// Counts the task allocator's blocks handed out and returned while alive
// (every thread's; the tests that use it do nothing else meanwhile).
class AllocatorSpy : public IMallocSpy {
 public:
  AllocatorSpy();
  ~AllocatorSpy();
  AllocatorSpy(const AllocatorSpy&) = delete;
  AllocatorSpy& operator=(const AllocatorSpy&) = delete;
  long Allocations() const { return allocations_; }
  long Frees() const { return frees_; }
  long Outstanding() const { return allocations_ - frees_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override;
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override;
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** new_block, BOOL) override {
    *new_block = block;
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int answer) override { return answer; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  volatile long allocations_ = 0;
  volatile long frees_ = 0;
  bool registered_ = false;
};

// Restores every bound shell32 function when it goes, so a test can clear
// one to take the path of a system that lacks it.
class SavedShellFunctions {
 public:
  SavedShellFunctions() : saved_(shellcore::Shell32Functions()) {}
  ~SavedShellFunctions() { shellcore::Shell32Functions() = saved_; }
  SavedShellFunctions(const SavedShellFunctions&) = delete;
  SavedShellFunctions& operator=(const SavedShellFunctions&) = delete;

 private:
  shellcore::TShell32Functions saved_;
};

}  // namespace shell_test

// Prints how long the shell layer's everyday operations take under the real
// shell: parsing paths to ID lists, copying and comparing them, wrapping an
// item and reading its traits, the file-name mask, and the child test.
#include <windows.h>

#include <chrono>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include "shellcore/id_list.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"
#include "shellcore/shell_folder.h"
#include "shellcore/shell_options.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class Work>
void Measure(const char* what, int count, Work&& work) {
  const Clock::time_point start = Clock::now();
  work();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%-46s %8d  %10.2f us each  %8.1f ms total\n", what, count, seconds * 1e6 / count, seconds * 1e3);
}

void Run() {
  constexpr int kFiles = 2000;
  constexpr int kFolders = 200;
  constexpr int kNames = 20000;
  test_support::TempDir temp;
  const std::wstring root = test_support::FsPath(temp.Path()).wstring();
  for (int i = 0; i < kFiles; ++i) {
    const std::wstring path = root + L"\\rom" + std::to_wstring(i) + (i % 3 ? L".zip" : L".nes");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  for (int i = 0; i < kFolders; ++i) {
    const std::wstring folder = root + L"\\set" + std::to_wstring(i);
    CreateDirectoryW(folder.c_str(), nullptr);
    if (i % 2) {
      const std::wstring child = folder + L"\\game.zip";
      HANDLE file = CreateFileW(child.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
  }

  const Microsoft::WRL::ComPtr<IShellFolder> desktop = shellcore::ShellDesktop();
  std::vector<shellcore::TIdList> lists;
  lists.reserve(kFiles);
  Measure("ParseDisplayName to an absolute list", kFiles, [&] {
    for (int i = 0; i < kFiles; ++i) {
      std::wstring path = root + L"\\rom" + std::to_wstring(i) + (i % 3 ? L".zip" : L".nes");
      shellcore::TIdList list;
      desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, list.Put(), nullptr);
      lists.push_back(std::move(list));
    }
  });
  Measure("IdListClone + IdListParent + IdListJoin", kFiles, [&] {
    for (const shellcore::TIdList& list : lists) {
      const shellcore::TIdList parent = shellcore::IdListParent(list.Get());
      const shellcore::TIdList joined = shellcore::IdListJoin(parent.Get(), shellcore::IdListLastItem(list.Get()));
      const shellcore::TIdList clone = shellcore::IdListClone(joined.Get());
      if (!shellcore::IdListSame(clone.Get(), list.Get())) std::printf("mismatch\n");
    }
  });
  std::vector<std::unique_ptr<shellcore::TcxShellFolder>> items;
  items.reserve(kFiles);
  Measure("TcxShellFolder (binds the item's parent)", kFiles, [&] {
    for (const shellcore::TIdList& list : lists) items.push_back(std::make_unique<shellcore::TcxShellFolder>(list.Get()));
  });
  Measure("TcxShellFolder::Traits", kFiles, [&] {
    for (const auto& item : items) item->Traits();
  });
  Measure("TcxShellFolder::ParsingName", kFiles, [&] {
    for (const auto& item : items) item->ParsingName();
  });
  Measure("NameInFolder", kFiles, [&] {
    for (const auto& item : items) shellcore::NameInFolder(item->ParentFolder(), item->ChildIdList());
  });
  shellcore::TcxShellOptions options(nullptr);
  options.SetFileMask(L"*.zip;*.7z;*.nes");
  int matched = 0;
  Measure("MatchesFileMask, three masks", kNames, [&] {
    for (int i = 0; i < kNames; ++i)
      matched += options.MatchesFileMask(L"Some Game Title (Region) [!] " + std::to_wstring(i) + (i % 2 ? L".ZIP" : L".bin"));
  });
  Measure("FolderHasChildren, folders and files", kFolders, [&] {
    for (int i = 0; i < kFolders; ++i) {
      const std::wstring folder = root + L"\\set" + std::to_wstring(i);
      std::wstring path = folder;
      shellcore::TIdList list;
      desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, list.Put(), nullptr);
      const shellcore::TcxShellFolder item(list.Get());
      shellcore::FolderHasChildren(item.ParentFolder(), list.Get(),
                                   shellcore::kEnumFolders | shellcore::kEnumNonFolders);
    }
  });
  std::printf("(%d of %d names matched)\n", matched, kNames);
}

}  // namespace

int main() {
  shellcore::ShellCommonStartup();
  Run();
  shellcore::ShellCommonShutdown();
  return 0;
}

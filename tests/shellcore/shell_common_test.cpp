#include "shellcore/shell_common.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/system_error.h"
#include "shellcore/shell_access.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using shellcore::Shell32Functions;

void* Export(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), name));
}

bool ComInitializedHere() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  return CoGetApartmentType(&type, &qualifier) == S_OK;
}

TEST(ShellCommonTest, StartupBindsShell32ByNameAndOrdinal) {
  ASSERT_TRUE(shellcore::ShellCommonStarted());
  EXPECT_TRUE(shellcore::ShellOleInitialized());
  EXPECT_TRUE(ComInitializedHere());
  ASSERT_NE(shellcore::Shell32Module(), nullptr);
  const shellcore::TShell32Functions& f = Shell32Functions();
  struct Binding {
    const char* name;
    void* bound;
  } bindings[] = {
      {"SHGetFolderLocation", reinterpret_cast<void*>(f.SHGetFolderLocation)},
      // Bound by ordinal; the ordinals must land on these exports.
      {"SHChangeNotifyRegister", reinterpret_cast<void*>(f.SHChangeNotifyRegister)},
      {"SHChangeNotifyDeregister", reinterpret_cast<void*>(f.SHChangeNotifyDeregister)},
      {"SHChangeNotification_Lock", reinterpret_cast<void*>(f.SHChangeNotification_Lock)},
      {"SHChangeNotification_Unlock", reinterpret_cast<void*>(f.SHChangeNotification_Unlock)},
      {"SHGetImageList", reinterpret_cast<void*>(f.SHGetImageList)},
      {"SHGetPathFromIDListA", reinterpret_cast<void*>(f.SHGetPathFromIDListA)},
      {"SHGetPathFromIDListW", reinterpret_cast<void*>(f.SHGetPathFromIDListW)},
      {"ILIsParent", reinterpret_cast<void*>(f.ILIsParent)},
  };
  for (const Binding& binding : bindings) {
    SCOPED_TRACE(binding.name);
    EXPECT_NE(binding.bound, nullptr);
    EXPECT_EQ(binding.bound, Export(binding.name));
  }
  // The allocator is the shell's, and the same one on every call.
  Microsoft::WRL::ComPtr<IMalloc> shells;
  ASSERT_EQ(SHGetMalloc(&shells), S_OK);
  EXPECT_EQ(shellcore::ShellTaskAllocator(), shells.Get());
  EXPECT_EQ(shellcore::ShellTaskAllocator(), shellcore::ShellTaskAllocator());
}

// Stands for an information gatherer: records what was still alive when
// shut-down asked it to stop its worker.
class RecordingGatherer : public shellcore::TcxLiveGatherer {
 public:
  RecordingGatherer(const char* name, std::vector<std::string>& log) : name_(name), log_(log) {}
  void StopWorker() override {
    log_.push_back(name_ + (shellcore::Shell32Module() ? " shell32" : "") +
                   (shellcore::Shell32Functions().SHGetPathFromIDListW ? " bound" : "") +
                   (ComInitializedHere() ? " ole" : ""));
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST(ShellCommonTest, ShutdownStopsGatherersFirstThenReleasesAndRestarts) {
  std::vector<std::string> log;
  RecordingGatherer first("first", log);
  RecordingGatherer second("second", log);
  shellcore::RegisterLiveGatherer(&first);
  shellcore::RegisterLiveGatherer(&second);
  EXPECT_EQ(shellcore::LiveGathererCount(), 2);

  test_support::TempDir temp;
  const shellcore::TIdList folder = shell_test::ParsePath(shell_test::Wide(temp.Path()));
  ASSERT_TRUE(folder);

  shellcore::ShellCommonShutdown();
  EXPECT_EQ(log, (std::vector<std::string>{"first shell32 bound ole", "second shell32 bound ole"}));
  EXPECT_FALSE(shellcore::ShellCommonStarted());
  EXPECT_EQ(shellcore::Shell32Module(), nullptr);
  EXPECT_EQ(Shell32Functions().SHGetPathFromIDListW, nullptr);
  EXPECT_EQ(Shell32Functions().SHChangeNotifyRegister, nullptr);
  EXPECT_FALSE(ComInitializedHere()) << "OLE was uninitialised";
  // What is left behind answers as on a system that lacks the functions.
  EXPECT_EQ(shellcore::IdListToPath(folder.Get()), L"");
  Microsoft::WRL::ComPtr<IShellItem> item;
  EXPECT_EQ(shellcore::CreateShellItemFromIdList(folder.Get(), IID_PPV_ARGS(&item)), E_NOTIMPL);
  SHFILEINFOW info{};
  EXPECT_THROW(shellcore::LockedGetFileInfo(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX),
               framework::Exception);
  shellcore::ShellCommonShutdown();  // a second time does nothing
  EXPECT_EQ(log.size(), 2u);

  shellcore::UnregisterLiveGatherer(&first);
  shellcore::UnregisterLiveGatherer(&second);
  EXPECT_EQ(shellcore::LiveGathererCount(), 0);
  shellcore::ShellCommonStartup();
  EXPECT_TRUE(shellcore::ShellCommonStarted());
  EXPECT_TRUE(ComInitializedHere());
  EXPECT_EQ(shellcore::IdListToPath(folder.Get()), shell_test::Wide(temp.Path()));
  EXPECT_EQ(shellcore::CreateShellItemFromIdList(folder.Get(), IID_PPV_ARGS(&item)), S_OK);
  shellcore::ShellCommonShutdown();
  EXPECT_EQ(log.size(), 2u) << "unregistered gatherers are not stopped";
  shellcore::ShellCommonStartup();
}

TEST(ShellCommonTest, DummyIconsAreThoseOfRealFilesAndFolders) {
  test_support::TempDir temp;
  const std::wstring folder = shell_test::Wide(temp.Path());
  shell_test::WriteFile(folder + L"\\notes.txt");
  auto icon_of = [](const std::wstring& path) {
    SHFILEINFOW info{};
    shellcore::LockedGetFileInfo(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX);
    return info.iIcon;
  };
  const int file = shellcore::DummyFileIconIndex();
  const int folder_icon = shellcore::DummyFolderIconIndex();
  const int open_folder = shellcore::DummyOpenFolderIconIndex();
  EXPECT_GE(file, 0);
  EXPECT_GE(folder_icon, 0);
  EXPECT_GE(open_folder, 0);
  EXPECT_NE(file, folder_icon);
  EXPECT_EQ(file, icon_of(folder + L"\\notes.txt"));
  EXPECT_EQ(folder_icon, icon_of(folder));
  EXPECT_EQ(shellcore::DummyFileIconIndex(), file);
}

}  // namespace

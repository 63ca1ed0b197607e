#include "gamelist/rom_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

using test_support::TempDir;

#ifdef _WIN32
// Wine 8 makes no symbolic link (CreateSymbolicLinkW does nothing) and keeps
// no read-only flag on a folder, so the fixture does what a Wine user does:
// it runs the Linux tools on the same folder. (Wine does not hand back their
// exit code; the listing's expectations show whether they worked.)
void RunLinuxTool(const std::wstring& tool, const std::string& args) {
  std::wstring command = L"Z:\\bin\\" + tool + L" " + test_support::FsPath(args).wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// Wine signals the process handle of a Linux program before the program is
// done, so a fixture that runs one waits for its effect to show (5 s at most).
void WaitForEffect(const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) Sleep(5);
  EXPECT_TRUE(done()) << "the Linux tool's change did not show";
}

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(test_support::FsPath(path).c_str()); }

std::string LinuxPath(const std::string& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unix_name = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  EXPECT_NE(unix_name, nullptr) << "not running under Wine";
  if (!unix_name) return path;
  char* name = unix_name(test_support::FsPath(path).c_str());
  std::string result = name ? name : path;
  if (name) HeapFree(GetProcessHeap(), 0, name);
  return result;
}
#endif

// Gives an entry flags the way a user would: the system and hidden flags
// through the platform (Wine keeps them in an extended attribute, which the
// Linux build reads), the read-only flag on a folder through its permissions.
void SetFlags(const std::string& path, std::uint32_t flags) {
  const std::uint32_t stored = flags & (gamelist::kAttrHidden | gamelist::kAttrSystem);
#ifdef _WIN32
  if (flags & gamelist::kAttrReadOnly) {
    RunLinuxTool(L"chmod", "a-w " + LinuxPath(path));
    WaitForEffect([&] { return (AttributesOf(path) & FILE_ATTRIBUTE_READONLY) != 0; });
  }
  if (stored) {
    ASSERT_TRUE(SetFileAttributesW(test_support::FsPath(path).c_str(), stored));
  }
#else
  if (flags & gamelist::kAttrReadOnly) {
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    ASSERT_EQ(chmod(path.c_str(), st.st_mode & ~0222), 0);
  }
  if (stored) {
    const std::string value = "0x" + std::to_string(stored);  // Wine's form; single hexadecimal digit
    ASSERT_EQ(setxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0);
  }
#endif
}

void MakeFile(const std::string& path) { test_support::WriteBytes(path, "rom"); }

// A symbolic link to a folder, removed before the folder around it (the
// Windows runtime's recursive removal does not know Linux links).
class FolderLink {
 public:
  FolderLink(const std::string& target, const std::string& link) : link_(link) {
#ifdef _WIN32
    RunLinuxTool(L"ln", "-s " + LinuxPath(target) + " " + LinuxPath(link));
    WaitForEffect([&] { return AttributesOf(link) != INVALID_FILE_ATTRIBUTES; });
#else
    EXPECT_EQ(symlink(target.c_str(), link.c_str()), 0);
#endif
  }
  ~FolderLink() {
#ifdef _WIN32
    RunLinuxTool(L"rm", LinuxPath(link_));
    WaitForEffect([&] { return AttributesOf(link_) == INVALID_FILE_ATTRIBUTES; });
#else
    unlink(link_.c_str());
#endif
  }
  FolderLink(const FolderLink&) = delete;
  FolderLink& operator=(const FolderLink&) = delete;

 private:
  std::string link_;
};

std::map<std::string, std::uint32_t> Enumerate(const std::string& folder) {
  std::map<std::string, std::uint32_t> seen;
  std::string error;
  EXPECT_TRUE(gamelist::EnumerateFolder(
      folder, [&](const gamelist::FolderEntry& e) { seen[e.name] = e.attributes; }, &error))
      << error;
  return seen;
}

std::vector<std::string> Listed(const std::string& folder) {
  std::vector<std::string> names;
  std::string error;
  EXPECT_TRUE(gamelist::ListRomFolder(folder, [&](const std::string& n) { names.push_back(n); }, &error)) << error;
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RomFolder, ListsEverythingButDotEntriesAndPlainFolders) {
  TempDir dir;
  MakeFile(dir.Join("Alpha.zip"));
  MakeFile(dir.Join("Beta.zip"));
  MakeFile(dir.Join("notes.txt"));
  MakeFile(dir.Join(".hidden.zip"));
  MakeFile(dir.Join("system.bin"));
  MakeFile(dir.Join("\xE9\xAD\x82.zip"));  // 魂.zip
  test_support::MakeFolder(dir.Join("Saves"));
  test_support::MakeFolder(dir.Join("HiddenFolder"));
  test_support::MakeFolder(dir.Join("ReadOnlyFolder"));
  test_support::MakeFolder(dir.Join("SystemFolder"));
  test_support::MakeFolder(dir.Join(".dotfolder"));
  test_support::MakeFolder(dir.Join("ArchiveFolder"));
  const FolderLink link(dir.Join("Saves"), dir.Join("LinkedFolder"));
  SetFlags(dir.Join("system.bin"), gamelist::kAttrSystem);
  SetFlags(dir.Join("HiddenFolder"), gamelist::kAttrHidden);
  SetFlags(dir.Join("ReadOnlyFolder"), gamelist::kAttrReadOnly);
  SetFlags(dir.Join("SystemFolder"), gamelist::kAttrSystem);
#ifdef _WIN32
  // Wine does not keep the archive flag on a folder: it stays a plain folder.
  ASSERT_TRUE(SetFileAttributesW(test_support::FsPath(dir.Join("ArchiveFolder")).c_str(), FILE_ATTRIBUTE_ARCHIVE));
#endif

  const std::map<std::string, std::uint32_t> expected_words = {
      {".", 16},
      {"..", 16},
      {"Alpha.zip", 32},
      {"Beta.zip", 32},
      {"notes.txt", 32},
      {".hidden.zip", 34},
      {"system.bin", 36},
      {"\xE9\xAD\x82.zip", 32},
      {"Saves", 16},
      {"HiddenFolder", 18},
      {"ReadOnlyFolder", 17},
      {"SystemFolder", 20},
      {".dotfolder", 18},
      {"ArchiveFolder", 16},
      {"LinkedFolder", 1040},
  };
  EXPECT_EQ(Enumerate(dir.Path()), expected_words);

  const std::vector<std::string> expected_names = {
      ".dotfolder",   ".hidden.zip",  "Alpha.zip",    "Beta.zip",   "HiddenFolder",
      "LinkedFolder", "ReadOnlyFolder", "SystemFolder", "notes.txt", "system.bin",
      "\xE9\xAD\x82.zip"};
  EXPECT_EQ(Listed(dir.Path()), expected_names);
}

TEST(RomFolder, ADriveStyleTrailingSeparatorListsTheSame) {
  TempDir dir;
  MakeFile(dir.Join("a.zip"));
#ifdef _WIN32
  const std::string with_separator = dir.Path() + "\\";
#else
  const std::string with_separator = dir.Path() + "/";
#endif
  EXPECT_EQ(Listed(with_separator), std::vector<std::string>{"a.zip"});
}

TEST(RomFolder, ListsNothingAndSaysWhyWhenItCannotStart) {
  TempDir dir;
  MakeFile(dir.Join("game.zip"));
  const struct {
    const char* what;
    std::string folder;
  } cases[] = {
      {"empty path", ""},
      {"missing folder", dir.Join("missing")},
      {"a file", dir.Join("game.zip")},
  };
  for (const auto& c : cases) {
    std::string error;
    int added = 0;
    EXPECT_FALSE(gamelist::ListRomFolder(c.folder, [&](const std::string&) { ++added; }, &error)) << c.what;
    EXPECT_EQ(added, 0) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  int added = 0;
  EXPECT_FALSE(gamelist::ListRomFolder(dir.Join("missing"), [&](const std::string&) { ++added; }));
}

TEST(RomFolder, AnEmptyFolderListsNothing) {
  TempDir dir;
  EXPECT_TRUE(Listed(dir.Path()).empty());
}

}  // namespace

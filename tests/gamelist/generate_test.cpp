#include "gamelist/generate.h"

#include <gtest/gtest.h>

#include "gamelist/error.h"
#include "gamelist/file_replace.h"
#include "tests/support/temp_dir.h"

namespace {

using gamelist::GamelistError;
using gamelist::GenerateGamelist;
using gamelist::TXMLDocument;
using test_support::ReadBytes;
using test_support::TempDir;
using test_support::WriteBytes;

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n";

std::string Generate(const std::vector<std::string>& lines, const std::string& encoding = "GB2312") {
  TempDir dir;
  TXMLDocument document;
  GenerateGamelist(document, lines, encoding, dir.Join("gamelist.xml"));
  document.SetActive(false);
  return ReadBytes(dir.Join("gamelist.xml"));
}

TEST(GenerateGamelist, EmptyListGivesAnEmptyRootElement) {
  EXPECT_EQ(Generate({}), std::string(kDeclaration) + "<gameList/>\r\n");
}

TEST(GenerateGamelist, OneLineGivesSixLinesInsideTheRoot) {
  EXPECT_EQ(Generate({"Alpha.zip"}), std::string(kDeclaration) +
                                         "<gameList>\r\n"
                                         "  <game>\r\n"
                                         "    <path>./Alpha.zip</path>\r\n"
                                         "    <name>Alpha</name>\r\n"
                                         "    <image>./images/Alpha.png</image>\r\n"
                                         "    <video>./videos/Alpha.mp4</video>\r\n"
                                         "  </game>\r\n"
                                         "</gameList>\r\n");
}

TEST(GenerateGamelist, SeveralLinesInOrderWithChineseMarkupAndReferences) {
  const std::vector<std::string> lines = {
      "\xE9\xAD\x82\xE6\x96\x97\xE7\xBD\x97.zip",  // 魂斗罗.zip
      "Tom & Jerry.zip",
      ".zip",
      "Caf\xC3\xA9 \xE2\x82\xAC.7z",  // Café €.7z
      "Tom & Jerry.zip",
  };
  const std::string expected = std::string(kDeclaration) +
                               "<gameList>\r\n"
                               "  <game>\r\n"
                               "    <path>./\xBB\xEA\xB6\xB7\xC2\xDE.zip</path>\r\n"
                               "    <name>\xBB\xEA\xB6\xB7\xC2\xDE</name>\r\n"
                               "    <image>./images/\xBB\xEA\xB6\xB7\xC2\xDE.png</image>\r\n"
                               "    <video>./videos/\xBB\xEA\xB6\xB7\xC2\xDE.mp4</video>\r\n"
                               "  </game>\r\n"
                               "  <game>\r\n"
                               "    <path>./Tom &amp; Jerry.zip</path>\r\n"
                               "    <name>Tom &amp; Jerry</name>\r\n"
                               "    <image>./images/Tom &amp; Jerry.png</image>\r\n"
                               "    <video>./videos/Tom &amp; Jerry.mp4</video>\r\n"
                               "  </game>\r\n"
                               "  <game>\r\n"
                               "    <path>./.zip</path>\r\n"
                               "    <name></name>\r\n"
                               "    <image>./images/.png</image>\r\n"
                               "    <video>./videos/.mp4</video>\r\n"
                               "  </game>\r\n"
                               "  <game>\r\n"
                               "    <path>./Caf\xA8\xA6 &#x20AC;.7z</path>\r\n"
                               "    <name>Caf\xA8\xA6 &#x20AC;.7z</name>\r\n"
                               "    <image>./images/Caf\xA8\xA6 &#x20AC;.7z</image>\r\n"
                               "    <video>./videos/Caf\xA8\xA6 &#x20AC;.7z</video>\r\n"
                               "  </game>\r\n"
                               "  <game>\r\n"
                               "    <path>./Tom &amp; Jerry.zip</path>\r\n"
                               "    <name>Tom &amp; Jerry</name>\r\n"
                               "    <image>./images/Tom &amp; Jerry.png</image>\r\n"
                               "    <video>./videos/Tom &amp; Jerry.mp4</video>\r\n"
                               "  </game>\r\n"
                               "</gameList>\r\n";
  EXPECT_EQ(Generate(lines), expected);
}

TEST(GenerateGamelist, Utf8DeclaresItselfAndCarriesNoByteOrderMark) {
  EXPECT_EQ(Generate({"\xE9\xAD\x82 \xF0\x9F\x8E\xAE.zip"}, "UTF-8"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<gameList>\r\n"
            "  <game>\r\n"
            "    <path>./\xE9\xAD\x82 \xF0\x9F\x8E\xAE.zip</path>\r\n"
            "    <name>\xE9\xAD\x82 \xF0\x9F\x8E\xAE</name>\r\n"
            "    <image>./images/\xE9\xAD\x82 \xF0\x9F\x8E\xAE.png</image>\r\n"
            "    <video>./videos/\xE9\xAD\x82 \xF0\x9F\x8E\xAE.mp4</video>\r\n"
            "  </game>\r\n"
            "</gameList>\r\n");
}

TEST(GenerateGamelist, ASecondRunReplacesTheFirstFile) {
  TempDir dir;
  TXMLDocument document;
  GenerateGamelist(document, {"a.zip", "b.zip"}, "GB2312", dir.Join("gamelist.xml"));
  document.SetActive(false);
  GenerateGamelist(document, {"c.zip"}, "GB2312", dir.Join("gamelist.xml"));
  document.SetActive(false);
  const std::string bytes = ReadBytes(dir.Join("gamelist.xml"));
  EXPECT_EQ(bytes.find("a.zip"), std::string::npos);
  EXPECT_NE(bytes.find("<path>./c.zip</path>"), std::string::npos);
  EXPECT_EQ(test_support::FolderNames(dir.Path()), std::vector<std::string>{"gamelist.xml"});
}

// A failed save must leave the old file as it was and no temporary file,
// and the run after it must start from an empty document.
TEST(GenerateGamelist, FailedSaveKeepsTheOldFileAndTheNextRunStartsClean) {
  TempDir dir;
  const std::string old_bytes = "previous gamelist, byte for byte\r\n";
  WriteBytes(dir.Join("gamelist.xml"), old_bytes);
  test_support::MakeFolder(dir.Join("folder.xml"));

  const struct {
    const char* what;
    std::string target;
  } failures[] = {
      {"missing folder", dir.Join("missing") + "/gamelist.xml"},
      {"target is a folder", dir.Join("folder.xml")},
  };
  TXMLDocument document;
  for (const auto& failure : failures) {
    EXPECT_THROW(GenerateGamelist(document, {"Alpha.zip"}, "GB2312", failure.target), GamelistError)
        << failure.what;
    EXPECT_FALSE(document.Active()) << failure.what;
  }
  EXPECT_THROW(GenerateGamelist(document, {"bad\x01.zip"}, "GB2312", dir.Join("gamelist.xml")), GamelistError);
  EXPECT_FALSE(document.Active());

  EXPECT_EQ(ReadBytes(dir.Join("gamelist.xml")), old_bytes);
  EXPECT_EQ(test_support::FolderNames(dir.Path()), (std::vector<std::string>{"folder.xml", "gamelist.xml"}));

  GenerateGamelist(document, {"Beta.zip"}, "GB2312", dir.Join("gamelist.xml"));
  const std::string bytes = ReadBytes(dir.Join("gamelist.xml"));
  EXPECT_EQ(bytes.find("Alpha"), std::string::npos);
  EXPECT_NE(bytes.find("<name>Beta</name>"), std::string::npos);
}

TEST(ReplaceFileContents, RefusesAReadOnlyTargetAndKeepsIt) {
  TempDir dir;
  const std::string target = dir.Join("gamelist.xml");
  WriteBytes(target, "read-only");
  std::filesystem::permissions(test_support::FsPath(target),
                               std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  try {
    gamelist::ReplaceFileContents(target, "new");
    FAIL() << "a read-only file was replaced";
  } catch (const GamelistError& error) {
    EXPECT_NE(std::string(error.what()).find("read-only"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadBytes(target), "read-only");
  EXPECT_EQ(test_support::FolderNames(dir.Path()), std::vector<std::string>{"gamelist.xml"});
}

}  // namespace

#include "gamelist/generate.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Where two long strings part; gtest would print both whole.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  if (a == actual.end() && e == expected.end()) return "none";
  const std::size_t at = static_cast<std::size_t>(a - actual.begin());
  return "at byte " + std::to_string(at) + " of " + std::to_string(actual.size()) + " (expected " +
         std::to_string(expected.size()) + "): \"" + actual.substr(at, 40) + "\" instead of \"" +
         expected.substr(at, 40) + "\"";
}

// Long enough that the writer's buffer, the text arena's blocks and the node
// store's blocks are each crossed many times, with one name longer than an
// arena block; the expected bytes are laid out here line by line.
TEST(GenerateGamelist, ALargeListIsWrittenByteForByte) {
  std::vector<std::string> lines;
  std::string expected = kDeclaration;
  expected += "<gameList>\r\n";
  const auto add = [&](const std::string& line, const std::string& stem, const std::string& extension) {
    lines.push_back(line);
    expected += "  <game>\r\n    <path>./" + stem + extension + "</path>\r\n    <name>" + stem +
                "</name>\r\n    <image>./images/" + stem + (extension == ".zip" ? ".png" : extension) +
                "</image>\r\n    <video>./videos/" + stem + (extension == ".zip" ? ".mp4" : extension) +
                "</video>\r\n  </game>\r\n";
  };
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(i);
    if (i == 1500) add(std::string(70000, 'L') + n + ".zip", std::string(70000, 'L') + n, ".zip");
    // 魂斗罗 N & €.zip: GB2312 has the first three, the euro sign becomes a reference
    add("\xE9\xAD\x82\xE6\x96\x97\xE7\xBD\x97 " + n + " & \xE2\x82\xAC.zip",
        "\xBB\xEA\xB6\xB7\xC2\xDE " + n + " &amp; &#x20AC;", ".zip");
    add("Game " + n + " <USA>.7z", "Game " + n + " &lt;USA&gt;.7z", "");
  }
  expected += "</gameList>\r\n";

  TempDir dir;
  TXMLDocument document;
  GenerateGamelist(document, lines, "GB2312", dir.Join("gamelist.xml"));
  EXPECT_EQ(FirstDifference(ReadBytes(dir.Join("gamelist.xml")), expected), "none");
  EXPECT_EQ(FirstDifference(document.SaveToBytes(), expected), "none");
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
  // A bad name refuses the save: at once, or, in a long list, after the
  // writer has already passed much of the file to the temporary one.
  std::vector<std::string> long_list(5000, "Alpha.zip");
  long_list.push_back("bad\x01.zip");
  for (const std::vector<std::string>& lines : {std::vector<std::string>{"bad\x01.zip"}, long_list}) {
    EXPECT_THROW(GenerateGamelist(document, lines, "GB2312", dir.Join("gamelist.xml")), GamelistError);
    EXPECT_FALSE(document.Active());
  }

  EXPECT_EQ(ReadBytes(dir.Join("gamelist.xml")), old_bytes);
  EXPECT_EQ(test_support::FolderNames(dir.Path()), (std::vector<std::string>{"folder.xml", "gamelist.xml"}));

  GenerateGamelist(document, {"Beta.zip"}, "GB2312", dir.Join("gamelist.xml"));
  const std::string bytes = ReadBytes(dir.Join("gamelist.xml"));
  EXPECT_EQ(bytes.find("Alpha"), std::string::npos);
  EXPECT_NE(bytes.find("<name>Beta</name>"), std::string::npos);
}

// A caller that reads its lines as it goes may fail between two of them:
// the builder it leaves behind releases the document and writes nothing.
TEST(GenerateGamelist, ABuilderLeftWithoutSavingReleasesTheDocument) {
  TempDir dir;
  TXMLDocument document;
  EXPECT_THROW(
      {
        gamelist::GamelistBuilder builder(document, "GB2312");
        builder.AddGame("Alpha.zip");
        EXPECT_TRUE(document.Active());
        throw GamelistError("line 2 of the list is not valid UTF-8");
      },
      GamelistError);
  EXPECT_FALSE(document.Active());
  EXPECT_TRUE(test_support::FolderNames(dir.Path()).empty());

  gamelist::GamelistBuilder builder(document, "GB2312");
  builder.AddGame("Beta.zip");
  builder.Save(dir.Join("gamelist.xml"));
  EXPECT_EQ(builder.Games(), 1u);
  EXPECT_EQ(ReadBytes(dir.Join("gamelist.xml")).find("Alpha"), std::string::npos) << "the next run starts clean";
}

TEST(FileReplacement, PutsItsPiecesInPlaceOnCommitAndNothingWhenAbandoned) {
  TempDir dir;
  const std::string target = dir.Join("gamelist.xml");
  WriteBytes(target, "old");
  {
    gamelist::FileReplacement file(target);
    file.Write("new ");
    file.Write("bytes");
  }
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(test_support::FolderNames(dir.Path()), std::vector<std::string>{"gamelist.xml"});
  {
    gamelist::FileReplacement file(target);
    file.Write("new ");
    file.Write("");
    file.Write("bytes");
    file.Commit();
  }
  EXPECT_EQ(ReadBytes(target), "new bytes");
  EXPECT_EQ(test_support::FolderNames(dir.Path()), std::vector<std::string>{"gamelist.xml"});
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

#include "gamelist/entry.h"

#include <gtest/gtest.h>

namespace {

struct DerivationCase {
  const char* line;
  const char* path;
  const char* name;
  const char* image;
  const char* video;
};

TEST(DeriveGameEntry, ReplacesEveryExactCaseZipFromTheLeft) {
  const DerivationCase cases[] = {
      {"Alpha (Europe).zip", "./Alpha (Europe).zip", "Alpha (Europe)", "./images/Alpha (Europe).png",
       "./videos/Alpha (Europe).mp4"},
      {"GAME.ZIP", "./GAME.ZIP", "GAME.ZIP", "./images/GAME.ZIP", "./videos/GAME.ZIP"},
      {"a.zip.zip", "./a.zip.zip", "a", "./images/a.png.png", "./videos/a.mp4.mp4"},
      {"my.zipper.zip", "./my.zipper.zip", "myper", "./images/my.pngper.png", "./videos/my.mp4per.mp4"},
      {".zip", "./.zip", "", "./images/.png", "./videos/.mp4"},
      {"x..zipzip", "./x..zipzip", "x.zip", "./images/x..pngzip", "./videos/x..mp4zip"},
      {"Sonic.7z", "./Sonic.7z", "Sonic.7z", "./images/Sonic.7z", "./videos/Sonic.7z"},
      {"\xE4\xB8\xAD\xE6\x96\x87.zip", "./\xE4\xB8\xAD\xE6\x96\x87.zip", "\xE4\xB8\xAD\xE6\x96\x87",
       "./images/\xE4\xB8\xAD\xE6\x96\x87.png", "./videos/\xE4\xB8\xAD\xE6\x96\x87.mp4"},
      {"", "./", "", "./images/", "./videos/"},
  };
  // Fresh entries, and one entry reused down the table (each line shorter or
  // longer than the one before): a reused entry keeps nothing of the last.
  gamelist::GameEntry reused;
  for (const DerivationCase& c : cases) {
    gamelist::DeriveGameEntry(c.line, reused);
    for (const gamelist::GameEntry& entry : {gamelist::DeriveGameEntry(c.line), reused}) {
      EXPECT_EQ(entry.path, c.path) << c.line;
      EXPECT_EQ(entry.name, c.name) << c.line;
      EXPECT_EQ(entry.image, c.image) << c.line;
      EXPECT_EQ(entry.video, c.video) << c.line;
    }
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "archive/PackArchive.h"
#include "demo/IniFile.h"
#include "tests/archive/ArchiveImage.h"

using archivetest::TempDir;

namespace {

class IniFileTest : public ::testing::Test {
protected:
  bool load(const std::string& text) { return ini.load(temp.write("setting.ini", text)); }
  // Width in section Window of text, or -1.
  int32_t width(const std::string& text) {
    EXPECT_TRUE(load(text) && ini.selectSection("Window")) << text;
    return ini.getInt("Width", -1);
  }
  void expectEmpty(const std::string& what) {
    EXPECT_EQ(nullptr, ini.data) << what;
    EXPECT_EQ(nullptr, ini.dataEnd) << what;
    EXPECT_EQ(nullptr, ini.sectionStart) << what;
    EXPECT_EQ(0, ini.size) << what;
    EXPECT_FALSE(ini.selectSection("Window")) << what;
    EXPECT_EQ(640, ini.getInt("Width", 640)) << what;
  }
  TempDir temp;
  IniFile ini;
};

}  // namespace

// --- Loading --------------------------------------------------------------------------------

TEST_F(IniFileTest, LoadsFromDiskExactly) {
  ASSERT_TRUE(load("[Window]\r\nFullScreen=0\r\nWidth=800\r\nHeight=600\r\n"));
  EXPECT_EQ(47, ini.size);
  EXPECT_EQ(ini.data + ini.size, ini.dataEnd);
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(0, ini.getInt("FullScreen", 9));
  EXPECT_EQ(800, ini.getInt("Width", 640));
  EXPECT_EQ(600, ini.getInt("Height", 480));
}

TEST_F(IniFileTest, LoadsThroughASourceWithoutFallingBackToTheDisk) {
  std::string onDisk = temp.write("setting.ini", "[Window]\nWidth=1\n");
  PackArchive archive;
  EXPECT_FALSE(ini.load(onDisk, &archive)) << "a source that serves nothing";
  expectEmpty("refusing source");
  archivetest::Dir root{"data", {{"data\\setting.ini", "[Window]\nWidth=2\n"}}, {}};
  ASSERT_TRUE(archive.open(temp.write("data.pak", archivetest::archiveImage(root))));
  ASSERT_TRUE(ini.load("Data\\Setting.ini", &archive));
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(2, ini.getInt("Width", 0));
}

TEST_F(IniFileTest, FailedLoadEmptiesTheObject) {
  // sysfs attributes measure 4096 bytes by seeking to their end but deliver a few.
  std::vector<std::string> failing = {temp / "absent.ini", temp.path};
  if (std::ifstream("/sys/devices/system/cpu/online").good()) {
    failing.push_back("/sys/devices/system/cpu/online");
  }
  for (const std::string& path : failing) {
    ASSERT_TRUE(load("[Window]\nWidth=1\n") && ini.selectSection("Window"));
    EXPECT_FALSE(ini.load(path)) << path;
    expectEmpty(path);
  }
}

TEST_F(IniFileTest, EmptyFileLoadsAndReloadingDropsTheSelection) {
  ASSERT_TRUE(load(""));
  EXPECT_FALSE(ini.selectSection("Window"));
  EXPECT_FALSE(ini.selectSection(""));
  ASSERT_TRUE(load("[Window]\nWidth=1\n") && ini.selectSection("Window"));
  ASSERT_TRUE(load("[Other]\nWidth=2\n"));
  EXPECT_EQ(7, ini.getInt("Width", 7)) << "no section is selected after a load";
}

// --- Sections -----------------------------------------------------------------------------

TEST_F(IniFileTest, HeadersNeedALeadingBracketAndEveryClosingOneIsACandidateEnd) {
  ASSERT_TRUE(load("[ Window ]\nWidth=1\n// [Window]\nx [Window]\n[window]\n  [a]b]\nk=5\n[c//]\n"));
  EXPECT_FALSE(ini.selectSection("Window"));
  EXPECT_TRUE(ini.selectSection(" Window "));
  EXPECT_TRUE(ini.selectSection("window"));
  EXPECT_TRUE(ini.selectSection("a"));
  EXPECT_TRUE(ini.selectSection("a]b"));
  EXPECT_EQ(5, ini.getInt("k", 0));
  EXPECT_FALSE(ini.selectSection("b"));
  EXPECT_FALSE(ini.selectSection("c//")) << "a comment ends the header line";
}

TEST_F(IniFileTest, SelectionCoversOnlyItsOwnLines) {
  ASSERT_TRUE(load("Width=5\n[Other]\nWidth=1\nHeight=2\n[Window]\nHeight=3\n[Last]\nWidth=4\n"));
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(3, ini.getInt("Height", 0));
  EXPECT_EQ(640, ini.getInt("Width", 640));
  EXPECT_FALSE(ini.selectSection("Missing"));
  EXPECT_EQ("Missing", ini.sectionName);
  EXPECT_EQ(3, ini.getInt("Height", 0)) << "a failed selection keeps the earlier one";

  ASSERT_TRUE(load("Width=1\n[Window]") && ini.selectSection("Window"));
  EXPECT_EQ(ini.dataEnd, ini.sectionStart) << "a header on the last line selects nothing";
  EXPECT_EQ(640, ini.getInt("Width", 640));
}

// --- Keys and values ------------------------------------------------------------------------

TEST_F(IniFileTest, KeysAndValues) {
  const std::vector<std::pair<const char*, int32_t>> cases = {
      // blanks and comments around a key
      {"Width = 800\n", 800},
      {" \t Width=800 // wide\n", 800},
      {"Width=800// wide\n", 800},
      {"// Width=800\n", -1},
      {"Wid//th=800\n", -1},
      // names compare as exact bytes; any byte after the name separates
      {"width=800\n", -1},
      {"WidthX=800\n", -1},
      {"Widt=800\n", -1},
      {"Width 800\n", 0},
      {"Width :800\n", 800},
      // values read as decimal integers, saturating
      {"Width=\n", -1},
      {"Width\n", -1},
      {"Width=abc\n", -1},
      {"Width=-\n", -1},
      {"Width=-5\n", -5},
      {"Width=+7\n", 7},
      {"Width=12px\n", 12},
      {"Width=99999999999999999999\n", 2147483647},
      {"Width=-2147483648\n", -2147483647 - 1},
      // the first matching line wins, even when its value is unreadable
      {"Width=1\nWidth=2\n", 1},
      {"Width=x\nWidth=2\n", -1},
      // a "[" anywhere ends the section
      {"A=1 // see [x]\nWidth=2\n", -1},
      {"A=1[\nWidth=2\n", -1},
      // the last line needs no line feed
      {"Height=1\nWidth=1024", 1024},
  };
  for (const auto& [lines, expected] : cases) {
    EXPECT_EQ(expected, width(std::string("[Window]\n") + lines)) << lines;
  }
}

TEST_F(IniFileTest, ReadLineCutsAtLineFeedsOnly) {
  const char text[] = "ab\r\n\ncd";
  const uint8_t* position = reinterpret_cast<const uint8_t*>(text);
  const uint8_t* end = position + 7;
  std::string line;
  for (const char* expected : {"ab\r", "", "cd"}) {
    IniFile::readLine(line, position, end);
    EXPECT_EQ(expected, line);
  }
  EXPECT_EQ(end, position);
}

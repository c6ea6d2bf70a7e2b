#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/FileSource.h"
#include "demo/IniFile.h"

#include <unistd.h>

namespace {

// Serves every name as the same text through the new-block read, or refuses.
class TextSource : public FileSource {
public:
  explicit TextSource(std::string text, bool serves = true) : text(std::move(text)), serves(serves) {}
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string&, ByteBuffer&) override { return false; }
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override {
    asked = name;
    if (!serves) {
      return false;
    }
    block = new uint8_t[text.size()];
    std::memcpy(block, text.data(), text.size());
    size = static_cast<int32_t>(text.size());
    return true;
  }
  std::string text;
  bool serves;
  std::string asked;
};

class IniFileTest : public ::testing::Test {
protected:
  // Loads text through a source and selects section Window.
  bool loadWindow(const std::string& text) {
    TextSource source(text);
    return ini.load("setting.ini", &source) && ini.selectSection("Window");
  }
  int32_t width(const std::string& text) {
    EXPECT_TRUE(loadWindow(text)) << text;
    return ini.getInt("Width", -1);
  }
  IniFile ini;
};

}  // namespace

// --- Loading --------------------------------------------------------------------------------

TEST_F(IniFileTest, LoadsFromDiskExactly) {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("brumal-ini-" + std::to_string(::getpid()) + ".ini");
  std::ofstream(path, std::ios::binary) << "[Window]\r\nFullScreen=1\r\nWidth=800\r\n";
  ASSERT_TRUE(ini.load(path.string()));
  EXPECT_EQ(35, ini.size);
  EXPECT_EQ(ini.data + ini.size, ini.dataEnd);
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(1, ini.getInt("FullScreen", 0));
  EXPECT_EQ(800, ini.getInt("Width", 640));
  std::filesystem::remove(path);
}

TEST_F(IniFileTest, MissingFileFailsAndEmptiesTheObject) {
  ASSERT_TRUE(loadWindow("[Window]\nWidth=1\n"));
  EXPECT_FALSE(ini.load("/nonexistent/brumal/setting.ini"));
  EXPECT_EQ(nullptr, ini.data);
  EXPECT_EQ(nullptr, ini.sectionStart);
  EXPECT_EQ(0, ini.size);
  EXPECT_FALSE(ini.selectSection("Window"));
  EXPECT_EQ(640, ini.getInt("Width", 640));
}

TEST_F(IniFileTest, ADirectoryIsNotLoaded) {
  EXPECT_FALSE(ini.load(std::filesystem::temp_directory_path().string()));
  EXPECT_EQ(nullptr, ini.data);
}

TEST_F(IniFileTest, FileDeliveringLessThanItsMeasuredSizeIsRefused) {
  // sysfs attributes measure 4096 bytes by seeking to their end but deliver a few.
  const std::string path = "/sys/devices/system/cpu/online";
  if (!std::ifstream(path).good()) {
    GTEST_SKIP() << path << " is not available here";
  }
  EXPECT_FALSE(ini.load(path));
  EXPECT_EQ(nullptr, ini.data);
  EXPECT_EQ(nullptr, ini.dataEnd);
}

TEST_F(IniFileTest, RefusingSourceFails) {
  TextSource source("[Window]\nWidth=1\n", false);
  EXPECT_FALSE(ini.load("setting.ini", &source));
  EXPECT_EQ("setting.ini", source.asked);
  EXPECT_EQ(nullptr, ini.data);
}

TEST_F(IniFileTest, EmptyFileLoadsButSelectsNothing) {
  TextSource source("");
  ASSERT_TRUE(ini.load("setting.ini", &source));
  EXPECT_FALSE(ini.selectSection("Window"));
  EXPECT_FALSE(ini.selectSection(""));
  EXPECT_EQ(480, ini.getInt("Height", 480));
}

TEST_F(IniFileTest, ReloadingReplacesTheSelection) {
  ASSERT_TRUE(loadWindow("[Window]\nWidth=1\n"));
  TextSource other("[Other]\nWidth=2\n");
  ASSERT_TRUE(ini.load("b.ini", &other));
  EXPECT_EQ(7, ini.getInt("Width", 7)) << "no section is selected after a load";
}

// --- Sections -----------------------------------------------------------------------------

TEST_F(IniFileTest, CrLfFileGivesAllThreeKeys) {
  ASSERT_TRUE(loadWindow("[Window]\r\nFullScreen=0\r\nWidth=800\r\nHeight=600\r\n"));
  EXPECT_EQ(0, ini.getInt("FullScreen", 9));
  EXPECT_EQ(800, ini.getInt("Width", 640));
  EXPECT_EQ(600, ini.getInt("Height", 480));
}

TEST_F(IniFileTest, HeaderNeedsExactNameAndLeadingBracket) {
  TextSource source("[ Window ]\nWidth=1\n// [Window]\nx [Window]\n[window]\n");
  ASSERT_TRUE(ini.load("s", &source));
  EXPECT_FALSE(ini.selectSection("Window"));
  EXPECT_TRUE(ini.selectSection(" Window "));
  EXPECT_TRUE(ini.selectSection("window"));
}

TEST_F(IniFileTest, EveryClosingBracketIsACandidateEnd) {
  TextSource source("  [a]b]\nk=5\n[c//]\n");
  ASSERT_TRUE(ini.load("s", &source));
  EXPECT_TRUE(ini.selectSection("a"));
  EXPECT_TRUE(ini.selectSection("a]b"));
  EXPECT_EQ(5, ini.getInt("k", 0));
  EXPECT_FALSE(ini.selectSection("b"));
  EXPECT_FALSE(ini.selectSection("c//")) << "a comment ends the header line";
}

TEST_F(IniFileTest, BracketAnywhereEndsTheSection) {
  ASSERT_TRUE(loadWindow("[Window]\nA=1 // see [x]\nB=2\n"));
  EXPECT_EQ(1, ini.getInt("A", 0));
  EXPECT_EQ(0, ini.getInt("B", 0));
  ASSERT_TRUE(loadWindow("[Window]\nA=1[\nB=2\n"));
  EXPECT_EQ(1, ini.getInt("A", 0));
  EXPECT_EQ(0, ini.getInt("B", 0));
}

TEST_F(IniFileTest, KeysOfOtherSectionsAreNeverFound) {
  TextSource source("Width=5\n[Other]\nWidth=1\nHeight=2\n[Window]\nHeight=3\n[Last]\nWidth=4\n");
  ASSERT_TRUE(ini.load("s", &source));
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(3, ini.getInt("Height", 0));
  EXPECT_EQ(640, ini.getInt("Width", 640));
}

TEST_F(IniFileTest, FailedSelectionKeepsTheEarlierOne) {
  ASSERT_TRUE(loadWindow("[Window]\nWidth=800\n[Other]\nWidth=1\n"));
  EXPECT_FALSE(ini.selectSection("Missing"));
  EXPECT_EQ("Missing", ini.sectionName);
  EXPECT_EQ(800, ini.getInt("Width", 640));
}

TEST_F(IniFileTest, HeaderOnTheLastLineGivesAnEmptySection) {
  ASSERT_TRUE(loadWindow("Width=1\n[Window]"));
  EXPECT_EQ(ini.dataEnd, ini.sectionStart);
  EXPECT_EQ(640, ini.getInt("Width", 640));
}

// --- Keys and values ------------------------------------------------------------------------

TEST_F(IniFileTest, BlanksAndCommentsAroundAKey) {
  EXPECT_EQ(800, width("[Window]\nWidth = 800\n"));
  EXPECT_EQ(800, width("[Window]\n \t Width=800 // wide\n"));
  EXPECT_EQ(800, width("[Window]\nWidth=800// wide\n"));
  EXPECT_EQ(-1, width("[Window]\n// Width=800\n"));
  EXPECT_EQ(-1, width("[Window]\nWid//th=800\n"));
}

TEST_F(IniFileTest, KeyNamesAreCaseSensitive) {
  EXPECT_EQ(-1, width("[Window]\nwidth=800\n"));
  EXPECT_EQ(-1, width("[Window]\nWidthX=800\n"));
  EXPECT_EQ(-1, width("[Window]\nWidt=800\n"));
}

TEST_F(IniFileTest, AnyByteAfterTheKeyIsTheSeparator) {
  EXPECT_EQ(0, width("[Window]\nWidth 800\n"));
  EXPECT_EQ(800, width("[Window]\nWidth :800\n"));
}

TEST_F(IniFileTest, ValuesReadAsDecimalIntegers) {
  EXPECT_EQ(-1, width("[Window]\nWidth=\n"));
  EXPECT_EQ(-1, width("[Window]\nWidth\n"));
  EXPECT_EQ(-1, width("[Window]\nWidth=abc\n"));
  EXPECT_EQ(-5, width("[Window]\nWidth=-5\n"));
  EXPECT_EQ(7, width("[Window]\nWidth=+7\n"));
  EXPECT_EQ(12, width("[Window]\nWidth=12px\n"));
  EXPECT_EQ(-1, width("[Window]\nWidth=-\n"));
  EXPECT_EQ(2147483647, width("[Window]\nWidth=99999999999999999999\n"));
  EXPECT_EQ(-2147483647 - 1, width("[Window]\nWidth=-2147483648\n"));
}

TEST_F(IniFileTest, FirstMatchingLineWins) {
  EXPECT_EQ(1, width("[Window]\nWidth=1\nWidth=2\n"));
  EXPECT_EQ(-1, width("[Window]\nWidth=x\nWidth=2\n")) << "an unreadable first value still wins";
}

TEST_F(IniFileTest, LastLineWithoutLineFeed) {
  EXPECT_EQ(1024, width("[Window]\nHeight=1\nWidth=1024"));
}

TEST_F(IniFileTest, ReadLineCutsAtLineFeedsOnly) {
  const char text[] = "ab\r\n\ncd";
  const uint8_t* position = reinterpret_cast<const uint8_t*>(text);
  const uint8_t* end = position + 7;
  std::string line;
  IniFile::readLine(line, position, end);
  EXPECT_EQ("ab\r", line);
  IniFile::readLine(line, position, end);
  EXPECT_EQ("", line);
  IniFile::readLine(line, position, end);
  EXPECT_EQ("cd", line);
  EXPECT_EQ(end, position);
}

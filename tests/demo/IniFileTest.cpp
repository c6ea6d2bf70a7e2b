#include <unistd.h>

#include <gtest/gtest.h>

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
  TempDir temp;
  IniFile ini;
};

}  // namespace

TEST_F(IniFileTest, LoadsWholeFilesFromDiskOrThroughASourceAndAFailedLoadEmptiesIt) {
  ASSERT_TRUE(load("[Window]\r\nFullScreen=0\r\nWidth=800\r\n"));
  EXPECT_TRUE(ini.size == 35 && ini.data + ini.size == ini.dataEnd);
  PackArchive archive;
  archivetest::Dir root{"data", {{"data\\setting.ini", "[Window]\nWidth=2\n"}}, {}};
  ASSERT_TRUE(archive.open(temp.write("data.pak", archivetest::archiveImage(root))));
  ASSERT_TRUE(ini.load("Data\\Setting.ini", &archive));
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(2, ini.getInt("Width", 0));

  // sysfs attributes measure 4096 bytes but deliver a few; the source serves no setting.ini.
  for (const std::string& path :
       {temp / "absent.ini", temp.path, std::string("/sys/devices/system/cpu/online"), temp / "setting.ini"}) {
    ASSERT_TRUE(load("[Window]\nWidth=1\n") && ini.selectSection("Window"));
    EXPECT_FALSE(ini.load(path, path == temp / "setting.ini" ? &archive : nullptr)) << path;
    EXPECT_TRUE(ini.data == nullptr && ini.size == 0 && !ini.selectSection("Window")) << path;
    EXPECT_EQ(640, ini.getInt("Width", 640)) << path;
  }
  ASSERT_TRUE(load(""));
  EXPECT_FALSE(ini.selectSection(""));
}

TEST_F(IniFileTest, Sections) {
  ASSERT_TRUE(load("[ Window ]\nWidth=1\n// [Window]\nx [Window]\n[window]\n  [a]b]\nk=5\n[c//]\n"));
  EXPECT_FALSE(ini.selectSection("Window"));
  EXPECT_TRUE(ini.selectSection(" Window ") && ini.selectSection("window") && ini.selectSection("a"));
  EXPECT_TRUE(ini.selectSection("a]b")) << "every closing bracket is a candidate end";
  EXPECT_EQ(5, ini.getInt("k", 0));
  EXPECT_FALSE(ini.selectSection("c//")) << "a comment ends the header line";
  EXPECT_EQ(5, ini.getInt("k", 0)) << "a failed selection keeps the earlier one";
  ASSERT_TRUE(load("Width=5\n[Other]\nWidth=1\n[Window]\nHeight=3\n[Last]\nWidth=4\n"));
  EXPECT_EQ(7, ini.getInt("Height", 7)) << "no section is selected after a load";
  ASSERT_TRUE(ini.selectSection("Window"));
  EXPECT_EQ(3, ini.getInt("Height", 0));
  EXPECT_EQ(640, ini.getInt("Width", 640));
  ASSERT_TRUE(load("Width=1\n[Window]") && ini.selectSection("Window"));
  EXPECT_EQ(ini.dataEnd, ini.sectionStart) << "a header on the last line selects nothing";
}

// Each case: the lines of section Window, "|", the Width read. Blanks and comments around a key;
// names compare as exact bytes and any byte after the name separates; decimal values, saturating;
// the first matching line wins even when its value is unreadable; a "[" ends the section; the
// last line needs no line feed.
TEST_F(IniFileTest, KeysAndValues) {
  for (const std::string row :
       {"Width = 800 // wide\n|800", " \tWidth=800// wide\n|800", "// Width=800\n|-1", "Wid//th=800\n|-1",
        "width=800\n|-1", "WidthX=800\n|-1", "Width 800\n|0", "Width :800\n|800", "Width=\n|-1", "Width=-\n|-1",
        "Width=-5\n|-5", "Width=+7\n|7", "Width=12px\n|12", "Width=x\nWidth=2\n|-1", "A=1 // see [x]\nWidth=2\n|-1",
        "Width=99999999999999999999\n|2147483647", "Width=-2147483648\n|-2147483648", "Height=1\nWidth=1024|1024"}) {
    size_t bar = row.rfind('|');
    EXPECT_EQ(std::stol(row.substr(bar + 1)), width("[Window]\n" + row.substr(0, bar))) << row;
  }
}

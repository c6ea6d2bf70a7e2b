// The demo's data set as the build made it in the program folder: data.pak lists what the demo
// asks for, and every resource loads through the engine's own readers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "archive/FileLoader.h"
#include "archive/PackArchive.h"
#include "display/Display.h"
#include "font/BitmapFont.h"
#include "render/BlendTables.h"
#include "render/Sprite.h"
#include "tools/bdi/BdiFile.h"
#include "tests/support/ScratchFiles.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const std::string kBin = DEMO_BIN_DIR;

// The two start-up status texts of the demo, GBK.
const char kInitialising[] =  // "正在初始化BDI数据..."
    "\xD5\xFD\xD4\xDA\xB3\xF5\xCA\xBC\xBB\xAF\x42\x44\x49\xCA\xFD\xBE\xDD\x2E\x2E\x2E";
const char kInitialised[] =  // "初始化BDI数据完成!"
    "\xB3\xF5\xCA\xBC\xBB\xAF\x42\x44\x49\xCA\xFD\xBE\xDD\xCD\xEA\xB3\xC9\x21";

using testsupport::readBytes;

class DataSet : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(archive.open(kBin + "/data.pak")); }
  PackArchive archive;
  FileLoader loader{&archive};
};

TEST_F(DataSet, PackerListsExactlyTheDemosFiles) {
  const std::string list = (fs::temp_directory_path() / ("data_list_" + std::to_string(getpid()) + ".txt")).string();
  // The packer's status is 1 after any command; its list file tells the result.
  const std::string command = "cd '" + kBin + "' && '" + PACKER_TOOL + "' -l data.pak '" + list + "' >/dev/null";
  std::system(command.c_str());
  std::ifstream in(list);
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.push_back(line);
  }
  std::remove(list.c_str());
  EXPECT_EQ(names, (std::vector<std::string>{"data", "data\\bdi.dat", "data\\fire.bdi", "data\\role.bdi",
                                             "data\\songti16x16.font", "data\\tile02.bdi", "data\\tile04.bdi"}));
}

TEST_F(DataSet, ImagesLoadAsSpritesWithTheirShapes) {
  struct Expected {
    const char* name;
    int minWidth;
    int minHeight;
  };
  const Expected images[] = {{"data\\tile02.bdi", 128, 128},
                             {"data\\role.bdi", 48, 96},
                             {"data\\fire.bdi", 256, 128},
                             {"data\\tile04.bdi", 128, 64}};
  std::set<int> methods;
  for (const Expected& image : images) {
    SCOPED_TRACE(image.name);
    Sprite sprite;
    ASSERT_TRUE(sprite.load(loader, image.name));
    EXPECT_GE(sprite.width, image.minWidth);
    EXPECT_GE(sprite.height, image.minHeight);
    methods.insert((sprite.header[0] >> 24) & 0xFF);

    // The packed copy is the one in data/, and the tools read it back to the same codes.
    std::string file = std::string(image.name).substr(5);
    Bytes codes;
    std::string error;
    ASSERT_TRUE(decodeBdiFile(readBytes(kBin + "/data/" + file), codes, error)) << error;
    ASSERT_EQ(codes.size(), static_cast<size_t>(sprite.width) * sprite.height);
    EXPECT_EQ(0, std::memcmp(codes.data(), sprite.pixels, codes.size()));
  }
  EXPECT_EQ(methods, (std::set<int>{0, 1, 2}));

  // The fire is eight 32 x 128 frames on black, all different; black is what Add leaves alone.
  Sprite fire;
  ASSERT_TRUE(fire.load(loader, "data\\fire.bdi"));
  ASSERT_EQ(fire.width, 256);
  ASSERT_EQ(fire.height, 128);
  for (int frame = 0; frame < 8; ++frame) {
    EXPECT_EQ(fire.pixels[frame * 32], 0) << "frame " << frame << " top left";
    int bright = 0;
    for (int y = 0; y < 128; ++y) {
      for (int x = 0; x < 32; ++x) bright += fire.pixels[y * 256 + frame * 32 + x] >= 0xE0;
    }
    EXPECT_GT(bright, 100) << "frame " << frame;
    if (frame > 0) {
      bool differs = false;
      for (int y = 0; y < 128 && !differs; ++y) {
        differs = std::memcmp(&fire.pixels[y * 256 + frame * 32], &fire.pixels[y * 256 + frame * 32 - 32], 32) != 0;
      }
      EXPECT_TRUE(differs) << "frame " << frame << " repeats the one before";
    }
  }
}

TEST_F(DataSet, KeyedImagesHaveTheirKeyAroundThePicture) {
  // The keys the demo sets: black (code 0) for role, magenta (code 248) for tile04.
  const struct {
    const char* name;
    uint8_t key;
  } keyed[] = {{"data\\role.bdi", 0}, {"data\\tile04.bdi", 248}};
  for (const auto& image : keyed) {
    SCOPED_TRACE(image.name);
    Sprite sprite;
    ASSERT_TRUE(sprite.load(loader, image.name));
    sprite.setColorKey(image.key == 0 ? 0 : 255, 0, image.key == 0 ? 0 : 255);
    EXPECT_EQ(sprite.colorKey, image.key);
    const size_t size = static_cast<size_t>(sprite.width) * sprite.height;
    size_t keyedPixels = 0;
    for (size_t i = 0; i < size; ++i) keyedPixels += sprite.pixels[i] == image.key;
    EXPECT_GT(keyedPixels, size / 50);       // there is a background...
    EXPECT_LT(keyedPixels, size * 9 / 10);   // ...and a picture on it
    EXPECT_EQ(sprite.pixels[0], image.key);  // the top left corner is background
    const size_t centre = static_cast<size_t>(sprite.height / 2) * sprite.width + sprite.width / 2;
    EXPECT_NE(sprite.pixels[centre], image.key);
  }
}

TEST_F(DataSet, FontDrawsTheDemosTexts) {
  BitmapFont font;
  ASSERT_TRUE(font.load(loader, "data\\songti16x16.font"));
  EXPECT_EQ(font.header[0] & 0xFFFF, 0x4746u);
  EXPECT_EQ(font.header[1] & 0xFFFF, 0x1010u);  // cellWidth 16, glyphSize 16
  EXPECT_EQ(font.header[2], 526336u);

  Display display;
  display.width = 640;
  display.height = 480;
  display.bufferSize = 640 * 480;
  display.buffer = new uint8_t[640 * 480];
  display.bufferCapacity = display.bufferSize;

  // Draws text at (8, 8) and checks that every character's cell holds pixels of colour 255.
  auto expectVisible = [&](const char* text) {
    std::memset(display.buffer, 0, display.bufferSize);
    font.drawText(display, 8, 8, 20, 255, text);
    int pen = 8;
    for (size_t i = 0; text[i] != 0;) {
      const bool wide = static_cast<uint8_t>(text[i]) >= 0x80;
      const int columns = wide ? 16 : 8;
      int lit = 0;
      for (int y = 8; y < 24; ++y) {
        for (int x = pen; x < pen + columns; ++x) lit += display.buffer[y * 640 + x] == 255;
      }
      EXPECT_GT(lit, wide ? 12 : 1) << "character at byte " << i << " of the text";
      pen += columns + 1;
      i += wide ? 2 : 1;
    }
  };
  expectVisible("FPS=60");
  expectVisible(kInitialising);
  expectVisible(kInitialised);

  // A pair that is not GBK, and a control character, are blank.
  std::memset(display.buffer, 0, display.bufferSize);
  font.drawText(display, 8, 8, 20, 255, "\x81\x20\x0A");
  int lit = 0;
  for (int i = 0; i < display.bufferSize; ++i) lit += display.buffer[i] != 0;
  EXPECT_EQ(lit, 0);
}

TEST_F(DataSet, BlendTableFileHoldsTheComputedTables) {
  const Bytes file = readBytes(kBin + "/data/bdi.dat");
  ASSERT_EQ(file.size(), kBlendTableFileSize);
  computeBlendTables();
  EXPECT_EQ(0, std::memcmp(file.data() + kAlphaTableOffset, alphaTable, sizeof alphaTable));
  EXPECT_EQ(0, std::memcmp(file.data() + kAddTableOffset, addTable, sizeof addTable));
  EXPECT_EQ(0, std::memcmp(file.data() + kSubTableOffset, subTable, sizeof subTable));
  EXPECT_EQ(0, std::memcmp(file.data() + kGreyTableOffset, greyTable, sizeof greyTable));
}

TEST(DataSetFiles, DefaultSettingsAreAWindowOf640By480) {
  std::ifstream in(kBin + "/setting.ini");
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("[Window]"), std::string::npos);
  EXPECT_NE(text.find("FullScreen=0"), std::string::npos);
  EXPECT_NE(text.find("Width=640"), std::string::npos);
  EXPECT_NE(text.find("Height=480"), std::string::npos);
}

}  // namespace

// The asset tools as a user runs them: results, messages, exit statuses and the files they leave.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/LittleEndian.h"
#include "tools/bdi/BdiFile.h"
#include "tools/bdi/ColorCoder.h"
#include "tools/bdi/PngImage.h"
#include "tests/support/ScratchFiles.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using testsupport::readBytes;

class ToolRun : public ::testing::Test {
protected:
  std::string path(const std::string& name) const { return "'" + (dir / name) + "'"; }
  // Runs a tool in the scratch folder with its output in files; returns the exit status.
  int run(const std::string& tool, const std::string& args) {
    const std::string command = "cd " + path("") + " && '" + tool + "' " + args + " >stdout 2>stderr";
    const int status = std::system(command.c_str());
    out = testsupport::readFile(dir / "stdout");
    err = testsupport::readFile(dir / "stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int bdi(const std::string& args) { return run(BDI_TOOL, args); }
  void write(const std::string& name, const Bytes& bytes) { dir.write(name, std::string(bytes.begin(), bytes.end())); }

  testsupport::TempDir dir;
  std::string out;
  std::string err;
};

TEST_F(ToolRun, EncodesWithEachMethodAndDecodesToTheDisplayedColours) {
  // Runs, noise and a transparent hole, 53 x 29.
  PngImage source(53, 29);
  for (int y = 0; y < 29; ++y) {
    for (int x = 0; x < 53; ++x) {
      const uint8_t v =
          y > 20 ? static_cast<uint8_t>((x * 97 + y * 31) * 2654435761u >> 24) : static_cast<uint8_t>(x / 8 * 40);
      source.set(x, y, v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(y * 8), (x == 5 && y == 5) ? 0 : 255);
    }
  }
  std::string error;
  ASSERT_TRUE(source.write(dir / "in.png", error)) << error;
  ColorCoder coder;
  size_t smallest = SIZE_MAX;
  for (const std::string method : {"0", "1", "2", "auto"}) {
    ASSERT_EQ(bdi("encode -m " + method + " in.png out.bdi"), 0) << err;
    EXPECT_EQ(err, "bdi: warning: in.png has transparent pixels (1) but no key code (-k); they are coded as opaque\n");
    const Bytes file = readBytes(dir / "out.bdi");
    BdiHeader header;
    ASSERT_TRUE(parseBdiFile(file, header, error)) << error;
    EXPECT_TRUE(header.width == 53 && header.height == 29) << method;
    // Auto, last, picks the smallest file of the three.
    EXPECT_TRUE(method == "auto" ? file.size() == smallest : header.method == std::stoi(method)) << method;
    smallest = std::min(smallest, file.size());

    ASSERT_EQ(bdi("info out.bdi"), 0) << err;
    EXPECT_NE(out.find("width       53\n  height      29"), std::string::npos) << out;
    ASSERT_EQ(bdi("decode out.bdi out.png"), 0) << err;
    PngImage decoded;
    ASSERT_TRUE(decoded.read(dir / "out.png", error)) << error;
    for (int i = 0; i < 53 * 29; ++i) {
      const auto shown = ColorCoder::codeRgb(coder.code(source.at(i % 53, i / 53)));
      ASSERT_EQ(Bytes(decoded.at(i % 53, i / 53), decoded.at(i % 53, i / 53) + 3), Bytes(shown.begin(), shown.end()))
          << method << ", pixel " << i;
    }
  }
  ASSERT_EQ(bdi("encode --dither in.png dithered.bdi"), 0) << err;
  EXPECT_NE(readBytes(dir / "dithered.bdi"), readBytes(dir / "out.bdi"));
}

TEST_F(ToolRun, KeyOptionsMapPixelsToTheKeyCode) {
  PngImage image(4, 1);
  image.set(0, 0, 255, 0, 255);
  image.set(1, 0, 9, 9, 9, 0);
  image.set(2, 0, 255, 28, 198);  // shows like code 248 but is not the key colour
  image.set(3, 0, 255, 255, 255);
  std::string error;
  ASSERT_TRUE(image.write(dir / "key.png", error)) << error;
  // Dithered too: pixels that show like the key code still do not take it.
  for (const std::string dither : {"", "-d "}) {
    ASSERT_EQ(bdi("encode -m 0 " + dither + "-k 248 -c 255,0,255 key.png key.bdi"), 0) << err;
    EXPECT_EQ(err, "") << dither;
    const Bytes file = readBytes(dir / "key.bdi");
    ASSERT_EQ(file.size(), 20u);
    EXPECT_TRUE(file[16] == 248 && file[17] == 248 && file[18] != 248 && file[19] == 255) << dither;
  }
}

TEST_F(ToolRun, BadInputFailsClearlyAndWritesNothing) {
  PngImage picture(3, 2);
  std::string error;
  ASSERT_TRUE(picture.write(dir / "in.png", error)) << error;
  dir.write("junk.png", "junk");
  dir.write("keep.bdi", "old");
  const struct {
    const char* args;
    int status;
    const char* message;
  } cases[] = {{"encode missing.png keep.bdi", 1, "missing.png"},
               {"encode junk.png keep.bdi", 1, "junk.png"},
               {"encode -m 3 in.png keep.bdi", 1, "method"},
               {"encode -k 256 in.png keep.bdi", 1, "key code"},
               {"encode -c 1,2 -k 3 in.png keep.bdi", 1, "key colour"},
               {"encode -c 1,2,3 in.png keep.bdi", 1, "-k"},
               {"encode in.png no/dir/out.bdi", 1, "no/dir"},
               {"", 2, "usage"},
               {"frobnicate x", 2, "usage"}};
  for (const auto& c : cases) {
    EXPECT_EQ(bdi(c.args), c.status) << c.args;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.args << ": " << err;
  }
  EXPECT_EQ(testsupport::readFile(dir / "keep.bdi"), "old");

  // Damaged files: decode refuses them and writes no picture; info shows the fields first. The
  // 20-byte file asks for a 1000 x 1000 block that four run-length bytes cannot fill.
  Bytes cut = makeBdiFile(3, 2, 1, {0x86, 7});
  cut.pop_back();
  Bytes huge = makeBdiFile(1000, 1000, 1, {0xFF, 1, 0xFF, 2});
  write("cut.bdi", cut);
  write("huge.bdi", huge);
  dir.write("junk.bdi", std::string(40, 'x'));
  for (const char* name : {"cut", "huge", "junk"}) {
    EXPECT_EQ(bdi(std::string("decode ") + name + ".bdi out.png"), 1) << name;
    EXPECT_FALSE(fs::exists(dir / "out.png")) << name;
    const std::string decodeError = err;
    EXPECT_EQ(bdi(std::string("info ") + name + ".bdi"), 1) << name;
    EXPECT_EQ(err, decodeError) << name;
  }
  EXPECT_NE(err.find("magic"), std::string::npos) << err;
  EXPECT_EQ(bdi("info cut.bdi"), 1);
  EXPECT_NE(out.find("width       3"), std::string::npos) << out;
  EXPECT_NE(err.find("stored size"), std::string::npos) << err;
  EXPECT_EQ(bdi("info huge.bdi"), 1);
  EXPECT_NE(err.find("pixel size 1000000 cannot come from 4 payload bytes"), std::string::npos) << err;
  for (const auto& entry : fs::directory_iterator(dir.path)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(ToolRun, HelpPrintsTheUsageAndArtgenMakesItsFolder) {
  for (const std::string tool : {BDI_TOOL, BDTABLES_TOOL, ARTGEN_TOOL}) {
    EXPECT_EQ(run(tool, "--help"), 0) << tool;
    EXPECT_EQ(out.rfind("usage: ", 0), 0u) << tool << ": " << out;
    EXPECT_FALSE(fs::exists(dir / "--help")) << tool;
  }
  ASSERT_EQ(run(ARTGEN_TOOL, "new/art"), 0) << err;
  for (const char* picture : {"tile02", "role", "fire", "tile04"}) {
    PngImage image;
    std::string error;
    EXPECT_TRUE(image.read(dir / ("new/art/" + std::string(picture) + ".png"), error)) << error;
  }
}

TEST_F(ToolRun, FontBuilderTakesGlyphsFromTheHexFile) {
  // 'A' as an 8 x 16 glyph, U+6B63 (GBK D5 FD) as 16 x 16, U+4E00 (GBK D2 BB) narrow; rows
  // chosen so that a mirrored bit order shows.
  dir.write("mini.hex", "0041:8001F000000000000000000000000000\n6B63:80000001FFFE0100" + std::string(48, '0') +
                            "\n4E00:00000000000000FF0000000000000000\n");
  ASSERT_EQ(run(FONTBUILDER_TOOL, "mini.hex mini.font"), 0) << err;
  const Bytes font = readBytes(dir / "mini.font");
  ASSERT_EQ(font.size(), 12u + 32896u * 32u);
  EXPECT_EQ(Bytes(font.begin(), font.begin() + 6), (Bytes{0x46, 0x47, 0, 0, 16, 16}));
  EXPECT_EQ(readLe32(&font[8]), 526336u);
  const auto row = [&](size_t glyph, int r) { return readLe16(&font[12 + glyph * 32 + r * 2]); };
  const uint32_t zheng = 128 + (0xD5 - 0x80) * 256 + 0xFD, yi = 128 + (0xD2 - 0x80) * 256 + 0xBB;
  // Leftmost pixel in bit 0 of the font, in the top bit of the hex file; a narrow glyph stays
  // at the left, and glyphs the file lacks stay blank.
  const uint32_t rows[][3] = {{0x41, 0, 0x01},    {0x41, 1, 0x80},    {0x41, 2, 0x0F},
                              {zheng, 0, 0x0001}, {zheng, 1, 0x8000}, {zheng, 2, 0x7FFF},
                              {zheng, 3, 0x0080}, {yi, 7, 0xFF},      {0x42, 6, 0}};
  for (const auto& r : rows) EXPECT_EQ(row(r[0], r[1]), r[2]) << "glyph " << r[0] << " row " << r[1];

  dir.write("bad.hex", "0041:00zz\n");
  for (const char* hex : {"none.hex", "bad.hex"}) {
    EXPECT_EQ(run(FONTBUILDER_TOOL, std::string(hex) + " out.font"), 1) << hex;
    EXPECT_NE(err.find(hex), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "out.font")) << hex;
  }
}

}  // namespace

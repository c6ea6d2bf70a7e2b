// The bdi and fontbuilder programs as a user runs them: results, messages and exit statuses.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
  std::string path(const std::string& name) const { return dir / name; }

  // Runs a tool with its output in files; returns the exit status.
  int run(const std::string& tool, const std::string& args) {
    const std::string command = "'" + tool + "' " + args + " >'" + path("stdout") + "' 2>'" + path("stderr") + "'";
    const int status = std::system(command.c_str());
    out = readText("stdout");
    err = readText("stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int bdi(const std::string& args) { return run(BDI_TOOL, args); }

  std::string readText(const std::string& name) const { return testsupport::readFile(path(name)); }

  // A picture with runs, noise and a transparent hole, 53 x 29.
  PngImage picture() const {
    PngImage image(53, 29);
    for (int y = 0; y < 29; ++y) {
      for (int x = 0; x < 53; ++x) {
        const bool noisy = y > 20;
        const uint8_t v =
            noisy ? static_cast<uint8_t>((x * 97 + y * 31) * 2654435761u >> 24) : static_cast<uint8_t>(x / 8 * 40);
        image.set(x, y, v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(y * 8), (x == 5 && y == 5) ? 0 : 255);
      }
    }
    return image;
  }

  testsupport::TempDir dir;
  std::string out;
  std::string err;
};

TEST_F(ToolRun, EncodesWithEachMethodAndDecodesToTheDisplayedColours) {
  std::string error;
  const PngImage source = picture();
  ASSERT_TRUE(source.write(path("in.png"), error)) << error;
  ColorCoder coder;
  std::vector<size_t> sizes;
  for (const std::string method : {"0", "1", "2", "auto"}) {
    SCOPED_TRACE(method);
    ASSERT_EQ(bdi("encode -m " + method + " '" + path("in.png") + "' '" + path("out.bdi") + "'"), 0) << err;
    const Bytes file = readBytes(path("out.bdi"));
    BdiHeader header;
    ASSERT_TRUE(parseBdiFile(file, header, error)) << error;
    EXPECT_EQ(header.width, 53);
    EXPECT_EQ(header.height, 29);
    if (method != "auto") {
      EXPECT_EQ(header.method, std::stoi(method));
      sizes.push_back(file.size());
    } else {
      for (size_t size : sizes) EXPECT_LE(file.size(), size);
    }

    ASSERT_EQ(bdi("info '" + path("out.bdi") + "'"), 0) << err;
    EXPECT_NE(out.find("width       53"), std::string::npos) << out;
    EXPECT_NE(out.find("method      " + std::to_string(header.method)), std::string::npos) << out;

    ASSERT_EQ(bdi("decode '" + path("out.bdi") + "' '" + path("out.png") + "'"), 0) << err;
    PngImage decoded;
    ASSERT_TRUE(decoded.read(path("out.png"), error)) << error;
    for (int y = 0; y < 29; ++y) {
      for (int x = 0; x < 53; ++x) {
        const auto shown = ColorCoder::codeRgb(coder.code(source.at(x, y)));
        ASSERT_EQ(decoded.at(x, y)[0], shown[0]) << x << "," << y;
        ASSERT_EQ(decoded.at(x, y)[1], shown[1]) << x << "," << y;
        ASSERT_EQ(decoded.at(x, y)[2], shown[2]) << x << "," << y;
      }
    }
  }
}

TEST_F(ToolRun, KeyOptionsMapPixelsToTheKeyCode) {
  std::string error;
  PngImage image(4, 1);
  image.set(0, 0, 255, 0, 255);
  image.set(1, 0, 9, 9, 9, 0);
  image.set(2, 0, 255, 28, 198);  // shows like code 248 but is not the key colour
  image.set(3, 0, 255, 255, 255);
  ASSERT_TRUE(image.write(path("key.png"), error)) << error;
  ASSERT_EQ(bdi("encode -m 0 -k 248 -c 255,0,255 '" + path("key.png") + "' '" + path("key.bdi") + "'"), 0) << err;
  const Bytes file = readBytes(path("key.bdi"));
  ASSERT_EQ(file.size(), 20u);
  EXPECT_EQ(file[16], 248);
  EXPECT_EQ(file[17], 248);
  EXPECT_NE(file[18], 248);
  EXPECT_EQ(file[19], 255);
}

TEST_F(ToolRun, BadInputFailsClearlyAndWritesNothing) {
  std::string error;
  ASSERT_TRUE(picture().write(path("in.png"), error)) << error;
  std::ofstream(path("junk.png")) << "junk";
  std::ofstream(path("keep.bdi")) << "old";

  EXPECT_EQ(bdi("encode '" + path("missing.png") + "' '" + path("keep.bdi") + "'"), 1);
  EXPECT_NE(err.find("missing.png"), std::string::npos) << err;
  EXPECT_EQ(bdi("encode '" + path("junk.png") + "' '" + path("keep.bdi") + "'"), 1);
  EXPECT_NE(err.find("junk.png"), std::string::npos) << err;
  EXPECT_EQ(bdi("encode -m 3 '" + path("in.png") + "' '" + path("keep.bdi") + "'"), 1);
  EXPECT_NE(err.find("method"), std::string::npos) << err;
  EXPECT_EQ(bdi("encode -k 256 '" + path("in.png") + "' '" + path("keep.bdi") + "'"), 1);
  EXPECT_EQ(bdi("encode -c 1,2 -k 3 '" + path("in.png") + "' '" + path("keep.bdi") + "'"), 1);
  EXPECT_EQ(bdi("encode -c 1,2,3 '" + path("in.png") + "' '" + path("keep.bdi") + "'"), 1);
  EXPECT_EQ(readText("keep.bdi"), "old");
  EXPECT_EQ(bdi("encode '" + path("in.png") + "' '" + path("no/dir/out.bdi") + "'"), 1);
  EXPECT_EQ(bdi(""), 2);
  EXPECT_EQ(bdi("frobnicate x"), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);

  // A damaged BDI file is refused by decode and info, and no picture appears.
  ASSERT_EQ(bdi("encode -m 1 '" + path("in.png") + "' '" + path("good.bdi") + "'"), 0) << err;
  Bytes cut = readBytes(path("good.bdi"));
  cut.pop_back();
  std::ofstream(path("cut.bdi"), std::ios::binary).write(reinterpret_cast<const char*>(cut.data()), cut.size());
  EXPECT_EQ(bdi("decode '" + path("cut.bdi") + "' '" + path("cut.png") + "'"), 1);
  EXPECT_NE(err.find("stored size"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(path("cut.png")));
  // info still shows the fields of a file that does not hold together.
  EXPECT_EQ(bdi("info '" + path("cut.bdi") + "'"), 1);
  EXPECT_NE(out.find("width       53"), std::string::npos) << out;
  EXPECT_NE(err.find("stored size"), std::string::npos) << err;
  std::ofstream(path("junk.bdi")) << std::string(40, 'x');
  EXPECT_EQ(bdi("info '" + path("junk.bdi") + "'"), 1);
  EXPECT_NE(err.find("magic"), std::string::npos) << err;
  // Nothing but our files is left behind: no temporary files.
  for (const auto& entry : fs::directory_iterator(dir.path)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(ToolRun, FontBuilderTakesGlyphsFromTheHexFile) {
  // 'A' as an 8 x 16 glyph, U+6B63 (GBK D5 FD) as 16 x 16, U+4E00 (GBK D2 BB) narrow; rows
  // chosen so that a mirrored bit order shows.
  std::ofstream(path("mini.hex")) << "0041:8001F000000000000000000000000000\n"
                                  << "6B63:80000001FFFE0100" << std::string(48, '0') << "\n"
                                  << "4E00:00000000000000FF0000000000000000\n";
  ASSERT_EQ(run(FONTBUILDER_TOOL, "'" + path("mini.hex") + "' '" + path("mini.font") + "'"), 0) << err;
  const Bytes font = readBytes(path("mini.font"));
  ASSERT_EQ(font.size(), 12u + 32896u * 32u);
  EXPECT_EQ(font[0], 0x46);
  EXPECT_EQ(font[1], 0x47);
  EXPECT_EQ(font[4], 16);
  EXPECT_EQ(font[5], 16);
  EXPECT_EQ(font[8] | font[9] << 8 | font[10] << 16 | font[11] << 24, 526336);
  auto row = [&](size_t glyph, int r) { return font[12 + glyph * 32 + r * 2] | font[13 + glyph * 32 + r * 2] << 8; };
  // The font has the leftmost pixel in bit 0, the hex file in the glyph's top bit.
  EXPECT_EQ(row(0x41, 0), 0x01);
  EXPECT_EQ(row(0x41, 1), 0x80);
  EXPECT_EQ(row(0x41, 2), 0x0F);
  const size_t zheng = 128 + (0xD5 - 0x80) * 256 + 0xFD;
  EXPECT_EQ(row(zheng, 0), 0x0001);
  EXPECT_EQ(row(zheng, 1), 0x8000);
  EXPECT_EQ(row(zheng, 2), 0x7FFF);
  EXPECT_EQ(row(zheng, 3), 0x0080);
  const size_t yi = 128 + (0xD2 - 0x80) * 256 + 0xBB;
  EXPECT_EQ(row(yi, 7), 0xFF);  // a narrow glyph stays at the left
  // Glyphs the file lacks stay blank.
  EXPECT_EQ(row(0x42, 6), 0);

  EXPECT_EQ(run(FONTBUILDER_TOOL, "'" + path("none.hex") + "' '" + path("none.font") + "'"), 1);
  EXPECT_NE(err.find("none.hex"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(path("none.font")));
  std::ofstream(path("bad.hex")) << "0041:00zz\n";
  EXPECT_EQ(run(FONTBUILDER_TOOL, "'" + path("bad.hex") + "' '" + path("bad.font") + "'"), 1);
  EXPECT_NE(err.find("bad.hex:1"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(path("bad.font")));
}

}  // namespace

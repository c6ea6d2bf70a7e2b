// Writes the seed corpus of every fuzz target, made by our own coders and packer:
//   fuzz_seeds DIR   writes DIR/<target>/<seed>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/LittleEndian.h"
#include "font/BitmapFontFormat.h"
#include "packer/Packing.h"
#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path root;

void put(const fs::path& file, const Bytes& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

template <typename Tail>
Bytes join(Bytes head, const Tail& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

Bytes noise(uint32_t size) {
  Bytes codes(size);
  for (uint32_t i = 0; i < size; ++i) codes[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  return codes;
}

// 37 x 23 codes like a sprite's: runs inside a key-coloured border (kind 0), noise (1), stripes (2).
Bytes picture(int kind) {
  Bytes codes = noise(37 * 23);
  for (uint32_t i = 0; kind != 1 && i < codes.size(); ++i) {
    const uint32_t x = i % 37, y = i / 37;
    codes[i] = static_cast<uint8_t>(kind == 0 ? (x < 3 || y < 2 ? 248 : 40 + y / 4) : x / 5 * 30);
  }
  return codes;
}

// Payloads of every coding for the decoders (after the output size), as BDI files for the
// sprite (after its control bytes: position, mode, parameter, key, rectangle, flags).
void imageSeeds() {
  const Bytes controls[] = {{5, 0, 3, 0, 1, 5, 3, 0, 0, 248, 0, 0, 0, 0, 0, 0},
                            {0xF6, 0xFF, 90, 0, 5, 7, 10, 0, 0, 0, 1, 1, 8, 6, 1, 0},
                            {150, 0, 0xFB, 0xFF, 19, 0, 0, 0, 0, 40, 0, 0, 0, 0, 0x80, 0}};
  for (int kind = 0; kind < 3; ++kind) {
    const Bytes codes = picture(kind);
    for (uint8_t method = 0; method <= 2; ++method) {
      const Bytes payload = encodePayload(method, codes.data(), codes.size());
      const std::string name = std::to_string(kind) + "-" + bdiMethodName(method);
      uint8_t outSize[2];
      writeLe16(outSize, static_cast<uint16_t>(codes.size() >> (kind == 2)));  // cut short once
      put(root / "decoders_fuzz" / name, join(Bytes(outSize, outSize + 2), payload));
      put(root / "sprite_fuzz" / name, join(controls[(kind + method) % 3], makeBdiFile(37, 23, method, payload)));
    }
  }
  put(root / "sprite_fuzz" / "empty", join(controls[0], makeBdiFile(0, 7, BdiHeader::kStored, {})));
  // Codes at the coders' edges: runs about the longest packet, spaces like the ring's fill then
  // zeros, and blocks repeated just within, at and just past the ring's reach.
  std::vector<Bytes> edges = {join(join(Bytes(127, 1), Bytes(128, 2)), join(Bytes(129, 3), noise(300))),
                              join(Bytes(4078, ' '), Bytes(30, 0))};
  for (uint32_t gap : {4095, 4096, 4097}) edges.push_back(join(noise(gap), noise(gap)));
  for (const Bytes& codes : edges) {
    put(root / "decoders_fuzz" / ("codes-" + std::to_string(codes.size())), join(Bytes{0xFF, 0x0F}, codes));
  }
}

// Fonts of the single-byte glyphs and 16 of lead byte 0x80, every row different, after the
// control bytes (position, line budget, colour, text length, reload flag) and before the text.
void fontSeeds() {
  const struct {
    uint8_t cellWidth, glyphSize;
    uint32_t glyphs;
    Bytes control;
    std::string text;
  } fonts[] = {{16, 16, 144, {140, 0, 3, 0, 10, 255, 0, 0}, "FPS=60 A\x80\x01\x80"},
               {8, 12, 128, {0, 0, 0xF8, 0xFF, 6, 7, 0, 1}, "Hello\nworld, twice over"}};
  for (const auto& f : fonts) {
    BitmapFontHeader header;
    header.cellWidth = f.cellWidth;
    header.glyphSize = f.glyphSize;
    header.wordCount = f.glyphs * BitmapFontHeader::kGlyphRows;
    Bytes file(BitmapFontHeader::kSize + 2 * header.wordCount);
    header.write(file.data());
    for (uint32_t i = 0; i < header.wordCount; ++i)
      writeLe16(&file[BitmapFontHeader::kSize + 2 * i], static_cast<uint16_t>(0x9E37 * (i + 1)));
    Bytes control = f.control;
    control[6] = static_cast<uint8_t>(f.text.size());
    put(root / "font_fuzz" / std::to_string(f.cellWidth), join(join(control, file), f.text));
  }
}

// A tree packed whole and a lone empty directory, for the archive reader and the unpacker.
bool archiveSeeds() {
  const fs::path tree = root / "tree";
  put(tree / "data/a.txt", join(Bytes(), std::string("hello\r\n")));
  put(tree / "data/B.BIN", Bytes(300, 0xA5));
  put(tree / "data/sub/empty", {});
  put(tree / "data/sub/deeper/picture", picture(1));
  fs::create_directories(tree / "data/nothing");
  fs::create_directories(root / "packarchive_fuzz");
  // Stored names begin with the directory as given, so each is packed from its parent.
  const fs::path home = fs::current_path();
  fs::current_path(tree);
  bool packed = packArchive("data", (root / "packarchive_fuzz/tree.pak").string());
  fs::current_path(tree / "data");
  packed = packArchive("nothing", (root / "packarchive_fuzz/nothing.pak").string()) && packed;
  fs::current_path(home);
  fs::remove_all(tree);
  fs::copy(root / "packarchive_fuzz", root / "unpack_fuzz");
  return packed;
}

void settingsSeeds() {
  const char* const settings[] = {"[Window]\r\nFullScreen=0\r\nWidth=640\r\nHeight=480\r\n",
                                  "; settings\n[Window]\nFullScreen = 1\nWidth=800x\nHeight=-1\n[Other]\nWidth=3\n",
                                  "[Window\n]Width=1\n[]\n=5\nHeight\n\xD5\xFD=1\n[Window]Width=2", ""};
  for (int i = 0; i < 4; ++i) put(root / "inifile_fuzz" / std::to_string(i), join(Bytes(), std::string(settings[i])));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
    return 2;
  }
  root = fs::absolute(argv[1]);
  imageSeeds();
  fontSeeds();
  settingsSeeds();
  if (!archiveSeeds()) {
    std::fprintf(stderr, "fuzz_seeds: packing the seed archives failed\n");
    return 1;
  }
  return 0;
}

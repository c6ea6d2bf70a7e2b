// artgen: paints the demo's pictures as PNG files, reduced to the engine's 256 colours.
//   artgen OUTPUT_DIR   writes tile02.png, role.png, fire.png and tile04.png there, making the
//                       folder (and its parents) when missing
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/artgen/Artwork.h"

namespace {

bool save(const PngImage& image, const std::string& path) {
  std::string error;
  if (!image.write(path, error)) {
    std::fprintf(stderr, "artgen: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

static int run(int argc, char** argv) {
  const char* const usage =
      "usage: artgen OUTPUT_DIR\nPaints tile02.png, role.png, fire.png and tile04.png into OUTPUT_DIR.\n";
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
    std::fputs(usage, stderr);
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  if (error) {
    std::fprintf(stderr, "artgen: cannot create %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const Rgb black{0, 0, 0};
  const Rgb magenta{255, 0, 255};
  // The role is keyed on code 0 (black) and tile04 on code 248 (magenta): no painted pixel may
  // take the key code. Fire and tile are opaque; fire's black is what Add leaves unchanged.
  const bool ok = save(paintTile().quantize(24, -1, false, black), dir + "tile02.png") &&
                  save(paintRole().quantize(16, 0, true, black), dir + "role.png") &&
                  save(paintFire().quantize(0, -1, false, black), dir + "fire.png") &&
                  save(paintPlaque().quantize(16, 248, false, magenta), dir + "tile04.png");
  return ok ? 0 : 1;
}

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {  // out of memory, mostly
    std::fprintf(stderr, "artgen: %s\n", e.what());
    return 1;
  }
}

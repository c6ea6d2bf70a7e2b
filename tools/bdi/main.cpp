// bdi: converts between PNG pictures and the engine's BDI images.
//   bdi encode [-m 0|1|2|auto] [-d] [-k CODE [-c R,G,B]] input.png output.bdi
//   bdi decode input.bdi output.png
//   bdi info input.bdi
#include <cstdio>
#include <exception>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bdi/AtomicFile.h"
#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"
#include "tools/bdi/ColorCoder.h"
#include "tools/bdi/ErrorDiffuser.h"
#include "tools/bdi/PngImage.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void printUsage(std::FILE* to = stderr) {
  std::fprintf(to,
               "usage: bdi encode [-m 0|1|2|auto] [-d] [-k CODE [-c R,G,B]] input.png output.bdi\n"
               "       bdi decode input.bdi output.png\n"
               "       bdi info input.bdi\n"
               "  -m METHOD   0 stored, 1 run-length, 2 LZSS, auto the smallest (default auto)\n"
               "  -d          dither (also --dither): hand each pixel's colour error on to its\n"
               "              neighbours, for photographs and soft shading; without it each pixel\n"
               "              takes its nearest code, as pixel art wants\n"
               "  -k CODE     colour code 0..255 for keyed pixels: fully transparent ones, and those\n"
               "              of the -c colour; no other pixel gets CODE\n"
               "  -c R,G,B    also key the pixels of this exact colour\n");
}

int fail(const std::string& message) {
  std::fprintf(stderr, "bdi: %s\n", message.c_str());
  return kExitFailure;
}

bool parseNumber(const std::string& text, int low, int high, int& value) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  value = std::atoi(text.c_str());
  return value >= low && value <= high;
}

bool parseColor(const std::string& text, int rgb[3]) {
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t comma = text.find(',', start);
    const bool last = i == 2;
    if (last != (comma == std::string::npos)) {
      return false;
    }
    const std::string part = text.substr(start, last ? std::string::npos : comma - start);
    if (!parseNumber(part, 0, 255, rgb[i])) {
      return false;
    }
    start = comma + 1;
  }
  return true;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

// Without a key code, transparent pixels are coded by the colour they hide, which is rarely
// what was meant.
void warnOfTransparency(const std::string& path, const PngImage& image) {
  size_t transparent = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) transparent += image.at(x, y)[3] == 0 ? 1 : 0;
  }
  if (transparent > 0) {
    std::fprintf(stderr,
                 "bdi: warning: %s has transparent pixels (%zu) but no key code (-k); they are coded as opaque\n",
                 path.c_str(), transparent);
  }
}

int encodeCommand(const std::vector<std::string>& args) {
  int method = -1;  // -1: the smallest
  bool dither = false;
  int keyCode = -1;
  bool hasKeyColor = false;
  int keyColor[3] = {0, 0, 0};
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "-m" && hasValue) {
      const std::string& value = args[++i];
      if (value != "auto" && !parseNumber(value, 0, 2, method)) {
        return fail("method must be 0, 1, 2 or auto, not '" + value + "'");
      }
    } else if (arg == "-k" && hasValue) {
      if (!parseNumber(args[++i], 0, 255, keyCode)) {
        return fail("key code must be a number from 0 to 255, not '" + args[i] + "'");
      }
    } else if (arg == "-c" && hasValue) {
      if (!parseColor(args[++i], keyColor)) {
        return fail("key colour must be R,G,B with each 0 to 255, not '" + args[i] + "'");
      }
      hasKeyColor = true;
    } else if (arg == "-d" || arg == "--dither") {
      dither = true;
    } else if (!arg.empty() && arg[0] == '-') {
      printUsage();
      return kExitUsage;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) {
    printUsage();
    return kExitUsage;
  }
  if (hasKeyColor && keyCode < 0) {
    return fail("-c needs a key code (-k)");
  }

  std::string error;
  PngImage image;
  if (!image.read(files[0], error)) {
    return fail(error);
  }
  if (image.width() > 0xFFFF || image.height() > 0xFFFF) {
    return fail(files[0] + ": " + std::to_string(image.width()) + " x " + std::to_string(image.height()) +
                " is larger than a BDI image can be (65535 x 65535)");
  }

  ColorCoder coder;
  if (keyCode >= 0) {
    coder.setKeyCode(keyCode);
    coder.setKeyTransparent(true);
    if (hasKeyColor) {
      coder.setKeyColor(static_cast<uint8_t>(keyColor[0]), static_cast<uint8_t>(keyColor[1]),
                        static_cast<uint8_t>(keyColor[2]));
    }
  }
  if (keyCode < 0) {
    warnOfTransparency(files[0], image);
  }
  const std::vector<uint8_t> codes = dither ? ErrorDiffuser(coder).codes(image) : coder.codes(image);

  // Every asked method is tried; the smallest payload wins, ties going to the simpler method.
  std::vector<uint8_t> payload;
  int chosen = -1;
  for (int m = 0; m <= 2; ++m) {
    if (method >= 0 && m != method) {
      continue;
    }
    std::vector<uint8_t> candidate = encodePayload(m, codes.data(), codes.size());
    if (chosen < 0 || candidate.size() < payload.size()) {
      payload = std::move(candidate);
      chosen = m;
    }
  }
  // The payload length is a 32-bit field.
  if (payload.size() > 0xFFFFFFF0u) {
    return fail(files[0] + ": image too large for a BDI file");
  }
  const std::vector<uint8_t> file =
      makeBdiFile(static_cast<uint16_t>(image.width()), static_cast<uint16_t>(image.height()),
                  static_cast<uint8_t>(chosen), payload);
  if (!AtomicFile::writeAll(files[1], file, error)) {
    return fail(error);
  }
  std::printf("%s: %d x %d, %s, %zu -> %zu bytes\n", files[1].c_str(), image.width(), image.height(),
              bdiMethodName(chosen), codes.size(), payload.size());
  return 0;
}

int decodeCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    printUsage();
    return kExitUsage;
  }
  std::string error;
  std::vector<uint8_t> file;
  BdiHeader header;
  std::vector<uint8_t> codes;
  if (!readFile(args[0], file, error)) {
    return fail(error);
  }
  if (!decodeBdiFile(file, header, codes, error)) {
    return fail(args[0] + ": " + error);
  }
  if (header.width == 0 || header.height == 0) {
    return fail(args[0] + ": an empty image cannot be written as PNG");
  }
  PngImage image(header.width, header.height);
  for (int y = 0; y < header.height; ++y) {
    for (int x = 0; x < header.width; ++x) {
      const auto rgb = ColorCoder::codeRgb(codes[static_cast<size_t>(y) * header.width + x]);
      image.set(x, y, rgb[0], rgb[1], rgb[2]);
    }
  }
  if (!image.write(args[1], error)) {
    return fail(error);
  }
  return 0;
}

int infoCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    printUsage();
    return kExitUsage;
  }
  std::string error;
  std::vector<uint8_t> file;
  if (!readFile(args[0], file, error)) {
    return fail(error);
  }
  BdiHeader header;
  const bool valid = parseBdiFile(file, header, error);
  if (file.size() < BdiHeader::kSize || header.magic != BdiHeader::kMagic) {
    return fail(args[0] + ": " + error);
  }
  // The fields are shown even when they do not fit together, then what is wrong with them.
  std::printf("%s: BDI image\n", args[0].c_str());
  std::printf("  method      %d (%s)\n", header.method, bdiMethodName(header.method));
  std::printf("  width       %u\n", header.width);
  std::printf("  height      %u\n", header.height);
  std::printf("  storedSize  %u\n", header.storedSize);
  std::printf("  pixelSize   %u\n", header.pixelSize);
  if (header.pixelSize != 0) {
    std::printf("  ratio       %.1f%%\n", 100.0 * header.storedSize / header.pixelSize);
  }
  return valid ? 0 : fail(args[0] + ": " + error);
}

}  // namespace

static int run(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return kExitUsage;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    printUsage(stdout);
    return 0;
  }
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "encode") {
    return encodeCommand(args);
  }
  if (command == "decode") {
    return decodeCommand(args);
  }
  if (command == "info") {
    return infoCommand(args);
  }
  printUsage();
  return kExitUsage;
}

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {  // out of memory, mostly
    std::fprintf(stderr, "bdi: %s\n", e.what());
    return 1;
  }
}

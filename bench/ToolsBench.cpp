// Speed and ratio of the three BDI codings on the demo's four pictures, beside the size of the
// same picture as a PNG file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"
#include "tools/bdi/ColorCoder.h"
#include "tools/bdi/ErrorDiffuser.h"
#include "tools/bdi/PngImage.h"

namespace {

const char* const kImages[] = {"tile02", "role", "fire", "tile04"};

std::vector<uint8_t> codesOf(const std::string& image) {
  std::ifstream in(std::string(DEMO_BIN_DIR) + "/data/" + image + ".bdi", std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
  BdiHeader header;
  std::vector<uint8_t> codes;
  std::string error;
  decodeBdiFile(file, header, codes, error);
  return codes;
}

void encode(benchmark::State& state) {
  const std::string image = kImages[state.range(0)];
  const int method = static_cast<int>(state.range(1));
  const std::vector<uint8_t> codes = codesOf(image);
  if (codes.empty()) {
    state.SkipWithError("the demo's data set is not built");
    return;
  }
  size_t coded = 0;
  for (auto _ : state) {
    const std::vector<uint8_t> payload = encodePayload(method, codes.data(), codes.size());
    coded = payload.size();
    benchmark::DoNotOptimize(payload.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * codes.size()));
  state.SetLabel(image + " " + bdiMethodName(method));
  state.counters["pixels"] = static_cast<double>(codes.size());
  state.counters["coded"] = static_cast<double>(coded);
  state.counters["ratio%"] = 100.0 * coded / codes.size();
  std::error_code ignored;
  state.counters["png"] =
      static_cast<double>(std::filesystem::file_size(std::string(ART_DIR) + "/" + image + ".png", ignored));
}

BENCHMARK(encode)->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2}})->ArgNames({"image", "method"});

// Colour coding of a 512 x 512 photograph-like picture (smooth shading under grain, so that
// hardly two pixels want the same colour): nearest codes, and dithered (keyed or not).
void codePicture(benchmark::State& state) {
  PngImage picture(512, 512);
  uint32_t grain = 1;
  for (int y = 0; y < 512; ++y) {
    for (int x = 0; x < 512; ++x) {
      grain = grain * 1664525u + 1013904223u;
      const int g = static_cast<int>(grain >> 28) - 8;
      picture.set(x, y, static_cast<uint8_t>(x / 2 + g + 8), static_cast<uint8_t>(y / 2 + 8 - g),
                  static_cast<uint8_t>((x + y) / 5 + 3 * g + 40));
    }
  }
  for (auto _ : state) {
    // A new coder each time: its memo starts empty, as in a run of the tool.
    ColorCoder coder;
    if (state.range(0) == 2) {
      coder.setKeyCode(0);
      coder.setKeyTransparent(true);
    }
    const std::vector<uint8_t> codes = state.range(0) == 0 ? coder.codes(picture) : ErrorDiffuser(coder).codes(picture);
    benchmark::DoNotOptimize(codes.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 512 * 512);
  state.SetLabel(state.range(0) == 0 ? "nearest" : state.range(0) == 1 ? "dithered" : "dithered, keyed");
}

BENCHMARK(codePicture)->DenseRange(0, 2)->ArgName("kind")->Unit(benchmark::kMillisecond);

}  // namespace

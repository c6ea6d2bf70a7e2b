// BDI payload decoders, in MB/s of decoded pixels, on a 256 x 128 sprite-like image: a transparent
// background, a shaded body with smooth gradients, dark outlines, a few details and some noise.
// The image is coded by the bdi tool's coders; zlib's inflate of the same pixels (deflate level 6)
// runs beside them as the yardstick.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "render/BdiDecoders.h"
#include "tools/bdi/BdiEncoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kWidth = 256;
constexpr int kHeight = 128;

// Deterministic pseudo-random numbers, so every run measures the same bytes.
struct Lcg {
  uint32_t state = 12345;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

Bytes spriteImage() {
  Bytes image(kWidth * kHeight, 0);  // code 0: the colour key around the figure
  Lcg rng;
  auto inEllipse = [](int x, int y, int cx, int cy, int rx, int ry) {
    const long dx = x - cx, dy = y - cy;
    return dx * dx * ry * ry + dy * dy * rx * rx <= static_cast<long>(rx) * rx * ry * ry;
  };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t code = 0;
      if (inEllipse(x, y, 128, 64, 110, 58)) {
        // Body: vertical shading in steps of a few rows, a slight horizontal ramp.
        code = static_cast<uint8_t>(96 + y / 6 + x / 48);
        if (rng.next() % 100 < 12) code = static_cast<uint8_t>(code + rng.next() % 5 - 2);
        if (!inEllipse(x, y, 128, 64, 107, 55)) code = 18;  // outline
      }
      if (inEllipse(x, y, 80, 40, 18, 12)) code = static_cast<uint8_t>(200 + (x + y) % 3);  // eye
      if (inEllipse(x, y, 176, 40, 18, 12)) code = static_cast<uint8_t>(200 + (x + y) % 3);
      if (y > 84 && y < 92 && x > 70 && x < 186) code = static_cast<uint8_t>(40 + (x / 4) % 8);
      image[y * kWidth + x] = code;
    }
  }
  return image;
}

struct Fixture {
  Bytes pixels = spriteImage();
  Bytes rle = encodeRle(pixels.data(), pixels.size());
  Bytes lzss = encodeLzss(pixels.data(), pixels.size());
  Bytes deflated;
  Fixture() {
    uLongf size = compressBound(pixels.size());
    deflated.resize(size);
    compress2(deflated.data(), &size, pixels.data(), pixels.size(), 6);
    deflated.resize(size);
  }
};

const Fixture& fixture() {
  static const Fixture f;
  return f;
}

template <typename Decode>
void runDecoder(benchmark::State& state, const Bytes& payload, Decode decode) {
  const Bytes& pixels = fixture().pixels;
  Bytes out(pixels.size());
  for (auto _ : state) {
    decode(payload, out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  if (out != pixels) state.SkipWithError("decoded pixels differ from the image");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * pixels.size());
  state.counters["payload"] = static_cast<double>(payload.size());
}

void BM_DecodeRle(benchmark::State& state) {
  runDecoder(state, fixture().rle, [](const Bytes& in, Bytes& out) {
    decodeRle(in.data(), static_cast<uint32_t>(in.size()), out.data(), static_cast<uint32_t>(out.size()));
  });
}
BENCHMARK(BM_DecodeRle);

void BM_DecodeLzss(benchmark::State& state) {
  runDecoder(state, fixture().lzss, [](const Bytes& in, Bytes& out) {
    decodeLzss(in.data(), static_cast<uint32_t>(in.size()), out.data(), static_cast<uint32_t>(out.size()));
  });
}
BENCHMARK(BM_DecodeLzss);

void BM_CopyRaw(benchmark::State& state) {
  runDecoder(state, fixture().pixels, [](const Bytes& in, Bytes& out) {
    copyRaw(in.data(), static_cast<uint32_t>(in.size()), out.data(), static_cast<uint32_t>(out.size()));
  });
}
BENCHMARK(BM_CopyRaw);

void BM_ZlibInflate(benchmark::State& state) {
  runDecoder(state, fixture().deflated, [](const Bytes& in, Bytes& out) {
    uLongf size = out.size();
    uncompress(out.data(), &size, in.data(), in.size());
  });
}
BENCHMARK(BM_ZlibInflate);

}  // namespace

// BDI payload decoders, in MB/s of decoded pixels, on a 256 x 128 sprite-like image: a transparent
// background, a shaded body with smooth gradients, dark outlines, a few details and some noise.
// The image is coded here with plain greedy encoders; zlib's inflate of the same pixels (deflate
// level 6) runs beside them as the yardstick.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "render/BdiDecoders.h"

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

// Greedy run-length coding: runs of 3 or more as run packets, everything else as literals.
Bytes encodeRle(const Bytes& pixels) {
  Bytes out;
  size_t i = 0;
  const size_t n = pixels.size();
  auto runAt = [&](size_t at) {
    size_t run = 1;
    while (at + run < n && run < 127 && pixels[at + run] == pixels[at]) ++run;
    return run;
  };
  while (i < n) {
    const size_t run = runAt(i);
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(0x80 | run));
      out.push_back(pixels[i]);
      i += run;
      continue;
    }
    size_t count = 0;
    while (i + count < n && count < 127 && runAt(i + count) < 3) ++count;
    out.push_back(static_cast<uint8_t>(count));
    out.insert(out.end(), pixels.begin() + i, pixels.begin() + i + count);
    i += count;
  }
  return out;
}

// Greedy LZSS with hash chains over the last 4078 output bytes; matches may overlap.
Bytes encodeLzss(const Bytes& pixels) {
  const size_t n = pixels.size();
  constexpr size_t kWindow = 4078, kMaxMatch = 18, kChain = 256;
  std::vector<int32_t> head(1 << 16, -1), previous(n, -1);
  auto hashAt = [&](size_t at) {
    return ((pixels[at] << 8) ^ (pixels[at + 1] << 4) ^ pixels[at + 2] ^ (pixels[at + 2] << 12)) & 0xFFFF;
  };
  auto insert = [&](size_t at) {
    if (at + 2 >= n) return;
    const uint32_t h = hashAt(at);
    previous[at] = head[h];
    head[h] = static_cast<int32_t>(at);
  };
  Bytes out;
  size_t flagAt = 0;
  int item = 8;
  size_t k = 0;
  while (k < n) {
    if (item == 8) {
      flagAt = out.size();
      out.push_back(0);
      item = 0;
    }
    size_t bestLength = 0, bestFrom = 0;
    if (k + 2 < n) {
      int32_t candidate = head[hashAt(k)];
      for (size_t steps = 0; candidate >= 0 && steps < kChain; ++steps) {
        const size_t from = static_cast<size_t>(candidate);
        if (k - from > kWindow) break;
        size_t length = 0;
        while (length < kMaxMatch && k + length < n && pixels[from + length] == pixels[k + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestFrom = from;
          if (length == kMaxMatch) break;
        }
        candidate = previous[from];
      }
    }
    if (bestLength >= 3) {
      const uint32_t position = (0xFEE + bestFrom) & 0xFFF;
      out.push_back(static_cast<uint8_t>(position & 0xFF));
      out.push_back(static_cast<uint8_t>(((position >> 4) & 0xF0) | (bestLength - 3)));
      for (size_t i = 0; i < bestLength; ++i) insert(k + i);
      k += bestLength;
    } else {
      out[flagAt] |= static_cast<uint8_t>(1 << item);
      out.push_back(pixels[k]);
      insert(k);
      ++k;
    }
    ++item;
  }
  return out;
}

struct Fixture {
  Bytes pixels = spriteImage();
  Bytes rle = encodeRle(pixels);
  Bytes lzss = encodeLzss(pixels);
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

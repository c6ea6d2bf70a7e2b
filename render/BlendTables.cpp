#include "render/BlendTables.h"

#include <cstring>

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"

uint8_t alphaTable[16][256][256];
uint8_t addTable[256][256];
uint8_t subTable[256][256];
uint8_t greyTable[256];

namespace {

// Green and blue of every code word; red of code c is c itself. Built at compile time so that
// nearestColorCode works even from another file's static initialiser.
struct CodeChannels {
  int green[256] = {};
  int blue[256] = {};
  constexpr CodeChannels() {
    for (int c = 0; c < 256; ++c) {
      green[c] = green8(codeWord(c));
      blue[c] = blue8(codeWord(c));
    }
  }
};
constexpr CodeChannels codeChannels;

// Nearest code by the squared channel distance, ties to the lowest code: the answer of a plain
// scan over all 256 codes, found with a search that skips codes which cannot win.
//
// Blue of code c is (c & 31) * 8 and blue of v is (v & 31) * 8, so every code whose low five bits
// are e away from v's costs at least 64 e^2 in blue; within such a residue class the codes are 32
// apart in red, so only the few whose red is close enough to v's red can still beat the best
// distance so far. The search visits residues e = 0, 1, 2, ... and stops once 64 e^2 alone is
// worse than the best. Starting from a good guess (the neighbouring word's answer when filling
// the lookup table) keeps the best distance small from the first step; any guess gives the same
// result.
uint8_t searchNearest(uint32_t v, int guess, int avoided = -1) {
  if (guess == avoided) guess ^= 1;  // any other start gives the same answer
  const int r = red8(v);
  const int g = green8(v);
  const int lowBits = static_cast<int>(v & 0x1F);
  int best;
  {
    const int dr = guess - r, dg = codeChannels.green[guess] - g, db = ((guess & 0x1F) - lowBits) * 8;
    best = dr * dr + dg * dg + db * db;
  }
  int bestCode = guess;
  // Visits one code of the class; false once it is too far from v in red to matter, as are all
  // codes further out in the same direction.
  auto visit = [&](int c, int blueCost) {
    if (c == avoided) return true;
    const int dr = c - r;
    int distance = dr * dr + blueCost;
    if (distance > best) return false;
    const int dg = codeChannels.green[c] - g;
    distance += dg * dg;
    if (distance < best || (distance == best && c < bestCode)) {
      best = distance;
      bestCode = c;
    }
    return true;
  };
  for (int e = 0; e < 32 && 64 * e * e <= best; ++e) {
    const int blueCost = 64 * e * e;
    for (int side = 0; side < (e == 0 ? 1 : 2); ++side) {
      const int t = side == 0 ? lowBits - e : lowBits + e;
      if (t < 0 || t > 31) continue;
      const int below = r - ((r - t) & 0x1F);  // highest code <= r with low bits t (may be < 0)
      for (int c = below; c >= 0 && visit(c, blueCost); c -= 32) {
      }
      for (int c = below + 32; c <= 255 && visit(c, blueCost); c += 32) {
      }
    }
  }
  return static_cast<uint8_t>(bestCode);
}

// The nearest code of every RGB565 word, filled at the start of each table computation so that
// every table entry costs one formula and one lookup.
uint8_t nearestOfWord[65536];

void fillNearestOfWord() {
  int previous = 0;
  for (uint32_t v = 0; v < 65536; ++v) {
    previous = searchNearest(v, previous);
    nearestOfWord[v] = static_cast<uint8_t>(previous);
  }
}

// Green moved to the high half so that the three fields can be scaled in one 32-bit product
// without carrying into each other.
inline uint32_t spread(uint32_t v) {
  return ((v & 0x07E0) << 16) | (v & 0x07E0F81F);
}

void computeAlphaTable() {
  uint32_t spreadOfCode[256];
  for (int c = 0; c < 256; ++c) spreadOfCode[c] = spread(codeWord(c));
  for (uint32_t a = 0; a < 16; ++a) {
    uint32_t destinationPart[256];
    for (int d = 0; d < 256; ++d) destinationPart[d] = spreadOfCode[d] * (16 - a);
    for (int s = 0; s < 256; ++s) {
      const uint32_t sourcePart = spreadOfCode[s] * a;
      uint8_t* row = alphaTable[a][s];
      for (int d = 0; d < 256; ++d) {
        const uint32_t y = ((sourcePart + destinationPart[d]) >> 4) & 0x07E0F81F;
        row[d] = nearestOfWord[(y | (y >> 16)) & 0xFFFF];
      }
    }
  }
}

void computeAddSubTables() {
  const int* green = codeChannels.green;
  const int* blue = codeChannels.blue;
  for (int s = 0; s < 256; ++s) {
    for (int d = 0; d < 256; ++d) {
      const int addR = s + d, addG = green[s] + green[d], addB = blue[s] + blue[d];
      addTable[s][d] =
          nearestOfWord[pack565(addR < 255 ? addR : 255, addG < 255 ? addG : 255, addB < 255 ? addB : 255)];
      const int subR = s - d, subG = green[s] - green[d], subB = blue[s] - blue[d];
      subTable[s][d] = nearestOfWord[pack565(subR > 0 ? subR : 0, subG > 0 ? subG : 0, subB > 0 ? subB : 0)];
    }
  }
}

void computeGreyTable() {
  for (int c = 0; c < 256; ++c) {
    const int q = (3 * c + 6 * codeChannels.green[c] + codeChannels.blue[c]) / 10;
    greyTable[c] = nearestOfWord[pack565(q, q, q)];
  }
}

// Where each table lies in the table file.
struct TablePlace {
  uint8_t* table;
  uint32_t offset;
  uint32_t size;
};
const TablePlace kTablePlaces[] = {{&alphaTable[0][0][0], kAlphaTableOffset, sizeof alphaTable},
                                   {&addTable[0][0], kAddTableOffset, sizeof addTable},
                                   {&subTable[0][0], kSubTableOffset, sizeof subTable},
                                   {greyTable, kGreyTableOffset, sizeof greyTable}};

}  // namespace

uint8_t nearestColorCode(uint32_t rgb) {
  const uint32_t v = rgb & 0xFFFF;
  return searchNearest(v, red8(v));
}

uint8_t nearestColorCodeAvoiding(uint32_t rgb, uint8_t avoided) {
  const uint32_t v = rgb & 0xFFFF;
  return searchNearest(v, red8(v), avoided);
}

void computeBlendTables() {
  fillNearestOfWord();
  computeAlphaTable();
  computeAddSubTables();
  computeGreyTable();
}

void storeBlendTables(uint8_t* file) {
  for (const TablePlace& place : kTablePlaces) std::memcpy(file + place.offset, place.table, place.size);
}

void loadBlendTables(FileLoader* loader, const std::string& name) {
  ByteBuffer file;
  if (loader != nullptr && loader->readFile(name, file) && file.data != nullptr &&
      file.size >= static_cast<int32_t>(kBlendTableFileSize)) {
    for (const TablePlace& place : kTablePlaces) std::memcpy(place.table, file.data + place.offset, place.size);
    return;
  }
  computeBlendTables();
}

#include "platform/win32/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace platform {

namespace {

void expandRow(const uint16_t* in, int width, std::vector<png_byte>& out) {
  for (int x = 0; x < width; ++x) {
    unsigned pixel = in[x];
    unsigned red = (pixel >> 11) & 0x1F;
    unsigned green = (pixel >> 5) & 0x3F;
    unsigned blue = pixel & 0x1F;
    out[static_cast<size_t>(x) * 3 + 0] = static_cast<png_byte>((red << 3) | (red >> 2));
    out[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>((green << 2) | (green >> 4));
    out[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>((blue << 3) | (blue >> 2));
  }
}

// libpng reports errors by longjmp; everything that needs cleaning up lives outside this frame.
bool writeImage(std::FILE* file, const uint16_t* pixels, int width, int height, std::vector<png_byte>& row) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    expandRow(pixels + static_cast<size_t>(y) * width, width, row);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writeRgb565Png(const std::string& path, const uint16_t* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  bool written = writeImage(file, pixels, width, height, row);
  if (std::fclose(file) != 0) written = false;
  if (!written) std::remove(path.c_str());
  return written;
}

}  // namespace platform

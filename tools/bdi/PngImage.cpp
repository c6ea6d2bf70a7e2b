#include "tools/bdi/PngImage.h"

#include <png.h>

#include "tools/bdi/AtomicFile.h"

PngImage::PngImage(int width, int height)
    : width_(width), height_(height), rgba_(static_cast<size_t>(width) * height * 4, 0) {}

void PngImage::set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  uint8_t* p = at(x, y);
  p[0] = r;
  p[1] = g;
  p[2] = b;
  p[3] = a;
}

bool PngImage::read(const std::string& path, std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    error = path + ": not a readable PNG file (" + image.message + ")";
    return false;
  }
  // Checked before the pixels are allocated: a forged header may claim any size.
  if (image.width > kMaxSide || image.height > kMaxSide ||
      static_cast<uint64_t>(image.width) * image.height > kMaxPixels) {
    error = path + ": " + std::to_string(image.width) + " x " + std::to_string(image.height) +
            " pixels is larger than our tools take (65535 x 65535, 2^28 pixels)";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    error = path + ": damaged PNG file (" + image.message + ")";
    png_image_free(&image);
    return false;
  }
  width_ = static_cast<int>(image.width);
  height_ = static_cast<int>(image.height);
  rgba_ = std::move(pixels);
  return true;
}

bool PngImage::write(const std::string& path, std::string& error) const {
  bool opaque = true;
  for (size_t i = 3; i < rgba_.size(); i += 4) {
    opaque = opaque && rgba_[i] == 255;
  }
  std::vector<uint8_t> pixels;
  if (opaque) {
    pixels.reserve(rgba_.size() / 4 * 3);
    for (size_t i = 0; i < rgba_.size(); i += 4) {
      pixels.insert(pixels.end(), &rgba_[i], &rgba_[i] + 3);
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width_);
  image.height = static_cast<png_uint_32>(height_);
  image.format = opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;

  AtomicFile file(path);
  if (!file.open(error)) {
    return false;
  }
  const void* data = opaque ? static_cast<const void*>(pixels.data()) : rgba_.data();
  if (!png_image_write_to_stdio(&image, file.stream(), 0, data, 0, nullptr)) {
    error = path + ": cannot write PNG (" + image.message + ")";
    return false;
  }
  return file.commit(error);
}

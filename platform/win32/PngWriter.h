#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Writes `height` rows of `width` RGB565 pixels (packed rows) as an 8-bit RGB PNG file, each
// channel widened by repeating its top bits. False when the file cannot be written.
bool writeRgb565Png(const std::string& path, const uint16_t* pixels, int width, int height);

}  // namespace platform

// The PNG writer of builds without libpng (the browser's, where the page's canvas is the picture
// a person saves): no file is ever written.
#include "platform/win32/PngWriter.h"

namespace platform {

bool writeRgb565Png(const std::string&, const uint16_t*, int, int) {
  return false;
}

}  // namespace platform

#include "archive/ByteBuffer.h"

#include <cstdlib>

ByteBuffer::~ByteBuffer() {
  if (data) {
    std::free(data);
  }
}

bool ByteBuffer::resize(int32_t newSize) {
  if (newSize < 0) {
    return false;
  }
  // realloc(p, 0) may free p and return null; asking for one byte keeps an empty file from
  // looking like an allocation failure and from leaving data dangling.
  size_t bytes = newSize > 0 ? static_cast<size_t>(newSize) : 1;
  void* block = std::realloc(data, bytes);
  if (!block) {
    return false;
  }
  data = static_cast<uint8_t*>(block);
  size = newSize;
  return true;
}

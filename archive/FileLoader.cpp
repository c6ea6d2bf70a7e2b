#include "archive/FileLoader.h"

#include <cstdint>
#include <limits>
#include <new>

#include "archive/ByteBuffer.h"
#include "archive/FileSource.h"
#include "platform/RegularFile.h"

namespace {

// Opens name for a bulk read and measures it. False when it is not a regular file that opens,
// or its length does not fit the signed 32-bit sizes files are handled in.
bool openMeasured(const std::string& name, RegularFile& file, int32_t& length) {
  if (!file.open(name) || file.size() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    return false;
  }
  length = static_cast<int32_t>(file.size());
  return true;
}

}  // namespace

FileLoader::FileLoader(FileSource* source) : source(source) {}

bool FileLoader::readFile(const std::string& name, ByteBuffer& buffer) {
  if (source) {
    return source->readFile(name, buffer);
  }
  RegularFile file;
  int32_t length = 0;
  if (!openMeasured(name, file, length) || !buffer.resize(length)) {
    return false;
  }
  if (!file.read(0, buffer.data, static_cast<uint64_t>(length))) {
    // A file that shrank, or delivers less than it measures, hands out no unread tail.
    buffer.resize(0);
    return false;
  }
  return true;
}

bool FileLoader::readFile(const std::string& name, uint8_t*& block, int32_t& size) {
  if (source) {
    return source->readFile(name, block, size);
  }
  RegularFile file;
  int32_t length = 0;
  if (!openMeasured(name, file, length)) {
    return false;
  }
  size = length;
  block = new (std::nothrow) uint8_t[static_cast<size_t>(length)];
  if (!block) {
    return false;
  }
  if (!file.read(0, block, static_cast<uint64_t>(length))) {
    // The caller owns a block only on success.
    delete[] block;
    block = nullptr;
    return false;
  }
  return true;
}

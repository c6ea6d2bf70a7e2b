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
  return openMeasured(name, file, length) && readRange(file, 0, length, buffer);
}

bool FileLoader::readFile(const std::string& name, uint8_t*& block, int32_t& size) {
  if (source) {
    return source->readFile(name, block, size);
  }
  RegularFile file;
  int32_t length = 0;
  return openMeasured(name, file, length) && readRange(file, 0, length, block, size);
}

bool FileLoader::readRange(const RegularFile& file, uint64_t offset, int32_t count, ByteBuffer& buffer) {
  if (!buffer.resize(count)) {
    return false;
  }
  if (!file.read(offset, buffer.data, static_cast<uint64_t>(count))) {
    // A file that shrank, or delivers less than it measures, hands out no unread tail.
    buffer.resize(0);
    return false;
  }
  return true;
}

bool FileLoader::readRange(const RegularFile& file, uint64_t offset, int32_t count, uint8_t*& block, int32_t& size) {
  size = count;
  block = new (std::nothrow) uint8_t[static_cast<size_t>(count)];
  if (!block) {
    return false;
  }
  if (!file.read(offset, block, static_cast<uint64_t>(count))) {
    // The caller owns a block only on success.
    delete[] block;
    block = nullptr;
    return false;
  }
  return true;
}

#include "archive/FileLoader.h"

#include <cstdint>
#include <fstream>
#include <limits>
#include <new>

#include "archive/ByteBuffer.h"
#include "archive/FileSource.h"

namespace {

// Opens name for a bulk binary read and measures it. False when the file does not open or its
// length cannot be told or does not fit the signed 32-bit sizes files are handled in.
bool openMeasured(const std::string& name, std::ifstream& file, int32_t& length) {
  file.open(name, std::ios::in | std::ios::binary);
  if (!file.is_open()) {
    return false;
  }
  file.seekg(0, std::ios::end);
  std::streamoff end = file.tellg();
  file.seekg(0, std::ios::beg);
  if (!file || end < 0 || end > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  length = static_cast<int32_t>(end);
  return true;
}

// Reads exactly count bytes; a file that shrank or failed underneath delivers fewer.
bool readAll(std::ifstream& file, uint8_t* into, int32_t count) {
  if (count == 0) {
    return true;
  }
  file.read(reinterpret_cast<char*>(into), count);
  return file.gcount() == count;
}

}  // namespace

FileLoader::FileLoader(FileSource* source) : source(source) {}

bool FileLoader::readFile(const std::string& name, ByteBuffer& buffer) {
  if (source) {
    return source->readFile(name, buffer);
  }
  std::ifstream file;
  int32_t length = 0;
  if (!openMeasured(name, file, length)) {
    return false;
  }
  if (!buffer.resize(length)) {
    return false;
  }
  if (!readAll(file, buffer.data, length)) {
    // Keep only what arrived rather than a block of unread bytes; the caller sees false.
    buffer.resize(static_cast<int32_t>(file.gcount()));
    return false;
  }
  return true;
}

bool FileLoader::readFile(const std::string& name, uint8_t*& block, int32_t& size) {
  if (source) {
    return source->readFile(name, block, size);
  }
  std::ifstream file;
  int32_t length = 0;
  if (!openMeasured(name, file, length)) {
    return false;
  }
  size = length;
  block = new (std::nothrow) uint8_t[static_cast<size_t>(length)];
  if (!block) {
    return false;
  }
  if (!readAll(file, block, length)) {
    // The caller owns a block only on success.
    delete[] block;
    block = nullptr;
    return false;
  }
  return true;
}

#pragma once

#include <cstdint>
#include <string>

class ByteBuffer;

// A place whole files come from, by name. PackArchive is the one implementation.
class FileSource {
public:
  virtual bool open(const std::string& path) = 0;
  virtual bool close() = 0;
  // On true, buffer holds the whole file.
  virtual bool readFile(const std::string& name, ByteBuffer& buffer) = 0;
  // On true, block is a new[]-allocated block of size bytes that the caller deletes.
  virtual bool readFile(const std::string& name, uint8_t*& block, int32_t& size) = 0;
  virtual ~FileSource() {}
};

#pragma once

#include <cstdint>
#include <string>

class ByteBuffer;
class FileSource;

// What every resource loader is given: bound to a FileSource it forwards each read there;
// bound to none it reads the named file from disk. It never owns its source.
class FileLoader {
public:
  explicit FileLoader(FileSource* source);
  virtual ~FileLoader() {}

  bool readFile(const std::string& name, ByteBuffer& buffer);
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size);

  FileSource* source;
};

/// @file
/// The interface of a place whole files come from.
#pragma once

#include <cstdint>
#include <string>

class ByteBuffer;

/// A place whole files come from, by name. PackArchive is the one implementation.
class FileSource {
public:
  /// Opens the source at path; true when it is ready to serve reads.
  virtual bool open(const std::string& path) = 0;
  /// Lets go of what open took; reads fail until the next open.
  virtual bool close() = 0;
  /// Reads the whole file `name` into `buffer`. On true, buffer holds the whole file (its block
  /// resized in place with realloc).
  virtual bool readFile(const std::string& name, ByteBuffer& buffer) = 0;
  /// Reads the whole file `name` into a new block. On true, block is a new[]-allocated block of
  /// size bytes that the caller releases with delete[]. On false the caller owns nothing (block is
  /// null or untouched).
  virtual bool readFile(const std::string& name, uint8_t*& block, int32_t& size) = 0;
  virtual ~FileSource() {}
};

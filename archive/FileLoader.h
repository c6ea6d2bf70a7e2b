/// @file
/// Whole-file reads by name, from a file source or from disk.
#pragma once

#include <cstdint>
#include <string>

class ByteBuffer;
class FileSource;
class RegularFile;

/// What every resource loader is given: bound to a FileSource it forwards each read there
/// (with no fallback to the disk); bound to none it reads the named file from disk, opening
/// and closing it within the call. It never owns its source.
class FileLoader {
public:
  /// Binds the loader to source, or to the disk for null.
  explicit FileLoader(FileSource* source);
  virtual ~FileLoader() {}

  /// Reads the whole file `name` into `buffer`. On true, buffer holds exactly the file's bytes.
  /// False when the file does not open or is not a regular file (a pipe would block the read for
  /// ever), is 2 GiB or more, cannot be allocated or is not delivered whole; a file that does not
  /// open leaves the buffer untouched.
  bool readFile(const std::string& name, ByteBuffer& buffer);
  /// Reads the whole file `name` into a new block. On true, block is a new[] block of size bytes
  /// owned by the caller (release with delete[]). On false the caller owns nothing: block is
  /// untouched when the file does not open, null otherwise.
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size);

  /// What both kinds of whole-file read end with, from disk or from an archive: count bytes at
  /// offset of file into buffer, or into a new block (size is set to count first). A read that
  /// falls short fails, leaving no unread tail in the buffer and no block with the caller.
  static bool readRange(const RegularFile& file, uint64_t offset, int32_t count, ByteBuffer& buffer);
  /// The same into a new block, which the caller owns on true.
  static bool readRange(const RegularFile& file, uint64_t offset, int32_t count, uint8_t*& block, int32_t& size);

  FileSource* source;  ///< where reads go; null for the disk
};

#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// An output file that appears under its final name only when it was written completely: the bytes
// go to a temporary file beside it, which commit() renames over the target. A file that is never
// committed (an error, an exception, an early return) is removed by the destructor, so a failed
// run leaves no half-written output behind and keeps an older complete file as it was.
class AtomicFile {
public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; false with error set when that is impossible.
  bool open(std::string& error);
  // The open temporary file, for writers that need a stdio stream (libpng).
  std::FILE* stream() const { return file_; }
  bool write(const uint8_t* data, size_t size, std::string& error);
  // Flushes and closes the temporary file and renames it to the target.
  bool commit(std::string& error);

  // Writes bytes to path in one go through a temporary file.
  static bool writeAll(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

private:
  void discard();

  std::string path_;
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

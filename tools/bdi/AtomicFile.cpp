#include "tools/bdi/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
  discard();
}

bool AtomicFile::open(std::string& error) {
  discard();
  committed_ = false;
  tempPath_ = path_ + ".tmp" + std::to_string(static_cast<long>(getpid()));
  file_ = std::fopen(tempPath_.c_str(), "wb");
  if (file_ == nullptr) {
    error = "cannot create " + tempPath_ + ": " + std::strerror(errno);
    tempPath_.clear();
    return false;
  }
  return true;
}

bool AtomicFile::write(const uint8_t* data, size_t size, std::string& error) {
  if (file_ == nullptr) {
    error = "cannot write " + path_ + ": not open";
    return false;
  }
  if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
    error = "cannot write " + tempPath_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool AtomicFile::commit(std::string& error) {
  if (file_ == nullptr) {
    error = "cannot write " + path_ + ": not open";
    return false;
  }
  // fclose reports a delayed write error (a full disk) that fwrite did not.
  const bool flushed = std::fflush(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed) {
    error = "cannot write " + tempPath_ + ": " + std::strerror(errno);
    discard();
    return false;
  }
  if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    error = "cannot rename " + tempPath_ + " to " + path_ + ": " + std::strerror(errno);
    discard();
    return false;
  }
  committed_ = true;
  tempPath_.clear();
  return true;
}

void AtomicFile::discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!committed_ && !tempPath_.empty()) {
    std::remove(tempPath_.c_str());
  }
  tempPath_.clear();
}

bool AtomicFile::writeAll(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  AtomicFile file(path);
  return file.open(error) && file.write(bytes.data(), bytes.size(), error) && file.commit(error);
}

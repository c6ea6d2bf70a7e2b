/// @file
/// Reading regular files only, and telling two paths to one file apart from two files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

/// Where a file or directory lives: its volume and its index on that volume (device and inode on
/// POSIX systems, volume serial number and file index on Windows). Two paths that reach the same
/// object, through links, hard links or junctions, give the same identity.
struct FileIdentity {
  uint64_t volume = 0;  ///< device, or volume serial number
  uint64_t index = 0;   ///< inode, or file index

  /// Whether both name the same object.
  bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
  /// Whether they name different objects.
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

/// The identity of what path names, links followed; false when it cannot be reached.
bool fileIdentity(const std::string& path, FileIdentity& identity);

/// A file opened for reading only if it is a regular file. A pipe, device, socket or directory is
/// refused by the open itself, which never waits: a pipe named like a data file must not block
/// its reader for ever. Reads are positional, so one open file serves reads anywhere in any order.
class RegularFile {
public:
  RegularFile() = default;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile() { close(); }

  /// Opens path (the host's own syntax) and measures it; false, with nothing open, when it cannot
  /// be opened or is not a regular file.
  bool open(const std::string& path);
  /// Closes the file, if one is open; size and identity go back to zero.
  void close() {
    if (isOpen()) {
      release();
    }
    handle = kClosed;
    length = 0;
    id = FileIdentity();
  }
  /// Whether a file is open.
  bool isOpen() const { return handle != kClosed; }

  /// @{

  /// Length and identity as found by open.
  uint64_t size() const { return length; }
  const FileIdentity& identity() const { return id; }
  /// @}

  /// Reads count bytes from offset into into: all of them, or false (the file ended early or a
  /// read failed).
  bool read(uint64_t offset, uint8_t* into, uint64_t count) const {
    while (isOpen() && count > 0) {
      uint64_t got = readSome(offset, into, std::min<uint64_t>(count, 1u << 30));
      if (got == 0) {
        return false;
      }
      into += got;
      offset += got;
      count -= got;
    }
    return isOpen();
  }

private:
  static constexpr intptr_t kClosed = -1;

  /// The platform's part: closes the open handle; reads up to count bytes (at most 1 GiB) at
  /// offset, giving how many arrived, 0 at the end of the file or on an error.
  void release();
  uint64_t readSome(uint64_t offset, uint8_t* into, uint64_t count) const;

  intptr_t handle = kClosed;  ///< a descriptor, or a Windows handle
  uint64_t length = 0;
  FileIdentity id;
};

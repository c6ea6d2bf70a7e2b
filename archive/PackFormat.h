#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// @file
/// The pack archive layout: a 16-byte header, then the root directory's block at offset 16.
/// A directory block is the directory's record, its file records back to back, their data back
/// to back, then the blocks of its subdirectories. All integers are little-endian; both images
/// are converted byte by byte, never by casting a struct over the bytes.

/// Archive header, 16 bytes at offset 0.
struct PackHeader {
  static constexpr int32_t kLength = 16;          ///< bytes of the header image
  static constexpr uint32_t kMagic = 0x4341505A;  ///< the bytes "ZPAC"

  uint32_t magic = kMagic;      ///< kMagic in an archive
  uint32_t directoryCount = 0;  ///< directory records, the root's included
  uint32_t fileCount = 0;       ///< file records
  uint8_t mark0 = 1;            ///< byte 12; readers never look at bytes 12 to 15
  uint8_t mark1 = 0;            ///< byte 13
  uint16_t reserved = 0;        ///< bytes 14 and 15

  /// Writes the header's image into out.
  void write(uint8_t out[kLength]) const;
  /// The header whose image is in, as stored (nothing is checked).
  static PackHeader read(const uint8_t in[kLength]);
};

/// One directory entry, 128 bytes: a directory record or a file record.
struct PackRecord {
  static constexpr int32_t kLength = 128;                     ///< bytes of a record image
  static constexpr int32_t kNameLength = 116;                 ///< name field, zero padded
  static constexpr int32_t kMaxNameLength = kNameLength - 1;  ///< room for the terminating zero
  static constexpr uint32_t kDirectory = 16;                  ///< any other flags value means "file"
  static constexpr uint32_t kFile = 128;                      ///< the flags a packer gives files

  uint8_t name[kNameLength] = {};  ///< raw bytes, zero padded
  uint32_t flags = kFile;          ///< offset 116
  uint32_t offset = 0;             ///< offset 120: file data, or a directory record's own position
  /// Offset 124: a file's data length; in a directory record the same four bytes are two u16
  /// counts, subdirectories in the low half (124) and files in the high half (126).
  uint32_t size = 0;

  /// Whether the record is a directory's (flags kDirectory).
  bool isDirectory() const { return flags == kDirectory; }
  /// A directory record's count of subdirectories.
  uint16_t subdirectoryCount() const { return static_cast<uint16_t>(size & 0xFFFFu); }
  /// A directory record's count of files.
  uint16_t fileCount() const { return static_cast<uint16_t>(size >> 16); }
  /// Stores a directory record's two counts in size.
  void setCounts(uint16_t subdirectories, uint16_t files) {
    size = static_cast<uint32_t>(subdirectories) | (static_cast<uint32_t>(files) << 16);
  }

  /// True when the name field holds its terminating zero.
  bool nameTerminated() const;
  /// The name up to its first zero byte (the whole field when it has none).
  std::string nameString() const;
  /// Stores name as given, zero padded; false (and nothing stored) when it has more than
  /// kMaxNameLength bytes or holds a zero byte.
  bool setName(const std::string& name);

  /// Writes the record's image into out.
  void write(uint8_t out[kLength]) const;
  /// The record whose image is in, as stored (nothing is checked).
  static PackRecord read(const uint8_t in[kLength]);

  /// Lower-cases a name the way stored names and queries are lowered: bytes 'A' to 'Z' become
  /// 'a' to 'z' wherever they stand (second bytes of double-byte characters included); every
  /// other byte is left alone.
  static void lowerName(std::string& name);
  /// The same for the length bytes at bytes.
  static void lowerName(char* bytes, size_t length);
};

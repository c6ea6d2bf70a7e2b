/// @file
/// The owned block that whole-file reads fill.
#pragma once

#include <cstdint>

/// An owned block on the C runtime heap with its size: the out-parameter of whole-file reads.
/// The block is only ever resized with realloc and released with free, so one buffer can be
/// reused for several reads.
class ByteBuffer {
public:
  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  virtual ~ByteBuffer();

  /// Resizes the block in place to exactly newSize bytes. A zero size still leaves a valid
  /// (one-byte) block with size 0, so data never points at freed memory. On failure, or for a
  /// negative size, the block and size stay as they were.
  bool resize(int32_t newSize);

  uint8_t* data = nullptr;  ///< the block (malloc heap), null until the first resize
  int32_t size = 0;         ///< the file's length: the block's, or 0 with a one-byte block
};

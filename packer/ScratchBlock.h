#pragma once

#include <cstdint>
#include <memory>
#include <new>

// One block of memory reused for every file a command copies. Each file still moves in one
// piece (one read, one write), but without a fresh allocation, and fresh pages, per file.
class ScratchBlock {
public:
  // A block of at least size bytes, or null when the memory cannot be obtained.
  uint8_t* get(uint64_t size) {
    if (size > capacity || !block) {
      block.reset();
      capacity = 0;
      if (size > SIZE_MAX) {
        return nullptr;
      }
      block.reset(new (std::nothrow) uint8_t[size == 0 ? 1 : static_cast<size_t>(size)]);
      capacity = block ? size : 0;
    }
    return block.get();
  }

private:
  std::unique_ptr<uint8_t[]> block;
  uint64_t capacity = 0;
};

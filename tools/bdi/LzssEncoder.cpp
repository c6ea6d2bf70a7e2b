#include "tools/bdi/LzssEncoder.h"

#include <algorithm>

namespace {

constexpr int kHashBits = 15;

uint32_t hash3(const uint8_t* p) {
  return ((static_cast<uint32_t>(p[0]) << 10) ^ (static_cast<uint32_t>(p[1]) << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

// Collects items behind their flag byte, eight items to a group.
class ItemWriter {
public:
  explicit ItemWriter(std::vector<uint8_t>& out) : out_(out) {}

  void literal(uint8_t byte) {
    beginItem(true);
    out_.push_back(byte);
  }

  void reference(uint32_t ringPosition, int length) {
    beginItem(false);
    out_.push_back(static_cast<uint8_t>(ringPosition & 0xFF));
    out_.push_back(static_cast<uint8_t>(((ringPosition >> 4) & 0xF0) | (length - LzssEncoder::kMinLength)));
  }

private:
  void beginItem(bool isLiteral) {
    if (bit_ == 8) {
      flagIndex_ = out_.size();
      out_.push_back(0);
      bit_ = 0;
    }
    if (isLiteral) {
      out_[flagIndex_] = static_cast<uint8_t>(out_[flagIndex_] | (1u << bit_));
    }
    ++bit_;
  }

  std::vector<uint8_t>& out_;
  size_t flagIndex_ = 0;
  int bit_ = 8;
};

}  // namespace

void LzssEncoder::insert(size_t pos) {
  if (pos + kMinLength > stream_.size()) {
    return;
  }
  const uint32_t h = hash3(&stream_[pos]);
  prev_[pos] = head_[h];
  head_[h] = static_cast<int32_t>(pos);
}

// The longest match for the bytes at pos among the earlier positions at most a ring's length back.
// The nearest of equally long matches wins, since the chain is walked from the newest position.
LzssEncoder::Match LzssEncoder::findMatch(size_t pos) const {
  Match best;
  const size_t available = stream_.size() - pos;
  if (available < static_cast<size_t>(kMinLength)) {
    return best;
  }
  const int limit = static_cast<int>(std::min<size_t>(available, kMaxLength));
  const uint8_t* target = &stream_[pos];
  int32_t candidate = head_[hash3(target)];
  for (int tries = 0; candidate >= 0 && tries < maxChain_; ++tries) {
    if (static_cast<size_t>(candidate) >= pos) {  // only earlier bytes are in the ring
      candidate = prev_[candidate];
      continue;
    }
    // A distance of up to the ring size reads ring cells that this stream has not yet overwritten.
    if (pos - static_cast<size_t>(candidate) > static_cast<size_t>(kRingSize)) {
      break;
    }
    const uint8_t* source = &stream_[candidate];
    // A candidate can only beat the best so far if it also matches at the best length.
    if (source[best.length] == target[best.length]) {
      int length = 0;
      while (length < limit && source[length] == target[length]) {
        ++length;
      }
      if (length > best.length) {
        best.length = length;
        best.source = static_cast<size_t>(candidate);
        if (length == limit) {
          break;
        }
      }
    }
    candidate = prev_[candidate];
  }
  if (best.length < kMinLength) {
    best.length = 0;
  }
  return best;
}

std::vector<uint8_t> LzssEncoder::encode(const uint8_t* data, size_t size) {
  stream_.assign(kRingStart, 0x20);
  stream_.insert(stream_.end(), data, data + size);
  head_.assign(size_t{1} << kHashBits, -1);
  prev_.assign(stream_.size(), -1);
  // The spaces are in the ring before the first byte; a long run of them hashes to one chain,
  // whose newest entries (the nearest) are the ones a search reaches first.
  for (size_t pos = 0; pos < static_cast<size_t>(kRingStart); ++pos) {
    insert(pos);
  }

  std::vector<uint8_t> out;
  out.reserve(size / 2 + 16);
  ItemWriter writer(out);
  size_t pos = kRingStart;
  Match match = findMatch(pos);
  while (pos < stream_.size()) {
    if (match.length >= kMinLength && match.length < kMaxLength) {
      insert(pos);
      const Match next = findMatch(pos + 1);
      if (next.length > match.length) {
        writer.literal(stream_[pos]);
        ++pos;
        match = next;
        continue;
      }
      // Ring position of the match start: stream index s sits at ring cell s & 0xFFF because the
      // stream's first data byte (index 4078) goes to cell 4078.
      writer.reference(static_cast<uint32_t>(match.source) & 0xFFF, match.length);
      for (int k = 1; k < match.length; ++k) {
        insert(pos + k);
      }
      pos += match.length;
    } else if (match.length == kMaxLength) {
      writer.reference(static_cast<uint32_t>(match.source) & 0xFFF, match.length);
      for (int k = 0; k < match.length; ++k) {
        insert(pos + k);
      }
      pos += match.length;
    } else {
      writer.literal(stream_[pos]);
      insert(pos);
      ++pos;
    }
    match = findMatch(pos);
  }
  return out;
}

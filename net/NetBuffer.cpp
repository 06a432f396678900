#include "net/NetBuffer.h"

#include <algorithm>

namespace zerka {

std::string TNetBuffer::Extract(std::size_t count) {
  count = std::min(count, Size());
  std::string taken = data_.substr(start_, count);
  start_ += count;
  // Compact once the consumed front outweighs what is left, so extracts stay cheap.
  if (start_ == data_.size()) {
    Clear();
  } else if (start_ > data_.size() / 2) {
    data_.erase(0, start_);
    start_ = 0;
  }
  return taken;
}

void TNetMemoryStream::SetSize(std::size_t size) {
  data_.resize(size);
  position_ = std::min(position_, size);
}

void TNetMemoryStream::Write(const char* bytes, std::size_t count) {
  if (position_ + count > data_.size()) data_.resize(position_ + count);
  std::copy(bytes, bytes + count, data_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ += count;
}

}  // namespace zerka

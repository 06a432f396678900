#pragma once
// Reads a fuzz input from its front: a few control bytes, then the bytes under test. Past the
// end every read yields zeros or nothing, so any input is a valid script.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zerka::fuzz {

class TFuzzInput {
 public:
  TFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return position_ >= size_; }
  std::size_t Remaining() const { return size_ - position_; }

  std::uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }

  std::string Bytes(std::size_t count) {
    count = std::min(count, Remaining());
    std::string bytes(reinterpret_cast<const char*>(data_ + position_), count);
    position_ += count;
    return bytes;
  }

  std::string Rest() { return Bytes(Remaining()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Stops the run with a message when a property of the code under test does not hold; the
// fuzzer keeps the input that led here.
[[noreturn]] void Violated(const char* what);

inline void Expect(bool holds, const char* what) {
  if (!holds) Violated(what);
}

}  // namespace zerka::fuzz

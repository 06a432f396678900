#pragma once
// Byte containers of the transport: the input queue of a connection and the stream a body
// is written to. Bytes are held in std::string, as the texts of the system are 8-bit.

#include <cstddef>
#include <string>
#include <string_view>

namespace zerka {

class TNetBuffer {
 public:
  std::size_t Size() const { return data_.size() - start_; }
  bool Empty() const { return Size() == 0; }
  std::string_view View() const { return std::string_view(data_).substr(start_); }
  void Append(const char* bytes, std::size_t count) { data_.append(bytes, count); }
  // Takes the first count bytes out of the queue.
  std::string Extract(std::size_t count);
  void Clear() {
    data_.clear();
    start_ = 0;
  }

 private:
  std::string data_;
  std::size_t start_ = 0;  // bytes before it are consumed; compacted on the next extract
};

// A growable in-memory stream with a position, as a response body's target.
class TNetMemoryStream {
 public:
  std::size_t Size() const { return data_.size(); }
  std::size_t Position() const { return position_; }
  void SetPosition(std::size_t position) { position_ = position; }
  void SetSize(std::size_t size);
  void Write(const char* bytes, std::size_t count);
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
  std::size_t position_ = 0;
};

}  // namespace zerka

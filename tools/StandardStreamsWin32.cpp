#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

#include "tools/StandardStreams.h"

namespace zerka {
namespace {

// The length of the longest start of utf8 that ends on a whole character.
std::size_t WholeCharacters(const std::string& utf8) {
  std::size_t end = utf8.size();
  std::size_t back = 0;
  while (back < 4 && back < end && (static_cast<unsigned char>(utf8[end - 1 - back]) & 0xC0) == 0x80) {
    ++back;
  }
  if (back == end) return end;
  const auto lead = static_cast<unsigned char>(utf8[end - 1 - back]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return length > back + 1 ? end - 1 - back : end;
}

// Collects UTF-8 and hands each line to the console as wide characters.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    if (c == '\n') sync();
    return c;
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.find('\n') != std::string::npos) sync();
    return count;
  }

  int sync() override {
    const std::size_t whole = WholeCharacters(pending_);
    if (whole == 0) return 0;
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole),
                                               nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), wide.data(),
                        wideLength);
    pending_.erase(0, whole);
    DWORD written = 0;
    return WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)
               ? 0
               : -1;
  }

 private:
  HANDLE console_;
  std::string pending_;
};

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle && GetConsoleMode(handle, &mode);
}

}  // namespace

void PrepareStandardStreams() {}

// The buffer outlives its stream and writes out what is left when the program ends.
std::ostream& StandardOutput() {
  static ConsoleBuffer buffer(GetStdHandle(STD_OUTPUT_HANDLE));
  static std::ostream console(&buffer);
  return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)) ? console : std::cout;
}

std::ostream& StandardError() {
  static ConsoleBuffer buffer(GetStdHandle(STD_ERROR_HANDLE));
  static std::ostream console(&buffer);
  return IsConsole(GetStdHandle(STD_ERROR_HANDLE)) ? console : std::cerr;
}

}  // namespace zerka

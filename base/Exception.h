#pragma once
// The general exception class: every failure carries a message text, which is what the
// program shows or reports.

#include <exception>
#include <string>

namespace zerka {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A text that is not a whole number where one was expected.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Decimal text (leading blanks and a sign allowed, or "$"/"0x" hex) to a 32-bit integer;
// anything else raises EConvertError "'<text>' ist kein gültiger Integerwert".
int StrToInt(const std::string& text);
// As StrToInt, but the fallback instead of an exception.
int StrToIntDef(const std::string& text, int fallback);

}  // namespace zerka

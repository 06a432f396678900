#pragma once
// Reads pictures kept as XPM source: the lines of a `static const char* name[]` array.
// Only what our pictures use is accepted (colour keys with "#RRGGBB" or "None", no
// extensions); anything else is refused with EXpmError rather than guessed at.

#include <span>

#include "base/Exception.h"
#include "framework/Picture.h"

namespace zerka {

class EXpmError : public Exception {
 public:
  using Exception::Exception;
};

TPicture ParseXpm(std::span<const char* const> lines);

}  // namespace zerka

// The dates an HTTP server sends in Date, Last-Modified and Expires.

#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "net/NetHttpDate.h"

using namespace zerka;
using namespace zerka::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  const TDateTime when = HttpDateToDateTime(input.Rest());
  Expect(std::isfinite(when), "a date is a finite number of days");
  return 0;
}

// The Linux settings file, which the user may edit by hand: any bytes read leniently, and
// what is written from the values read reads back to the same values.

#include <cstdint>
#include <string_view>
#include <string>

#include "fuzz/FuzzInput.h"
#include "platform/qt/SettingsFile.h"

using namespace zerka;
using namespace zerka::fuzz;
using namespace zerka::qt;

namespace {

constexpr std::string_view Section = "Zerka 2 Remote 2";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  const std::string fileText = input.Rest();
  const TSettingsValues values = ParseSettingsFile(fileText, Section);
  for (const auto& [name, text] : values) {
    Expect(FindSettingsValue(values, name) == &text, "names are unique ignoring case");
  }
  const std::string written = FormatSettingsFile(values, Section);
  Expect(ParseSettingsFile(written, Section) == values, "a written file reads back to the same values");
  Expect(DecodeFileText(written).size() <= written.size(), "decoding never grows the text");
  return 0;
}

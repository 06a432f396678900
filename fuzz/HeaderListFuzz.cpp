// The header list as the HTTP client fills it from an answer: lines of any bytes, folded
// continuation lines, names looked up ignoring case.
//
// Input: header lines separated by LF; the name looked up is the first line's up to its colon.

#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "net/NetHeaderList.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

constexpr const char* KnownNames[] = {"Content-Length", "Transfer-Encoding", "Location", "Connection",
                                      "Content-Range", "Date"};

void Check(TNetHeaderList& headers, const std::string& name) {
  const int count = headers.Count();
  const int index = headers.IndexOfName(name);
  const std::string value = headers.Values(name);
  Expect(index >= -1 && index < count, "an index is a line of the list or -1");
  if (index < 0) Expect(value.empty(), "a missing name has no value");
  headers.Remove(name);
  Expect(index < 0 ? headers.Count() == count : headers.Count() < count, "removing takes lines only when found");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  const std::string text = input.Rest();
  TNetHeaderList headers;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    headers.Add(std::move(line));
    start = end + 1;
  }
  const std::string& first = headers.Lines().front();
  Check(headers, first.substr(0, first.find(':')));
  for (const char* name : KnownNames) Check(headers, name);
  return 0;
}

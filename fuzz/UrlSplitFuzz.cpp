// The split of a URL, as the HTTP client applies it to the Location of a redirect.

#include <cstdint>
#include <string>

#include "base/Exception.h"
#include "fuzz/FuzzInput.h"
#include "net/NetUrl.h"

using namespace zerka;
using namespace zerka::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  const std::string url = input.Rest();
  const TNetUrlParts parts = SplitUrl(url);
  Expect(!parts.Path.empty() && parts.Path.front() == '/', "a path begins with /");
  Expect(parts.Path.back() == '/', "a path ends with /");
  Expect(parts.Document.find('/') == std::string::npos, "a document holds no /");
  Expect(parts.Document.find('#') == std::string::npos, "the fragment is cut off the document");
  Expect(parts.Host.find_first_of(":/") == std::string::npos, "a host holds no : or /");
  Expect(parts.Protocol.find("://") == std::string::npos, "the protocol ends at the first ://");
  Expect(parts.Protocol.size() + parts.Host.size() + parts.Port.size() + parts.Document.size() +
                 parts.Fragment.size() <= url.size(),
         "the parts come from the URL");
  StrToIntDef(parts.Port, -1);
  return 0;
}

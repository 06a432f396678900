// The HTTP client reading an answer: status line, header lines, bodies by length, chunked or
// up to the close, delivered in pieces of any size; kept connections and redirects.
//
// Input: the piece size (0: whole reads), a flag byte, then the server's bytes, which every
// connection receives from the start. Flags: 1 a HEAD request, 2 a second request after the
// first, 4 redirects followed, 8 the client speaks HTTP/1.0.

#include <cstdint>
#include <string>

#include "base/Exception.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MemoryStack.h"
#include "net/NetHTTP.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

// One request; the failures the client is meant to raise end it, anything else escapes.
void Request(TNetHTTP& http, const std::string& method) {
  TNetMemoryStream body;
  try {
    http.PerformRequest(method, "http://127.0.0.1:2506/zerka-admin/admin/?Restart=true", body);
    Expect(http.StatusCode / 100 == 2 && http.ResponseInfo.Location.empty(), "only a success comes back");
    const std::int64_t announced = http.ResponseInfo.ContentLength;
    Expect(method == "HEAD" || http.StatusCode == 204 || announced <= 0 ||
               body.Size() == static_cast<std::size_t>(announced),
           "a success carries its whole counted body");
  } catch (const Exception&) {
  }
  Expect(body.Size() <= http.MaxStreamBytes, "a body stays below the size ceiling");
  if (method == "HEAD") Expect(body.Size() == 0, "an answer to HEAD has no body");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  TMemoryPeer peer;
  peer.ReadPiece = input.Byte();
  const std::uint8_t flags = input.Byte();
  peer.StreamBytes = input.Rest();
  TMemoryStackInstalled stack(peer);

  TNetHTTP http;
  http.Request.Username = "admin";
  http.Request.Password = "geheim";
  http.HandleRedirects = (flags & 4) != 0;
  http.RedirectMaximum = 3;
  if (flags & 8) http.ProtocolVersion = pv1_0;
  const std::string method = (flags & 1) ? "HEAD" : "GET";
  Request(http, method);
  if (flags & 2) Request(http, method);
  Expect(peer.Connections <= 2 * (http.RedirectMaximum + 1), "every request opens at most one connection per hop");
  return 0;
}

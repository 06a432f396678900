// The datagram replies of the server as the remote-control client takes them: stale
// datagrams before a query, replies of any length (also zero and beyond the 256-byte buffer),
// right and wrong sequence numbers, any status and length byte.
//
// Input: the number of stale datagrams (low two bits), then datagram records, each a flag
// byte, a length byte and the bytes. Flags: 1 the bytes begin with the sequence number of the
// request being answered, 2 the length counts 64-byte units, 4 the server stays silent.

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/FuzzInput.h"
#include "fuzz/MemoryStack.h"
#include "remote/RemoteProtocol.h"
#include "remote/Zerka2Remote.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

constexpr int MaxOperations = 64;

// The next scripted datagram; nothing when the script says silence.
std::optional<std::string> NextDatagram(TFuzzInput& input, const std::string& request) {
  const std::uint8_t flags = input.Byte();
  const std::size_t length = input.Byte() * ((flags & 2) ? 64u : 1u);
  std::string datagram = input.Bytes(length);
  if (flags & 4) return std::nullopt;
  if ((flags & 1) && request.size() >= 2) datagram = request.substr(0, 2) + datagram;
  return datagram;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  TMemoryPeer peer;
  TMemoryStackInstalled stack(peer);
  for (int stale = input.Byte() & 3; stale > 0; --stale) {
    if (auto datagram = NextDatagram(input, {})) peer.Datagrams.push_back(std::move(*datagram));
  }
  peer.OnDatagram = [&](const std::string& request) {
    if (auto datagram = NextDatagram(input, request)) peer.Datagrams.push_back(std::move(*datagram));
  };

  TZerka2Remote remote;
  remote.SetHost("127.0.0.1");
  std::string lastError;
  remote.SetOnError([&](TComponent*, const std::string& text) {
    Expect(!text.empty(), "a reported failure has a text");
    lastError = text;
  });

  for (int operation = 0; operation < MaxOperations && !input.Empty(); ++operation) {
    switch (operation % 5) {
      case 0: {
        const std::string result = remote.Query(2);
        Expect(result.empty() || result.size() == ReplyDataSize, "a query answers 252 characters or nothing");
        break;
      }
      case 1:
        remote.GetLineState();
        break;
      case 2:
        remote.GetLockState();
        break;
      case 3: {
        const std::int32_t port = remote.GetAdminPort();
        Expect(port >= 0 && port <= 65535, "the admin port is a port number");
        break;
      }
      case 4:
        Expect(remote.Logout(), "a command returns true");
        break;
    }
    Expect(!remote.DatagramBusy(), "the busy flag is cleared after every operation");
  }
  return 0;
}

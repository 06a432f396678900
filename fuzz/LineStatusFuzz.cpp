// The stream exchange of the line-status record: the answer type, the 32-byte record or the
// 508-byte server message, cut short anywhere and delivered in pieces of any size.
//
// Input: the piece size (0: whole reads), then the server's bytes.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzInput.h"
#include "fuzz/MemoryStack.h"
#include "remote/RemoteProtocol.h"
#include "remote/Zerka2Remote.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

bool StartsWithType(const std::string& bytes, std::int32_t type) {
  const char word[4] = {0, 0, 0, static_cast<char>(type)};
  return bytes.size() >= 4 && std::memcmp(bytes.data(), word, 4) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  TMemoryPeer peer;
  peer.ReadPiece = input.Byte();
  peer.StreamBytes = input.Rest();
  TMemoryStackInstalled stack(peer);

  TZerka2Remote remote;
  remote.SetHost("127.0.0.1");
  int errors = 0;
  remote.SetOnError([&](TComponent*, const std::string& text) {
    Expect(text.rfind("TCP-Fehler: ", 0) == 0, "an exchange failure carries the TCP prefix");
    ++errors;
  });
  int messages = 0;
  remote.SetShowMessage([&](const std::string& text) {
    Expect(text.find('\0') == std::string::npos && text.size() <= ServerMessageSize - 4,
           "a server message is its text up to the first zero byte");
    ++messages;
  });

  remote.RefreshLineStatus();
  Expect(!remote.StreamBusy(), "the busy flag is cleared after the exchange");
  Expect(peer.StreamSent == "0\r\n", "the request is the line 0");
  Expect(errors + messages <= 1, "one exchange reports at most one outcome");

  const std::string& bytes = peer.StreamBytes;
  const bool recordComplete = StartsWithType(bytes, AnswerLineStatus) && bytes.size() >= 4 + LineStatusRecordSize;
  if (recordComplete) {
    Expect(errors == 0 && messages == 0, "a complete record is taken without a report");
    std::array<std::uint8_t, LineStatusRecordSize> record{};
    std::memcpy(record.data(), bytes.data() + 4, record.size());
    const rsTcpInfo expected = DecodeLineStatus(record);
    Expect(remote.GetConnections(false) == expected.Connections &&
               remote.GetOnlineSeconds(false) == expected.OnlineSeconds &&
               remote.GetSecondsUntilHangup(false) == expected.SecondsUntilHangup &&
               remote.GetDialupAddress(false) == expected.DialupAddress,
           "the cache holds the record that arrived");
  } else {
    Expect(remote.GetConnections(false) == 0 && remote.GetDialupAddress(false).empty(),
           "an incomplete or other answer leaves the cache alone");
  }
  const std::string address = remote.GetDialupAddress(false);
  Expect(address.size() <= 16 && address.find('\0') == std::string::npos, "the address is at most 16 characters");
  return 0;
}

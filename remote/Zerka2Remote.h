#pragma once
// The remote control of a Zerka proxy server: datagram queries and commands on the remote
// port, the line-status record over a short stream connection on the same port, and the
// restart through the server's administration web interface.
//
// Every failure is caught inside and its text reported through OnError; no operation lets an
// exception out. The two busy flags refuse a nested call (from a message loop that runs while
// an exchange is open) instead of letting it interleave with the running exchange.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/Component.h"

namespace zerka {

class TNetTCPClient;
class TNetUDPClient;
class TNetHTTP;

// The cached line-status record.
struct rsTcpInfo {
  std::int32_t Connections = 0;
  std::int32_t OnlineSeconds = 0;
  std::int32_t SecondsUntilHangup = 0;
  std::string DialupAddress;
};

using TZerka2RemoteErrorEvent = std::function<void(TComponent* Sender, const std::string& Text)>;
// Shows a text to the user and returns once it has been acknowledged (a modal message box
// with the application's title as caption, in the program).
using TZerka2RemoteMessageEvent = std::function<void(const std::string& Text)>;

class TZerka2Remote : public TComponent {
 public:
  static constexpr int DefaultPort = 4295;
  static constexpr std::uint8_t NoValidState = 255;
  static constexpr std::int32_t NoValidAdminPort = 2506;

  explicit TZerka2Remote(TComponent* AOwner = nullptr);
  ~TZerka2Remote() override;

  const std::string& Host() const { return host_; }
  void SetHost(const std::string& host) { host_ = host; }
  std::int32_t Port() const { return port_; }
  void SetPort(std::int32_t port) { port_ = port; }
  const TZerka2RemoteErrorEvent& OnError() const { return onError_; }
  void SetOnError(TZerka2RemoteErrorEvent handler) { onError_ = std::move(handler); }
  const TZerka2RemoteMessageEvent& ShowMessage() const { return showMessage_; }
  void SetShowMessage(TZerka2RemoteMessageEvent handler) { showMessage_ = std::move(handler); }

  // Datagrams. A query answers the 252 data characters of a valid reply, or the empty text.
  std::string Query(std::uint8_t code);
  void SendCommand(std::uint8_t code);
  std::uint8_t GetLineState();
  std::uint8_t GetLockState();
  std::int32_t GetAdminPort();
  bool FetchMail();
  bool Logout();
  bool ToggleDialupLock();
  bool StopServer();

  // The line-status record; the getters refresh the cache first when asked to.
  void RefreshLineStatus();
  std::int32_t GetConnections(bool refresh);
  std::int32_t GetOnlineSeconds(bool refresh);
  std::int32_t GetSecondsUntilHangup(bool refresh);
  std::string GetDialupAddress(bool refresh);

  // True when the server took the restart request. Only the admin-port query reports.
  bool RestartServer(const std::string& userName, const std::string& password);

  bool DatagramBusy() const { return datagramBusy_; }
  bool StreamBusy() const { return streamBusy_; }

  TNetTCPClient& StreamClient() const { return *streamClient_; }
  TNetUDPClient& DatagramClient() const { return *datagramClient_; }
  TNetHTTP& HTTPClient() const { return *httpClient_; }

 private:
  void ConfigureClients(bool forDatagrams);
  void SendRequest(std::uint8_t code);
  void ReadLineStatus(TComponent* Sender);
  void DoError(const std::string& text);

  std::string host_;
  std::int32_t port_ = DefaultPort;
  TZerka2RemoteErrorEvent onError_;
  TZerka2RemoteMessageEvent showMessage_;
  TNetTCPClient* streamClient_;
  TNetUDPClient* datagramClient_;
  TNetHTTP* httpClient_;
  std::uint16_t sequence_ = 0;
  rsTcpInfo tcpInfo_;
  bool datagramBusy_ = false;
  bool streamBusy_ = false;
  // Why the exchange inside the connection failed; reported once the connection is closed.
  std::optional<std::string> exchangeFailure_;
};

}  // namespace zerka

#pragma once

#include <string>

#include "net/NetTCPConnection.h"

namespace zerka {

// SOCKS proxy settings; version 0 is a direct connection, the only one this program makes.
struct TNetSocksInfo {
  int Version = 0;
};

class TNetTCPClient : public TNetTCPConnection {
 public:
  explicit TNetTCPClient(TComponent* AOwner = nullptr);

  // Connects to Host:Port, then raises OnConnected. The connect gives up after
  // ConnectTimeout milliseconds with ENetSocketError 10060.
  void OpenConnection();
  // Host and Port as they were when the open connection was made; Host and Port themselves
  // may since have been pointed elsewhere.
  const std::string& ConnectedHost() const { return connectedHost_; }
  int ConnectedPort() const { return connectedPort_; }

  std::string Host;
  int Port = 0;
  std::string BoundIP;
  bool UseNagle = true;
  TNetSocksInfo SocksInfo;
  TNotifyEvent OnConnected;
  std::int32_t ConnectTimeout = 10000;

 private:
  std::string connectedHost_;
  int connectedPort_ = 0;
};

}  // namespace zerka

#include "tools/Restart.h"

#include <exception>

#include "base/Exception.h"
#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetHTTP.h"
#include "remote/RemoteProtocol.h"

namespace zerka {

RestartOutcome RequestRestart(TZerka2Remote& remote, const ServerAddress& server,
                              const std::string& userName, const std::string& password) {
  TNetHTTP& http = remote.HTTPClient();
  http.Request.Username = userName;
  http.Request.Password = password;
  http.Host = remote.Host();
  http.Port = remote.GetAdminPort();
  // A time-out once connected means an answer that did not come, not an interface that
  // cannot be reached.
  bool connected = false;
  http.OnConnected = [&connected](TComponent*) { connected = true; };
  const std::string site = "Verwaltungsoberfläche auf Port "_l1 + std::to_string(http.Port) + ": ";
  RestartOutcome outcome;
  try {
    http.GetPage(RestartUrl(remote.Host(), http.Port));
    outcome.Kind = RestartOutcome::Taken;
  } catch (const ENetProtocolReplyError& e) {
    outcome.Kind = RestartOutcome::Refused;
    outcome.Why = server.At(site + "Neustart abgelehnt, HTTP-Status " + e.Message());
  } catch (const ENetConnClosedGracefully&) {
    outcome.Why = server.At(site + "Die Verbindung wurde vor dem Ende der Antwort geschlossen.");
  } catch (const ENetSocketError& e) {
    outcome.Why = server.At(site + (connected && e.SocketErrorCode == WsaTimedOut
                                        ? "Die Antwort auf den Neustart kam nicht rechtzeitig "
                                          "(Socket-Fehler # 10060)."
                                        : e.Message()));
  } catch (const Exception& e) {
    outcome.Why = server.At(site + e.Message());
  } catch (const std::exception& e) {
    outcome.Why = server.At(site + e.what());
  }
  http.OnConnected = nullptr;
  return outcome;
}

}  // namespace zerka

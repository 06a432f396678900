#pragma once
// The server's name resolved once per run, within a bound: a name service that hangs must not
// outlast a monitoring system's patience, and every client after it gets the address.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace zerka {

// The server as the user named it and as the clients reach it.
struct ServerAddress {
  std::string Host;     // as given (Latin-1)
  std::string Address;  // dotted quad
  int Port = 0;

  // "host:port: text": every report says which server it is about.
  std::string At(const std::string& text) const;
};

enum class LookupFailure { None, NotFound, TimedOut, Other };

struct HostLookupResult {
  std::optional<ServerAddress> Server;
  LookupFailure Failure = LookupFailure::None;
  std::string FailureText;  // German, Latin-1, naming host and port
};

// Blocking resolution of a name to a dotted quad; the Windows Sockets number of the failure
// otherwise. Runs on a thread of its own.
struct ResolverAnswer {
  std::optional<std::string> Address;
  int ErrorCode = 0;
};
using HostResolver = std::function<ResolverAnswer(const std::string& host)>;

// The platform's resolver, through a socket stack of the lookup's own.
HostResolver PlatformResolver();

// Dotted quads and "localhost" need no lookup. A lookup still running at the bound is left to
// itself: it owns everything it touches, so it may end, or the process, whenever.
HostLookupResult LookUpHost(const std::string& host, int port, std::chrono::milliseconds bound,
                            const HostResolver& resolve = PlatformResolver());

}  // namespace zerka

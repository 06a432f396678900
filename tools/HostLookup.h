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
  std::string Host;     // as typed: the bytes the resolver gets
  std::string Address;  // dotted quad
  int Port = 0;

  // The host as typed, in UTF-8.
  std::string ShownHost() const;
  // "host:port: text", in UTF-8: every report says which server it is about. At takes one of
  // the system's Latin-1 texts, AtUtf8 one of zerka2ctl's own in UTF-8.
  std::string At(const std::string& latin1) const;
  std::string AtUtf8(const std::string& utf8) const;
};

// Unsupported: an IPv6 address, which the server's protocol cannot carry.
enum class LookupFailure { None, NotFound, Unsupported, TimedOut, Other };

struct HostLookupResult {
  std::optional<ServerAddress> Server;
  LookupFailure Failure = LookupFailure::None;
  std::string FailureText;  // German, UTF-8, naming host and port
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

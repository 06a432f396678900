#include "tools/HostLookup.h"

#include <cctype>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "base/Exception.h"
#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"
#include "net/NetStack.h"
#include "tools/ConsoleText.h"

namespace zerka {
namespace {

struct PendingLookup {
  std::mutex Lock;
  std::condition_variable Done;
  std::optional<ResolverAnswer> Answer;
};

std::string Seconds(std::chrono::milliseconds bound) {
  const auto tenths = (bound.count() + 50) / 100;
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) {
    text += ',';
    text += static_cast<char>('0' + tenths % 10);
  }
  return text;
}

HostLookupResult Failed(const ServerAddress& server, LookupFailure failure,
                        const std::string& why) {
  HostLookupResult result;
  result.Failure = failure;
  result.FailureText = server.AtUtf8(why);
  return result;
}

// Latin-1 literal + host as typed + Latin-1 literal, in UTF-8.
std::string Naming(const std::string& before, const ServerAddress& server,
                   const std::string& after) {
  return Latin1ToUtf8(before) + server.ShownHost() + Latin1ToUtf8(after);
}

HostLookupResult FromAnswer(ServerAddress server, const ResolverAnswer& answer) {
  if (answer.Address) {
    server.Address = *answer.Address;
    return HostLookupResult{server, LookupFailure::None, ""};
  }
  switch (answer.ErrorCode) {
    case WsaHostNotFound:
    case WsaNoData:
      return Failed(server, LookupFailure::NotFound,
                    Naming("Der Host ", server, " ist unbekannt (keine IPv4-Adresse zu diesem Namen)."));
    case WsaTryAgain:
      return Failed(server, LookupFailure::Other,
                    Naming("Der Name ", server,
                           " kann zurzeit nicht aufgelöst werden (der Namensdienst antwortet nicht)."_l1));
    default:
      return Failed(server, LookupFailure::Other,
                    Naming("Der Name ", server, " kann nicht aufgelöst werden: "_l1 +
                                                    SocketErrorText(answer.ErrorCode)));
  }
}

// Host names never hold a colon; IPv6 addresses hold at least two, perhaps in brackets and
// with a zone.
bool IsIPv6Literal(const std::string& host) {
  std::string address = host;
  if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  address = address.substr(0, address.find('%'));
  int colons = 0;
  for (const char c : address) {
    if (c == ':') {
      ++colons;
    } else if (!std::isxdigit(static_cast<unsigned char>(c)) && c != '.') {
      return false;
    }
  }
  return colons >= 2;
}

}  // namespace

std::string ServerAddress::ShownHost() const { return ArgumentUtf8(Host); }

std::string ServerAddress::At(const std::string& latin1) const { return AtUtf8(Latin1ToUtf8(latin1)); }

std::string ServerAddress::AtUtf8(const std::string& utf8) const {
  return ShownHost() + ":" + std::to_string(Port) + ": " + utf8;
}

HostResolver PlatformResolver() {
  return [](const std::string& host) {
    ResolverAnswer answer;
    try {
      const std::unique_ptr<TNetStack> stack = CreatePlatformStack();
      std::array<std::uint8_t, 4> address{};
      if (stack->LookupHost(host, address)) {
        answer.Address = AddressToText(address);
      } else {
        answer.ErrorCode = stack->LastError();
      }
    } catch (const ENetSocketError& e) {
      answer.ErrorCode = e.SocketErrorCode;
    } catch (const std::exception&) {
      answer.ErrorCode = WsaNoRecovery;
    }
    return answer;
  };
}

HostLookupResult LookUpHost(const std::string& host, int port, std::chrono::milliseconds bound,
                            const HostResolver& resolve) {
  ServerAddress server{host, host, port};
  std::string upper;
  for (const char c : host) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  if (upper == "LOCALHOST") server.Address = "127.0.0.1";
  if (upper == "LOCALHOST" || IsDottedQuad(host)) return HostLookupResult{server, LookupFailure::None, ""};
  if (host.empty()) {
    return Failed(server, LookupFailure::NotFound, "Kein Host angegeben.");
  }
  if (IsIPv6Literal(host)) {
    return Failed(server, LookupFailure::Unsupported,
                  Naming("Die IPv6-Adresse ", server,
                         " wird nicht unterstützt; der Server ist nur über IPv4 erreichbar "
                         "(einen Namen oder eine IPv4-Adresse angeben)."_l1));
  }

  const auto pending = std::make_shared<PendingLookup>();
  try {
    std::thread([pending, resolve, host] {
      ResolverAnswer answer = resolve(host);
      const std::lock_guard<std::mutex> guard(pending->Lock);
      pending->Answer = std::move(answer);
      pending->Done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return FromAnswer(server, resolve(host));  // no thread to be had: wait as before
  }
  std::unique_lock<std::mutex> lock(pending->Lock);
  if (!pending->Done.wait_for(lock, bound, [&] { return pending->Answer.has_value(); })) {
    return Failed(server, LookupFailure::TimedOut,
                  Naming("Der Namensdienst hat den Namen ", server,
                         " nicht innerhalb von " + Seconds(bound) + " s aufgelöst."_l1));
  }
  return FromAnswer(server, *pending->Answer);
}

}  // namespace zerka

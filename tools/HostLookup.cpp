#include "tools/HostLookup.h"

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
  result.FailureText = server.At(why);
  return result;
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
                    "Der Host " + server.Host + " ist unbekannt (keine IPv4-Adresse zu diesem Namen).");
    case WsaTryAgain:
      return Failed(server, LookupFailure::Other,
                    "Der Name " + server.Host +
                        " kann zurzeit nicht aufgelöst werden (der Namensdienst antwortet nicht)."_l1);
    default:
      return Failed(server, LookupFailure::Other,
                    "Der Name " + server.Host + " kann nicht aufgelöst werden: "_l1 +
                        SocketErrorText(answer.ErrorCode));
  }
}

}  // namespace

std::string ServerAddress::At(const std::string& text) const {
  return Host + ":" + std::to_string(Port) + ": " + text;
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
                  "Der Namensdienst hat den Namen " + host + " nicht innerhalb von " +
                      Seconds(bound) + " s aufgelöst."_l1);
  }
  return FromAnswer(server, *pending->Answer);
}

}  // namespace zerka

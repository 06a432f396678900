#pragma once
// The transport's exceptions. Callers report only the message text, so every text is the
// German one the user reads.

#include <cstdint>
#include <string>

#include "base/Exception.h"

namespace zerka {

class ENetException : public Exception {
 public:
  using Exception::Exception;
};

class ENetSilentException : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetConnClosedGracefully : public ENetSilentException {
 public:
  ENetConnClosedGracefully();
};

class ENetSocketError : public ENetException {
 public:
  explicit ENetSocketError(std::int32_t code);
  std::int32_t SocketErrorCode;
};

class ENetAlreadyConnected : public ENetException {
 public:
  ENetAlreadyConnected();
};

class ENetInvalidSocket : public ENetException {
 public:
  ENetInvalidSocket();
};

class ENetProtocolReplyError : public ENetException {
 public:
  ENetProtocolReplyError(int code, std::string message)
      : ENetException(std::move(message)), ReplyCode(code) {}
  int ReplyCode;
};

class ENetSocketHandleError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetPackageSizeTooBig : public ENetSocketHandleError {
 public:
  ENetPackageSizeTooBig();
};

class ENetNotAllBytesSent : public ENetSocketHandleError {
 public:
  ENetNotAllBytesSent();
};

class ENetCouldNotBindSocket : public ENetSocketHandleError {
 public:
  ENetCouldNotBindSocket();
};

class ENetUDPException : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetUDPReceiveErrorZeroBytes : public ENetUDPException {
 public:
  ENetUDPReceiveErrorZeroBytes();
};

class ENetStackError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetStackInitializationFailed : public ENetStackError {
 public:
  ENetStackInitializationFailed();
};

class ENetStackCanNotLoadWinsock : public ENetException {
 public:
  explicit ENetStackCanNotLoadWinsock(const std::string& libraryName);
};

class ENetTCPConnectionError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetNotEnoughDataInBuffer : public ENetTCPConnectionError {
 public:
  ENetNotEnoughDataInBuffer();
};

// An answer that breaks the limits put on a peer (line length, body size, length syntax).
class ENetProtocolLimitError : public ENetTCPConnectionError {
 public:
  using ENetTCPConnectionError::ENetTCPConnectionError;
};

// "Socket-Fehler # " + number + CR LF + the German text for that number (empty when unknown).
std::string SocketErrorText(std::int32_t code);

// Windows Sockets error numbers used by the layer itself.
constexpr std::int32_t WsaInterrupted = 10004;
constexpr std::int32_t WsaWouldBlock = 10035;
constexpr std::int32_t WsaInProgress = 10036;
constexpr std::int32_t WsaMessageTooLong = 10040;
constexpr std::int32_t WsaAddressInUse = 10048;
constexpr std::int32_t WsaConnectionReset = 10054;
constexpr std::int32_t WsaShutdown = 10058;
constexpr std::int32_t WsaTimedOut = 10060;
constexpr std::int32_t WsaConnectionRefused = 10061;
constexpr std::int32_t WsaHostNotFound = 11001;
constexpr std::int32_t WsaTryAgain = 11002;
constexpr std::int32_t WsaNoRecovery = 11003;
constexpr std::int32_t WsaNoData = 11004;

}  // namespace zerka

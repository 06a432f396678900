#include "remote/Zerka2Remote.h"

#include <array>
#include <exception>

#include "base/Exception.h"
#include "base/Latin1.h"
#include "net/NetHTTP.h"
#include "net/NetTCPClient.h"
#include "net/NetUDPClient.h"
#include "remote/RemoteProtocol.h"

namespace zerka {
namespace {

constexpr std::uint8_t CodeLineState = 2;
constexpr std::uint8_t CodeFetchMail = 4;
constexpr std::uint8_t CodeLogout = 5;
constexpr std::uint8_t CodeToggleDialupLock = 6;
constexpr std::uint8_t CodeLockState = 7;
constexpr std::uint8_t CodeAdminPort = 8;
constexpr std::uint8_t CodeStopServer = 99;

constexpr std::int32_t DrainTimeoutMs = 3;
constexpr std::int32_t ReplyTimeoutMs = 500;
constexpr std::int32_t DatagramReceiveTimeoutMs = 5000;

std::string DatagramBusyText() {
  return "Komponente ist beschäftigt - keine erneute UDP-Verbindung"_l1;
}

std::string StreamBusyText() {
  return "Komponente ist beschäftigt - keine erneute TCP-Verbindung"_l1;
}

// Runs the action; the message of whatever it raised, or nothing when it went through.
template <typename Action>
std::optional<std::string> FailureOf(Action&& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

}  // namespace

TZerka2Remote::TZerka2Remote(TComponent* AOwner)
    : TComponent(AOwner),
      streamClient_(new TNetTCPClient(this)),
      datagramClient_(new TNetUDPClient(this)),
      httpClient_(new TNetHTTP(this)) {}

TZerka2Remote::~TZerka2Remote() {
  delete streamClient_;
  delete datagramClient_;
  delete httpClient_;
}

void TZerka2Remote::ConfigureClients(bool forDatagrams) {
  if (forDatagrams) {
    datagramClient_->Host = host_;
    datagramClient_->Port = port_;
    datagramClient_->ReceiveTimeout = DatagramReceiveTimeoutMs;
  } else {
    streamClient_->Host = host_;
    httpClient_->Host = host_;
    streamClient_->Port = port_;
  }
}

void TZerka2Remote::SendRequest(std::uint8_t code) {
  ConfigureClients(true);
  sequence_ = NextSequence(sequence_);
  const auto request = RequestDatagram(sequence_, code);
  datagramClient_->SendDatagram(request.data(), static_cast<int>(request.size()));
}

std::string TZerka2Remote::Query(std::uint8_t code) {
  if (datagramBusy_) {
    DoError(DatagramBusyText());
    return {};
  }
  datagramBusy_ = true;
  std::string result;
  const auto failure = FailureOf([&] {
    // A late reply to an earlier query, or a reply to a command, may still be pending.
    datagramClient_->ReceiveDatagramText(DrainTimeoutMs);
    SendRequest(code);
    std::array<std::uint8_t, ReplyBufferSize> reply{};
    const int received =
        datagramClient_->ReceiveDatagram(reply.data(), static_cast<int>(reply.size()), ReplyTimeoutMs);
    result = ReplyData(reply, received, sequence_);
  });
  datagramBusy_ = false;
  if (failure) {
    DoError(*failure);
    return {};
  }
  return result;
}

void TZerka2Remote::SendCommand(std::uint8_t code) {
  if (datagramBusy_) {
    DoError(DatagramBusyText());
    return;
  }
  datagramBusy_ = true;
  const auto failure = FailureOf([&] { SendRequest(code); });
  datagramBusy_ = false;
  if (failure) DoError(*failure);
}

std::uint8_t TZerka2Remote::GetLineState() {
  const std::string data = Query(CodeLineState);
  return data.empty() ? NoValidState : static_cast<std::uint8_t>(data[0]);
}

std::uint8_t TZerka2Remote::GetLockState() {
  const std::string data = Query(CodeLockState);
  return data.empty() ? NoValidState : static_cast<std::uint8_t>(data[0]);
}

std::int32_t TZerka2Remote::GetAdminPort() {
  const std::string data = Query(CodeAdminPort);
  if (data.size() < 2) return NoValidAdminPort;
  return static_cast<std::uint8_t>(data[0]) + 256 * static_cast<std::uint8_t>(data[1]);
}

bool TZerka2Remote::FetchMail() {
  SendCommand(CodeFetchMail);
  return true;
}

bool TZerka2Remote::Logout() {
  SendCommand(CodeLogout);
  return true;
}

bool TZerka2Remote::ToggleDialupLock() {
  SendCommand(CodeToggleDialupLock);
  return true;
}

bool TZerka2Remote::StopServer() {
  SendCommand(CodeStopServer);
  return true;
}

void TZerka2Remote::RefreshLineStatus() {
  if (streamBusy_) {
    DoError(StreamBusyText());
    return;
  }
  streamBusy_ = true;
  exchangeFailure_.reset();
  const auto connectFailure = FailureOf([&] {
    ConfigureClients(false);
    streamClient_->OnConnected = [this](TComponent* Sender) { ReadLineStatus(Sender); };
    streamClient_->OpenConnection();
  });
  streamBusy_ = false;
  if (connectFailure) {
    DoError(*connectFailure);
  } else if (exchangeFailure_) {
    DoError("TCP-Fehler: " + *exchangeFailure_);
  }
}

void TZerka2Remote::ReadLineStatus(TComponent*) {
  exchangeFailure_ = FailureOf([&] {
    streamClient_->SendLine("0");
    const std::int32_t type = streamClient_->ReceiveInt32(true);
    if (type == AnswerLineStatus) {
      std::array<std::uint8_t, LineStatusRecordSize> record{};
      streamClient_->ReceiveExact(record.data(), static_cast<int>(record.size()));
      tcpInfo_ = DecodeLineStatus(record);
    } else if (type == AnswerServerMessage) {
      std::array<std::uint8_t, ServerMessageSize> message{};
      streamClient_->ReceiveExact(message.data(), static_cast<int>(message.size()));
      // The connection stays open until the user has read the message.
      if (showMessage_) showMessage_(DecodeServerMessage(message));
    } else if (showMessage_) {
      showMessage_("Unbekannter Datentyp");
    }
  });
  const auto closeFailure = FailureOf([&] { streamClient_->CloseConnection(); });
  if (!exchangeFailure_) exchangeFailure_ = closeFailure;
}

std::int32_t TZerka2Remote::GetConnections(bool refresh) {
  if (refresh) RefreshLineStatus();
  return tcpInfo_.Connections;
}

std::int32_t TZerka2Remote::GetOnlineSeconds(bool refresh) {
  if (refresh) RefreshLineStatus();
  return tcpInfo_.OnlineSeconds;
}

std::int32_t TZerka2Remote::GetSecondsUntilHangup(bool refresh) {
  if (refresh) RefreshLineStatus();
  return tcpInfo_.SecondsUntilHangup;
}

std::string TZerka2Remote::GetDialupAddress(bool refresh) {
  if (refresh) RefreshLineStatus();
  return tcpInfo_.DialupAddress;
}

bool TZerka2Remote::RestartServer(const std::string& userName, const std::string& password) {
  const auto failure = FailureOf([&] {
    httpClient_->Request.Username = userName;
    httpClient_->Request.Password = password;
    httpClient_->Host = host_;
    httpClient_->Port = GetAdminPort();
    httpClient_->GetPage(RestartUrl(host_, httpClient_->Port));
  });
  return !failure;
}

void TZerka2Remote::DoError(const std::string& text) {
  if (onError_) onError_(this, text);
}

}  // namespace zerka

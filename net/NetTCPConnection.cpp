#include "net/NetTCPConnection.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"

namespace zerka {
namespace {

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

TNetTCPConnection::TNetTCPConnection(TComponent* AOwner) : TNetComponent(AOwner) {}

TNetTCPConnection::~TNetTCPConnection() = default;

std::int64_t TNetTCPConnection::DeadlineAfter(std::int32_t timeoutMs) const {
  return NowMs() + timeoutMs;
}

std::optional<std::int64_t> TNetTCPConnection::ReadDeadline() const {
  if (SharedReadDeadline) return SharedReadDeadline;
  if (ReadTimeout < 0) return std::nullopt;
  return DeadlineAfter(ReadTimeout);
}

std::int32_t TNetTCPConnection::WaitFor(const std::optional<std::int64_t>& deadline) const {
  if (!deadline) return TimeoutInfinite;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(*deadline - NowMs(), 0, INT32_MAX));
}

void TNetTCPConnection::CloseConnection() {
  if (!socket_.HandleAllocated()) return;
  socket_.ReleaseSocket(true);
  PeerClosed = true;
  if (OnDisconnected) OnDisconnected(this);
}

bool TNetTCPConnection::IsOpen() {
  CheckClosed(false, false);
  return socket_.HandleAllocated();
}

void TNetTCPConnection::CheckClosed(bool raiseIfClosed, bool ignoreQueued) {
  if (!PeerClosed && socket_.HandleAllocated()) return;
  if (socket_.HandleAllocated()) CloseConnection();
  if ((InputQueue.Empty() || ignoreQueued) && raiseIfClosed) throw ENetConnClosedGracefully();
}

int TNetTCPConnection::ReceivePass(bool raiseIfClosed, std::int32_t timeoutMs,
                                   bool timeoutIsError, char* buffer, int size, bool queue) {
  CheckClosed(raiseIfClosed, false);
  if (!IsOpen()) return 0;
  if (!timeoutIsError) {
    if (!socket_.WaitReadable(timeoutMs)) return 0;
  } else {
    // A failed wait (one a signal interrupted) is nothing readable, not the end of the time.
    const std::int64_t deadline = DeadlineAfter(timeoutMs);
    while (!socket_.WaitReadable(WaitFor(deadline))) {
      if (NowMs() >= deadline) throw ENetSocketError(WsaTimedOut);
    }
  }
  int received = socket_.Receive(buffer, size);
  PeerClosed = received == 0;
  if (received != 0 && CheckSocketResult(received, {WsaShutdown})) {
    received = 0;
    if (socket_.HandleAllocated()) CloseConnection();
    if (InputQueue.Empty()) throw ENetSocketError(WsaShutdown);
  }
  if (queue && received > 0) InputQueue.Append(buffer, static_cast<std::size_t>(received));
  CheckClosed(raiseIfClosed, false);
  return received;
}

int TNetTCPConnection::FillInput(bool raiseIfClosed, std::int32_t timeoutMs) {
  scratch_.resize(static_cast<std::size_t>(std::max(RecvBufferSize, 1)));
  return ReceivePass(raiseIfClosed, timeoutMs, false, scratch_.data(),
                     static_cast<int>(scratch_.size()), true);
}

int TNetTCPConnection::FillInputBounded(bool raiseIfClosed,
                                        const std::optional<std::int64_t>& deadline) {
  scratch_.resize(static_cast<std::size_t>(std::max(RecvBufferSize, 1)));
  return ReceivePass(raiseIfClosed, WaitFor(deadline), deadline.has_value(), scratch_.data(),
                     static_cast<int>(scratch_.size()), true);
}

void TNetTCPConnection::ProbeClosed(bool raiseIfClosed) { FillInput(raiseIfClosed, 1); }

void TNetTCPConnection::SendBytes(const void* data, int count) {
  if (count <= 0) return;
  CheckClosed(true, true);
  const char* bytes = static_cast<const char*>(data);
  int sent = 0;
  while (sent < count) {
    const int result = socket_.Send(bytes + sent, count - sent);
    PeerClosed = result == 0;
    CheckClosed(true, false);
    if (CheckSocketResult(result, {WsaShutdown})) {
      CloseConnection();
      throw ENetSocketError(WsaShutdown);
    }
    sent += result;
  }
}

void TNetTCPConnection::SendLine(const std::string& text) {
  const std::string line = text + "\r\n";
  SendBytes(line.data(), static_cast<int>(line.size()));
}

void TNetTCPConnection::ReceiveExact(void* buffer, int count) {
  if (count <= 0 || !buffer) return;
  const auto deadline = ReadDeadline();
  const auto needed = static_cast<std::size_t>(count);
  while (InputQueue.Size() < needed) {
    CheckClosed(true, true);
    FillInputBounded(true, deadline);
  }
  const std::string taken = InputQueue.Extract(needed);
  std::copy(taken.begin(), taken.end(), static_cast<char*>(buffer));
}

std::int32_t TNetTCPConnection::ReceiveInt32(bool convert) {
  unsigned char bytes[4];
  ReceiveExact(bytes, 4);
  std::uint32_t value;
  if (convert) {
    value = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
            (std::uint32_t{bytes[2]} << 8) | bytes[3];
  } else {
    std::copy(bytes, bytes + 4, reinterpret_cast<unsigned char*>(&value));
  }
  return static_cast<std::int32_t>(value);
}

std::string TNetTCPConnection::ReceiveLine(const std::string& terminator,
                                           std::int32_t timeoutMs) {
  return ReceiveTerminatedLine(terminator, timeoutMs).value_or(std::string());
}

std::optional<std::string> TNetTCPConnection::ReceiveTerminatedLine(const std::string& terminator,
                                                                   std::int32_t timeoutMs) {
  const std::string term = terminator.empty() ? std::string("\n") : terminator;
  const auto deadline = timeoutMs == TimeoutInfinite ? ReadDeadline() : std::nullopt;
  std::size_t searched = 0;  // the queue before this point holds no terminator
  std::size_t found = std::string_view::npos;
  for (;;) {
    if (!InputQueue.Empty()) {
      const std::string_view queued = InputQueue.View();
      found = queued.find(term, searched);
      if (found != std::string_view::npos) break;
      searched = queued.size() >= term.size() ? queued.size() - term.size() + 1 : 0;
      if (queued.size() > MaxLineLength + term.size()) {
        throw ENetProtocolLimitError("Der Server sendet eine zu lange Zeile.");
      }
    }
    CheckClosed(true, true);
    const int received = timeoutMs == TimeoutInfinite ? FillInputBounded(true, deadline)
                                                      : FillInput(true, timeoutMs);
    if (received == 0) return std::nullopt;
  }
  if (found > MaxLineLength) throw ENetProtocolLimitError("Der Server sendet eine zu lange Zeile.");
  std::string line = InputQueue.Extract(found + term.size());
  line.resize(found);
  if (terminator.empty() && !line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void TNetTCPConnection::ReceiveToStream(TNetMemoryStream& stream, std::int64_t count,
                                        bool untilClose) {
  // The stream grows as bytes arrive, never by what the peer announces.
  const std::int64_t limit = untilClose ? INT32_MAX : count;
  const auto tooLarge = [&](std::int64_t bytes) {
    return static_cast<std::uint64_t>(bytes) > MaxStreamBytes;
  };
  if (!untilClose && tooLarge(count)) {
    throw ENetProtocolLimitError("Die Antwort des Servers ist zu groß."_l1);
  }
  const auto deadline = ReadDeadline();
  const auto fromQueue = static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(InputQueue.Size()), std::max<std::int64_t>(limit, 0)));
  const std::string queued = InputQueue.Extract(fromQueue);
  stream.Write(queued.data(), queued.size());
  std::int64_t remaining = limit - static_cast<std::int64_t>(fromQueue);
  std::int64_t written = static_cast<std::int64_t>(fromQueue);
  std::string chunk;
  while (IsOpen() && remaining >= 1) {
    chunk.resize(static_cast<std::size_t>(std::min<std::int64_t>(remaining, std::max(RecvBufferSize, 1))));
    const int received = ReceivePass(!untilClose, WaitFor(deadline), deadline.has_value(),
                                     chunk.data(), static_cast<int>(chunk.size()), false);
    if (received <= 0) continue;
    stream.Write(chunk.data(), static_cast<std::size_t>(received));
    remaining -= received;
    written += received;
    if (tooLarge(written)) {
      throw ENetProtocolLimitError("Die Antwort des Servers ist zu groß."_l1);
    }
  }
  // The peer may have closed before this read began, seen by an earlier one.
  if (!untilClose && remaining > 0) throw ENetConnClosedGracefully();
  if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}

}  // namespace zerka

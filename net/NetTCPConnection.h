#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "net/NetBuffer.h"
#include "net/NetComponent.h"
#include "net/NetSocketHandle.h"

namespace zerka {

// One stream connection with blocking line and byte-block reads.
//
// Every read that would wait without limit is bounded by ReadTimeout, counted from the start
// of that read; when it runs out the read raises ENetSocketError 10060, so a peer that stops
// talking cannot hold the calling thread. TimeoutInfinite switches the bound off.
class TNetTCPConnection : public TNetComponent {
 public:
  explicit TNetTCPConnection(TComponent* AOwner = nullptr);
  ~TNetTCPConnection() override;

  void CloseConnection();
  bool IsOpen();
  void CheckClosed(bool raiseIfClosed, bool ignoreQueued);
  void SendBytes(const void* data, int count);
  void SendLine(const std::string& text);
  void ReceiveExact(void* buffer, int count);
  std::int32_t ReceiveInt32(bool convert);
  // A line up to terminator (LF when empty). Lines longer than MaxLineLength raise
  // ENetProtocolLimitError.
  std::string ReceiveLine(const std::string& terminator, std::int32_t timeoutMs);
  // ReceiveLine that tells a line from a wait that ended (time-out, close) before its
  // terminator: nothing then, and the bytes stay queued.
  std::optional<std::string> ReceiveTerminatedLine(const std::string& terminator,
                                                   std::int32_t timeoutMs);
  void ReceiveToStream(TNetMemoryStream& stream, std::int64_t count, bool untilClose);
  void ProbeClosed(bool raiseIfClosed);
  int FillInput(bool raiseIfClosed, std::int32_t timeoutMs);

  TNetSocketHandle& Socket() { return socket_; }

  TNetBuffer InputQueue;
  int RecvBufferSize = 32768;
  int SendBufferSize = 32768;
  bool PeerClosed = false;
  TNotifyEvent OnDisconnected;
  // Bound on each read that would otherwise wait without limit (milliseconds).
  std::int32_t ReadTimeout = 10000;
  // Longest line ReceiveLine accepts, terminator excluded.
  std::size_t MaxLineLength = 16384;
  // Most bytes ReceiveToStream writes into a stream in one call.
  std::size_t MaxStreamBytes = 16 * 1024 * 1024;

  // While set, every read ends at this deadline (steady-clock milliseconds) instead of its
  // own, so a caller can bound an exchange made of many reads as a whole.
  std::optional<std::int64_t> SharedReadDeadline;
  std::int64_t DeadlineAfter(std::int32_t timeoutMs) const;

 protected:
  // A deadline for a read starting now; empty when reads are unbounded.
  std::optional<std::int64_t> ReadDeadline() const;
  // FillInput whose wait ends at the deadline with 10060; a failed wait before it is retried.
  int FillInputBounded(bool raiseIfClosed, const std::optional<std::int64_t>& deadline);

 private:
  // One wait-and-receive pass into buffer, queued when queue is set. A wait that finds
  // nothing returns 0; with timeoutIsError it waits out timeoutMs and then raises 10060.
  int ReceivePass(bool raiseIfClosed, std::int32_t timeoutMs, bool timeoutIsError, char* buffer,
                  int size, bool queue);
  std::int32_t WaitFor(const std::optional<std::int64_t>& deadline) const;

  std::string scratch_;

 protected:
  TNetSocketHandle socket_;
};

}  // namespace zerka

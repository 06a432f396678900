#pragma once
// Misbehaviour that tests switch on, one channel at a time. The default of each is a server
// that answers as a healthy one does.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zerka::sim {

enum class DatagramFault {
  None,
  Silent,         // no replies at all
  WrongSequence,  // echoes the request's number plus one
  StatusZero,     // status byte 0 instead of 1
  ZeroLength,     // an empty datagram instead of the reply
  Oversized,      // the reply padded with zeros to FaultSettings::oversizedLength bytes
};

enum class StreamFault {
  None,
  Message,         // type 2 with FaultSettings::serverMessage
  UnknownType,     // only the type word FaultSettings::unknownAnswerType
  CloseAfterType,  // type 1, then the orderly end of the stream
  ResetMidRecord,  // type 1 and half the record, then a reset
  NeverAnswer,     // reads the request and stays quiet
};

enum class HttpFault {
  None,
  Always401,          // refuses even the right credentials
  Redirect302,        // 302 with FaultSettings::redirectLocation
  Chunked,            // the body in chunks instead of with a length
  ConnectionClose,    // "Connection: close", then closes
  Http10,             // an HTTP/1.0 answer without a length, ended by closing
  NeverAnswer,        // reads the request and stays quiet
  EndlessHeaderLine,  // a header line that never ends (bounded by endlessHeaderBytes)
  HugeContentLength,  // declares hugeContentLength bytes, sends a few, then stays quiet
  ChunkSizeOverflow,  // a chunk size line of chunkSizeLine, a few bytes, then quiet
  CutInHead,          // the status line and half a header line, then the server closes
};

struct FaultSettings {
  DatagramFault datagram = DatagramFault::None;
  std::chrono::milliseconds replyDelay{0};  // replies leave this long after their query
  bool answerCommands = false;              // commands get a reply with no data too
  std::size_t oversizedLength = 300;

  StreamFault stream = StreamFault::None;
  std::string serverMessage;  // Latin-1, at most 504 characters are sent
  std::int32_t unknownAnswerType = 3;

  HttpFault http = HttpFault::None;
  std::string redirectLocation = "/zerka-admin/login/";
  std::int64_t hugeContentLength = 2147483647;
  std::string chunkSizeLine = "FFFFFFFFFFFFFFFFF";
  std::size_t endlessHeaderBytes = 16 * 1024 * 1024;
};

}  // namespace zerka::sim

#include "sim/SimServer.h"

#include <algorithm>
#include <condition_variable>
#include <list>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/Latin1.h"
#include "sim/SimSocket.h"
#include "sim/Wire.h"

namespace zerka::sim {

namespace {

using std::chrono::milliseconds;
using SteadyTime = std::chrono::steady_clock::time_point;

constexpr std::size_t kMaxConnections = 200;
constexpr std::size_t kMaxRequestLine = 1024;
constexpr std::size_t kMaxRequestHead = 16 * 1024;
constexpr std::size_t kFillerChunk = 64 * 1024;
constexpr milliseconds kIdleWait{1000};

enum class Channel { Stream, Admin };

struct Connection {
  Channel channel = Channel::Stream;
  Socket socket;
  std::string input;
  std::string output;
  std::size_t sent = 0;
  std::size_t fillerLeft = 0;
  bool holdOpen = false;       // answers nothing more; further input is read and dropped
  bool closeWhenSent = false;
  bool resetWhenSent = false;
  bool peerClosed = false;
  bool finished = false;

  bool HasOutput() const { return sent < output.size() || fillerLeft > 0; }
};

struct PendingReply {
  SteadyTime due;
  std::string bytes;
  Endpoint to;
};

std::string CommandName(std::uint8_t code) {
  switch (code) {
    case 2: return "Abfrage Leitungsstatus";
    case 4: return "Befehl Mail abholen";
    case 5: return "Befehl Abmelden";
    case 6: return "Befehl DFÜ-Sperre umschalten";
    case 7: return "Abfrage DFÜ-Sperre";
    case 8: return "Abfrage Verwaltungsport";
    case 99: return "Befehl Server beenden";
    default: return "unbekannter Code " + std::to_string(code);
  }
}

}  // namespace

struct SimServer::Impl {
  SocketSystem socketSystem;
  ServerOptions options;
  std::shared_ptr<Clock> clock;

  Socket datagrams;
  Socket streamListener;
  Socket adminListener;
  Socket wake;
  std::uint16_t remotePort = 0;
  std::uint16_t adminPort = 0;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  LineModel line;
  FaultSettings faults;
  std::optional<Credentials> credentials;
  std::optional<std::uint16_t> reportedAdminPort;
  Traffic traffic;
  bool stopRequested = false;
  bool stopped = false;

  std::list<Connection> connections;
  std::vector<PendingReply> pending;
  std::vector<std::string> logLines;
  std::thread thread;

  explicit Impl(ServerOptions given)
      : options(std::move(given)),
        clock(options.clock ? options.clock : std::make_shared<SteadyClock>()),
        line(*clock, options.timing),
        credentials(options.credentials) {
    BindSockets();
    thread = std::thread([this] { Run(); });
  }

  void BindSockets() {
    const Endpoint address = Endpoint::Parse(options.bindAddress, 0);
    if (options.remotePort != 0) {
      datagrams = Socket::OpenUdp({address.address, options.remotePort});
      streamListener = Socket::OpenTcpListener({address.address, options.remotePort});
    } else {
      // A free datagram port may be taken for streams; try a few until both fit.
      for (int attempt = 0; !streamListener.IsOpen(); ++attempt) {
        datagrams = Socket::OpenUdp(address);
        try {
          streamListener = Socket::OpenTcpListener({address.address, datagrams.LocalEndpoint().port});
        } catch (const std::runtime_error&) {
          if (attempt == 20) throw;
        }
      }
    }
    adminListener = Socket::OpenTcpListener({address.address, options.adminPort});
    wake = Socket::OpenUdp(Endpoint::Parse("127.0.0.1", 0));
    for (Socket* socket : {&datagrams, &streamListener, &adminListener, &wake}) socket->SetNonBlocking();
    remotePort = datagrams.LocalEndpoint().port;
    adminPort = adminListener.LocalEndpoint().port;
  }

  void RequestStop() {
    {
      std::lock_guard lock(mutex);
      if (stopped) return;
      stopRequested = true;
    }
    wake.SendTo("x", wake.LocalEndpoint());
  }

  void Log(std::string text) {
    if (options.log) logLines.push_back(std::move(text));
  }

  void FlushLog() {
    std::vector<std::string> lines;
    {
      std::lock_guard lock(mutex);
      lines.swap(logLines);
    }
    for (const auto& text : lines) options.log(text);
  }

  void Run() {
    for (;;) {
      std::vector<WaitItem> items;
      {
        std::lock_guard lock(mutex);
        if (stopRequested) break;
      }
      items.push_back({&wake, true});
      items.push_back({&datagrams, true});
      items.push_back({&streamListener, true});
      items.push_back({&adminListener, true});
      for (auto& connection : connections) {
        items.push_back({&connection.socket, !connection.peerClosed, connection.HasOutput()});
      }
      WaitReady(items, NextWait());

      bool stopNow = false;
      {
        std::lock_guard lock(mutex);
        if (items[0].readable) DrainWake();
        if (items[1].readable) stopNow = ReceiveDatagrams();
        if (items[2].readable) AcceptAll(streamListener, Channel::Stream);
        if (items[3].readable) AcceptAll(adminListener, Channel::Admin);
        // Connections accepted just now sit behind the waited ones and get their turn next round.
        auto connection = connections.begin();
        for (std::size_t index = 4; index < items.size(); ++index, ++connection) {
          if (items[index].readable) ReadFrom(*connection);
          if (!connection->finished && connection->HasOutput()) WriteTo(*connection);
          if (connection->peerClosed && !connection->HasOutput()) connection->finished = true;
        }
        connections.remove_if([](const Connection& connection) { return connection.finished; });
        SendDueReplies();
      }
      changed.notify_all();
      FlushLog();
      if (stopNow) break;
    }
    Shutdown();
  }

  milliseconds NextWait() const {
    if (pending.empty()) return kIdleWait;
    const auto due = std::min_element(pending.begin(), pending.end(), [](const auto& a, const auto& b) {
                       return a.due < b.due;
                     })->due;
    const auto left = std::chrono::duration_cast<milliseconds>(due - std::chrono::steady_clock::now());
    return std::clamp(left + milliseconds(1), milliseconds(0), kIdleWait);
  }

  void DrainWake() {
    char buffer[16];
    Endpoint from;
    while (wake.ReceiveFrom(buffer, sizeof buffer, from).status == IoStatus::Done) {
    }
  }

  // Returns true when a stop command arrived.
  bool ReceiveDatagrams() {
    char buffer[2048];
    for (int round = 0; round < 64; ++round) {
      Endpoint from;
      const IoResult result = datagrams.ReceiveFrom(buffer, sizeof buffer, from);
      if (result.status != IoStatus::Done) return false;
      if (HandleDatagram(std::string_view(buffer, result.bytes), from)) return true;
    }
    return false;
  }

  bool HandleDatagram(std::string_view bytes, const Endpoint& from) {
    const std::optional<DatagramRequest> request = ParseDatagramRequest(bytes);
    traffic.lastDatagram = bytes;
    if (!request) {
      ++traffic.malformedDatagrams;
      Log("Datagramm mit " + std::to_string(bytes.size()) + " Bytes verworfen");
      return false;
    }
    ++traffic.datagramsByCode[request->code];
    traffic.lastSequenceByCode[request->code] = request->sequence;
    traffic.lastSequence = request->sequence;

    std::optional<std::string> data;  // set for a query
    std::string answerText;
    bool command = true;
    switch (request->code) {
      case 2: {
        const auto state = static_cast<int>(line.Status().state);
        data = std::string(1, static_cast<char>(state));
        answerText = std::to_string(state);
        break;
      }
      case 7: {
        const int locked = line.Status().locked ? 1 : 0;
        data = std::string(1, static_cast<char>(locked));
        answerText = std::to_string(locked);
        break;
      }
      case 8: {
        const std::uint16_t port = reportedAdminPort.value_or(adminPort);
        data = std::string{static_cast<char>(port & 0xFF), static_cast<char>(port >> 8)};
        answerText = std::to_string(port);
        break;
      }
      case 4: line.FetchMail(); break;
      case 5: line.Logout(); break;
      case 6: line.ToggleLock(); break;
      case 99: break;
      default: command = false; break;
    }
    Log(CommandName(request->code) + " (Nr. " + std::to_string(request->sequence) + ") von " + from.AddressText() +
        ":" + std::to_string(from.port) + (data ? " -> " + answerText : ""));
    if (data) {
      Reply(request->sequence, *data, from);
    } else if (command && faults.answerCommands) {
      Reply(request->sequence, "", from);
    }
    if (request->code == 99) {
      Log("Server wird beendet");
      return true;
    }
    return false;
  }

  void Reply(std::uint16_t sequence, const std::string& data, const Endpoint& to) {
    std::string reply;
    switch (faults.datagram) {
      case DatagramFault::Silent: return;
      case DatagramFault::None: reply = DatagramReply(sequence, 1, data); break;
      case DatagramFault::WrongSequence: reply = DatagramReply(static_cast<std::uint16_t>(sequence + 1), 1, data); break;
      case DatagramFault::StatusZero: reply = DatagramReply(sequence, 0, data); break;
      case DatagramFault::ZeroLength: break;
      case DatagramFault::Oversized:
        reply = DatagramReply(sequence, 1, data);
        if (reply.size() < faults.oversizedLength) reply.resize(faults.oversizedLength, '\0');
        break;
    }
    ++traffic.datagramReplies;
    if (faults.replyDelay.count() > 0) {
      pending.push_back({std::chrono::steady_clock::now() + faults.replyDelay, std::move(reply), to});
    } else {
      datagrams.SendTo(reply, to);
    }
  }

  void SendDueReplies() {
    const SteadyTime now = std::chrono::steady_clock::now();
    std::stable_sort(pending.begin(), pending.end(), [](const auto& a, const auto& b) { return a.due < b.due; });
    auto firstLater = pending.begin();
    for (; firstLater != pending.end() && firstLater->due <= now; ++firstLater) datagrams.SendTo(firstLater->bytes, firstLater->to);
    pending.erase(pending.begin(), firstLater);
  }

  void AcceptAll(Socket& listener, Channel channel) {
    while (std::optional<Socket> accepted = listener.Accept()) {
      if (connections.size() >= kMaxConnections) continue;  // closed again at once
      accepted->SetNonBlocking();
      Connection& connection = connections.emplace_back();
      connection.channel = channel;
      connection.socket = std::move(*accepted);
      if (channel == Channel::Stream) {
        ++traffic.streamConnections;
      } else {
        ++traffic.httpConnections;
      }
    }
  }

  void ReadFrom(Connection& connection) {
    char buffer[4096];
    for (;;) {
      const IoResult result = connection.socket.Receive(buffer, sizeof buffer);
      if (result.status == IoStatus::WouldBlock) break;
      if (result.status == IoStatus::Failed) {
        connection.finished = true;
        return;
      }
      if (result.status == IoStatus::Closed) {
        // A client may end its side and still wait for the answer to what it sent.
        connection.peerClosed = true;
        break;
      }
      if (!connection.holdOpen) connection.input.append(buffer, result.bytes);
    }
    if (connection.channel == Channel::Stream) {
      HandleStreamInput(connection);
    } else {
      HandleAdminInput(connection);
    }
  }

  void HandleStreamInput(Connection& connection) {
    while (!connection.holdOpen) {
      const std::size_t lf = connection.input.find('\n');
      if (lf == std::string::npos) {
        if (connection.input.size() > kMaxRequestLine) connection.finished = true;
        return;
      }
      std::string request = connection.input.substr(0, lf + 1);
      connection.input.erase(0, lf + 1);
      ++traffic.streamRequests;
      traffic.lastStreamRequestLine = request;
      // A request line ends with CR LF; one that ends otherwise is the client's fault, so it is
      // counted and refused rather than served.
      if (!request.ends_with("\r\n")) {
        ++traffic.streamProtocolErrors;
        Log("Anfragezeile ohne CR LF auf der Datenverbindung, Verbindung geschlossen");
        connection.finished = true;
        return;
      }
      request.resize(request.size() - 2);
      if (request != "0") {
        Log("Unbekannte Anfrage auf der Datenverbindung, Verbindung geschlossen");
        connection.finished = true;
        return;
      }
      Log("Leitungsdaten angefragt");
      switch (faults.stream) {
        case StreamFault::None: connection.output += LineStatusAnswer(line.Status()); break;
        case StreamFault::Message: connection.output += ServerMessageAnswer(faults.serverMessage); break;
        case StreamFault::UnknownType: connection.output += AnswerType(faults.unknownAnswerType); break;
        case StreamFault::CloseAfterType:
          connection.output += AnswerType(1);
          connection.closeWhenSent = connection.holdOpen = true;
          break;
        case StreamFault::ResetMidRecord:
          connection.output += LineStatusAnswer(line.Status()).substr(0, 4 + 16);
          connection.resetWhenSent = connection.holdOpen = true;
          break;
        case StreamFault::NeverAnswer: connection.holdOpen = true; break;
      }
    }
    connection.input.clear();
  }

  void HandleAdminInput(Connection& connection) {
    while (!connection.holdOpen) {
      const std::optional<std::size_t> end = FindHeadEnd(connection.input);
      if (!end) {
        if (connection.input.size() > kMaxRequestHead) Answer(connection, BadRequestPage(), false);
        return;
      }
      const std::string head = connection.input.substr(0, *end);
      connection.input.erase(0, *end);
      ++traffic.httpRequests;
      traffic.lastHttpRequestHead = head;
      const std::optional<HttpRequestHead> parsed = ParseRequestHead(head);
      if (!parsed) {
        Answer(connection, BadRequestPage(), false);
        continue;
      }
      Log("HTTP " + parsed->method + " " + Latin1ToUtf8(parsed->target));
      const AdminPage page = AnswerAdminRequest(*parsed, credentials, line.Status());
      // Request bodies are not expected; after anything but GET the stream is out of step.
      if (Answer(connection, page, parsed->KeepsAlive() && parsed->method == "GET") && page.restarts) {
        line.Restart();
        ++traffic.restarts;
        // The server goes down for its restart: whatever the answer promised, the connection
        // ends once the answer is out. A fault that stalls the answer keeps it stalled.
        if (!connection.holdOpen) connection.closeWhenSent = connection.holdOpen = true;
        Log("Neustart: Leitung zurückgesetzt, Verbindung geschlossen");
      }
    }
    connection.input.clear();
  }

  // Queues the answer; returns whether the server may act on the page.
  bool Answer(Connection& connection, const AdminPage& page, bool keepAlive) {
    const HttpAnswer answer = ShapeAnswer(page, keepAlive, faults);
    connection.output += answer.bytes;
    connection.fillerLeft = answer.endlessBytes;
    if (answer.closeAfter) connection.closeWhenSent = connection.holdOpen = true;
    if (answer.holdOpen) connection.holdOpen = true;
    return answer.restartAllowed;
  }

  void WriteTo(Connection& connection) {
    while (connection.HasOutput()) {
      if (connection.sent == connection.output.size()) {
        const std::size_t filler = std::min(connection.fillerLeft, kFillerChunk);
        connection.output.assign(filler, 'a');
        connection.sent = 0;
        connection.fillerLeft -= filler;
      }
      const IoResult result = connection.socket.Send(std::string_view(connection.output).substr(connection.sent));
      if (result.status == IoStatus::WouldBlock) return;
      if (result.status != IoStatus::Done) {
        connection.finished = true;
        return;
      }
      connection.sent += result.bytes;
    }
    connection.output.clear();
    connection.sent = 0;
    if (connection.resetWhenSent) {
      connection.socket.CloseWithReset();
      connection.finished = true;
    } else if (connection.closeWhenSent) {
      connection.socket.ShutdownSend();
      connection.socket.Close();
      connection.finished = true;
    }
  }

  void Shutdown() {
    std::lock_guard lock(mutex);
    connections.clear();
    pending.clear();
    datagrams.Close();
    streamListener.Close();
    adminListener.Close();
    stopped = true;
    changed.notify_all();
  }
};

SimServer::SimServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SimServer::~SimServer() {
  impl_->RequestStop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

std::uint16_t SimServer::RemotePort() const { return impl_->remotePort; }
std::uint16_t SimServer::AdminPort() const { return impl_->adminPort; }

void SimServer::Stop() {
  impl_->RequestStop();
  if (impl_->thread.joinable() && impl_->thread.get_id() != std::this_thread::get_id()) impl_->thread.join();
}

bool SimServer::Stopped() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->stopped;
}

bool SimServer::WaitUntilStopped(std::chrono::milliseconds bound) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, bound, [this] { return impl_->stopped; });
}

void SimServer::SetFaults(const FaultSettings& faults) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults = faults;
}

FaultSettings SimServer::Faults() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->faults;
}

void SimServer::SetDatagramFault(DatagramFault fault) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.datagram = fault;
}

void SimServer::SetReplyDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.replyDelay = delay;
}

void SimServer::SetAnswerCommands(bool answer) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.answerCommands = answer;
}

void SimServer::SetOversizedLength(std::size_t bytes) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.oversizedLength = bytes;
}

void SimServer::SetStreamFault(StreamFault fault) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.stream = fault;
}

void SimServer::SetServerMessage(const std::string& latin1Text) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.serverMessage = latin1Text;
}

void SimServer::SetUnknownAnswerType(std::int32_t type) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.unknownAnswerType = type;
}

void SimServer::SetHttpFault(HttpFault fault) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.http = fault;
}

void SimServer::SetRedirectLocation(const std::string& location) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.redirectLocation = location;
}

void SimServer::SetCredentials(const std::optional<Credentials>& credentials) {
  std::lock_guard lock(impl_->mutex);
  impl_->credentials = credentials;
}

void SimServer::SetReportedAdminPort(std::optional<std::uint16_t> port) {
  std::lock_guard lock(impl_->mutex);
  impl_->reportedAdminPort = port;
}

void SimServer::WithLine(const std::function<void(LineModel&)>& change) {
  std::lock_guard lock(impl_->mutex);
  change(impl_->line);
}

LineStatus SimServer::Line() {
  std::lock_guard lock(impl_->mutex);
  return impl_->line.Status();
}

Traffic SimServer::GetTraffic() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->traffic;
}

void SimServer::ResetTraffic() {
  std::lock_guard lock(impl_->mutex);
  impl_->traffic = {};
}

bool SimServer::WaitForTraffic(const std::function<bool(const Traffic&)>& reached, std::chrono::milliseconds bound) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, bound, [&] { return reached(impl_->traffic); });
}

}  // namespace zerka::sim

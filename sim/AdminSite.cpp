#include "sim/AdminSite.h"

#include "base/Latin1.h"

namespace zerka::sim {

namespace {

const char* const kRealm = "Zerka Administration";

std::string LineStateText(LineState state) {
  switch (state) {
    case LineState::NotConnected: return "nicht verbunden";
    case LineState::Connected: return "verbunden";
    case LineState::AttemptFailed: return "Verbindungsversuch fehlgeschlagen";
    case LineState::Dialling: return "wählt"_l1;
    case LineState::DialupLocked: return "DFÜ gesperrt"_l1;
  }
  return "unbekannt";
}

std::string Html(const std::string& title, const std::string& content) {
  return "<!DOCTYPE html>\r\n<html><head><meta charset=\"ISO-8859-1\"><title>" + title +
         "</title></head>\r\n<body><h1>" + title + "</h1>\r\n" + content + "</body></html>\r\n";
}

AdminPage Page(int status, std::string reason, std::string body) {
  AdminPage page;
  page.status = status;
  page.reason = std::move(reason);
  page.body = std::move(body);
  return page;
}

AdminPage UnauthorizedPage() {
  AdminPage page = Page(401, "Unauthorized", Html("Anmeldung erforderlich", "<p>Benutzername oder Kennwort fehlt.</p>\r\n"));
  page.headers.emplace_back("WWW-Authenticate", std::string("Basic realm=\"") + kRealm + "\"");
  return page;
}

AdminPage StatusPage(const LineStatus& line) {
  const std::string content = "<p>Leitung: " + LineStateText(line.state) + "</p>\r\n<p>DFÜ: "_l1 +
                              (line.locked ? "gesperrt" : "nicht gesperrt") + "</p>\r\n<p>Verbindungen: " +
                              std::to_string(line.connections) + "</p>\r\n<p>Onlinezeit: " +
                              std::to_string(line.onlineSeconds) + " s</p>\r\n<p>Zeit bis Auflegen: " +
                              std::to_string(line.secondsUntilHangup) + " s</p>\r\n<p>IP: " + line.address +
                              "</p>\r\n<p><a href=\"admin/?Restart=true\">Neu starten</a></p>\r\n";
  return Page(200, "OK", Html(kRealm, content));
}

std::string HeadLines(const std::string& statusLine, const AdminPage& page) {
  std::string head = statusLine + "\r\nServer: Zerka\r\nContent-Type: text/html; charset=ISO-8859-1\r\n";
  for (const auto& [name, value] : page.headers) head += name + ": " + value + "\r\n";
  return head;
}

std::string StatusLine(const std::string& version, const AdminPage& page) {
  return version + " " + std::to_string(page.status) + " " + page.reason;
}

}  // namespace

AdminPage AnswerAdminRequest(const HttpRequestHead& head, const std::optional<Credentials>& credentials,
                             const LineStatus& line) {
  if (head.method != "GET") {
    AdminPage page = Page(405, "Method Not Allowed", Html("Nicht erlaubt", "<p>Nur GET.</p>\r\n"));
    page.headers.emplace_back("Allow", "GET");
    return page;
  }
  if (!head.target.starts_with("/zerka-admin/")) return Page(404, "Not Found", Html("Nicht gefunden", ""));
  if (credentials && !CarriesCredentials(head, credentials->user, credentials->password)) return UnauthorizedPage();
  if (head.target == "/zerka-admin/admin/?Restart=true") {
    AdminPage page = Page(200, "OK", Html("Neustart", "<p>Zerka wird neu gestartet.</p>\r\n"));
    page.restarts = true;
    return page;
  }
  if (head.target == "/zerka-admin/" || head.target == "/zerka-admin/admin/") return StatusPage(line);
  return Page(404, "Not Found", Html("Nicht gefunden", ""));
}

AdminPage BadRequestPage() { return Page(400, "Bad Request", Html("Fehlerhafte Anfrage", "")); }

HttpAnswer ShapeAnswer(const AdminPage& page, bool keepAlive, const FaultSettings& faults) {
  HttpAnswer answer;
  const std::string length = "Content-Length: " + std::to_string(page.body.size()) + "\r\n";
  const std::string connection = keepAlive ? "" : "Connection: close\r\n";
  answer.closeAfter = !keepAlive;
  switch (faults.http) {
    case HttpFault::None:
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", page), page) + length + connection + "\r\n" + page.body;
      break;
    case HttpFault::Always401: {
      const AdminPage refusal = UnauthorizedPage();
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", refusal), refusal) + "Content-Length: " +
                     std::to_string(refusal.body.size()) + "\r\n" + connection + "\r\n" + refusal.body;
      answer.restartAllowed = false;
      break;
    }
    case HttpFault::Redirect302: {
      AdminPage moved = Page(302, "Found", Html("Verschoben", ""));
      moved.headers.emplace_back("Location", faults.redirectLocation);
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", moved), moved) + "Content-Length: " +
                     std::to_string(moved.body.size()) + "\r\n" + connection + "\r\n" + moved.body;
      answer.restartAllowed = false;
      break;
    }
    case HttpFault::Chunked: {
      const std::size_t half = page.body.size() / 2;
      const auto chunk = [](const std::string& bytes) {
        static const char* const digits = "0123456789abcdef";
        std::string size;
        for (std::size_t n = bytes.size(); n > 0 || size.empty(); n /= 16) size.insert(size.begin(), digits[n % 16]);
        return size + "\r\n" + bytes + "\r\n";
      };
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", page), page) + "Transfer-Encoding: chunked\r\n" + connection +
                     "\r\n" + chunk(page.body.substr(0, half)) + chunk(page.body.substr(half)) + "0\r\n\r\n";
      break;
    }
    case HttpFault::ConnectionClose:
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", page), page) + length + "Connection: close\r\n\r\n" + page.body;
      answer.closeAfter = true;
      break;
    case HttpFault::Http10:
      answer.bytes = HeadLines(StatusLine("HTTP/1.0", page), page) + "\r\n" + page.body;
      answer.closeAfter = true;
      break;
    case HttpFault::NeverAnswer:
      answer.holdOpen = true;
      answer.restartAllowed = false;
      break;
    case HttpFault::EndlessHeaderLine:
      answer.bytes = StatusLine("HTTP/1.1", page) + "\r\nX-Filler: ";
      answer.endlessBytes = faults.endlessHeaderBytes;
      answer.holdOpen = true;
      break;
    case HttpFault::HugeContentLength:
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", page), page) + "Content-Length: " +
                     std::to_string(faults.hugeContentLength) + "\r\n\r\n" + page.body.substr(0, 16);
      answer.holdOpen = true;
      break;
    case HttpFault::ChunkSizeOverflow:
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", page), page) + "Transfer-Encoding: chunked\r\n\r\n" +
                     faults.chunkSizeLine + "\r\n" + page.body.substr(0, 16);
      answer.holdOpen = true;
      break;
    case HttpFault::CutInHead:
      answer.bytes = HeadLines(StatusLine("HTTP/1.1", page), page) + length + "X-Abgeschn";
      answer.closeAfter = true;
      answer.restartAllowed = false;
      break;
  }
  return answer;
}

}  // namespace zerka::sim

#pragma once
// The administration web interface: which page a request gets, and how the answer is put on
// the wire (healthy, or bent by an HTTP fault).

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/Faults.h"
#include "sim/HttpHead.h"
#include "sim/LineModel.h"

namespace zerka::sim {

struct Credentials {
  std::string user;
  std::string password;
};

struct AdminPage {
  int status = 200;
  std::string reason = "OK";
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;  // Latin-1 HTML
  bool restarts = false;
};

AdminPage AnswerAdminRequest(const HttpRequestHead& head, const std::optional<Credentials>& credentials,
                             const LineStatus& line);

AdminPage BadRequestPage();

struct HttpAnswer {
  std::string bytes;
  bool closeAfter = false;          // close once the bytes are out
  bool holdOpen = false;            // never answer more on this connection
  std::size_t endlessBytes = 0;     // filler to stream after the bytes, without a line end
  bool restartAllowed = true;       // whether the server may act on a restart page
};

HttpAnswer ShapeAnswer(const AdminPage& page, bool keepAlive, const FaultSettings& faults);

}  // namespace zerka::sim

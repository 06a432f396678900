#pragma once
// Reading the request heads that arrive at the admin port.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zerka::sim {

struct HttpRequestHead {
  std::string method;
  std::string target;
  std::string version;  // "HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;

  // The first header of that name, letter case ignored, with surrounding blanks removed.
  std::optional<std::string> Header(std::string_view name) const;
  // HTTP/1.1 keeps the connection unless told "close"; HTTP/1.0 only when asked to.
  bool KeepsAlive() const;
};

// The length of the head including its blank line, or nothing while it is incomplete.
std::optional<std::size_t> FindHeadEnd(std::string_view buffer);

std::optional<HttpRequestHead> ParseRequestHead(std::string_view head);

std::optional<std::string> DecodeBase64(std::string_view text);

// Whether the head carries basic authentication with exactly this user and password.
bool CarriesCredentials(const HttpRequestHead& head, const std::string& user, const std::string& password);

}  // namespace zerka::sim

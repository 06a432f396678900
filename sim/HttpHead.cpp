#include "sim/HttpHead.h"

#include <algorithm>
#include <cctype>

namespace zerka::sim {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::optional<std::string> HttpRequestHead::Header(std::string_view name) const {
  for (const auto& [headerName, value] : headers) {
    if (EqualsIgnoringCase(headerName, name)) return value;
  }
  return std::nullopt;
}

bool HttpRequestHead::KeepsAlive() const {
  const std::string connection = Header("Connection").value_or("");
  if (version == "HTTP/1.1") return !EqualsIgnoringCase(connection, "close");
  return EqualsIgnoringCase(connection, "keep-alive");
}

std::optional<std::size_t> FindHeadEnd(std::string_view buffer) {
  // Lines may end in CR LF or in a bare LF.
  for (std::size_t lf = buffer.find('\n'); lf != std::string_view::npos; lf = buffer.find('\n', lf + 1)) {
    if (lf + 1 < buffer.size() && buffer[lf + 1] == '\n') return lf + 2;
    if (lf + 2 < buffer.size() && buffer[lf + 1] == '\r' && buffer[lf + 2] == '\n') return lf + 3;
  }
  return std::nullopt;
}

std::optional<HttpRequestHead> ParseRequestHead(std::string_view head) {
  std::vector<std::string_view> lines;
  while (!head.empty()) {
    const std::size_t lf = head.find('\n');
    const std::string_view line = head.substr(0, lf);
    lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    if (lf == std::string_view::npos) break;
    head.remove_prefix(lf + 1);
  }
  if (lines.empty()) return std::nullopt;

  HttpRequestHead parsed;
  const std::string_view requestLine = lines.front();
  const std::size_t firstBlank = requestLine.find(' ');
  const std::size_t lastBlank = requestLine.rfind(' ');
  if (firstBlank == std::string_view::npos || lastBlank == firstBlank) return std::nullopt;
  parsed.method = requestLine.substr(0, firstBlank);
  parsed.target = requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
  parsed.version = requestLine.substr(lastBlank + 1);
  if (parsed.method.empty() || parsed.target.empty() || !parsed.version.starts_with("HTTP/")) return std::nullopt;

  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty()) break;
    if ((line.front() == ' ' || line.front() == '\t') && !parsed.headers.empty()) {
      parsed.headers.back().second += ' ';
      parsed.headers.back().second += Trimmed(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    parsed.headers.emplace_back(std::string(line.substr(0, colon)), std::string(Trimmed(line.substr(colon + 1))));
  }
  return parsed;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::string decoded;
  unsigned bits = 0;
  int bitCount = 0;
  for (const char c : text) {
    const int value = Base64Value(c);
    if (value < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<unsigned>(value);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      decoded += static_cast<char>((bits >> bitCount) & 0xFF);
    }
  }
  return decoded;
}

bool CarriesCredentials(const HttpRequestHead& head, const std::string& user, const std::string& password) {
  const std::optional<std::string> authorization = head.Header("Authorization");
  if (!authorization || authorization->size() < 6 || !EqualsIgnoringCase(authorization->substr(0, 6), "Basic ")) {
    return false;
  }
  const std::optional<std::string> decoded = DecodeBase64(Trimmed(std::string_view(*authorization).substr(6)));
  return decoded && *decoded == user + ":" + password;
}

}  // namespace zerka::sim

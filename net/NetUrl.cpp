#include "net/NetUrl.h"

#include <algorithm>

namespace zerka {

TNetUrlParts SplitUrl(const std::string& url) {
  TNetUrlParts parts;
  // Texts are single-byte Latin-1, so no byte can be the lead of a two-byte character.
  std::string rest = url;
  std::replace(rest.begin(), rest.end(), '\\', '/');

  const auto scheme = rest.find("://");
  if (scheme != std::string::npos) {
    parts.Protocol = rest.substr(0, scheme);
    rest.erase(0, scheme + 3);
    const auto slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    const auto colon = authority.find(':');
    parts.Host = authority.substr(0, colon);
    if (colon != std::string::npos) parts.Port = authority.substr(colon + 1);
  }

  const auto lastSlash = rest.rfind('/');
  if (lastSlash != std::string::npos) {
    parts.Path = rest.substr(0, lastSlash + 1);
    parts.Document = rest.substr(lastSlash + 1);
  } else {
    parts.Document = rest;
  }
  if (parts.Path.empty() || parts.Path.front() != '/') parts.Path = "/" + parts.Path;

  const auto hash = parts.Document.find('#');
  if (hash != std::string::npos) {
    parts.Fragment = parts.Document.substr(hash + 1);
    parts.Document.erase(hash);
  }
  return parts;
}

}  // namespace zerka

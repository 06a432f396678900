#pragma once

#include <string>

namespace zerka {

// The parts of a URL as the HTTP client uses them. Path always begins with "/"; the request
// target is Path + Document, and the fragment is never sent.
struct TNetUrlParts {
  std::string Protocol;
  std::string Host;
  std::string Port;  // as written in the URL, empty when absent
  std::string Path;
  std::string Document;
  std::string Fragment;
};

TNetUrlParts SplitUrl(const std::string& url);

}  // namespace zerka

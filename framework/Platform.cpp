#include "framework/Platform.h"

#include <sstream>

#include "base/Exception.h"

namespace zerka {
namespace {

IPlatform* installed = nullptr;

}  // namespace

IPlatform& Platform() {
  if (!installed) throw Exception("Keine Plattform installiert");
  return *installed;
}

IPlatform* SetPlatform(IPlatform* platform) {
  IPlatform* previous = installed;
  installed = platform;
  return previous;
}

// Pictures compare by their pixels: the same picture may be made anew for each reading.
bool TPopupEntry::operator==(const TPopupEntry& other) const {
  const bool samePicture = Picture == other.Picture || (Picture && other.Picture && *Picture == *other.Picture);
  return Caption == other.Caption && samePicture && Default == other.Default && Enabled == other.Enabled &&
         Checked == other.Checked;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream stream(path);
  std::string part;
  while (std::getline(stream, part, '\\')) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

}  // namespace zerka

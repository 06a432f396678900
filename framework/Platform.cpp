#include "framework/Platform.h"

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

}  // namespace zerka

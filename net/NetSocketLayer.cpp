#include "net/NetSocketLayer.h"

#include <algorithm>
#include <cctype>

#include "base/Exception.h"
#include "net/NetExceptions.h"

namespace zerka {
namespace {

std::unique_ptr<TNetStack> gStack;
int gComponentCount = 0;
std::function<std::unique_ptr<TNetStack>()> gStackFactory;

// A decimal integer from 0 to 255; leading zeros are allowed.
bool IsByteText(const std::string& part) {
  if (part.empty()) return false;
  if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const auto significant = part.find_first_not_of('0');
  if (significant == std::string::npos) return true;
  return part.size() - significant <= 3 && std::stoi(part.substr(significant)) <= 255;
}

// Cuts text at its first "." and returns what precedes it; the rest stays in text.
std::string CutAtDot(std::string& text) {
  const auto dot = text.find('.');
  std::string head = text.substr(0, dot);
  text = dot == std::string::npos ? std::string() : text.substr(dot + 1);
  return head;
}

}  // namespace

void AcquireSocketLayer() {
  if (!gStack) gStack = gStackFactory ? gStackFactory() : CreatePlatformStack();
  ++gComponentCount;
}

void ReleaseSocketLayer() {
  if (gComponentCount == 0) return;
  if (--gComponentCount == 0) {
    gStack->CancelBlockingCall();
    gStack.reset();
  }
}

TNetStack& GStack() { return *gStack; }

bool SocketLayerRunning() { return gStack != nullptr; }

void SetStackFactory(std::function<std::unique_ptr<TNetStack>()> factory) {
  gStackFactory = std::move(factory);
}

bool IsDottedQuad(const std::string& text) {
  std::string rest = text;
  const std::string first = CutAtDot(rest);
  const std::string second = CutAtDot(rest);
  const std::string third = CutAtDot(rest);
  return IsByteText(first) && IsByteText(second) && IsByteText(third) && IsByteText(rest);
}

std::string ResolveToAddress(const std::string& host) {
  std::string upper = host;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (upper == "LOCALHOST") return "127.0.0.1";
  if (IsDottedQuad(host)) return host;
  std::array<std::uint8_t, 4> address{};
  if (!GStack().LookupHost(host, address)) CheckSocketResult(-1);
  return AddressToText(address);
}

bool CheckSocketResult(int result, std::initializer_list<std::int32_t> tolerated) {
  if (result != -1) return false;
  const std::int32_t code = GStack().LastError();
  if (std::find(tolerated.begin(), tolerated.end(), code) != tolerated.end()) return true;
  throw ENetSocketError(code);
}

std::array<std::uint8_t, 4> AddressFromText(const std::string& dottedQuad) {
  std::array<std::uint8_t, 4> address{};
  if (dottedQuad.empty()) return address;
  std::string rest = dottedQuad;
  for (auto& byte : address) byte = static_cast<std::uint8_t>(StrToIntDef(CutAtDot(rest), 0));
  return address;
}

std::string AddressToText(const std::array<std::uint8_t, 4>& address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
         std::to_string(address[2]) + "." + std::to_string(address[3]);
}

}  // namespace zerka

#pragma once
// The process-wide socket layer: started by the first network component, stopped with the
// last, plus the address helpers every client shares.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "net/NetStack.h"

namespace zerka {

void AcquireSocketLayer();
void ReleaseSocketLayer();
// The running stack; only valid while a network component exists.
TNetStack& GStack();
bool SocketLayerRunning();

// Lets tests put another stack under the layer (a platform failure that cannot be provoked
// for real); an empty factory restores the platform's own.
void SetStackFactory(std::function<std::unique_ptr<TNetStack>()> factory);

std::string ResolveToAddress(const std::string& host);
bool IsDottedQuad(const std::string& text);
// False when result is not -1; true for a tolerated error; raises ENetSocketError otherwise.
bool CheckSocketResult(int result, std::initializer_list<std::int32_t> tolerated = {});

// Dotted-quad text <-> the address bytes (the text must be a dotted quad, or empty for any).
std::array<std::uint8_t, 4> AddressFromText(const std::string& dottedQuad);
std::string AddressToText(const std::array<std::uint8_t, 4>& address);

}  // namespace zerka

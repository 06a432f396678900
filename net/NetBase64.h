#pragma once

#include <string>

namespace zerka {

// Standard Base64 of the bytes of text, padded with "=", without line breaks.
std::string EncodeBase64(const std::string& text);

}  // namespace zerka

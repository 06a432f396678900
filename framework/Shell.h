#pragma once
// Opening a document or URL with the shell's "open", as the user's default program for it.

#include <string>

#include "framework/Messages.h"

namespace zerka {

// Shows the opened program maximised. The result tells whether the shell took the request;
// callers may ignore it.
bool OpenUrl(TWindowHandle owner, const std::string& url);

}  // namespace zerka

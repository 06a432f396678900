#pragma once
// zerka2ctl --help, in German; the manual page says the same at length.

#include <string>

namespace zerka {

std::string HelpText();  // Latin-1

}  // namespace zerka

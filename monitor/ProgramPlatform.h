#pragma once
// The platform the program runs on, chosen when it is linked: each platform build links one
// source that defines this.

#include <memory>

namespace zerka {

// Installs the platform; it stays installed while the returned object lives.
std::shared_ptr<void> InstallProgramPlatform();

}  // namespace zerka

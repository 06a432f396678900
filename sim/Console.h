#pragma once

namespace zerka::sim {

// Lets the terminal show the UTF-8 that zerka-sim prints (the Windows console needs telling).
void PrepareUtf8Console();

}  // namespace zerka::sim

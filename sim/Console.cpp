#include "sim/Console.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zerka::sim {

void PrepareUtf8Console() {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
#endif
}

}  // namespace zerka::sim

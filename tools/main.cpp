#include "tools/StandardStreams.h"
#include "tools/Zerka2Ctl.h"

int main(int argc, char** argv) {
  zerka::PrepareStandardStreams();
  return zerka::RunZerka2Ctl(std::vector<std::string>(argv + 1, argv + argc),
                             zerka::StandardOutput(), zerka::StandardError());
}

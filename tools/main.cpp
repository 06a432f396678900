#include <iostream>

#include "tools/Zerka2Ctl.h"

int main(int argc, char** argv) {
  return zerka::RunZerka2Ctl(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}

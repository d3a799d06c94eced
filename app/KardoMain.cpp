// The simulator's entry point.
#include <string>
#include <vector>

#include "app/program/Program.h"

int main(int argc, char** argv) {
  return kardo::RunKardo(std::vector<std::string>(argv + 1, argv + argc));
}

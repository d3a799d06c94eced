#pragma once

#include <string>
#include <vector>

namespace kardo {

// The simulator's main: the arguments after the program name; returns the
// exit status.
int RunKardo(const std::vector<std::string>& Args);

}  // namespace kardo

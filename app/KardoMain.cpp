// The simulator's entry point.
#include <cstdio>

int main() {
  std::puts(
      "Kardo: the simulator's logic is built and tested (scripts/test.sh).\n"
      "Its windows come later: the window-system layer and the drawing libraries\n"
      "they need are not there yet, so there is nothing to show.");
  return 0;
}

// squish-headless: squish without a window, for rendering scenes to pictures, scripted input
// and checking what a scene does. See runHeadless.
#include <iostream>
#include <string>
#include <vector>

#include "app/headless_program.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return squish::app::runHeadless(arguments, std::cout, std::cerr);
}

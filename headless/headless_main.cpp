// squish-headless: squish without a window, for rendering scenes to pictures, scripted input
// and checking what a scene does. See runHeadless. SIGINT and SIGTERM only note the signal here;
// the run stops at the end of its frame and abandons any file being written.
#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "headless/headless_program.h"

namespace {

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void noteSignal(int signal) {
  caughtSignal = signal;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, noteSignal);
  std::signal(SIGTERM, noteSignal);
  try {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return squish::headless::runHeadless(arguments, std::cout, std::cerr, &caughtSignal);
  } catch (const std::bad_alloc&) {
    std::cerr << "squish-headless: out of memory\n";
    return 1;
  }
}

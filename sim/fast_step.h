#pragma once
// The fast physics step: the same step as stepWorld, result for result and bit for bit, with the
// contact search narrowed by a spatial grid instead of the all-pairs loop.
#include <cstdint>
#include <memory>

#include "sim/contact_grid.h"
#include "sim/settings.h"
#include "sim/split_atom_pass.h"
#include "sim/world.h"

namespace squish::sim {

// What the fast step keeps between calls: buffers that grow to the world's size once and are
// reused every step, so a step allocates nothing in the steady state. It holds no physics:
// any state (a fresh one, or one last used on another world) gives the same results.
struct StepState {
  ContactGrid grid;
  // Set by every step: whether the grid could not be built for want of memory, so that the step
  // (from the atom where the build failed on) met contacts through the all-pairs loop: the same
  // results, only slower.
  bool contactsWithoutGrid = false;
  // How many threads the atom pass may use, 1 or 2. Two run it only on worlds of at least
  // atomsForTwoThreads slots that SplitAtomPass can split; the world comes out the same either
  // way. The second thread is started on the first split pass and lives as long as this state.
  int threads = 1;
  std::int32_t atomsForTwoThreads = 4096;
  // Two threads wait for each other many times a step, so when the machine is busy with other
  // work they can be much slower than one. With this set, a step that may use two threads times
  // itself and runs the way that has been faster lately, trying the other way now and then: after
  // 32 steps, and twice as many steps after each try that finds it slower still (up to 4096).
  // Otherwise it runs on two threads whenever it can (tests, benchmarks).
  bool keepTheFasterWay = true;
  struct Pace {
    double oneThread = 0.0;  // seconds a step, averaged over the last few steps of each way
    double twoThreads = 0.0;
    std::int32_t stepsSinceTry = 0;
    std::int32_t tryEvery = 32;
    bool trying = false;  // the step under way tries the slower way
  } pace;
  bool atomsSplit = false;  // set by every step: whether its atom pass ran on two threads
  std::unique_ptr<SplitAtomPass> split;
};

// A state for the program's steps on `threads` threads, 1 or 2 (two for every world that can use
// them); 0 chooses: two when the machine has two cores or more, each step taking the way that
// has been faster lately.
StepState stepStateForThreads(std::int64_t threads);

// One physics step. Contacts are found through the grid when 2 x atomSize is a positive finite
// float; when atomSize is 0 or negative no pair can touch and the contact search is skipped;
// otherwise (NaN, or so large that every pair at finite positions is in reach) each atom meets
// every other as in stepWorld.
void stepWorldFast(World& world, const SimSettings& settings, StepState& state);

}  // namespace squish::sim

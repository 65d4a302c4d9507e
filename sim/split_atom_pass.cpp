// The atom pass on two threads. Why the split gives the one-thread world:
// - An atom's turn reads and writes only atoms standing in the nine cells around where the walls
//   put it, and moves its own entry from the cell where it stood to the one where it lands. Its
//   position changes in its own turn only, so before the pass it is known which columns of cells
//   a turn can touch: from the column it stands in and the columns of the rebounded position
//   moved by up to |maxSpeed| either way, widened by one.
// - A left atom touches only columns left of the split column, a right atom only columns from it
//   on, so a left and a right turn never meet the same atom or the same cell list, and finishing
//   them in either order gives the same world. Every other atom is near: its turn runs on the
//   left thread once the right thread has finished every right atom below it, and the right
//   thread starts no atom above it before it is done. Each near turn thus sees exactly what the
//   one-thread pass would show it.
// - Impact bonds are only recorded during the pass, with the turn that found them, and made at
//   its end in slot order and candidate order: the slots the one-thread pass would give, since
//   no bond is freed while the atoms move. The pair test also looks among the records.
// - The grid must be a dense window that holds every atom for the whole step: then no atom joins
//   the loose list every search reads, and no rebuild can be needed halfway.
#include "sim/split_atom_pass.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <new>
#include <span>
#include <system_error>
#include <type_traits>

#include "sim/contact.h"
#include "sim/step.h"

namespace squish::sim {
namespace {

// Where each turn records its impact bonds. The right thread keeps the records of the atoms that
// may meet near atoms apart from the others, as the left thread reads them while the right one
// goes on with atoms far from the split.
constexpr std::uint8_t leftRecords = 0;
constexpr std::uint8_t rightRecords = 1;
constexpr std::uint8_t nearRecords = 2;
constexpr std::uint8_t rightMeetingNearRecords = 3;
constexpr std::size_t firstRecordRoom = 1024;

void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Waits until `value` reaches `least`; spins a while first, as the other thread is usually a
// few atoms away, then gives the core up between looks (the machine may be busy).
void waitUntil(const std::atomic<std::int32_t>& value, std::int32_t least) {
  for (int spins = 0; value.load(std::memory_order_acquire) < least; ++spins) {
    if (spins < 4000) {
      relax();
    } else {
      std::this_thread::yield();
    }
  }
}

bool isFinite(Vec2 p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// The column the right side starts at: about as many atoms for either thread, and few around it,
// as every atom near the split makes the threads wait for each other (a gap between bodies is
// the best split). An atom around the split weighs as much as two of imbalance.
std::int32_t splitColumn(const std::vector<std::int32_t>& atomsInColumn, std::int32_t atoms) {
  const auto columns = static_cast<std::int32_t>(atomsInColumn.size());
  const auto inColumn = [&](std::int32_t column) {
    return column >= 0 && column < columns ? atomsInColumn[static_cast<std::size_t>(column)] : 0;
  };
  std::int32_t best = 0;
  std::int64_t lowestCost = INT64_MAX;
  std::int64_t leftOfSplit = 0;
  for (std::int32_t column = 0; column < columns; ++column) {
    const std::int64_t around = std::int64_t{inColumn(column - 2)} + inColumn(column - 1) +
                                inColumn(column) + inColumn(column + 1);
    // The left thread takes the near atoms too, about half of those around the split.
    const std::int64_t imbalance = std::abs(2 * leftOfSplit + around - atoms);
    if (2 * around + imbalance < lowestCost) {
      lowestCost = 2 * around + imbalance;
      best = column;
    }
    leftOfSplit += inColumn(column);
  }
  return best;
}

}  // namespace

SplitAtomPass::~SplitAtomPass() {
  if (!worker_.joinable()) return;
  stopping_ = true;
  jobs_.fetch_add(1, std::memory_order_release);
  jobs_.notify_one();
  worker_.join();
}

bool SplitAtomPass::startFiling(const World& world, const SimSettings& settings,
                                ContactGrid& grid) {
  if (!startWorker()) return false;
  job_ = Job::filing;
  filedWorld_ = &world;
  settings_ = &settings;
  grid_ = &grid;
  filingDone_.store(0, std::memory_order_relaxed);
  jobs_.fetch_add(1, std::memory_order_release);
  jobs_.notify_one();
  return true;
}

bool SplitAtomPass::awaitFiling(bool& planned) {
  waitUntil(filingDone_, 1);
  planned = planned_;
  return filed_;
}

// The second thread's part of startFiling.
void SplitAtomPass::fileAndPlan() {
  const World& world = *filedWorld_;
  const SimSettings& settings = *settings_;
  ContactGrid& grid = *grid_;
  const float contactDistance = 2.0f * settings.atomSize;
  filed_ = gridFilesWorld(grid, world, contactDistance) ||
           buildContactGrid(grid, world, contactDistance);
  planned_ = filed_ && plan(world, settings, grid);
  filingDone_.store(1, std::memory_order_release);
}

void SplitAtomPass::runPlanned(World& world, const SimSettings& settings, ContactGrid& grid) {
  job_ = Job::rightSide;
  world_ = &world;
  settings_ = &settings;
  grid_ = &grid;
  rightProgress_.store(nextMeetingNear(0), std::memory_order_relaxed);
  nearDone_.store(0, std::memory_order_relaxed);
  rightDone_.store(0, std::memory_order_relaxed);
  jobs_.fetch_add(1, std::memory_order_release);
  jobs_.notify_one();
  for (const std::int32_t turn : leftTurns_) {
    if (turn > 0) {
      finishAtom(turn, grid.search, leftRecords);
      continue;
    }
    const std::int32_t atom = -turn;
    waitUntil(rightProgress_, atom);
    finishAtom(atom, grid.search, nearRecords);
    nearDone_.store(atom + 1, std::memory_order_release);
  }
  waitUntil(rightDone_, 1);
  makeRecordedBonds(world, settings);
}

// Which side each live atom's turn runs on, and the split column that shares the atoms about
// evenly between the threads. False when some atom may leave the window or the move is
// unbounded, when the right side is empty or a quarter of the atoms are near the split, or
// when the buffers cannot grow.
bool SplitAtomPass::plan(const World& world, const SimSettings& settings, const ContactGrid& grid) {
  const float move = std::fabs(settings.maxSpeed);
  const std::int32_t count = world.atomCount();
  if (!grid.built || !grid.dense || grid.looseAtoms != 0 || grid.slots != count ||
      !std::isfinite(move))
    return false;
  const auto slots = static_cast<std::size_t>(count) + 1;
  const auto columns = static_cast<std::size_t>(grid.window.columns);
  if (!tryResize(lowColumn_, slots, faults) || !tryResize(highColumn_, slots, faults) ||
      !tryAssign(atomsInColumn_, columns, std::int32_t{0}, faults) ||
      !tryResize(marks_, slots, faults) || !tryReserve(leftTurns_, slots, faults) ||
      !tryReserve(rightTurns_, slots, faults) || !tryReserve(nearTurns_, slots, faults) ||
      !fitSearchBuffers(rightSearch_, count, faults))
    return false;
  for (ImpactRecords& side : impacts_) {
    if (!tryReserve(side.records, firstRecordRoom, side.faults)) return false;
  }

  const std::span<const Atom> atoms = world.atoms();
  std::int32_t filed = 0;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const Atom& atom = atoms[slot];
    if (!atom.alive) continue;
    lowColumn_[slot] = highColumn_[slot] = -1;  // at a NaN or infinite position: touches nothing
    if (!isFinite(atom.pos)) continue;
    const Vec2 at = reboundedPosition(atom.pos);
    const std::int64_t from = windowColumnAt(grid, atom.pos);
    const std::int64_t low = windowColumnAt(grid, {at.x - move, at.y - move});
    const std::int64_t high = windowColumnAt(grid, {at.x + move, at.y + move});
    if (from < 0 || low < 0 || high < 0) return false;
    lowColumn_[slot] = static_cast<std::int32_t>(std::min(from, low) - 1);
    highColumn_[slot] = static_cast<std::int32_t>(std::max(from, high) + 1);
    ++atomsInColumn_[static_cast<std::size_t>(from)];
    ++filed;
  }
  const std::int32_t split = splitColumn(atomsInColumn_, filed);

  leftTurns_.clear();
  rightTurns_.clear();
  nearTurns_.clear();
  std::int32_t nearReach = -1;  // the last column a near atom may touch
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    if (!atoms[slot].alive) continue;
    if (highColumn_[slot] < split) {
      leftTurns_.push_back(slot);
    } else if (lowColumn_[slot] >= split) {
      rightTurns_.push_back(slot);
    } else {
      leftTurns_.push_back(-slot);
      nearTurns_.push_back(slot);
      nearReach = std::max(nearReach, highColumn_[slot]);
    }
  }
  // Right atoms beyond every near atom's columns never meet one: they need not wait.
  for (std::int32_t& turn : rightTurns_) {
    if (lowColumn_[turn] <= nearReach) turn = -turn;
  }
  // Each near atom holds both threads up; when most atoms are near, one thread does better.
  return !rightTurns_.empty() && 4 * nearTurns_.size() < static_cast<std::size_t>(filed);
}

bool SplitAtomPass::startWorker() {
  if (worker_.joinable()) return true;
  try {
    worker_ = std::thread(&SplitAtomPass::workerLoop, this);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void SplitAtomPass::workerLoop() {
  std::uint32_t seen = 0;
  for (;;) {
    // The next job often follows at once (the atom pass after the filing): look for it a while
    // before sleeping, as waking a sleeping thread takes tens of microseconds.
    for (int spins = 0; spins < 20000 && jobs_.load(std::memory_order_acquire) == seen; ++spins)
      relax();
    jobs_.wait(seen, std::memory_order_acquire);
    seen = jobs_.load(std::memory_order_acquire);
    if (stopping_) return;
    if (job_ == Job::filing) {
      fileAndPlan();
    } else {
      runRightSide();
    }
  }
}

// The right thread's turns. Right atoms near enough to meet near atoms (negative in the plan)
// wait for the near atoms below them; after each, the right thread publishes the next such
// atom's slot, every one below it being done.
void SplitAtomPass::runRightSide() {
  std::size_t nextNear = 0;
  for (std::size_t k = 0; k < rightTurns_.size(); ++k) {
    const std::int32_t turn = rightTurns_[k];
    if (turn > 0) {
      finishAtom(turn, rightSearch_, rightRecords);
      continue;
    }
    const std::int32_t atom = -turn;
    if (nextNear < nearTurns_.size() && nearTurns_[nextNear] < atom) {
      while (nextNear < nearTurns_.size() && nearTurns_[nextNear] < atom)
        ++nextNear;
      waitUntil(nearDone_, nearTurns_[nextNear - 1] + 1);
    }
    finishAtom(atom, rightSearch_, rightMeetingNearRecords);
    rightProgress_.store(nextMeetingNear(k + 1), std::memory_order_release);
  }
  rightDone_.store(1, std::memory_order_release);
}

// The slot of the first right atom from turn k on that may meet a near atom; int32 max if none.
std::int32_t SplitAtomPass::nextMeetingNear(std::size_t k) const {
  for (; k < rightTurns_.size(); ++k) {
    if (rightTurns_[k] < 0) return -rightTurns_[k];
  }
  return INT32_MAX;
}

// One atom's turn, as in the one-thread pass, with impact bonds recorded instead of made.
void SplitAtomPass::finishAtom(std::int32_t atom, SearchBuffers& buffers, std::uint8_t side) {
  World& world = *world_;
  const SimSettings& settings = *settings_;
  ContactGrid& grid = *grid_;
  vecAddXY(world.velocity(atom), settings.xGravity, settings.yGravity);
  reboundWalls(world, settings, atom);
  for (const std::int32_t j : findContactCandidates(grid, world, atom, buffers)) {
    collidePairGluing(world, settings, atom, j, filedPosition(grid, j),
                      [&](std::int32_t a, std::int32_t b) {
                        if (!bondExists(world, a, b) && !recorded(a, b)) record(a, b, side);
                      });
  }
  vecClamp(world.velocity(atom), settings.maxSpeed);
  vecAddTo(world.position(atom), world.velocity(atom));
  // Every atom stays in the window, so the grid never asks to be built again.
  static_cast<void>(noteMove(grid, world, atom));
}

// Whether j's turn, earlier in the pass, recorded a bond with a: the only record that can join
// the pair, as a's own turn meets j once.
bool SplitAtomPass::recorded(std::int32_t a, std::int32_t j) const {
  const RecordMark mark = marks_[j];
  if (mark.first == 0) return false;
  const std::vector<ImpactRecord>& records = impacts_[mark.side].records;
  for (auto k = static_cast<std::size_t>(mark.first - 1);
       k < records.size() && records[k].atomA == j; ++k) {
    if (records[k].atomB == a) return true;
  }
  return false;
}

void SplitAtomPass::record(std::int32_t a, std::int32_t j, std::uint8_t side) {
  ImpactRecords& own = impacts_[side];
  if (own.lostFrom != 0) return;
  std::vector<ImpactRecord>& records = own.records;
  if (records.size() == records.capacity() &&
      !tryReserve(records, 2 * records.size(), own.faults)) {
    own.lostFrom = a;
    return;
  }
  if (marks_[a].first == 0) marks_[a] = {static_cast<std::int32_t>(records.size() + 1), side};
  records.push_back({a, j});
}

// The recorded bonds in the order of the turns that found them. A record that could not be kept
// is a shortage of memory met at that bond: the bonds before it are made, none after.
void SplitAtomPass::makeRecordedBonds(World& world, const SimSettings& settings) {
  std::int32_t lostFrom = INT32_MAX;
  for (const ImpactRecords& side : impacts_) {
    if (side.lostFrom != 0) lostFrom = std::min(lostFrom, side.lostFrom);
  }
  std::size_t at[std::extent_v<decltype(impacts_)>] = {};  // a constant clang takes too
  for (;;) {
    std::size_t next = std::size(impacts_);
    std::int32_t atom = INT32_MAX;
    for (std::size_t side = 0; side < std::size(impacts_); ++side) {
      const std::vector<ImpactRecord>& records = impacts_[side].records;
      if (at[side] < records.size() && records[at[side]].atomA < atom) {
        next = side;
        atom = records[at[side]].atomA;
      }
    }
    if (next == std::size(impacts_)) break;
    const std::vector<ImpactRecord>& records = impacts_[next].records;
    for (; at[next] < records.size() && records[at[next]].atomA == atom; ++at[next]) {
      if (atom <= lostFrom)
        makeImpactBond(world, atom, records[at[next]].atomB, settings.atomSpace, impactBondColour);
    }
    marks_[atom] = {};
  }
  for (ImpactRecords& side : impacts_) {
    side.records.clear();
    side.lostFrom = 0;
  }
  if (lostFrom != INT32_MAX) refuseImpactBonds(world);
}

}  // namespace squish::sim

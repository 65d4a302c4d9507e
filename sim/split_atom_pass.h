#pragma once
// The fast step's atom pass on two threads: the arena is split into a left and a right side by
// the columns of the contact grid's cells, each thread finishes its side's atoms in slot order,
// and the atoms near the split wait for the other thread, so every world comes out as the
// one-thread pass leaves it, bit for bit.
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "sim/contact_grid.h"
#include "sim/growth.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::sim {

// An impact bond found by the pass, made when it ends: atomA's turn found atomB.
struct ImpactRecord {
  std::int32_t atomA = 0;
  std::int32_t atomB = 0;
};

// The impact bonds found by one side in slot order. Growth that fails stops the recording: from
// `lostFrom` (an atom slot) on, nothing more of this side is made.
struct ImpactRecords {
  std::vector<ImpactRecord> records;
  std::int32_t lostFrom = 0;
  AllocationFaults faults;
};

// What the split pass keeps between steps: the plan's buffers, the impact records and the
// worker thread, started on the first split pass and kept until this is destroyed, so a step
// starts no thread. It holds no physics: results never depend on it.
class SplitAtomPass {
 public:
  SplitAtomPass() = default;
  SplitAtomPass(const SplitAtomPass&) = delete;
  SplitAtomPass& operator=(const SplitAtomPass&) = delete;
  ~SplitAtomPass();

  // Starts, on the second thread, filing the atoms in `grid` (unless it files them already) and
  // planning the split, while the caller lets the bonds act: neither changes what the other
  // reads (bonds change velocities, rest lengths and bonds; filing and planning read where
  // atoms stand and whether they live). False, with nothing started, when no thread can be had.
  bool startFiling(const World& world, const SimSettings& settings, ContactGrid& grid);

  // Waits for the filing: returns whether the grid files the atoms (false when it could not be
  // built) and sets `planned` to whether the atom pass can be split. It cannot when the grid is
  // not a dense window holding every atom for the whole step, maxSpeed does not bound a move,
  // too many atoms lie near the split, or memory for the plan cannot be had; the caller then
  // runs the pass on one thread.
  bool awaitFiling(bool& planned);

  // The atom pass of the step (gravity, walls, contacts, clamp, move for every live atom in slot
  // order) on both threads, after a plan, with impact bonds made at its end in the order the
  // one-thread pass makes them.
  void runPlanned(World& world, const SimSettings& settings, ContactGrid& grid);

  // A copy of the atoms' velocities by slot, which the bonds act on while the atoms are filed.
  std::vector<Vec2> velocities;
  // Every growth of the plan's buffers and the copy goes through it (the impact records have
  // their own).
  AllocationFaults faults;

 private:
  bool plan(const World& world, const SimSettings& settings, const ContactGrid& grid);
  void fileAndPlan();
  bool startWorker();
  void workerLoop();
  void runRightSide();
  std::int32_t nextMeetingNear(std::size_t k) const;
  void finishAtom(std::int32_t atom, SearchBuffers& buffers, std::uint8_t side);
  bool recorded(std::int32_t a, std::int32_t j) const;
  void record(std::int32_t a, std::int32_t j, std::uint8_t side);
  void makeRecordedBonds(World& world, const SimSettings& settings);

  // The impact records of the turns of the left atoms, of the right atoms, of the near atoms,
  // and of the right atoms that may meet near atoms.
  ImpactRecords impacts_[4];

  // The plan: the left thread's turns in slot order (near atoms as negative slots), the right
  // thread's (those that may meet a near atom as negative slots), and the near atoms alone.
  std::vector<std::int32_t> leftTurns_;
  std::vector<std::int32_t> rightTurns_;
  std::vector<std::int32_t> nearTurns_;
  std::vector<std::int32_t> lowColumn_;
  std::vector<std::int32_t> highColumn_;
  std::vector<std::int32_t> atomsInColumn_;
  // Per slot: 1 + the index of the first impact record of its turn, and which records hold it;
  // all 0 between passes.
  struct RecordMark {
    std::int32_t first = 0;
    std::uint8_t side = 0;
  };
  std::vector<RecordMark> marks_;
  SearchBuffers rightSearch_;

  // The job of the second thread, set before it is woken.
  enum class Job : std::uint8_t { filing, rightSide };
  Job job_ = Job::filing;
  const World* filedWorld_ = nullptr;
  World* world_ = nullptr;
  const SimSettings* settings_ = nullptr;
  ContactGrid* grid_ = nullptr;

  std::thread worker_;
  bool stopping_ = false;
  std::atomic<std::uint32_t> jobs_{0};
  // Every right atom that may meet a near atom below this slot is finished.
  alignas(64) std::atomic<std::int32_t> rightProgress_{0};
  alignas(64) std::atomic<std::int32_t> rightDone_{0};
  alignas(64) std::atomic<std::int32_t> filingDone_{0};
  bool filed_ = false;  // set by the filing job
  bool planned_ = false;
  // Every near atom below this slot is finished.
  alignas(64) std::atomic<std::int32_t> nearDone_{0};
};

}  // namespace squish::sim

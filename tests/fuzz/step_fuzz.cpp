// Builds a small world from the input bytes (settings, atoms, bonds, freed bond slots, where the
// world stands), steps a copy with the plain step and copies with the fast step on one thread
// and on two, and stops the run at the first step whose worlds differ in any count, capacity or
// record, bit for bit (NaN payloads aside), or break an invariant of the world.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sim/fast_step.h"
#include "sim/step.h"
#include "sim/world.h"
#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

// Reads the input front to back; past its end every read gives 0.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

  std::uint32_t word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = value << 8 | byte();
    return value;
  }

  // Mostly small, sane values (so atoms meet); now and then any bit pattern at all.
  float number(float scale) {
    const std::uint8_t kind = byte();
    if (kind < 200) return (static_cast<float>(byte()) - 128.0f) * scale / 16.0f;
    std::uint32_t bits = word();
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

SimSettings readSettings(ByteReader& in) {
  SimSettings s;
  const std::uint8_t changed = in.byte();
  if (changed & 1) s.atomSize = in.number(1.0f);
  if (changed & 2) s.atomSpace = in.number(2.0f);
  if (changed & 4) s.maxSpeed = in.number(1.0f);
  if (changed & 8) s.yGravity = in.number(0.05f);
  if (changed & 16) s.xGravity = in.number(0.05f);
  if (changed & 32) s.boundDecay = in.number(0.1f);
  if (changed & 64) {
    s.deformFactor = in.number(0.1f);
    s.deformThreshold = in.number(0.1f);
    s.stiffness = in.number(0.1f);
  }
  if (changed & 128) {
    s.breakThreshold = in.number(0.2f);
    s.bondThreshold = in.number(0.1f);
  }
  return s;
}

// Up to 96 atoms and 128 bonds: enough for piles, chains and impacts, and small enough that the
// plain step's all-pairs loop keeps the fuzzer fast.
World readWorld(ByteReader& in) {
  World world;
  const int atoms = in.byte() % 97;
  std::int32_t slot = 0;
  for (int i = 0; i < atoms; ++i) {
    slot = allocateAtomAfter(world, slot);
    const float x = in.number(40.0f);
    const float y = in.number(20.0f) + 40.0f;
    const float vx = in.number(1.0f);
    const float vy = in.number(1.0f);
    // A dead atom is a slot reserved and never filled; the next slots are taken above it.
    if (in.byte() != 255) setAtom(world, slot, x, y, vx, vy, 1);
  }
  const int bonds = world.atomCount() > 0 ? in.byte() % 129 : 0;
  for (int k = 0; k < bonds; ++k) {
    const std::int32_t a = 1 + in.byte() % world.atomCount();
    const std::int32_t b = 1 + in.byte() % world.atomCount();
    const std::int32_t slot = allocateBond(world);
    setBond(world, slot, a, b, in.number(2.0f), 10.0f, 2);
    if (in.byte() >= 240) freeBond(world, slot);
  }
  return world;
}

// Where the world stands, read after it so that inputs made before keep their worlds (past the
// end every read gives 0, which leaves the world as read). Bit 0 scales positions and velocities
// to the atom size, so that atoms of any size meet; bits 1-3 and 4-6 move the world along x and
// y far out, where the contact grid has no cell indices and keys coordinates by their value.
void placeWorld(ByteReader& in, const SimSettings& settings, World& world) {
  constexpr std::array<float, 8> offsets{0.0f,   1e15f, -1e15f,  3e38f,
                                         -3e38f, 1e20f, 8.8e12f, -1e30f};
  const std::uint8_t place = in.byte();
  if (place == 0) return;
  const float size = settings.atomSize;
  const float scale = (place & 1) != 0 && size > 0.0f && std::isfinite(size) ? size / 4.0f : 1.0f;
  const float dx = offsets[(place >> 1) & 7];
  const float dy = offsets[(place >> 4) & 7];
  for (std::int32_t i = 1; i <= world.atomCount(); ++i) {
    Vec2& pos = world.position(i);
    Vec2& vel = world.velocity(i);
    pos = {pos.x * scale + dx, pos.y * scale + dy};
    vel = {vel.x * scale, vel.y * scale};
  }
}

}  // namespace
}  // namespace squish::sim

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace squish::sim;
  ByteReader in(data, size);
  const SimSettings settings = readSettings(in);
  const int steps = 1 + in.byte() % 10;
  World plain = readWorld(in);
  placeWorld(in, settings, plain);
  World fast = plain;
  World split = plain;
  StepState state;
  StepState twoThreads;
  twoThreads.threads = 2;
  twoThreads.atomsForTwoThreads = 0;
  twoThreads.keepTheFasterWay = false;
  for (int step = 0; step < steps; ++step) {
    stepWorld(plain, settings);
    stepWorldFast(fast, settings, state);
    stepWorldFast(split, settings, twoThreads);
    if (!testing::sameWorld(plain, fast) || !testing::sameWorld(plain, split) ||
        !validateWorld(plain).empty() || !validateWorld(fast).empty())
      std::abort();
  }
  return 0;
}

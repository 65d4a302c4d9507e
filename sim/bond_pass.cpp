// The bond pass, block by block. A spring's arithmetic depends on positions alone, which no bond
// changes, so each block of bonds is worked out ahead of acting: each live bond's offset is
// gathered, then the springs' arithmetic runs over plain arrays with no branch (the compiler
// turns it into vector instructions, each lane the same IEEE operations in the same order as one
// bond alone, workOutSpring's), then bond by bond in slot order a broken bond is freed or the
// bond deforms and pushes its atoms. A bond that breaks exerts no force: what was worked out for
// it is dropped.
#include "sim/bond_pass.h"

#include <algorithm>
#include <array>

#include "sim/spring.h"

namespace squish::sim {
namespace {

struct SpringBlock {
  std::size_t count = 0;
  std::array<std::int32_t, bondBlock> slot, atomA, atomB;
  std::array<float, bondBlock> dx, dy, rest;                  // in
  std::array<float, bondBlock> impulseX, impulseY, deformed;  // out
  std::array<std::int32_t, bondBlock> deforms, breaks;        // out
};

void gatherSprings(const World& world, std::int32_t first, std::int32_t last, SpringBlock& block) {
  const std::span<const Atom> atoms = world.atoms();
  const std::span<const Bond> bonds = world.bonds();
  block.count = 0;
  for (std::int32_t k = first; k <= last; ++k) {
    const Bond& record = bonds[k];
    if (!record.alive) continue;
    const std::size_t i = block.count++;
    Vec2 d;
    vecSub(d, atoms[record.atomA].pos, atoms[record.atomB].pos);
    block.slot[i] = k;
    block.atomA[i] = record.atomA;
    block.atomB[i] = record.atomB;
    block.dx[i] = d.x;
    block.dy[i] = d.y;
    block.rest[i] = record.restLength;
  }
}

void workOutSprings(const SimSettings& settings, SpringBlock& block) {
  const SimSettings local = settings;  // a copy the loop can keep in registers
  for (std::size_t i = 0; i < block.count; ++i) {
    const Spring spring = workOutSpring({block.dx[i], block.dy[i]}, block.rest[i], local);
    block.impulseX[i] = block.dx[i] * spring.impulseScale;
    block.impulseY[i] = block.dy[i] * spring.impulseScale;
    block.deformed[i] = spring.deformedRest;
    block.deforms[i] = spring.deforms;
    block.breaks[i] = spring.breaks;
  }
}

void settleSprings(World& world, const SpringBlock& block) {
  for (std::size_t i = 0; i < block.count; ++i) {
    const std::int32_t k = block.slot[i];
    if (block.breaks[i] != 0) {
      freeBond(world, k);
      continue;
    }
    if (block.deforms[i] != 0) world.restLength(k) = block.deformed[i];
    const Vec2 impulse{block.impulseX[i], block.impulseY[i]};
    vecAddTo(world.velocity(block.atomB[i]), impulse);
    vecSubFrom(world.velocity(block.atomA[i]), impulse);
  }
}

}  // namespace

void actOnBonds(World& world, const SimSettings& settings) {
  const std::int32_t bondCount = world.bondCount();
  SpringBlock block;  // about 10 KB, on the stack
  for (std::int64_t first = 1; first <= bondCount; first += bondBlock) {
    const std::int64_t last = std::min<std::int64_t>(bondCount, first + bondBlock - 1);
    gatherSprings(world, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last), block);
    workOutSprings(settings, block);
    settleSprings(world, block);
  }
}

void workOutBonds(World& world, const SimSettings& settings, std::int32_t first, std::int32_t last,
                  std::span<SpringOutcome> outcomes) {
  SpringBlock block;
  for (std::int64_t from = first; from <= last; from += bondBlock) {
    const auto to = static_cast<std::int32_t>(std::min<std::int64_t>(last, from + bondBlock - 1));
    gatherSprings(world, static_cast<std::int32_t>(from), to, block);
    workOutSprings(settings, block);
    std::fill(outcomes.begin() + from, outcomes.begin() + to + 1, SpringOutcome{});
    for (std::size_t i = 0; i < block.count; ++i) {
      const std::int32_t k = block.slot[i];
      SpringOutcome& outcome = outcomes[static_cast<std::size_t>(k)];
      if (block.breaks[i] != 0) {
        outcome.atomB = -1;
        continue;
      }
      if (block.deforms[i] != 0) world.restLength(k) = block.deformed[i];
      outcome = {block.atomA[i], block.atomB[i], {block.impulseX[i], block.impulseY[i]}};
    }
  }
}

void applySpringOutcomes(World& world, std::span<const SpringOutcome> outcomes, std::int32_t from,
                         std::int32_t to, bool freeBroken) {
  const auto owned = [&](std::int32_t atom) { return atom >= from && atom <= to; };
  for (std::size_t k = 1; k < outcomes.size(); ++k) {
    const SpringOutcome& outcome = outcomes[k];
    if (owned(outcome.atomB)) vecAddTo(world.velocity(outcome.atomB), outcome.impulse);
    if (owned(outcome.atomA)) vecSubFrom(world.velocity(outcome.atomA), outcome.impulse);
    if (freeBroken && outcome.atomB < 0) freeBond(world, static_cast<std::int32_t>(k));
  }
}

}  // namespace squish::sim

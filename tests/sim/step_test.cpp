// The physics step: springs, deformation and breaking, gravity, floor and wall rebound, contact
// with impact bonds, the clamp, the move, and the order in which slots are finished.
#include "sim/step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

using testing::addTestAtom;
using testing::addTestBond;

SimSettings weightless() {
  SimSettings settings;
  settings.yGravity = 0.0f;
  return settings;
}

TEST(PhysicsStep, LoneAtomFallsUnderGravityAndMoves) {
  World world;
  const std::int32_t a = addTestAtom(world, 0.0f, 5.0f);
  stepWorld(world, SimSettings{});
  EXPECT_EQ(world.atoms()[a].vel.x, 0.0f);
  EXPECT_EQ(world.atoms()[a].vel.y, -0.004f);
  EXPECT_EQ(world.atoms()[a].pos.y, 5.0f + -0.004f);
  EXPECT_FLOAT_EQ(world.atoms()[a].pos.y, 4.996f);

  SimSettings sideways;
  sideways.xGravity = 0.25f;
  stepWorld(world, sideways);
  EXPECT_EQ(world.atoms()[a].vel.x, 0.25f);
  EXPECT_EQ(world.atoms()[a].pos.x, 0.25f);
}

TEST(PhysicsStep, FloorMirrorsTheAtomAndDampsBothComponents) {
  World world;
  const std::int32_t a = addTestAtom(world, 0.0f, -3.0f, 2.0f, -1.0f);
  reboundWalls(world, SimSettings{}, a);
  const Atom& atom = world.atoms()[a];
  EXPECT_EQ(atom.pos.y, 3.0f);
  EXPECT_EQ(atom.vel.x, 2.0f * 0.99f);
  EXPECT_EQ(atom.vel.y, 1.0f * 0.99f);
  EXPECT_FLOAT_EQ(atom.vel.x, 1.98f);

  const std::int32_t onFloor = addTestAtom(world, 0.0f, 0.0f, 1.0f, -1.0f);
  reboundWalls(world, SimSettings{}, onFloor);
  EXPECT_EQ(world.atoms()[onFloor].vel.y, -1.0f) << "y = 0 is not below the floor";
}

TEST(PhysicsStep, SideWallsMirrorAndDampOnlyTheHorizontalVelocity) {
  World world;
  const SimSettings settings;
  const std::int32_t right = addTestAtom(world, 325.0f, 50.0f, 3.0f, 1.0f);
  const std::int32_t edge = addTestAtom(world, 320.0f, 50.0f, 3.0f, 1.0f);
  const std::int32_t left = addTestAtom(world, -330.0f, 50.0f, -2.0f, 1.0f);
  const std::int32_t far = addTestAtom(world, 1000.0f, 50.0f, 4.0f, 0.0f);
  for (std::int32_t i : {right, edge, left, far})
    reboundWalls(world, settings, i);

  EXPECT_EQ(world.atoms()[right].pos.x, 315.0f);
  EXPECT_EQ(world.atoms()[right].vel.x, -3.0f * 0.99f);
  EXPECT_EQ(world.atoms()[right].vel.y, 1.0f);
  EXPECT_EQ(world.atoms()[edge].pos.x, 320.0f);
  EXPECT_EQ(world.atoms()[edge].vel.x, 3.0f);
  EXPECT_EQ(world.atoms()[left].pos.x, -310.0f);
  EXPECT_EQ(world.atoms()[left].vel.x, 2.0f * 0.99f);
  // 640 - 1000 = -360 is past the left wall in turn: mirrored to -280, reversed twice.
  EXPECT_EQ(world.atoms()[far].pos.x, -280.0f);
  EXPECT_EQ(world.atoms()[far].vel.x, 4.0f * 0.99f * 0.99f);
}

TEST(PhysicsStep, ReboundComesBeforeContactInTheSameStep) {
  // Below the floor the pair is 12 apart; mirrored to y = 3 it touches and hands on its speed.
  World world;
  addTestAtom(world, 0.0f, -3.0f, 0.0f, -1.0f);
  addTestAtom(world, 0.0f, 9.0f);
  stepWorld(world, weightless());
  EXPECT_EQ(world.atoms()[1].pos.y, 3.0f);
  EXPECT_NEAR(world.atoms()[1].vel.y, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(world.atoms()[2].vel.y, 0.99f);
  EXPECT_FLOAT_EQ(world.atoms()[2].pos.y, 9.99f);
  EXPECT_EQ(world.bondCount(), 0);
}

TEST(PhysicsStep, ClampLimitsEachComponentBeforeTheMove) {
  World world;
  const std::int32_t a = addTestAtom(world, 0.0f, 100.0f, 9.0f, -12.0f);
  stepWorld(world, weightless());
  EXPECT_EQ(world.atoms()[a].vel.x, 5.0f);
  EXPECT_EQ(world.atoms()[a].vel.y, -5.0f);
  EXPECT_EQ(world.atoms()[a].pos.x, 5.0f);
  EXPECT_EQ(world.atoms()[a].pos.y, 95.0f);
}

TEST(PhysicsStep, StretchedSpringPullsTogetherAndDeformsTowardsItsLength) {
  World world;
  const std::int32_t a = addTestAtom(world, 12.0f, 0.0f);
  const std::int32_t b = addTestAtom(world, 0.0f, 0.0f);
  const std::int32_t bond = addTestBond(world, a, b, 10.0f);
  updateBond(world, SimSettings{}, bond);
  EXPECT_FLOAT_EQ(world.atoms()[b].vel.x, 0.6f);
  EXPECT_FLOAT_EQ(world.atoms()[a].vel.x, -0.6f);
  EXPECT_EQ(world.atoms()[a].vel.y, 0.0f);
  EXPECT_EQ(world.atoms()[b].vel.y, 0.0f);
  EXPECT_FLOAT_EQ(world.bonds()[bond].restLength, 10.2f);
  EXPECT_TRUE(world.bonds()[bond].alive);
}

TEST(PhysicsStep, CompressedSpringPushesApartAndShortBondsKeepTheirRestLength) {
  World world;
  const std::int32_t a = addTestAtom(world, 8.0f, 0.0f);
  const std::int32_t b = addTestAtom(world, 0.0f, 0.0f);
  const std::int32_t bond = addTestBond(world, a, b, 10.0f);
  updateBond(world, SimSettings{}, bond);
  EXPECT_FLOAT_EQ(world.atoms()[b].vel.x, -0.4f);
  EXPECT_FLOAT_EQ(world.atoms()[a].vel.x, 0.4f);
  EXPECT_EQ(world.bonds()[bond].restLength, 10.0f) << "8 / atomSpace is not above 1";

  // Deformation compares the length with atomSpace, not with the rest length: a bond of 9
  // never deforms, a compressed bond of 12 does.
  World other;
  addTestAtom(other, 9.0f, 0.0f);
  addTestAtom(other, 0.0f, 0.0f);
  addTestAtom(other, 12.0f, 0.0f);
  const std::int32_t nine = addTestBond(other, 1, 2, 3.0f);
  const std::int32_t twelve = addTestBond(other, 3, 2, 15.0f);
  updateBond(other, SimSettings{}, nine);
  updateBond(other, SimSettings{}, twelve);
  EXPECT_EQ(other.bonds()[nine].restLength, 3.0f);
  EXPECT_FLOAT_EQ(other.bonds()[twelve].restLength, 0.4f * -0.75f + 15.0f);
}

TEST(PhysicsStep, BondAtRestActsNotAndOverstretchedBondBreaksWithoutActing) {
  World world;
  addTestAtom(world, 10.0f, 0.0f);
  addTestAtom(world, 0.0f, 0.0f);
  addTestAtom(world, 0.0f, 20.5f);
  const std::int32_t slack = addTestBond(world, 1, 2, 10.0f);
  const std::int32_t overstretched = addTestBond(world, 3, 2, 20.0f);
  updateBond(world, SimSettings{}, slack);
  updateBond(world, SimSettings{}, overstretched);
  for (std::int32_t i = 1; i <= 3; ++i) {
    EXPECT_EQ(world.atoms()[i].vel.x, 0.0f);
    EXPECT_EQ(world.atoms()[i].vel.y, 0.0f);
  }
  EXPECT_TRUE(world.bonds()[slack].alive);
  EXPECT_FALSE(world.bonds()[overstretched].alive);
  EXPECT_EQ(world.bonds()[overstretched].restLength, 20.0f) << "a broken record keeps its fields";
  EXPECT_EQ(world.bonds()[overstretched].atomA, 3);

  // A broken bond is skipped by later steps: the two atoms fall freely.
  stepWorld(world, SimSettings{});
  EXPECT_EQ(world.atoms()[3].vel.y, -0.004f);
}

TEST(PhysicsStep, FastContactSwapsVelocitiesAndGluesThePair) {
  World world;
  const std::int32_t a = addTestAtom(world, 0.0f, 50.0f, 4.0f, 0.0f);
  const std::int32_t j = addTestAtom(world, 7.0f, 50.0f);
  collideAtom(world, SimSettings{}, a);
  EXPECT_NEAR(world.atoms()[a].vel.x, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(world.atoms()[j].vel.x, 4.0f);
  ASSERT_EQ(world.bondCount(), 1);
  const Bond& bond = world.bonds()[1];
  EXPECT_TRUE(bond.alive);
  EXPECT_EQ(bond.atomA, a);
  EXPECT_EQ(bond.atomB, j);
  EXPECT_EQ(bond.restLength, 10.0f);
  EXPECT_EQ(bond.spacing, 10.0f);
  EXPECT_EQ(bond.colour, 15);

  // Hitting again while bonded makes no second bond.
  world.velocity(a) = {4.0f, 0.0f};
  world.velocity(j) = {0.0f, 0.0f};
  collideAtom(world, SimSettings{}, a);
  EXPECT_EQ(world.bondCount(), 1);
  EXPECT_FLOAT_EQ(world.atoms()[j].vel.x, 4.0f);
}

TEST(PhysicsStep, SlowContactSwapsWithoutABondAndDistantOrStackedAtomsDoNotTouch) {
  World world;
  const std::int32_t a = addTestAtom(world, 0.0f, 50.0f, 3.0f, 1.0f);
  const std::int32_t j = addTestAtom(world, 7.0f, 50.0f, -1.0f, 0.5f);
  collideAtom(world, SimSettings{}, a);
  EXPECT_FLOAT_EQ(world.atoms()[a].vel.x, -1.0f);
  EXPECT_FLOAT_EQ(world.atoms()[j].vel.x, 3.0f);
  EXPECT_EQ(world.atoms()[a].vel.y, 1.0f) << "the perpendicular components are kept";
  EXPECT_EQ(world.atoms()[j].vel.y, 0.5f);
  EXPECT_EQ(world.bondCount(), 0);

  // Now a moves away from j: nothing happens from a's side.
  collideAtom(world, SimSettings{}, a);
  EXPECT_FLOAT_EQ(world.atoms()[a].vel.x, -1.0f);

  World apart;
  addTestAtom(apart, 0.0f, 50.0f, 4.0f, 0.0f);
  addTestAtom(apart, 8.0f, 50.0f);
  addTestAtom(apart, 30.0f, 50.0f, 1.0f, 1.0f);
  addTestAtom(apart, 30.0f, 50.0f, 2.0f, 0.0f);
  for (std::int32_t i = 1; i <= 4; ++i)
    collideAtom(apart, SimSettings{}, i);
  EXPECT_EQ(apart.atoms()[1].vel.x, 4.0f) << "8 units apart is 2 x atomSize: no contact";
  EXPECT_EQ(apart.atoms()[2].vel.x, 0.0f);
  EXPECT_EQ(apart.atoms()[3].vel.x, 1.0f) << "atoms at one position never interact";
  EXPECT_EQ(apart.atoms()[4].vel.x, 2.0f);
  EXPECT_EQ(apart.bondCount(), 0);
}

TEST(PhysicsStep, ImpactBondActsFromTheNextStepOnly) {
  World world;
  addTestAtom(world, 0.0f, 50.0f, 4.0f, 0.0f);
  addTestAtom(world, 7.0f, 50.0f);
  stepWorld(world, weightless());
  ASSERT_EQ(world.bondCount(), 1);
  EXPECT_EQ(world.bonds()[1].restLength, 10.0f);
  EXPECT_NEAR(world.atoms()[1].vel.x, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(world.atoms()[2].vel.x, 4.0f);
  EXPECT_FLOAT_EQ(world.atoms()[2].pos.x, 11.0f);

  // Next step the 11-unit bond pulls: both velocities change and the rest length deforms.
  stepWorld(world, weightless());
  EXPECT_GT(world.atoms()[1].vel.x, 0.0f);
  EXPECT_LT(world.atoms()[2].vel.x, 4.0f);
  EXPECT_GT(world.bonds()[1].restLength, 10.0f);
}

TEST(PhysicsStep, LowerSlotsHaveMovedWhenHigherSlotsMeetThem) {
  // Slot 1 moves 3 units towards slot 2, which then finds it in contact and takes its
  // velocity; slot 1's new velocity (0) first shows in the next step.
  World lowFirst;
  addTestAtom(lowFirst, 0.0f, 50.0f, 3.0f, 0.0f);
  addTestAtom(lowFirst, 10.0f, 50.0f);
  stepWorld(lowFirst, weightless());
  EXPECT_EQ(lowFirst.atoms()[1].pos.x, 3.0f);
  EXPECT_NEAR(lowFirst.atoms()[1].vel.x, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(lowFirst.atoms()[2].vel.x, 3.0f);
  EXPECT_FLOAT_EQ(lowFirst.atoms()[2].pos.x, 13.0f);

  // The same two atoms in the other slots: slot 1 looks before slot 2 has moved and sees no
  // contact, so slot 2 just moves.
  World highFirst;
  addTestAtom(highFirst, 10.0f, 50.0f);
  addTestAtom(highFirst, 0.0f, 50.0f, 3.0f, 0.0f);
  stepWorld(highFirst, weightless());
  EXPECT_EQ(highFirst.atoms()[1].pos.x, 10.0f);
  EXPECT_EQ(highFirst.atoms()[1].vel.x, 0.0f);
  EXPECT_EQ(highFirst.atoms()[2].pos.x, 3.0f);
  EXPECT_EQ(highFirst.atoms()[2].vel.x, 3.0f);
}

TEST(PhysicsStep, BondsAllActBeforeAnyAtomMovesAndDeadSlotsAreSkipped) {
  World world;
  addTestAtom(world, 0.0f, 100.0f);
  addTestAtom(world, 12.0f, 100.0f);
  addTestAtom(world, 100.0f, 100.0f, 1.0f, 1.0f);
  addTestBond(world, 2, 1, 10.0f);
  addTestBond(world, 1, 2, 10.0f);
  ASSERT_TRUE(testing::setAtomLive(world, 3, false));
  stepWorld(world, weightless());
  // Both bonds saw the starting 12-unit distance: the same pull twice.
  EXPECT_FLOAT_EQ(world.atoms()[1].vel.x, 1.2f);
  EXPECT_FLOAT_EQ(world.atoms()[2].vel.x, -1.2f);
  EXPECT_EQ(world.atoms()[3].pos.x, 100.0f) << "a slot that is not alive does not move";
}

TEST(PhysicsStep, UnboundedSettingsAndPositionsFinishTheStep) {
  constexpr float nan = std::numeric_limits<float>::quiet_NaN();
  constexpr float inf = std::numeric_limits<float>::infinity();
  World world;
  addTestAtom(world, 0.0f, 10.0f);
  addTestAtom(world, 5.0f, 10.0f, 1.0f, 0.0f);
  addTestAtom(world, inf, nan, inf, -inf);
  addTestAtom(world, nan, 0.0f, nan, 0.0f);
  addTestBond(world, 1, 2, 0.0f);
  addTestBond(world, 2, 3, 10.0f);
  addTestBond(world, 4, 4, 10.0f);

  SimSettings poisoned;
  for (float* value :
       {&poisoned.atomSize, &poisoned.atomSpace, &poisoned.maxSpeed, &poisoned.yGravity,
        &poisoned.xGravity, &poisoned.boundDecay, &poisoned.deformFactor, &poisoned.deformThreshold,
        &poisoned.breakThreshold, &poisoned.stiffness, &poisoned.bondThreshold}) {
    *value = nan;
  }
  for (int step = 0; step < 3; ++step)
    stepWorld(world, poisoned);
  EXPECT_EQ(world.atomCount(), 4);
  EXPECT_EQ(world.bondCount(), 3) << "a NaN bond threshold makes no impact bonds";

  SimSettings zeroSpace;
  zeroSpace.atomSpace = 0.0f;
  stepWorld(world, zeroSpace);
  EXPECT_EQ(world.atomCount(), 4);
}

}  // namespace
}  // namespace squish::sim

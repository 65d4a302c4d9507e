// The pace of the frame loop against made-up clock readings: when passes are due, how far a
// late loop catches up, which passes draw, pause and single step, and the pace keys' limits.
#include "app/pacer.h"

#include <gtest/gtest.h>

namespace squish::app {
namespace {

TEST(Pacer, PassesFollowTheScheduleAndCatchUpAtMostATenthOfASecond) {
  Pacer pacer;
  pacer.pace = 500.0;
  EXPECT_EQ(secondsUntilNextPass(pacer, 10.0), 0.0);  // the first pass is due at once
  beginPass(pacer, 10.0);
  EXPECT_NEAR(secondsUntilNextPass(pacer, 10.0005), 0.0015, 1e-9);
  // A pass begun late keeps the schedule: the next is due 2 ms after the slot, not after now.
  beginPass(pacer, 10.003);
  EXPECT_DOUBLE_EQ(pacer.nextPassAt, 10.004);
  EXPECT_GT(secondsUntilNextPass(pacer, 10.0035), 0.0);
  // Half a second behind: only 0.1 s of passes is made up (51.2 at 512 steps/s), so the late
  // pass and 51 more run back to back, then the loop waits again.
  pacer.pace = 512.0;
  const double late = pacer.nextPassAt + 0.5;
  beginPass(pacer, late);
  int dueAtOnce = 1;
  while (secondsUntilNextPass(pacer, late) == 0.0 && dueAtOnce < 1000) {
    beginPass(pacer, late);
    ++dueAtOnce;
  }
  EXPECT_EQ(dueAtOnce, 52);

  Pacer unpaced;
  unpaced.pace = 0.0;
  beginPass(unpaced, 1.0);
  EXPECT_EQ(secondsUntilNextPass(unpaced, 1.0), 0.0);
  EXPECT_FALSE(unpaced.scheduled);
}

TEST(Pacer, OnlyTheLastPassBeforeEachPresentationDraws) {
  Pacer pacer;
  pacer.pace = 500.0;
  const double presentation = 1.010;
  int drawn = 0;
  int lastDrawn = -1;
  // Passes at 1.000, 1.002, ... each taking 0.1 ms; the presenter shows the page at 1.010.
  for (int i = 0; i < 5; ++i) {
    const double start = 1.0 + 0.002 * i;
    beginPass(pacer, start);
    if (passDraws(pacer, start + 0.0001, 0.0001, presentation)) {
      ++drawn;
      lastDrawn = i;
    }
  }
  EXPECT_EQ(drawn, 1);
  EXPECT_EQ(lastDrawn, 4);  // 1.008: the pass at 1.010 would not be ready in time
  // A second pass still before the same presentation draws nothing more.
  beginPass(pacer, 1.0095);
  EXPECT_FALSE(passDraws(pacer, 1.0096, 0.0001, presentation));
  // A new presentation time, or none known yet, lets a pass draw again.
  EXPECT_FALSE(passDraws(pacer, 1.0196, 0.0001, 1.020));
  EXPECT_TRUE(passDraws(pacer, 1.0199, 0.0002, 1.020));
  EXPECT_TRUE(passDraws(pacer, 1.0199, 0.0002, 0.0));
  EXPECT_TRUE(passDraws(pacer, 1.0199, 0.0002, 0.0));
  // A pass that takes longer than the time to the presentation draws.
  EXPECT_TRUE(passDraws(pacer, 1.021, 0.02, 1.030));

  Pacer unpaced;
  unpaced.pace = 0.0;
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(passDraws(unpaced, 1.0, 0.0, 2.0));
}

TEST(Pacer, PauseHoldsStepsAndNStepsOnceOnlyWhilePaused) {
  Pacer pacer;
  EXPECT_TRUE(takeStep(pacer));
  requestStep(pacer);  // not paused: nothing is kept for later
  togglePause(pacer);
  EXPECT_FALSE(takeStep(pacer));
  requestStep(pacer);
  requestStep(pacer);
  EXPECT_TRUE(takeStep(pacer));
  EXPECT_FALSE(takeStep(pacer));
  requestStep(pacer);
  togglePause(pacer);  // resuming drops a step asked for but not taken
  togglePause(pacer);
  EXPECT_FALSE(takeStep(pacer));
  togglePause(pacer);
  EXPECT_TRUE(takeStep(pacer));
  EXPECT_TRUE(takeStep(pacer));
}

TEST(Pacer, PaceDoublesAndHalvesWithinItsLimits) {
  Pacer pacer;
  EXPECT_EQ(pacer.pace, 500.0);
  for (int i = 0; i < 10; ++i)
    quickenPace(pacer);
  EXPECT_EQ(pacer.pace, fastestPace);
  pacer.pace = 500.0;
  slowPace(pacer);
  EXPECT_EQ(pacer.pace, 250.0);
  for (int i = 0; i < 10; ++i)
    slowPace(pacer);
  EXPECT_EQ(pacer.pace, slowestPace);
  quickenPace(pacer);
  EXPECT_EQ(pacer.pace, 30.0);

  Pacer unpaced;
  unpaced.pace = 0.0;
  quickenPace(unpaced);
  slowPace(unpaced);
  EXPECT_EQ(unpaced.pace, 0.0);
}

}  // namespace
}  // namespace squish::app

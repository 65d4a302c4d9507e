#pragma once
// When the passes of the frame loop run: a steady number of physics steps per second measured
// against the monotonic clock, pause and single step, and which passes draw a picture. Plain
// arithmetic on clock readings in seconds, so it is driven by made-up times in tests.
#include <cstdint>

namespace squish::app {

// 500 steps/s turns the default gravity (-0.004 per step²) into 981 pixels/s²: with one pixel
// per centimetre, bodies fall as they would on Earth.
inline constexpr double defaultPace = 500.0;
inline constexpr double slowestPace = 15.0;
inline constexpr double fastestPace = 32000.0;
// A pass that starts late is made up for only this far back, so no backlog ever grows: a world
// too big for the pace simply runs as fast as it can.
inline constexpr double catchUpSeconds = 0.1;

struct Pacer {
  double pace = defaultPace;  // steps per second; 0 runs unpaced, every pass drawn
  bool paused = false;
  bool stepOnce = false;    // the next pass steps although paused
  bool scheduled = false;   // nextPassAt holds a time
  double nextPassAt = 0.0;  // when the next pass is due
  double drawnFor = 0.0;    // the presentation the last picture was drawn for; 0 none
};

// Seconds to wait before the next pass is due: 0 when it is, and always 0 unpaced.
double secondsUntilNextPass(const Pacer& pacer, double now);

// A pass begins at now and takes the next slot of the schedule; a schedule more than
// catchUpSeconds behind now is moved up to that bound first.
void beginPass(Pacer& pacer, double now);

// Whether the pass ending at now draws its picture. Unpaced, every pass does. Paced, a pass
// draws only when the next one, begun when it is due and taking passSeconds, would end after
// the presenter next shows the page at nextPresentation, and no picture has been drawn for that
// presentation yet: the last pass before each presentation draws, and only one. A
// nextPresentation of 0 (not known yet) lets every pass draw.
bool passDraws(Pacer& pacer, double now, double passSeconds, double nextPresentation);

// Whether this pass runs the physics step: always unless paused; while paused, once after
// requestStep.
bool takeStep(Pacer& pacer);

void togglePause(Pacer& pacer);
// One step at the next pass; only while paused.
void requestStep(Pacer& pacer);
// Double or halve the pace, kept between slowestPace and fastestPace; unpaced stays unpaced.
void quickenPace(Pacer& pacer);
void slowPace(Pacer& pacer);

}  // namespace squish::app

// The pace of the frame loop: a schedule of passes one step apart, with a bounded catch-up.
#include "app/pacer.h"

#include <algorithm>

namespace squish::app {
namespace {

bool isPaced(const Pacer& pacer) {
  return pacer.pace > 0.0;
}

}  // namespace

double secondsUntilNextPass(const Pacer& pacer, double now) {
  if (!isPaced(pacer) || !pacer.scheduled) return 0.0;
  return std::max(0.0, pacer.nextPassAt - now);
}

void beginPass(Pacer& pacer, double now) {
  if (!isPaced(pacer)) return;
  if (!pacer.scheduled) {
    pacer.nextPassAt = now;
    pacer.scheduled = true;
  }
  pacer.nextPassAt = std::max(pacer.nextPassAt, now - catchUpSeconds) + 1.0 / pacer.pace;
}

bool passDraws(Pacer& pacer, double now, double passSeconds, double nextPresentation) {
  if (!isPaced(pacer) || nextPresentation == 0.0) return true;
  const double nextPassEnds = std::max(pacer.nextPassAt, now) + std::max(passSeconds, 0.0);
  if (nextPassEnds < nextPresentation || nextPresentation == pacer.drawnFor) return false;
  pacer.drawnFor = nextPresentation;
  return true;
}

bool takeStep(Pacer& pacer) {
  if (!pacer.paused) return true;
  const bool step = pacer.stepOnce;
  pacer.stepOnce = false;
  return step;
}

void togglePause(Pacer& pacer) {
  pacer.paused = !pacer.paused;
  pacer.stepOnce = false;
}

void requestStep(Pacer& pacer) {
  if (pacer.paused) pacer.stepOnce = true;
}

void quickenPace(Pacer& pacer) {
  if (isPaced(pacer)) pacer.pace = std::min(pacer.pace * 2.0, fastestPace);
}

void slowPace(Pacer& pacer) {
  if (isPaced(pacer)) pacer.pace = std::max(pacer.pace / 2.0, slowestPace);
}

}  // namespace squish::app

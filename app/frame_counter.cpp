// Times the frame loop with the screen's own clock.
#include "app/frame_counter.h"

#include <ostream>

#include "display/input.h"

namespace squish::app {

FrameCounter::FrameCounter(const display::Screen& screen)
    : screen_(screen), start_(display::timerSeconds(screen)) {}

void FrameCounter::report(std::ostream& out) const {
  const double seconds = display::timerSeconds(screen_) - start_;
  const double perSecond = seconds > 0.0 ? static_cast<double>(frames_) / seconds : 0.0;
  out << "squish: " << frames_ << " frames in " << seconds << " s, " << perSecond
      << " frames per second\n";
}

}  // namespace squish::app

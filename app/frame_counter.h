#pragma once
// A frame-rate meter for measuring the windowed program, compiled in only with the CMake
// option SQUISH_COUNT_FRAMES: counts frame-loop passes and reports them per second at exit.
#include <cstdint>
#include <iosfwd>

#include "display/screen.h"

namespace squish::app {

class FrameCounter {
 public:
  explicit FrameCounter(const display::Screen& screen);
  void countFrame() { ++frames_; }
  // One line: frames, seconds and frames per second since the counter was made.
  void report(std::ostream& out) const;

 private:
  const display::Screen& screen_;
  double start_ = 0.0;
  std::int64_t frames_ = 0;
};

}  // namespace squish::app

#pragma once
// What the frame loop counts: passes, physics steps and pictures since the start (squish
// --stats reports them at exit), and per whole second the achieved steps and pictures per
// second and the milliseconds per step and per picture, for the statistics line (F3). Every
// time comes from the screen's clock, so squish-headless shows virtual-clock figures.
#include <cstdint>
#include <string>

#include "app/pacer.h"

namespace squish::app {

struct PassStatistics {
  std::int64_t passes = 0;
  std::int64_t steps = 0;
  std::int64_t pictures = 0;
  // The second being measured.
  bool measuring = false;
  double secondStart = 0.0;
  std::int64_t secondSteps = 0;
  std::int64_t secondPictures = 0;
  double stepSeconds = 0.0;
  double pictureSeconds = 0.0;
  double lastPictureSeconds = 0.0;  // how long the last picture took to draw
  // Figures of the last whole second.
  double stepsPerSecond = 0.0;
  double picturesPerSecond = 0.0;
  double msPerStep = 0.0;
  double msPerPicture = 0.0;
};

// A pass begins at now; once a second has passed since the measured one began, its figures
// are taken and the next second starts.
void countPass(PassStatistics& statistics, double now);
void countStep(PassStatistics& statistics, double seconds);
void countPicture(PassStatistics& statistics, double seconds);

// The statistics line: achieved steps/s against the pace, pictures/s, atoms, bonds, ms per
// step and per picture, and whether the pace is kept. Written into line, whose storage is
// reused from picture to picture.
void writeStatisticsLine(std::string& line, const PassStatistics& statistics, const Pacer& pacer,
                         std::int32_t atoms, std::int32_t bonds);

// squish --stats: one line of passes, steps, pictures, seconds, steps/s, pictures/s and the
// CPU seconds of the process.
std::string runReport(const PassStatistics& statistics, double seconds, double cpuSeconds);

}  // namespace squish::app

// Counting passes, steps and pictures, and writing the figures as text.
#include "app/statistics.h"

#include <algorithm>
#include <cstdio>

namespace squish::app {
namespace {

// The pace counts as kept when the achieved rate is within 2 % of it.
constexpr double keptShare = 0.98;

// Appends printf-style text (at most 255 characters of it) without a temporary string.
template <typename... Values>
void append(std::string& out, const char* format, Values... values) {
  char buffer[256];
  const int length = std::snprintf(buffer, sizeof buffer, format, values...);
  if (length < 0) return;
  out.append(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

double perSecond(std::int64_t count, double seconds) {
  return seconds > 0.0 ? static_cast<double>(count) / seconds : 0.0;
}

double milliseconds(double seconds, std::int64_t count) {
  return count > 0 ? seconds * 1000.0 / static_cast<double>(count) : 0.0;
}

}  // namespace

void countPass(PassStatistics& statistics, double now) {
  ++statistics.passes;
  PassStatistics& s = statistics;
  if (!s.measuring) {
    s.measuring = true;
    s.secondStart = now;
    return;
  }
  const double elapsed = now - s.secondStart;
  if (!(elapsed >= 1.0)) return;
  s.stepsPerSecond = perSecond(s.secondSteps, elapsed);
  s.picturesPerSecond = perSecond(s.secondPictures, elapsed);
  s.msPerStep = milliseconds(s.stepSeconds, s.secondSteps);
  s.msPerPicture = milliseconds(s.pictureSeconds, s.secondPictures);
  s.secondStart = now;
  s.secondSteps = s.secondPictures = 0;
  s.stepSeconds = s.pictureSeconds = 0.0;
}

void countStep(PassStatistics& statistics, double seconds) {
  ++statistics.steps;
  ++statistics.secondSteps;
  statistics.stepSeconds += seconds;
}

void countPicture(PassStatistics& statistics, double seconds) {
  ++statistics.pictures;
  ++statistics.secondPictures;
  statistics.pictureSeconds += seconds;
  statistics.lastPictureSeconds = seconds;
}

void writeStatisticsLine(std::string& line, const PassStatistics& statistics, const Pacer& pacer,
                         std::int32_t atoms, std::int32_t bonds) {
  const PassStatistics& s = statistics;
  line.clear();
  if (pacer.pace > 0.0) {
    append(line, "%.0f/%g steps/s", s.stepsPerSecond, pacer.pace);
  } else {
    append(line, "%.0f steps/s unpaced", s.stepsPerSecond);
  }
  append(line, "  %.0f pictures/s  %d atoms  %d bonds  %.2f ms/step  %.2f ms/picture",
         s.picturesPerSecond, atoms, bonds, s.msPerStep, s.msPerPicture);
  if (pacer.paused) {
    line += "  paused";
  } else if (pacer.pace > 0.0 && s.stepsPerSecond < pacer.pace * keptShare) {
    line += "  PACE NOT KEPT";
  }
}

std::string runReport(const PassStatistics& statistics, double seconds, double cpuSeconds) {
  const PassStatistics& s = statistics;
  std::string report;
  append(report,
         "%lld passes, %lld steps, %lld pictures in %.2f s: %.1f steps/s, %.1f pictures/s, "
         "%.2f CPU seconds",
         static_cast<long long>(s.passes), static_cast<long long>(s.steps),
         static_cast<long long>(s.pictures), seconds, perSecond(s.steps, seconds),
         perSecond(s.pictures, seconds), cpuSeconds);
  return report;
}

}  // namespace squish::app

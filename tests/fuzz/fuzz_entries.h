#pragma once
// The entry points shared by the libFuzzer targets and the regression replay test: each takes
// one input's bytes and drives one of the program's readers, primitives or its frame loop with
// them. A fault shows as a sanitizer report or an abort on a broken invariant.
#include <cstdint>
#include <span>
#include <string_view>

namespace squish::fuzz {

using Bytes = std::span<const std::uint8_t>;

// A BMP or raw dump loaded into destinations of several sizes and onto the work page.
void feedBmpLoader(Bytes input);
// A scene file's text (with an optional image after imageSeparator that every BITMAP line
// loads), then a few physics steps and a rendered frame.
void feedSceneReader(Bytes input);
// A squish-headless input file, then its messages applied to a screen's input state.
void feedInputScript(Bytes input);
// The frame loop of the default scene driven by window messages with the settings panel open:
// clicks, typing, dragging the window, Apply with absurd texts, Restart and Quit.
void feedFrameLoop(Bytes input);
// A world file's text: what is accepted fits a world, steps, and writes back to itself.
void feedWorldFile(Bytes input);
// Lines, boxes, circles and image transfers with arbitrary floats onto pages and images.
void feedDrawing(Bytes input);

// Splits a scene fuzzer input: the scene text before it, the image's bytes after it.
inline constexpr std::string_view imageSeparator = "\n--image--\n";

struct FuzzEntry {
  std::string_view name;  // the fuzzer's name without "_fuzz", and its corpus folder
  void (*feed)(Bytes input);
};

// Every target above, by name.
std::span<const FuzzEntry> fuzzEntries();

// Stops the run when an invariant does not hold: the fuzzer keeps the input as a finding.
void require(bool holds, const char* what);

}  // namespace squish::fuzz

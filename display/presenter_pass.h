#pragma once
// The one pass both presenters run, about every 10 ms or before every frame: under the screen's
// lock it shows the changed band of the visible page through the palette, refreshes the held
// keys and turns the pending window messages into the input state. What differs between a real
// window and none is behind PassBackend.
#include <array>
#include <cstdint>
#include <span>

#include "display/input_state.h"
#include "display/window_messages.h"

namespace squish::display {

struct Screen;

// Where a band of the picture goes: rows of `pitch` words, each row's first `width` words its
// pixels as 0xAARRGGBB. An empty span means the window wants no pixels this time.
struct PictureRows {
  std::span<std::uint32_t> pixels;
  std::int32_t pitch = 0;
};

class PassBackend {
 public:
  virtual ~PassBackend() = default;
  // Rows first..last of the picture are about to be written into the returned rows. Unless
  // they are empty, finishRows follows; written is false when they were too small to hold the
  // band, which was then left out.
  virtual PictureRows beginRows(std::int32_t first, std::int32_t last) = 0;
  virtual void finishRows(std::int32_t first, std::int32_t last, bool written) = 0;
  // Sets the held keys from the keyboard; called only while the window is active.
  virtual void refreshKeyStates(std::array<std::uint8_t, 128>& keyStates) = 0;
  // The next pending window message, false when there is none. input is the state as the
  // messages before this one left it.
  virtual bool nextMessage(const InputState& input, WindowMessage& message) = 0;
};

// What a presenter keeps between passes: the palette as the window's colours.
struct PresenterPass {
  std::array<std::uint32_t, 256> colours{};  // 0xFFRRGGBB
  bool haveColours = false;
};

// The rows a pass showed; shown is false when no row was dirty.
struct PassResult {
  bool shown = false;
  std::int32_t first = 0;
  std::int32_t last = -1;
};

// Runs one pass holding the screen's lock (taken here; the caller may already hold it).
PassResult runPresenterPass(Screen& screen, PresenterPass& pass, PassBackend& backend);

// A palette entry (0x00BBGGRR) as the window's opaque 0xFFRRGGBB.
std::uint32_t windowColour(std::uint32_t paletteEntry);

}  // namespace squish::display

#pragma once
// A window stand-in for presenter pass tests: it keeps the picture it is given, scripted held
// keys and messages, and a record of what the pass asked of it.
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "display/presenter_pass.h"

namespace squish::display {

class FakePassBackend : public PassBackend {
 public:
  static constexpr std::int32_t width = 640;
  static constexpr std::int32_t height = 480;

  std::vector<std::uint32_t> picture = std::vector<std::uint32_t>(width * height, 0u);
  std::int32_t rowsShortBy = 0;  // hands out rows this many words too short
  std::array<std::uint8_t, 128> keyboard{};
  std::deque<WindowMessage> messages;

  std::int32_t bandsBegun = 0;
  std::int32_t lastFirst = -1;
  std::int32_t lastLast = -1;
  bool lastWritten = false;
  std::int32_t keyRefreshes = 0;
  std::vector<std::int32_t> modifiersSeen;  // heldModifiers at each delivered message

  PictureRows beginRows(std::int32_t first, std::int32_t last) override {
    ++bandsBegun;
    lastFirst = first;
    lastLast = last;
    const std::size_t words = static_cast<std::size_t>(last - first + 1) * width - rowsShortBy;
    return {
        std::span<std::uint32_t>(picture).subspan(static_cast<std::size_t>(first) * width, words),
        width};
  }
  void finishRows(std::int32_t, std::int32_t, bool written) override { lastWritten = written; }
  void refreshKeyStates(std::array<std::uint8_t, 128>& keyStates) override {
    ++keyRefreshes;
    keyStates = keyboard;
  }
  bool nextMessage(const InputState& input, WindowMessage& message) override {
    if (messages.empty()) return false;
    modifiersSeen.push_back(heldModifiers(input));
    message = messages.front();
    messages.pop_front();
    return true;
  }
};

}  // namespace squish::display

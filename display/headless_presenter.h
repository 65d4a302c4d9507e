#pragma once
// The presenter without a window: window messages come from a queue the caller fills, the
// pass runs synchronously before every frame, and the clock is virtual, so runs repeat exactly.
// There is no picture to show: the pass only clears the dirty rows, and whoever wants the
// picture reads the visible page.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/presenter.h"
#include "display/presenter_pass.h"
#include "display/window_messages.h"

namespace squish::display {

class HeadlessPresenter : public Presenter, private PassBackend {
 public:
  bool start(Screen& screen, std::string& whyNot) override;
  void stop(Screen& screen) override;
  // Advances the clock by 0.01 s and runs one pass, delivering the queued messages in order.
  void beforeFrame(Screen& screen) override;
  // 0 until the first frame, then 0.01 s per frame.
  double clockSeconds() override;

  // Queues a message for the next pass. A key-down's modifiers are taken from the keys held
  // when it is delivered (42 and 54 Shift, 29 Ctrl, 56 Alt), and it makes no character.
  void queueMessage(const WindowMessage& message);

 private:
  PictureRows beginRows(std::int32_t first, std::int32_t last) override;
  void finishRows(std::int32_t first, std::int32_t last, bool written) override;
  void refreshKeyStates(std::array<std::uint8_t, 128>& keyStates) override;
  bool nextMessage(const InputState& input, WindowMessage& message) override;

  std::int64_t frames_ = 0;
  std::vector<WindowMessage> queue_;
  std::size_t delivered_ = 0;
  PresenterPass pass_;
};

}  // namespace squish::display

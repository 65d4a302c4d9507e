// The headless presenter: the same pass as the window's, fed from a message queue and run on
// the program's own thread once per frame.
#include "display/headless_presenter.h"

#include "display/screen.h"

namespace squish::display {

bool HeadlessPresenter::start(Screen&, std::string&) {
  pass_ = PresenterPass{};
  return true;
}

void HeadlessPresenter::stop(Screen&) {}

void HeadlessPresenter::beforeFrame(Screen& screen) {
  ++frames_;
  runPresenterPass(screen, pass_, *this);
  queue_.clear();
  delivered_ = 0;
}

double HeadlessPresenter::clockSeconds() {
  return static_cast<double>(frames_) * 0.01;
}

void HeadlessPresenter::queueMessage(const WindowMessage& message) {
  queue_.push_back(message);
}

// No window: nothing to convert the changed rows into.
PictureRows HeadlessPresenter::beginRows(std::int32_t, std::int32_t) {
  return {};
}

void HeadlessPresenter::finishRows(std::int32_t, std::int32_t, bool) {}

// Held keys come from the key-down and key-up messages alone.
void HeadlessPresenter::refreshKeyStates(std::array<std::uint8_t, 128>&) {}

bool HeadlessPresenter::nextMessage(const InputState& input, WindowMessage& message) {
  if (delivered_ >= queue_.size()) return false;
  message = queue_[delivered_++];
  if (message.kind == MessageKind::keyDown) {
    message.modifiers = heldModifiers(input);
    message.producedCharacter = false;
  }
  return true;
}

}  // namespace squish::display

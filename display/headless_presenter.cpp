// The headless presenter: the same pass as the window's, fed from a message queue and run on
// the program's own thread once per frame.
#include "display/headless_presenter.h"

#include "display/screen.h"

namespace squish::display {
namespace {

// Larger pictures than this are refused rather than allocated.
constexpr std::int64_t largestPicturePixels = std::int64_t{1} << 26;

}  // namespace

bool HeadlessPresenter::start(Screen& screen, std::string& whyNot) {
  const std::int64_t pixels = static_cast<std::int64_t>(screen.width) * screen.height;
  if (screen.width <= 0 || screen.height <= 0 || pixels > largestPicturePixels) {
    whyNot = "the picture size is out of range";
    return false;
  }
  picture_.assign(static_cast<std::size_t>(pixels), 0u);
  pictureWidth_ = screen.width;
  pass_ = PresenterPass{};
  return true;
}

void HeadlessPresenter::stop(Screen&) {
  picture_.clear();
  pictureWidth_ = 0;
}

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

PictureRows HeadlessPresenter::beginRows(std::int32_t first, std::int32_t) {
  const std::size_t offset = static_cast<std::size_t>(first) * pictureWidth_;
  if (offset >= picture_.size()) return {};
  return {std::span<std::uint32_t>(picture_).subspan(offset), pictureWidth_};
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

// The whole frame loop of squish-headless on the default scene, driven by fuzzed window
// messages: pointer moves (also far outside the window), any button bits, wheel deltas, key
// codes and scan codes in and out of range, characters, focus changes, close and repaint; and,
// with the settings panel open, clicks on its widgets, typing, dragging the window and Apply
// with absurd texts in the fields. Every frame must end, and the world must stay sound.
#include <array>
#include <string>
#include <string_view>

#include "headless/headless_program.h"
#include "panel/settings_panel.h"
#include "tests/fuzz/byte_reader.h"
#include "tests/fuzz/fuzz_entries.h"
#include "tests/fuzz/invariants.h"
#include "widgets/widget_tree.h"

namespace squish::fuzz {
namespace {

using display::MessageKind;
using display::WindowMessage;

constexpr std::int64_t mostFrames = 48;

// Texts that make settings absurd: zero, negative, NaN, infinite, huge, tiny, and number forms
// the reader must survive.
constexpr std::array<std::string_view, 16> absurdTexts = {
    "0",   "-1",  "nan",   "inf", "-inf",   "1e30", "-1e30", "1e999", "1e-45", "&HFFFFFFFFFFFFFFFF",
    "&B2", "--1", "1.2.3", "-0",  "3.4e38", "",
};

class Driver {
 public:
  explicit Driver(ByteReader& in) : in_(in), program_({}, 1) {}

  void run() {
    if (!program_.started()) return;
    while (!in_.done() && program_.framesRun() < mostFrames && !program_.quit()) {
      act(in_.byte());
    }
  }

 private:
  void send(MessageKind kind, std::int32_t value = 0, std::int32_t y = 0, bool extended = false) {
    WindowMessage message;
    message.kind = kind;
    message.value = value;
    message.y = y;
    message.extended = extended;
    message.repeat = 1 + in_.byte() % 4;
    program_.queueMessage(message);
  }

  void frame() {
    program_.runFrame();
    requireSoundWorld(program_.world());
    const std::int32_t held = program_.frame().heldAtom;
    require(held >= 0 && held <= program_.world().atomCount(), "the held atom is a slot");
  }

  // A press and release of the left button at (x, y), a frame each.
  void clickAt(std::int32_t x, std::int32_t y) {
    send(MessageKind::pointerMove, x, y);
    frame();
    send(MessageKind::buttonDown, 1);
    frame();
    send(MessageKind::buttonUp, 1);
    frame();
  }

  // The middle of a panel widget, or nothing while the panel has not been built.
  bool widgetMiddle(std::int32_t id, std::int32_t& x, std::int32_t& y) {
    widgets::Widget* window = program_.panel().panelWindow;
    if (window == nullptr) return false;
    widgets::Widget* widget =
        id == panel::windowId ? window : widgets::findChild(window, id);
    if (widget == nullptr) return false;
    x = widget->rect.x + widget->rect.w / 2;
    y = widget->rect.y + (id == panel::windowId ? 2 : widget->rect.h / 2);
    return true;
  }

  void clickWidget(std::int32_t id) {
    std::int32_t x = 0, y = 0;
    if (widgetMiddle(id, x, y)) clickAt(x, y);
  }

  void openPanel() {
    send(MessageKind::keyDown, 1);
    frame();
    send(MessageKind::keyUp, 1);
    frame();
  }

  // Puts an absurd text (or the input's own bytes) into a field, then presses Apply.
  void applyAbsurdText() {
    if (program_.panel().panelWindow == nullptr) openPanel();
    const std::int32_t row = 1 + in_.byte() % panel::rowCount;
    std::string text;
    const std::uint8_t pick = in_.byte();
    if (pick < 200) {
      text = absurdTexts[pick % absurdTexts.size()];
    } else {
      for (std::uint8_t n = in_.byte() % 24; n > 0; --n)
        text.push_back(static_cast<char>(in_.byte()));
    }
    panel::setFieldText(program_.panel().panelWindow, panel::fieldIdBase + row,
                        text);
    clickWidget(panel::applyId);
  }

  // Grabs the panel by its face and moves it by a fuzzed amount, possibly off the screen.
  void dragWindow() {
    std::int32_t x = 0, y = 0;
    if (!widgetMiddle(panel::windowId, x, y)) return;
    send(MessageKind::pointerMove, x, y);
    frame();
    send(MessageKind::buttonDown, 1);
    frame();
    for (std::uint8_t moves = 1 + in_.byte() % 4; moves > 0; --moves) {
      x += static_cast<std::int8_t>(in_.byte()) * 8;
      y += static_cast<std::int8_t>(in_.byte()) * 8;
      send(MessageKind::pointerMove, x, y);
      frame();
    }
    if (in_.byte() < 64) send(MessageKind::focusOut);
    send(MessageKind::buttonUp, 1);
    frame();
  }

  std::int32_t scanCode() {
    const std::uint8_t kind = in_.byte();
    if (kind < 200) return kind % 128;
    return in_.signedWord();
  }

  void act(std::uint8_t op) {
    switch (op % 20) {
      case 0:
      case 1:
        send(MessageKind::pointerMove, in_.byte() * 3 - 64, in_.byte() * 2 - 16);
        break;
      case 2:
        send(MessageKind::pointerMove, in_.signedWord(), in_.signedWord());
        break;
      case 3:
        send(MessageKind::buttonDown, in_.byte() < 200 ? 1 << in_.byte() % 3 : in_.signedWord());
        break;
      case 4:
        send(MessageKind::buttonUp, in_.byte() < 200 ? 1 << in_.byte() % 3 : in_.signedWord());
        break;
      case 5:
        send(MessageKind::wheel, in_.signedWord());
        break;
      case 6:
        send(MessageKind::keyDown, scanCode(), 0, in_.byte() % 2 == 1);
        break;
      case 7:
        send(MessageKind::keyUp, scanCode(), 0, in_.byte() % 2 == 1);
        break;
      case 8:
        send(MessageKind::character, in_.byte() < 240 ? in_.byte() : in_.signedWord());
        break;
      case 9:
        send(in_.byte() % 2 == 0 ? MessageKind::focusIn : MessageKind::focusOut);
        break;
      case 10: {
        const std::uint8_t kind = in_.byte() % 3;
        send(kind == 0   ? MessageKind::close
             : kind == 1 ? MessageKind::repaint
                         : MessageKind::fullScreen,
             in_.byte() % 2);
        break;
      }
      case 11:
        // Many keys in one frame: more than the key buffer holds.
        for (std::int32_t n = 0; n < 40; ++n)
          send(MessageKind::character, in_.byte());
        break;
      case 12:
        openPanel();
        break;
      case 13:
      case 14:
        applyAbsurdText();
        break;
      case 15:
        dragWindow();
        break;
      case 16: {
        static constexpr std::array<std::int32_t, 6> buttons = {
            panel::applyId,     panel::closeId,     panel::restartId,
            panel::showAtomsId, panel::showBondsId, panel::fieldIdBase + 1};
        clickWidget(buttons[in_.byte() % buttons.size()]);
        break;
      }
      case 17:
        if (in_.byte() == 0xA5) clickWidget(panel::quitId);
        break;
      default:
        frame();
        break;
    }
  }

  ByteReader& in_;
  headless::HeadlessProgram program_;
};

}  // namespace

void feedFrameLoop(Bytes input) {
  ByteReader in(input);
  Driver(in).run();
}

}  // namespace squish::fuzz

#pragma once
// The toolkit's state and its one node type: the Widget record with its tree links, the shared
// event record, the event codes, flags and kinds, and the calls that tie the toolkit to a
// screen (start-up, key reading, palette saving).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "display/input.h"
#include "display/screen.h"
#include "widgets/colour_scheme.h"
#include "widgets/rect.h"

namespace squish::widgets {

struct Toolkit;
struct Widget;
struct BitmapFont;

// The pending key: the character code for an ordinary key, scan code * 256 + 255 for an
// extended one, 0 for none.
using KeyCode = std::int32_t;
inline constexpr KeyCode keyBackspace = 8;
inline constexpr KeyCode keyHome = 0x47FF;
inline constexpr KeyCode keyLeft = 0x4BFF;
inline constexpr KeyCode keyRight = 0x4DFF;
inline constexpr KeyCode keyEnd = 0x4FFF;
inline constexpr KeyCode keyDelete = 0x53FF;

// The one event record every mouse and key event carries; rewritten for each event, so a
// handler must not keep a reference to it.
struct WidgetEvent {
  std::int32_t x = 0;  // pointer x minus the receiver's rect.x
  std::int32_t y = 0;  // pointer y minus the receiver's rect.y
  std::int32_t wheel = 0;
  std::int32_t buttons = 0;  // bit 0 left; 1 for press and release and what follows them
  KeyCode key = 0;           // the last key given to dispatchKey
};

enum WidgetEventCode : std::int32_t {
  create = 1,
  destroy = 2,
  moved = 3,
  resized = 4,
  draw = 5,
  keyTyped = 6,
  press = 7,
  release = 8,
  mouseMove = 9,
  click = 10,
};

enum WidgetFlag : std::uint32_t {
  visible = 1,
  keepRaised = 2,
  pressed = 4,
  draggable = 8,
  catchAll = 0x8000000,
};

enum class WidgetKind : std::int32_t {
  root = 0,
  desktop = 1,
  window = 2,
  label = 3,
  button = 4,
  checkBox = 5,
  textField = 7,
};

// What a callback or kind handler did with an event: consumed it, so nothing after it acts on
// the event, or let it pass on.
enum class EventResult : std::uint8_t { consumed, passOn };

// An application callback or a kind handler; `event` is the shared WidgetEvent for codes 6 to
// 10 and null for the others.
//
// An application callback is called a second time for an event it lets pass: sendEvent calls
// it first and, when it passes the event on, calls the kind handler, which begins by calling
// the same callback again and does its kind's work only if that passes the event on too. For
// create the kind handler's call comes first; for create and destroy the callback is called
// twice even when it consumes the event. So whatever a callback does for an event other than
// the one it consumes must be harmless to repeat.
using WidgetCallback =
    std::function<EventResult(Toolkit&, Widget*, std::int32_t code, WidgetEvent* event)>;

// What a widget of one kind keeps beside the common fields (a check box's state, a text
// field's buffer); each kind derives its own record. Released with the widget.
struct KindData {
  virtual ~KindData() = default;
};

// One node of the tree. Siblings are linked front (firstChild) to back; rect is in absolute
// screen pixels.
struct Widget {
  Widget* parent = nullptr;
  Widget* prevSibling = nullptr;
  Widget* nextSibling = nullptr;
  Widget* firstChild = nullptr;
  WidgetCallback callback;
  WidgetCallback kindHandler;
  std::int32_t id = 0;
  Rect rect;
  WidgetKind kind = WidgetKind::root;
  std::uint32_t flags = 0;
  std::optional<std::string> text;
  std::int32_t userData = 0;
  std::unique_ptr<KindData> extra;  // the kind's data; null for kinds without any
  bool destroyed = false;  // set when destroyWidget starts on it; the record is freed later

  Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;
};

// Everything the toolkit remembers between calls. One per program, owned by its entry point;
// every operation that reads or changes it takes it first (those that only follow a widget's
// own links do not). Its destructor releases every widget still alive without sending events.
struct Toolkit {
  display::Screen* screen = nullptr;  // drawn on and read from; not owned
  Widget* root = nullptr;             // owned; made on first need
  Widget* captureWidget = nullptr;
  Widget* focusWidget = nullptr;
  display::MouseState mouse;  // as given to the last two dispatchMouse calls
  display::MouseState previousMouse;
  std::int32_t dragX = 0;
  std::int32_t dragY = 0;
  WidgetEvent event;
  std::array<ColourScheme, 2> schemes{trueColourScheme, paletteScheme};
  SchemeChoice currentScheme = SchemeChoice::trueColour;
  BitmapFont* font = nullptr;  // borrowed: the owner keeps it alive while it is current
  std::array<display::PaletteWord, 256> savedPalette{};

  // Destroyed widgets wait here (linked through nextSibling) until no event is being handled,
  // so a callback may destroy the widget it was called for.
  Widget* releaseList = nullptr;
  std::int32_t eventDepth = 0;
  bool destroyingTree = false;  // a destroyWidget walk is under way; nested ones are refused

  Toolkit() = default;
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;
  ~Toolkit();
};

// Attaches the toolkit to the screen and selects the colour scheme for the depth; width and
// height are not used.
void initToolkit(Toolkit& toolkit, display::Screen& screen, std::int32_t width, std::int32_t height,
                 std::int32_t depth);
// Detaches the toolkit from its screen before the screen closes; drawing and key reading then
// do nothing.
void shutdownToolkit(Toolkit& toolkit);
// The next pending key as a KeyCode, without waiting; 0 when none (or no screen).
KeyCode readKeyCode(Toolkit& toolkit);
// Copy the whole screen palette into the toolkit and back.
void savePalette(Toolkit& toolkit);
void restorePalette(Toolkit& toolkit);

}  // namespace squish::widgets

#pragma once
// The window behind a Screen, or its headless stand-in. A presenter makes the window when the
// screen opens, shows the visible page through the palette, and turns the window's messages
// into the input state. The SDL presenter does this on a thread of its own about every 10 ms;
// the headless one does it synchronously once before every frame, with a virtual clock.
#include <string>

namespace squish::display {

struct Screen;

class Presenter {
 public:
  virtual ~Presenter() = default;

  // Makes the window for a screen being opened and starts presenting. Returns false, with the
  // reason in whyNot, when no window can be made.
  virtual bool start(Screen& screen, std::string& whyNot) = 0;
  // Stops presenting and closes the window.
  virtual void stop(Screen& screen) = 0;
  // Called by the frame loop before every frame: nothing for a threaded presenter; the headless
  // one advances its clock by 0.01 s and runs one presenter pass.
  virtual void beforeFrame(Screen& screen) = 0;
  // Seconds from this presenter's monotonic clock.
  virtual double clockSeconds() = 0;
};

}  // namespace squish::display

#pragma once
// The presenter behind a real window: an SDL window, renderer and streaming texture, all made,
// used and destroyed on a thread of its own, which runs the presenter pass about every 10 ms.
// The program's thread never calls SDL.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "display/presenter.h"

namespace squish::display {

class SdlPresenter : public Presenter {
 public:
  // initialScale: the window's first size in whole multiples of the picture; 0 takes the
  // largest that fits in about 90 % of the display's usable area.
  explicit SdlPresenter(int initialScale = 0) : initialScale_(initialScale) {}
  SdlPresenter(const SdlPresenter&) = delete;
  SdlPresenter& operator=(const SdlPresenter&) = delete;
  ~SdlPresenter() override;

  // Starts the thread and waits until it reports the window made, or why it could not be.
  bool start(Screen& screen, std::string& whyNot) override;
  // Ends the thread, which closes the window. Called without the screen's lock held, since
  // the thread takes it for every pass.
  void stop(Screen& screen) override;
  void beforeFrame(Screen&) override {}
  double clockSeconds() override;

 private:
  enum class Opening { waiting, opened, failed };

  void present(Screen& screen, std::string title, int width, int height);
  void reportOpening(Opening result, std::string whyNot);

  int initialScale_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex openingMutex_;
  std::condition_variable openingChanged_;
  Opening opening_ = Opening::waiting;
  std::string openingError_;
};

}  // namespace squish::display

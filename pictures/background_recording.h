#pragma once
// A GIF recording fed by the frame loop and encoded on a thread of its own behind a bounded
// queue, so recording never slows the toy nor grows memory without bound: a picture offered
// while the queue is full is dropped and counted. It stops by itself at a length or size limit.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "pictures/gif_recording.h"

namespace squish::pictures {

struct RecordingLimits {
  double seconds = 60.0;
  std::int64_t bytes = std::int64_t{200} << 20;
  std::size_t queued = 16;  // pictures waiting to be encoded, about 5 MB at 640 × 480
};

// Why a recording is no longer taking pictures.
enum class RecordingEnd { running, stopped, timeLimit, sizeLimit, failed };

struct RecordingSummary {
  RecordingEnd end = RecordingEnd::stopped;
  std::int32_t frames = 0;   // GIF frames written
  std::int64_t dropped = 0;  // pictures dropped because the queue was full
  std::int64_t bytes = 0;
  std::string error;  // why writing failed, for RecordingEnd::failed
};

class BackgroundRecording {
 public:
  // Starts recording into `path` (see GifRecording). beforeEachPicture, when given, runs on the
  // encoding thread before each picture is encoded: a test hook to make the encoder slow.
  BackgroundRecording(const std::string& path, RecordingLimits limits = {},
                      std::function<void()> beforeEachPicture = {});
  // Finishes the recording if finish() was not called.
  ~BackgroundRecording();
  BackgroundRecording(const BackgroundRecording&) = delete;
  BackgroundRecording& operator=(const BackgroundRecording&) = delete;

  // Offers the picture shown from `seconds` on (counted from the first picture). Never waits:
  // false when the picture was dropped or the recording has ended.
  bool offer(Picture picture, double seconds);
  // running while pictures are taken; otherwise why not.
  RecordingEnd end() const;
  // Encodes what is queued, shows the last picture until `seconds`, puts the file in place and
  // says how it went.
  RecordingSummary finish(double seconds);

 private:
  struct Queued {
    Picture picture;
    double seconds = 0.0;
  };
  void encode();
  void endWith(RecordingEnd why);

  GifRecording recording_;
  RecordingLimits limits_;
  std::function<void()> beforeEachPicture_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Queued> queue_;                  // guarded by lock_
  RecordingEnd end_ = RecordingEnd::running;  // guarded by lock_
  bool finishing_ = false;                    // guarded by lock_
  double firstSeconds_ = -1.0;                // frame loop only
  std::int64_t dropped_ = 0;                  // frame loop only
  bool finished_ = false;                     // frame loop only
  RecordingSummary summary_;                  // frame loop only, once finished
  std::string threadError_;                   // why the encoding thread could not start
  std::thread encoder_;
};

}  // namespace squish::pictures

// The encoding thread takes pictures off the queue one at a time and hands them to the GIF
// recording, which only this thread touches until finish() has joined it. The frame loop only
// ever appends to the queue or drops.
#include "pictures/background_recording.h"

#include <algorithm>
#include <utility>

namespace squish::pictures {

BackgroundRecording::BackgroundRecording(const std::string& path, RecordingLimits limits,
                                         std::function<void()> beforeEachPicture)
    : recording_(path), limits_(limits), beforeEachPicture_(std::move(beforeEachPicture)) {
  if (!recording_.ok()) {
    end_ = RecordingEnd::failed;
    return;
  }
  try {
    encoder_ = std::thread([this] { encode(); });
  } catch (const std::system_error&) {
    end_ = RecordingEnd::failed;
    threadError_ = "no thread to encode on";
  }
}

BackgroundRecording::~BackgroundRecording() {
  if (!finished_) finish(firstSeconds_ < 0.0 ? 0.0 : firstSeconds_);
}

void BackgroundRecording::endWith(RecordingEnd why) {
  if (end_ == RecordingEnd::running) end_ = why;
}

bool BackgroundRecording::offer(Picture picture, double seconds) {
  if (firstSeconds_ < 0.0) firstSeconds_ = seconds;
  const double at = seconds - firstSeconds_;
  const std::lock_guard<std::mutex> guard(lock_);
  if (end_ == RecordingEnd::running && at >= limits_.seconds) endWith(RecordingEnd::timeLimit);
  if (end_ != RecordingEnd::running) return false;
  if (queue_.size() >= limits_.queued) {
    ++dropped_;
    return false;
  }
  queue_.push_back({std::move(picture), at});
  changed_.notify_one();
  return true;
}

RecordingEnd BackgroundRecording::end() const {
  const std::lock_guard<std::mutex> guard(lock_);
  return end_;
}

void BackgroundRecording::encode() {
  for (;;) {
    Queued next;
    {
      std::unique_lock<std::mutex> guard(lock_);
      changed_.wait(guard, [this] { return !queue_.empty() || finishing_; });
      if (queue_.empty()) return;
      next = std::move(queue_.front());
      queue_.pop_front();
    }
    if (beforeEachPicture_) beforeEachPicture_();
    const bool added = recording_.add(next.picture, next.seconds);
    const std::lock_guard<std::mutex> guard(lock_);
    if (!added) {
      endWith(RecordingEnd::failed);
      queue_.clear();
    } else if (recording_.bytesWritten() >= limits_.bytes) {
      endWith(RecordingEnd::sizeLimit);
      queue_.clear();
    }
  }
}

RecordingSummary BackgroundRecording::finish(double seconds) {
  if (finished_) return summary_;
  finished_ = true;
  {
    const std::lock_guard<std::mutex> guard(lock_);
    finishing_ = true;
    endWith(RecordingEnd::stopped);
  }
  changed_.notify_one();
  if (encoder_.joinable()) encoder_.join();
  const double at = firstSeconds_ < 0.0 ? 0.0 : std::min(seconds - firstSeconds_, limits_.seconds);
  const bool whole = recording_.finish(at);
  summary_.end = end_ == RecordingEnd::stopped && !whole ? RecordingEnd::failed : end_;
  summary_.frames = recording_.framesWritten();
  summary_.dropped = dropped_;
  summary_.bytes = recording_.bytesWritten();
  summary_.error = recording_.ok() ? threadError_ : recording_.error();
  return summary_;
}

}  // namespace squish::pictures

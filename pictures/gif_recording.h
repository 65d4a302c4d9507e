#pragma once
// Animated GIF recordings of pictures, encoded by giflib as they come. The first picture's
// palette is the file's global colour table; a frame whose palette differs carries its own.
// Each frame holds only the rectangle that changed since the one before (the rest stays shown).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "files/whole_file.h"
#include "pictures/picture.h"

namespace squish::pictures {

class GifRecording {
 public:
  // Starts a recording into a temporary beside `path`, which becomes the file when the recording
  // finishes. error() says why when it could not start.
  explicit GifRecording(const std::string& path);
  ~GifRecording();
  GifRecording(const GifRecording&) = delete;
  GifRecording& operator=(const GifRecording&) = delete;

  // A picture shown from `seconds` on; times must not decrease. A picture arriving in the same
  // hundredth of a second as the last one replaces it (GIF delays count hundredths). Every
  // picture must have the first one's size. False once the recording has failed.
  bool add(const Picture& picture, double seconds);
  // Shows the last picture until `seconds` and puts the file in place. When the recording failed
  // part way, the frames written before still make a valid file, which is put in place too; the
  // result then is false. A recording with no frame leaves no file.
  bool finish(double seconds);

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  std::int32_t framesWritten() const { return framesWritten_; }
  // Bytes handed to the file so far.
  std::int64_t bytesWritten() const { return bytesWritten_; }

 private:
  struct Encoder;
  bool writeHeld(std::int64_t untilHundredths);
  void fail(std::string why);

  std::unique_ptr<files::FileWriter> file_;
  std::unique_ptr<Encoder> encoder_;
  Picture held_;               // the last picture added, written once its end is known
  std::int64_t heldFrom_ = 0;  // in hundredths of a second
  bool holding_ = false;
  Picture shown_;  // what the frames written so far leave on show
  std::array<std::uint32_t, 256> globalPalette_{};
  std::int32_t framesWritten_ = 0;
  std::int64_t bytesWritten_ = 0;
  std::string error_;
};

}  // namespace squish::pictures

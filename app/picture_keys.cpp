// Screenshots are encoded and written by std::async, so a slow disk never makes a pass late; a
// recording's pictures go to its own encoding thread. Both only ever take copies of the page.
#include "app/picture_keys.h"

#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <system_error>

#include "app/screen_picture.h"
#include "files/whole_file.h"
#include "pictures/png_file.h"

namespace squish::app {
namespace {

bool exists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

std::string writeShot(pictures::Picture picture, std::string name) {
  const pictures::Encoded png = pictures::encodePng(picture);
  if (!png.ok()) return "screenshot not written: " + png.error;
  const std::string_view bytes(reinterpret_cast<const char*>(png.bytes.data()), png.bytes.size());
  const files::WriteResult written = files::writeWholeFile(name, bytes);
  if (!written.ok()) return "screenshot not written: " + written.error;
  return "saved " + shownName(name);
}

std::string endingNote(const PictureKeys& keys, const pictures::RecordingSummary& summary) {
  const std::string name = shownName(keys.recordingName);
  std::string note;
  switch (summary.end) {
    case pictures::RecordingEnd::failed:
      note = "recording failed: " + summary.error;
      if (summary.frames > 0) note += "; " + name + " holds what came before";
      break;
    case pictures::RecordingEnd::timeLimit:
      note = "recording stopped at 60 s: saved " + name;
      break;
    case pictures::RecordingEnd::sizeLimit:
      note = "recording stopped at 200 MB: saved " + name;
      break;
    default:
      note = summary.frames > 0 ? "saved " + name : "recording empty: no file";
      break;
  }
  if (summary.dropped > 0) note += " (" + std::to_string(summary.dropped) + " pictures dropped)";
  return note;
}

void stopRecording(PictureKeys& keys, double now) {
  const pictures::RecordingSummary summary = keys.recording->finish(now);
  showNote(keys, endingNote(keys, summary), now);
  keys.recording.reset();
}

// A millisecond of slack, so that clock readings a frame apart in binary fractions are not
// taken as too close.
bool recordsNow(const PictureKeys& keys, double now) {
  return keys.recording &&
         (keys.lastRecorded < 0.0 || now - keys.lastRecorded >= shortestRecordedFrame - 0.001);
}

}  // namespace

std::string freshName(const std::string& folder, const char* extension) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "squish-%Y%m%d-%H%M%S", &local);
  const std::string base = folder + "/" + stamp;
  std::string name = base + extension;
  for (int n = 2; exists(name); ++n)
    name = base + "-" + std::to_string(n) + extension;
  return name;
}

std::string shownName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void showNote(PictureKeys& keys, std::string note, double now) {
  keys.note = std::move(note);
  keys.noteUntil = now + pictureNoteSeconds;
}

void requestShot(PictureKeys& keys) {
  if (!keys.folder.empty()) keys.shotWanted = true;
}

void toggleRecording(PictureKeys& keys, double now) {
  if (keys.folder.empty()) return;
  if (keys.recording) {
    stopRecording(keys, now);
    return;
  }
  keys.recordingName = freshName(keys.folder, ".gif");
  keys.recording = std::make_unique<pictures::BackgroundRecording>(keys.recordingName);
  keys.lastRecorded = -1.0;
  if (keys.recording->end() == pictures::RecordingEnd::running) {
    showNote(keys, "recording " + shownName(keys.recordingName) + " (F9 stops)", now);
  } else {
    stopRecording(keys, now);
  }
}

bool wantsPicture(const PictureKeys& keys, double now) {
  return keys.shotWanted || recordsNow(keys, now);
}

void takePicture(PictureKeys& keys, const display::Screen& screen, std::int32_t page, double now) {
  const bool recordNow = recordsNow(keys, now);
  // A screenshot still being written holds the next one back until it is done.
  const bool shootNow = keys.shotWanted && !keys.shotNote.valid();
  if (!recordNow && !shootNow) return;
  pictures::Picture picture = pictureOfPage(screen, page);
  if (shootNow) {
    keys.shotWanted = false;
    std::string name = freshName(keys.folder, ".png");
    try {
      keys.shotNote = std::async(std::launch::async, writeShot, picture, name);
    } catch (const std::system_error&) {
      // No thread to be had: the shot is written here, late as that makes this pass.
      std::promise<std::string> written;
      written.set_value(writeShot(picture, std::move(name)));
      keys.shotNote = written.get_future();
    }
  }
  if (recordNow) {
    keys.lastRecorded = now;
    keys.recording->offer(std::move(picture), now);
  }
}

void checkPictures(PictureKeys& keys, double now) {
  if (keys.shotNote.valid() &&
      keys.shotNote.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    showNote(keys, keys.shotNote.get(), now);
  }
  if (keys.recording && keys.recording->end() != pictures::RecordingEnd::running)
    stopRecording(keys, now);
}

void finishPictures(PictureKeys& keys, double now) {
  if (keys.recording) stopRecording(keys, now);
  if (keys.shotNote.valid()) keys.shotNote.get();
}

}  // namespace squish::app

#pragma once
// Pictures taken from the window: F12 writes the picture shown as an indexed PNG, F9 starts and
// stops an animated GIF of what the window shows. Files are named by the local date and time
// (squish-YYYYMMDD-HHMMSS.png, with -2, -3, ... rather than overwriting anything) in one folder.
// Encoding and writing run off the frame loop's thread; a short note says how it went.
#include <cstdint>
#include <future>
#include <memory>
#include <string>

#include "display/screen.h"
#include "pictures/background_recording.h"

namespace squish::app {

// How long a note about a picture stays, in seconds of the screen's clock.
inline constexpr double pictureNoteSeconds = 2.0;
// Pictures of a recording come at least this far apart: GIF delays count hundredths.
inline constexpr double shortestRecordedFrame = 0.02;

struct PictureKeys {
  // Where the files go; empty leaves the keys doing nothing (squish-headless).
  std::string folder;
  bool shotWanted = false;            // F12 was pressed: the next picture drawn is taken
  std::future<std::string> shotNote;  // the screenshot being written; its note when done
  std::unique_ptr<pictures::BackgroundRecording> recording;
  std::string recordingName;
  double lastRecorded = -1.0;
  // The latest note and until when it shows.
  std::string note;
  double noteUntil = 0.0;
};

// squish-YYYYMMDD-HHMMSS followed by extension in the folder, or with -2, -3, ... before the
// extension when that name is taken.
std::string freshName(const std::string& folder, const char* extension);
// A path without its folders, as notes show it.
std::string shownName(const std::string& path);
// Shows a note for pictureNoteSeconds from now.
void showNote(PictureKeys& keys, std::string note, double now);

void requestShot(PictureKeys& keys);
// Starts a recording, or stops the one running.
void toggleRecording(PictureKeys& keys, double now);
// Whether the picture drawn now is to be taken: for a screenshot asked for, or for the recording.
bool wantsPicture(const PictureKeys& keys, double now);
// Takes the page (drawn without the notes and help) and the palette for what wants it.
void takePicture(PictureKeys& keys, const display::Screen& screen, std::int32_t page, double now);
// Once a pass: the note of a finished screenshot, and a recording that has stopped by itself.
void checkPictures(PictureKeys& keys, double now);
// Ends a recording still running and waits for a screenshot being written.
void finishPictures(PictureKeys& keys, double now);

}  // namespace squish::app

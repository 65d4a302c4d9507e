// squish-headless's pictures: PNG shots and GIF recordings, read back with the libraries that
// wrote them, reproducible byte for byte, and one line with status 1 when they cannot be written.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <spng.h>

#include <sstream>

#include "tests/headless/headless_fixture.h"

namespace squish::headless {
namespace {

using testing::atFrame;
using testing::fileBytes;
using testing::runFrameWith;
using testing::ScratchDir;

int runQuietly(const std::vector<std::string>& arguments, std::string* errors = nullptr) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runHeadless(arguments, out, err);
  if (errors != nullptr) *errors = err.str();
  return status;
}

// The pixels of an 8-bit PNG, top row first.
std::vector<std::uint8_t> pngPixels(const std::string& png) {
  spng_ctx* decoder = spng_ctx_new(0);
  spng_set_png_buffer(decoder, png.data(), png.size());
  std::vector<std::uint8_t> pixels(640 * 480);
  const int error = spng_decode_image(decoder, pixels.data(), pixels.size(), SPNG_FMT_PNG, 0);
  spng_ctx_free(decoder);
  return error == 0 ? pixels : std::vector<std::uint8_t>{};
}

// The pixels of an 8-bit BMP of 640 × 480 with a 256-entry table, top row first.
std::vector<std::uint8_t> bmpPixels(const std::string& bmp) {
  std::vector<std::uint8_t> pixels(640 * 480);
  constexpr std::size_t start = 14 + 40 + 1024;
  for (std::size_t y = 0; y < 480 && bmp.size() >= start + 640 * 480; ++y)
    std::copy_n(bmp.begin() + static_cast<std::ptrdiff_t>(start + (479 - y) * 640), 640,
                pixels.begin() + static_cast<std::ptrdiff_t>(y * 640));
  return pixels;
}

TEST(HeadlessPictures, ShotsAndRecordingsReadBackAndRepeat) {
  ScratchDir dir;
  std::vector<std::string> arguments = {
      "--frames",        "9",      "--record-every", "3", "--record",
      dir.path("a.gif"), "--shot", dir.path("a.PNG")};
  ASSERT_EQ(runQuietly(arguments), 0);
  arguments[5] = dir.path("b.gif");
  arguments[7] = dir.path("b.png");
  ASSERT_EQ(runQuietly(arguments), 0);
  EXPECT_TRUE(fileBytes(dir.path("a.gif")) == fileBytes(dir.path("b.gif")));
  EXPECT_TRUE(fileBytes(dir.path("a.PNG")) == fileBytes(dir.path("b.png")));
  ASSERT_EQ(runQuietly({"--frames", "9", "--shot", dir.path("c.bmp")}), 0);
  const std::vector<std::uint8_t> shot = bmpPixels(fileBytes(dir.path("c.bmp")));
  EXPECT_TRUE(pngPixels(fileBytes(dir.path("a.PNG"))) == shot);

  int error = 0;
  GifFileType* gif = DGifOpenFileName(dir.path("a.gif").c_str(), &error);
  ASSERT_NE(gif, nullptr);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  ASSERT_EQ(gif->ImageCount, 3);  // after frames 3, 6 and 9
  for (int k = 0; k < 3; ++k) {
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(gif, k, &control);
    EXPECT_EQ(control.DelayTime, 3);
  }
  // Every frame covers what changed since the one before; the last one leaves the shot shown.
  std::vector<std::uint8_t> shown(640 * 480);
  for (int k = 0; k < 3; ++k) {
    const SavedImage& image = gif->SavedImages[k];
    for (int y = 0; y < image.ImageDesc.Height; ++y)
      std::copy_n(image.RasterBits + y * image.ImageDesc.Width, image.ImageDesc.Width,
                  shown.begin() + (image.ImageDesc.Top + y) * 640 + image.ImageDesc.Left);
  }
  EXPECT_TRUE(shown == shot);
  DGifCloseFile(gif, &error);
}

TEST(HeadlessPictures, UnwritablePicturesAreOneLineAndStatusOne) {
  ScratchDir dir;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--frames", "4", "--record", "/dev/full"},
                                             {"--frames", "4", "--record", dir.path("no/such.gif")},
                                             {"--frames", "4", "--record", dir.path("")},
                                             {"--shot", "/dev/full"},
                                             {"--shot", dir.path("")},
                                             {"--shot", dir.path("no/such.png")}}) {
    std::string errors;
    EXPECT_EQ(runQuietly(arguments, &errors), 1) << arguments.back();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  }
  std::string errors;
  EXPECT_EQ(runQuietly({"--record", dir.path("r.gif"), "--record-every", "0"}, &errors), 2);
  EXPECT_FALSE(std::filesystem::exists(dir.path("r.gif")));
}

// F12 takes the picture shown as a PNG, F9 records a GIF of the pictures between two presses,
// one at most every two hundredths of a second; notes say what was saved.
TEST(HeadlessPictures, PictureKeysWriteWhatWasShown) {
  ScratchDir dir;
  std::vector<std::uint8_t> shown;
  {
    HeadlessProgram program({}, 1);
    program.pictureKeys().folder = dir.path("");
    ASSERT_TRUE(runFrameWith(program, atFrame(program, "keydown 88")));
    const display::Screen& screen = program.screen();
    shown = screen.pages[static_cast<std::size_t>(screen.visiblePage)];
    ASSERT_TRUE(
        runFrameWith(program, atFrame(program, "keyup 88") + atFrame(program, "keydown 67")));
    for (int frame = 0; frame < 9; ++frame)
      ASSERT_TRUE(runFrameWith(program, atFrame(program, "keyup 67")));
    ASSERT_TRUE(runFrameWith(program, atFrame(program, "keydown 67")));
    EXPECT_EQ(program.pictureKeys().note.rfind("saved squish-", 0), 0u)
        << program.pictureKeys().note;
  }
  std::string png;
  std::string gif;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path(""))) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.rfind("squish-", 0), 0u) << name;
    if (entry.path().extension() == ".png") png = entry.path().string();
    if (entry.path().extension() == ".gif") gif = entry.path().string();
  }
  ASSERT_FALSE(png.empty());
  EXPECT_TRUE(pngPixels(fileBytes(png)) == shown);
  int error = 0;
  GifFileType* recording = DGifOpenFileName(gif.c_str(), &error);
  ASSERT_NE(recording, nullptr);
  ASSERT_EQ(DGifSlurp(recording), GIF_OK);
  EXPECT_EQ(recording->ImageCount, 5);  // ten frames of 0.01 s, a picture every 0.02 s
  DGifCloseFile(recording, &error);
}

}  // namespace
}  // namespace squish::headless

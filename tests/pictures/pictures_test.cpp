// Pictures written as PNG and GIF read back with the same libraries: every pixel's colour, the
// palette, the frames and their delays, and what a failing file leaves.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <spng.h>

#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <random>

#include "pictures/background_recording.h"
#include "pictures/gif_recording.h"
#include "pictures/png_file.h"

namespace squish::pictures {
namespace {

namespace fs = std::filesystem;

Picture testPicture(std::uint32_t seed) {
  Picture picture;
  picture.width = 64;
  picture.height = 48;
  picture.pixels.resize(64 * 48);
  std::mt19937 random(seed);
  for (std::uint8_t& pixel : picture.pixels)
    pixel = random() % 5 == 0 ? static_cast<std::uint8_t>(random()) : 0;
  for (std::size_t i = 0; i < 256; ++i)
    picture.palette[i] = static_cast<std::uint32_t>(i * 0x010203u + seed) & 0xFFFFFFu;
  return picture;
}

// Each pixel's colour as 0x00BBGGRR.
std::vector<std::uint32_t> coloursOf(const Picture& picture) {
  std::vector<std::uint32_t> colours;
  for (const std::uint8_t pixel : picture.pixels)
    colours.push_back(picture.palette[pixel]);
  return colours;
}

TEST(Pictures, PngKeepsEveryIndexAndThePalette) {
  const Picture picture = testPicture(1);
  const Encoded png = encodePng(picture);
  ASSERT_TRUE(png.ok()) << png.error;
  spng_ctx* decoder = spng_ctx_new(0);
  ASSERT_EQ(spng_set_png_buffer(decoder, png.bytes.data(), png.bytes.size()), 0);
  spng_ihdr header{};
  ASSERT_EQ(spng_get_ihdr(decoder, &header), 0);
  EXPECT_EQ(header.color_type, SPNG_COLOR_TYPE_INDEXED);
  EXPECT_EQ(header.bit_depth, 8);
  spng_plte palette{};
  ASSERT_EQ(spng_get_plte(decoder, &palette), 0);
  ASSERT_EQ(palette.n_entries, 256u);
  for (std::size_t i = 0; i < 256; ++i) {
    const spng_plte_entry e = palette.entries[i];
    EXPECT_EQ(e.red | e.green << 8 | e.blue << 16, static_cast<int>(picture.palette[i]));
  }
  std::vector<std::uint8_t> pixels(picture.pixels.size());
  ASSERT_EQ(spng_decode_image(decoder, pixels.data(), pixels.size(), SPNG_FMT_PNG, 0), 0);
  EXPECT_EQ(pixels, picture.pixels);
  spng_ctx_free(decoder);
  EXPECT_FALSE(encodePng(Picture{}).ok());
}

// Plays a GIF: each frame's colours over the one before, with its delay.
struct Played {
  std::vector<std::vector<std::uint32_t>> frames;
  std::vector<int> delays;
  std::vector<bool> ownColours;
};

Played play(const std::string& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  Played played;
  if (gif == nullptr || DGifSlurp(gif) != GIF_OK) return played;
  std::vector<std::uint32_t> canvas(static_cast<std::size_t>(gif->SWidth * gif->SHeight));
  for (int k = 0; k < gif->ImageCount; ++k) {
    const SavedImage& image = gif->SavedImages[k];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    for (int y = 0; y < image.ImageDesc.Height; ++y) {
      for (int x = 0; x < image.ImageDesc.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * image.ImageDesc.Width + x]];
        canvas[(image.ImageDesc.Top + y) * gif->SWidth + image.ImageDesc.Left + x] =
            static_cast<std::uint32_t>(c.Red | c.Green << 8 | c.Blue << 16);
      }
    }
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(gif, k, &control);
    played.frames.push_back(canvas);
    played.delays.push_back(control.DelayTime);
    played.ownColours.push_back(image.ImageDesc.ColorMap != nullptr);
  }
  DGifCloseFile(gif, &error);
  return played;
}

class GifTest : public ::testing::Test {
 protected:
  // A folder of the test's own: the threaded test also runs as a CTest entry of its own, and
  // ctest -j runs them side by side.
  GifTest()
      : dir_(fs::temp_directory_path() /
             (std::string("squish_pictures_") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
              std::to_string(::getpid()))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~GifTest() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

// Frames hold what changed (a repeated picture only its delay), a picture in the same hundredth
// of a second replaces the one before, and a new palette travels as the frame's own table.
TEST_F(GifTest, FramesReplayWhatWasRecordedWithTheirDelays) {
  Picture a = testPicture(2);
  Picture b = a;
  b.pixels[100] = 7;
  b.pixels[2000] = 9;
  Picture c = testPicture(3);  // another palette
  GifRecording recording(path("r.gif"));
  ASSERT_TRUE(recording.ok()) << recording.error();
  EXPECT_TRUE(recording.add(a, 0.0));
  EXPECT_TRUE(recording.add(a, 0.02));
  EXPECT_TRUE(recording.add(testPicture(9), 0.05));
  EXPECT_TRUE(recording.add(b, 0.051));  // the same hundredth: replaces the one before
  EXPECT_TRUE(recording.add(c, 0.10));
  EXPECT_TRUE(recording.add(b, 0.13));
  ASSERT_TRUE(recording.finish(0.20));
  EXPECT_EQ(recording.framesWritten(), 5);
  EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(path("r.gif"))), recording.bytesWritten() + 1);

  const Played played = play(path("r.gif"));
  ASSERT_EQ(played.frames.size(), 5u);
  EXPECT_EQ(played.frames[0], coloursOf(a));
  EXPECT_EQ(played.frames[1], coloursOf(a));
  EXPECT_EQ(played.frames[2], coloursOf(b));
  EXPECT_EQ(played.frames[3], coloursOf(c));
  EXPECT_EQ(played.frames[4], coloursOf(b));
  EXPECT_EQ(played.delays, (std::vector<int>{2, 3, 5, 3, 7}));
  EXPECT_EQ(played.ownColours, (std::vector<bool>{false, false, false, true, false}));
}

TEST_F(GifTest, FailuresLeaveNothingOrAValidFileOfTheFramesSoFar) {
  GifRecording nowhere(path("missing/r.gif"));
  EXPECT_FALSE(nowhere.ok());
  EXPECT_FALSE(nowhere.add(testPicture(1), 0.0));

  GifRecording full("/dev/full");
  EXPECT_TRUE(full.add(testPicture(1), 0.0));
  EXPECT_FALSE(full.add(testPicture(2), 0.1));
  EXPECT_EQ(full.error(), "No space left on device");
  EXPECT_FALSE(full.finish(0.2));

  // A picture of another size ends the recording; the frames before it stay playable.
  GifRecording cut(path("cut.gif"));
  EXPECT_TRUE(cut.add(testPicture(1), 0.0));
  EXPECT_TRUE(cut.add(testPicture(2), 0.1));
  Picture small = testPicture(3);
  small.width = 8;
  small.height = 8;
  small.pixels.resize(64);
  EXPECT_FALSE(cut.add(small, 0.2));
  EXPECT_FALSE(cut.finish(0.3));
  EXPECT_EQ(play(path("cut.gif")).frames.size(), 1u);

  GifRecording empty(path("empty.gif"));
  EXPECT_TRUE(empty.finish(1.0));
  EXPECT_FALSE(fs::exists(path("empty.gif")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// With the encoder held up, offering never waits: pictures past the queue's room are dropped
// and counted, and those taken are all in the file. A size limit ends the recording by itself.
TEST_F(GifTest, ABusyEncoderDropsPicturesInsteadOfWaiting) {
  std::mutex gate;
  gate.lock();
  bool held = true;
  BackgroundRecording slow(path("slow.gif"), {60.0, std::int64_t{1} << 30, 4}, [&] {
    if (held) {
      const std::lock_guard<std::mutex> wait(gate);
      held = false;
    }
  });
  int taken = 0;
  for (int k = 0; k < 30; ++k)
    taken += slow.offer(testPicture(static_cast<std::uint32_t>(k)), k * 0.02) ? 1 : 0;
  gate.unlock();
  const RecordingSummary summary = slow.finish(0.6);
  EXPECT_EQ(summary.end, RecordingEnd::stopped);
  EXPECT_LE(taken, 5);  // four queued, and one the encoder may have taken before it waited
  EXPECT_EQ(summary.dropped, 30 - taken);
  EXPECT_EQ(summary.frames, taken);
  EXPECT_EQ(play(path("slow.gif")).frames.size(), static_cast<std::size_t>(taken));

  BackgroundRecording small(path("small.gif"), {60.0, 1, 4});
  EXPECT_TRUE(small.offer(testPicture(1), 0.0));
  while (small.end() == RecordingEnd::running)
    small.offer(testPicture(2), 0.5);
  EXPECT_EQ(small.end(), RecordingEnd::sizeLimit);
  EXPECT_FALSE(small.offer(testPicture(3), 1.0));
  EXPECT_EQ(small.finish(1.0).end, RecordingEnd::sizeLimit);

  BackgroundRecording brief(path("brief.gif"), {1.0, std::int64_t{1} << 30, 4});
  EXPECT_TRUE(brief.offer(testPicture(1), 10.0));
  EXPECT_FALSE(brief.offer(testPicture(2), 11.0));
  EXPECT_EQ(brief.finish(12.0).end, RecordingEnd::timeLimit);
}

}  // namespace
}  // namespace squish::pictures
